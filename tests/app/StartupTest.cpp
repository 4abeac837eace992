#include "AppFixture.h"

#include "app/VersionText.h"
#include "download/DownloaderPage.h"
#include "res/DownloaderPage.h"
#include "res/MainDialog.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace apptest;

namespace
{

class Startup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness::CleanRegistry();
        ResetSettings();
    }
    void TearDown() override
    {
        harness::CleanRegistry();
        ResetSettings();
    }
};

SIZE OuterSize(HWND hwnd)
{
    RECT r;
    ::GetWindowRect(hwnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

int StoredInt(const char* name)
{
    DWORD type = 0;
    std::string data;
    if (!GetValue(kSettings, name, type, data) || data.size() != 4)
        return -999999;
    int value;
    std::memcpy(&value, data.data(), 4);
    return value;
}

TEST_F(Startup, FirstRunLaysOutTheWindowAndStoresEverySettingAtOnce)
{
    SIZE size{};
    bool storedWhileOpen = false;
    std::string title;
    ASSERT_TRUE(RunProgram([&](CCorvaneDlg& dlg) {
        size = OuterSize(dlg.Handle());
        title = harness::Text(dlg.Handle());
        // Saved at once, not only at exit.
        storedWhileOpen = StoredInt("width") == size.cx && StoredInt("height") == size.cy;
    }));
    EXPECT_GE(size.cx, 680);
    EXPECT_GE(size.cy, 560);
    EXPECT_TRUE(storedWhileOpen);
    EXPECT_EQ(title, "Brenvoll, v10.9");

    struct Expect {
        const char* name;
        DWORD type;
        size_t size;
    } values[] = {
        {"SavedDir", REG_SZ, 9},
        {"HUE", REG_BINARY, 4},
        {"Satu", REG_BINARY, 4},
        {"r", REG_BINARY, 4},
        {"g", REG_BINARY, 4},
        {"b", REG_BINARY, 4},
        {"width", REG_BINARY, 4},
        {"height", REG_BINARY, 4},
        {"DelVideoCheck", REG_BINARY, 4},
        {"TvVideoCheck", REG_BINARY, 4},
        {"Type", REG_BINARY, 4},
    };
    HKEY h = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, KEY_READ, &h), ERROR_SUCCESS);
    DWORD count = 0;
    ::RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                       nullptr);
    ::RegCloseKey(h);
    EXPECT_EQ(count, 11u);
    for (const Expect& v : values) {
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(GetValue(kSettings, v.name, type, data)) << v.name;
        EXPECT_EQ(type, v.type) << v.name;
        EXPECT_EQ(data.size(), v.size) << v.name;
    }
    EXPECT_EQ(StoredInt("r"), 132);
    EXPECT_EQ(StoredInt("HUE"), 94);
    EXPECT_EQ(StoredInt("DelVideoCheck"), 1);

    DWORD type = 0;
    std::string marker;
    ASSERT_TRUE(GetValue("Marlisk", "InitVer", type, marker));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(marker.c_str()), "a0009");

    // A later run, even of another version, leaves the first run's marker alone.
    PutValue("Marlisk", "InitVer", REG_SZ, "a0007", 6);
    ASSERT_TRUE(RunProgram([](CCorvaneDlg&) {}));
    ASSERT_TRUE(GetValue("Marlisk", "InitVer", type, marker));
    EXPECT_EQ(std::string(marker.c_str()), "a0007");
}

TEST_F(Startup, SavedSizeIsRestoredOnlyAboveTheThreshold)
{
    struct Case {
        int width, height;
        bool restored;
    } cases[] = {{501, 401, true}, {500, 800, false}, {900, 400, false}, {760, 620, true}};
    for (const Case& c : cases) {
        ResetSettings();
        PutInt("width", c.width);
        PutInt("height", c.height);
        SIZE size{};
        ASSERT_TRUE(RunProgram([&](CCorvaneDlg& dlg) { size = OuterSize(dlg.Handle()); }));
        if (c.restored) {
            EXPECT_EQ(size.cx, c.width) << c.width << "x" << c.height;
            EXPECT_EQ(size.cy, c.height) << c.width << "x" << c.height;
        } else {
            EXPECT_GE(size.cx, 680) << c.width << "x" << c.height;
            EXPECT_GE(size.cy, 560) << c.width << "x" << c.height;
            // The laid-out size is what the settings now hold.
            EXPECT_EQ(StoredInt("width"), size.cx);
            EXPECT_EQ(StoredInt("height"), size.cy);
        }
    }
}

TEST_F(Startup, StoredValuesSurviveAndBadValuesKeepTheirDefaults)
{
    PutInt("HUE", 123456);
    PutInt("Satu", -7);
    PutInt("r", 300);
    PutInt("Type", 1);
    const unsigned char eight[8] = {0x20, 3, 0, 0, 0, 0, 0, 0};
    PutValue(kSettings, "width", REG_BINARY, eight, sizeof(eight));
    PutValue(kSettings, "SavedDir", REG_BINARY, "D:\\x", 5);
    PutValue(kSettings, "TvVideoCheck", REG_SZ, "0", 2); // two bytes: not a 4-byte value

    COLORREF background = 0;
    std::string saveTo;
    std::string quality;
    bool tvVisible = false, alsoVisible = true;
    ASSERT_TRUE(RunProgram([&](CCorvaneDlg& dlg) {
        auto picture = harness::RenderPaint(dlg.Handle());
        background = picture->Pixel(picture->Width() - 3, picture->Height() - 3);
        const HWND page = dlg.GetDownloaderPage()->Handle();
        saveTo = harness::Text(::GetDlgItem(page, IDC_SAVE_TO));
        quality = harness::Text(::GetDlgItem(page, IDC_QUALITY));
        tvVisible = ::IsWindowVisible(::GetDlgItem(page, IDC_TV_VIDEO));
        alsoVisible = ::IsWindowVisible(::GetDlgItem(page, IDC_ALSO_VIDEO));
    }));
    EXPECT_EQ(background, RGB(44, 101, 117)); // 300 cut to its low byte
    EXPECT_EQ(saveTo, "C:\\Video");
    EXPECT_EQ(quality, "Best Available"); // started in Video mode
    EXPECT_TRUE(tvVisible);
    EXPECT_FALSE(alsoVisible);
    EXPECT_EQ(g_bTvVideoCheck.load(), 1);

    EXPECT_EQ(StoredInt("HUE"), 123456);
    EXPECT_EQ(StoredInt("Satu"), -7);
    EXPECT_EQ(StoredInt("r"), 300); // stored back as it was, not clamped
    EXPECT_GE(StoredInt("width"), 680);
    DWORD type = 0;
    std::string dir;
    ASSERT_TRUE(GetValue(kSettings, "SavedDir", type, dir));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(dir.c_str()), "C:\\Video");
}

TEST(VersionText, TitleAndMarkerFromTheFileVersion)
{
    struct Case {
        DWORD high;
        const char* marker;
        const char* title;
    } cases[] = {
        {0x000A0009, "a0009", "10.9"},
        {0x000B0001, "b0001", "11.1"},
        {0x00010000, "10000", "1.0"},
        {0x00000009, "9", ""}, // fewer than five digits: nothing left after dropping four
        {0x12340005, "12340005", "4660.5"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InstallMarkerText(c.high), c.marker);
        EXPECT_EQ(VersionTitleText(c.high), c.title) << c.marker;
    }
}

} // namespace
