#include "NetFixture.h"
#include "app/Globals.h"
#include "net/UpdateCheck.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

namespace
{

// Sets a file's last-modified time to a local date and time.
bool SetModifiedLocal(const std::string& path, WORD y, WORD mo, WORD d, WORD h, WORD mi)
{
    SYSTEMTIME local{};
    local.wYear = y;
    local.wMonth = mo;
    local.wDay = d;
    local.wHour = h;
    local.wMinute = mi;
    local.wSecond = 30;
    SYSTEMTIME utc;
    FILETIME ft;
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !::SystemTimeToFileTime(&utc, &ft))
        return false;
    UniqueFile f(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return f && ::SetFileTime(f.Get(), nullptr, nullptr, &ft);
}

TEST(StaticTree, ServesTheUpdateContractFromPlainFiles)
{
    harness::TempDir tools, out;
    const std::string ffmpeg = standin::PatternBody(70000);
    ASSERT_TRUE(harness::WriteFileBytes(tools.File("ffmpeg.exe"), ffmpeg));
    ASSERT_TRUE(harness::WriteFileBytes(tools.File("youtube-dl.exe"), "engine without a version block"));
    ASSERT_TRUE(harness::WriteFileBytes(tools.File("deno.exe"), "deno"));
    ASSERT_TRUE(SetModifiedLocal(tools.File("youtube-dl.exe"), 2024, 3, 5, 7, 9));
    ASSERT_TRUE(SetModifiedLocal(tools.File("deno.exe"), 2025, 11, 30, 23, 59));

    standin::StandinServer server("127.0.0.1");
    ASSERT_TRUE(server.Listening());
    standin::TreeOptions options;
    options.base = server.Base() + "/";
    options.major = 11;
    options.minor = 2;
    options.hostListHost = "127.0.0.5";
    std::string error;
    ASSERT_TRUE(standin::MakeStaticTree(tools.Path(), out.Path(), options, error)) << error;
    // Nothing but files: any static web host can serve them.
    server.ServeFolder(out.Path());
    const std::string base = server.Base();
    g_strServerBase = base;

    EXPECT_TRUE(IsServerAlive());
    EXPECT_EQ(nettest::ReadAll(out.File("host.txt")), "127.0.0.5\n");

    struct ReleaseCase {
        const char* path;
        WORD year, month, day, hour, minute;
        std::string url;
    };
    const std::vector<ReleaseCase> releases = {
        {"/php/CheckUpdateFile/zoz2.php", 2024, 3, 5, 7, 9, base + "/download/updates/youtube-dl.exe"},
        {"/php/CheckUpdateFile/deno2.php", 2025, 11, 30, 23, 59, base + "/download/updates/deno.exe"},
    };
    for (const auto& r : releases) {
        SCOPED_TRACE(r.path);
        std::string url;
        SYSTEMTIME t{};
        ASSERT_TRUE(QueryToolRelease(base + r.path, url, t));
        EXPECT_EQ(url, r.url);
        EXPECT_EQ(t.wYear, r.year);
        EXPECT_EQ(t.wMonth, r.month);
        EXPECT_EQ(t.wDay, r.day);
        EXPECT_EQ(t.wHour, r.hour);
        EXPECT_EQ(t.wMinute, r.minute);
    }

    // The update answer does not depend on the query the program adds.
    harness::BoxResponder boxes;
    boxes.SetFallback(IDNO);
    CUpdateCheck check(1);
    check.Check(base + "/php/update.php");
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_NE(boxes.Seen()[0].text.find("The newest version 11.2 is available"), std::string::npos);
    EXPECT_EQ(server.RequestsFor("/php/update.php")[0].query, "m=b0001&s=0");

    harness::TempDir dest;
    CWebGrab grab;
    EXPECT_TRUE(grab.DownloadToFile((base + "/download/updates/ffmpeg.exe").c_str(), dest.File("ffmpeg.exe"), "s", "d",
                                    "Tasvrin", nullptr, "L"));
    EXPECT_EQ(nettest::ReadAll(dest.File("ffmpeg.exe")), ffmpeg);
    // A tool the folder did not hold is not served.
    EXPECT_FALSE(grab.DownloadToFile((base + "/download/updates/vcredist_x86.exe").c_str(), dest.File("vc.exe"), "s",
                                     "d", "Tasvrin", nullptr, "L"));
    EXPECT_FALSE(nettest::Exists(dest.File("vc.exe")));
}

TEST(StaticTree, MandatoryAndInformationPage)
{
    harness::TempDir tools, out;
    standin::TreeOptions options;
    options.base = "https://updates.example.org";
    options.major = 12;
    options.minor = 0;
    options.mandatory = true;
    std::string error;
    ASSERT_TRUE(standin::MakeStaticTree(tools.Path(), out.Path(), options, error)) << error;
    EXPECT_EQ(nettest::ReadAll(out.File("php\\update.php")), "12|0|https://updates.example.org/faqs.html|yes");
    EXPECT_EQ(nettest::ReadAll(out.File("php\\alive.php")), "ok");
    EXPECT_TRUE(nettest::Exists(out.File("faqs.html")));
    EXPECT_FALSE(nettest::Exists(out.File("host.txt")));
    EXPECT_FALSE(nettest::Exists(out.File("php\\CheckUpdateFile\\zoz2.php")));
}

} // namespace
