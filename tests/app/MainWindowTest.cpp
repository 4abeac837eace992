#include "AppFixture.h"

#include "app/ShellOpen.h"
#include "controls/Hyperlink.h"
#include "download/DownloadSlots.h"
#include "download/DownloaderPage.h"
#include "res/DownloaderPage.h"
#include "res/MainDialog.h"
#include "res/SmallDialogs.h"
#include "res/ThemeDialog.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <memory>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

using namespace apptest;

namespace
{

// Records the program's shell opens instead of starting a browser.
class ShellRecorder
{
public:
    ShellRecorder()
    {
        SetShellOpenHook([this](const std::string& verb, const std::string& target) {
            calls.emplace_back(verb, target);
            return true;
        });
    }
    ~ShellRecorder() { SetShellOpenHook({}); }
    std::vector<std::pair<std::string, std::string>> calls;
};

class MainWindow : public ::testing::Test
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

bool PutClipboardText(const std::wstring& text)
{
    if (!::OpenClipboard(nullptr))
        return false;
    ::EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (mem) {
        std::memcpy(::GlobalLock(mem), text.c_str(), bytes);
        ::GlobalUnlock(mem);
        if (!::SetClipboardData(CF_UNICODETEXT, mem))
            ::GlobalFree(mem);
    }
    ::CloseClipboard();
    return mem != nullptr;
}

void EmptyTheClipboard()
{
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
}

// Activates the main window afresh: another window of the process first, then the main window.
void Reactivate(HWND main)
{
    HWND other = ::CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                   nullptr);
    ::SetActiveWindow(other);
    harness::PumpFor(20);
    ::SetActiveWindow(main);
    harness::PumpFor(20);
    ::DestroyWindow(other);
    ::SetActiveWindow(main);
}

std::wstring Wide(const std::string& utf8)
{
    std::wstring out(utf8.size() + 1, L'\0');
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), static_cast<int>(out.size()));
    out.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return out;
}

TEST_F(MainWindow, ClipboardTextIsPastedOnActivationWhenItLooksLikeInput)
{
    struct Case {
        std::string clip;
        bool pasted;
    } cases[] = {
        {"abc", false},
        {"ytdate:x", true},
        {"12345678901", true},
        {"  www.x", true}, // pasted with its spaces
        {"ytsearch:a", true},
        {"http://a", true},
        {"   \t\r\n  ", false},
        {"short one", false},       // 9 characters
        {"   123456789   ", false}, // 9 after trimming
        {"\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e", true}, // UTF-8
    };
    ASSERT_TRUE(RunProgram([&](CCorvaneDlg& dlg) {
        const HWND url = ::GetDlgItem(dlg.GetDownloaderPage()->Handle(), IDC_URL);
        for (const Case& c : cases) {
            harness::SetText(url, "typed");
            ASSERT_TRUE(PutClipboardText(Wide(c.clip)));
            Reactivate(dlg.Handle());
            EXPECT_EQ(harness::Text(url), c.pasted ? c.clip : "typed") << "clipboard: [" << c.clip << "]";
        }

        // Nothing usable on the clipboard, or the clipboard held open by someone else: nothing
        // changes and nothing breaks.
        harness::SetText(url, "typed");
        EmptyTheClipboard();
        Reactivate(dlg.Handle());
        EXPECT_EQ(harness::Text(url), "typed");

        ASSERT_TRUE(PutClipboardText(L"https://held.example/watch"));
        std::atomic<int> state{0};
        std::thread holder([&] {
            if (::OpenClipboard(nullptr)) {
                state = 1;
                while (state == 1)
                    ::Sleep(5);
                ::CloseClipboard();
            }
            state = 3;
        });
        harness::PumpUntil([&] { return state.load() != 0; });
        if (state == 1) {
            Reactivate(dlg.Handle());
            EXPECT_EQ(harness::Text(url), "typed");
            state = 2;
        }
        holder.join();
    }));
    EmptyTheClipboard();
}

TEST_F(MainWindow, ClosingWhileDownloadsRunAsksFirst)
{
    auto responder = std::make_unique<harness::BoxResponder>();
    std::vector<harness::Box> seen;
    bool stayedAfterNo = false, stopFlagsAfterNo = true, goneAfterYes = false;
    bool allStopped = true;
    ASSERT_TRUE(RunProgram([&](CCorvaneDlg& dlg) {
        g_nActiveDownloads = 1;
        responder->Rule("", IDNO);
        ::SendMessageA(dlg.Handle(), WM_CLOSE, 0, 0);
        stayedAfterNo = ::IsWindowVisible(dlg.Handle()) != FALSE;
        stopFlagsAfterNo = false;
        for (const CWebGrab& slot : g_DownloadSlots)
            stopFlagsAfterNo = stopFlagsAfterNo || slot.GetStopFlag() != 0;

        // Esc goes the same way.
        ::SendMessageA(dlg.Handle(), WM_COMMAND, IDCANCEL, 0);
        stayedAfterNo = stayedAfterNo && ::IsWindowVisible(dlg.Handle());

        seen = responder->Seen();
        responder = std::make_unique<harness::BoxResponder>();
        responder->Rule("", IDYES);
        ::SendMessageA(dlg.Handle(), WM_CLOSE, 0, 0);
        for (const CWebGrab& slot : g_DownloadSlots)
            allStopped = allStopped && slot.GetStopFlag() == 1;
        goneAfterYes = true;
    }));
    EXPECT_TRUE(stayedAfterNo);
    EXPECT_FALSE(stopFlagsAfterNo);
    EXPECT_TRUE(goneAfterYes);
    EXPECT_TRUE(allStopped);
    EXPECT_EQ(seen.size(), 2u); // the close box and Esc
    for (const auto& box : responder->Seen())
        seen.push_back(box);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen.back().caption, "Tasvrin");
    EXPECT_EQ(seen.back().text, "It seems that there is active downloading, continue exiting?");
    EXPECT_EQ(seen.back().owner, nullptr);
    // The window went with the Yes: the program returned from its modal loop.
    EXPECT_EQ(MainDialog(), nullptr);

    // With nothing running, no question.
    ResetSettings();
    responder->Clear();
    ASSERT_TRUE(RunProgram([&](CCorvaneDlg& dlg) { ::SendMessageA(dlg.Handle(), WM_CLOSE, 0, 0); }));
    EXPECT_TRUE(responder->Seen().empty());
}

TEST_F(MainWindow, ConverterTabOpensItsPageAndKeepsThePreviousTab)
{
    ShellRecorder shell;
    ASSERT_TRUE(RunProgram([&](CCorvaneDlg& dlg) {
        CSheet& sheet = dlg.GetSheet();
        const HWND tabs = sheet.TabControl();
        for (int from : {1, 0}) {
            ASSERT_TRUE(sheet.SetActivePage(from));
            shell.calls.clear();
            RECT item{};
            ::SendMessageA(tabs, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
            harness::MouseClick(tabs, (item.left + item.right) / 2, (item.top + item.bottom) / 2);
            harness::PumpUntil([&] { return !shell.calls.empty(); });
            harness::PumpFor(100);
            ASSERT_EQ(shell.calls.size(), 1u) << "from page " << from;
            EXPECT_EQ(shell.calls[0].first, "open");
            EXPECT_EQ(shell.calls[0].second, "http://127.0.0.1:8731/converter");
            EXPECT_EQ(sheet.GetActiveIndex(), from);
            EXPECT_EQ(::SendMessageA(tabs, TCM_GETCURSEL, 0, 0), from);
            EXPECT_TRUE(::IsWindowVisible(sheet.GetPage(from)->Handle()));
        }
    }));
}

TEST_F(MainWindow, HelpBannerAndOpenGoToTheShell)
{
    ShellRecorder shell;
    ASSERT_TRUE(RunProgram([&](CCorvaneDlg& dlg) {
        harness::Click(::GetDlgItem(dlg.Handle(), IDC_HELP_BUTTON));
        ::SendMessageA(dlg.Handle(), WM_COMMAND, MAKEWPARAM(IDC_BANNER, STN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dlg.Handle(), IDC_BANNER)));
        const HWND page = dlg.GetDownloaderPage()->Handle();
        harness::SetText(::GetDlgItem(page, IDC_SAVE_TO), "C:\\Some Folder");
        harness::Click(::GetDlgItem(page, IDC_OPEN));
        // The promotional link opens its address too.
        harness::Click(::GetDlgItem(dlg.Handle(), IDC_PROMO_LINK));
    }));
    ASSERT_EQ(shell.calls.size(), 4u);
    EXPECT_EQ(shell.calls[0], std::make_pair(std::string("open"), g_strServerBase + "/faqs.html"));
    EXPECT_EQ(shell.calls[1], std::make_pair(std::string("open"), g_strServerBase));
    EXPECT_EQ(shell.calls[2], std::make_pair(std::string("explore"), std::string("C:\\Some Folder")));
    EXPECT_EQ(shell.calls[3], std::make_pair(std::string("open"), std::string("http://127.0.0.1:8731/promo")));
    // The folder typed into "Save to" is what the settings keep.
    EXPECT_EQ(g_strSavedDir.Get(), "C:\\Some Folder");
    DWORD type = 0;
    std::string stored;
    ASSERT_TRUE(GetValue(kSettings, "SavedDir", type, stored));
    EXPECT_EQ(std::string(stored.c_str()), "C:\\Some Folder");
}

TEST_F(MainWindow, DownloadPageSwitchesModesAndKeepsItsOptions)
{
    ASSERT_TRUE(RunProgram([&](CCorvaneDlg& dlg) {
        const HWND page = dlg.GetDownloaderPage()->Handle();
        const HWND list = ::GetDlgItem(page, IDC_QUALITY);
        const HWND also = ::GetDlgItem(page, IDC_ALSO_VIDEO);
        const HWND tv = ::GetDlgItem(page, IDC_TV_VIDEO);
        EXPECT_EQ(harness::Text(list), "44KHz MP3 (320kbps - if available)");
        EXPECT_EQ(::SendMessageA(list, CB_GETCOUNT, 0, 0), 7);
        EXPECT_EQ(harness::Text(::GetDlgItem(page, IDC_DOWNLOAD)), "Download and Convert!");
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_STOP)));
        EXPECT_EQ(harness::Text(::GetDlgItem(page, IDC_STATUS)), "Ready.");

        harness::Click(also); // untick
        EXPECT_EQ(g_bDelVideoCheck.load(), 0);
        harness::Click(::GetDlgItem(page, IDC_VIDEO));
        EXPECT_EQ(g_nType.load(), 1);
        EXPECT_EQ(harness::Text(list), "Best Available");
        EXPECT_TRUE(::IsWindowVisible(tv));
        EXPECT_FALSE(::IsWindowVisible(also));
        EXPECT_FALSE(::IsWindowEnabled(also));
        harness::Click(tv); // untick
        EXPECT_EQ(g_bTvVideoCheck.load(), 0);

        harness::Click(::GetDlgItem(page, IDC_MP3));
        EXPECT_EQ(g_nType.load(), 0);
        EXPECT_EQ(harness::Text(list), "44KHz MP3 (320kbps - if available)");
        EXPECT_TRUE(::IsWindowVisible(also));
        EXPECT_FALSE(::IsWindowVisible(tv));
        // Switching left both boxes as they were.
        EXPECT_EQ(::SendMessageA(also, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        EXPECT_EQ(::SendMessageA(tv, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        EXPECT_EQ(g_bDelVideoCheck.load(), 0);
        EXPECT_EQ(g_bTvVideoCheck.load(), 0);
    }));
}

TEST_F(MainWindow, DownloadPagePaintsInTheThemeWithWhiteTexts)
{
    ASSERT_TRUE(RunProgram([&](CCorvaneDlg& dlg) {
        const HWND page = dlg.GetDownloaderPage()->Handle();
        auto picture = harness::RenderPaint(page);
        EXPECT_EQ(picture->Pixel(2, picture->Height() - 2), RGB(132, 101, 117));

        // The radio button's text is white on the page brush.
        const HWND mp3 = ::GetDlgItem(page, IDC_MP3);
        auto radio = harness::RenderClient(mp3);
        const RECT all{0, 0, radio->Width(), radio->Height()};
        EXPECT_GT(radio->Count(RGB(255, 255, 255), all), 5);
        EXPECT_GT(radio->Count(RGB(132, 101, 117), all), 5);

        // So is the status group's caption.
        auto group = harness::RenderClient(::GetDlgItem(page, IDC_STATUS_GROUP));
        EXPECT_GT(group->Count(RGB(255, 255, 255), RECT{0, 0, group->Width(), 20}), 5);

        // The brush follows the theme colour at the next control-colour request.
        HDC dc = ::GetDC(mp3);
        auto brushColour = [&]() {
            const auto brush = reinterpret_cast<HBRUSH>(
                ::SendMessageA(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(mp3)));
            LOGBRUSH lb{};
            ::GetObjectA(brush, sizeof(lb), &lb);
            return lb.lbColor;
        };
        EXPECT_EQ(brushColour(), RGB(132, 101, 117));
        g_nR = 10;
        EXPECT_EQ(brushColour(), RGB(10, 101, 117));
        EXPECT_EQ(::GetTextColor(dc), RGB(255, 255, 255));
        ::ReleaseDC(mp3, dc);
        // A label gets white text on the hollow brush.
        HDC labelDc = ::GetDC(page);
        const auto hollow = ::SendMessageA(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(labelDc),
                                           reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_STATUS)));
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(hollow), ::GetStockObject(NULL_BRUSH));
        ::ReleaseDC(page, labelDc);
    }));
}

TEST_F(MainWindow, ThemeDialogRecoloursAtOnceAndEscKeepsTheColour)
{
    g_nR = 300; // as if stored: the slider shows its range's end
    COLORREF mainBefore = 0, mainAfter = 0, pageAfter = 0, themeBackground = 0;
    int redPosition = -1;
    bool labelsWhite = false;
    ASSERT_TRUE(RunProgram([&](CCorvaneDlg& dlg) {
        auto before = harness::RenderPaint(dlg.Handle());
        mainBefore = before->Pixel(before->Width() - 3, before->Height() - 3);
        WhenShown("Theme", [&](HWND theme) {
            redPosition = static_cast<int>(::SendDlgItemMessageA(theme, IDC_SLIDER_RED, TBM_GETPOS, 0, 0));
            // The user moves the green slider to its start from the keyboard.
            const HWND green = ::GetDlgItem(theme, IDC_SLIDER_GREEN);
            ::SetFocus(green);
            ::SendMessageA(green, WM_KEYDOWN, VK_HOME, 0);
            ::SendMessageA(green, WM_KEYUP, VK_HOME, 0);
            auto main = harness::RenderPaint(dlg.Handle());
            mainAfter = main->Pixel(main->Width() - 3, main->Height() - 3);
            auto page = harness::RenderPaint(dlg.GetDownloaderPage()->Handle());
            pageAfter = page->Pixel(2, page->Height() - 2);
            auto self = harness::RenderPaint(theme);
            themeBackground = self->Pixel(self->Width() - 2, self->Height() - 2);
            auto label = harness::RenderClient(::GetWindow(::GetDlgItem(theme, IDC_SLIDER_BLUE), GW_HWNDNEXT));
            labelsWhite = label->Count(RGB(255, 255, 255), RECT{0, 0, label->Width(), label->Height()}) > 3;
            harness::PressKey(green, VK_ESCAPE);
        });
        harness::Click(::GetDlgItem(dlg.Handle(), IDC_SKIN));
    }));
    EXPECT_EQ(redPosition, 255);
    EXPECT_EQ(mainBefore, RGB(44, 101, 117));
    EXPECT_EQ(g_nG, 0);
    EXPECT_EQ(g_nR, 300); // only green moved: red keeps its stored number
    EXPECT_EQ(mainAfter, RGB(44, 0, 117));
    EXPECT_EQ(pageAfter, RGB(44, 0, 117));
    EXPECT_EQ(themeBackground, RGB(44, 0, 117));
    EXPECT_TRUE(labelsWhite);
    // Kept after Esc and written at exit.
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(GetValue(kSettings, "g", type, data));
    ASSERT_EQ(data.size(), 4u);
    EXPECT_EQ(*reinterpret_cast<const int*>(data.data()), 0);
}

TEST_F(MainWindow, AboutComesFromTheSystemMenuWithASizedLink)
{
    ShellRecorder shell;
    std::string caption, linkText;
    int linkWidth = 0, expectedWidth = 0;
    bool menuItem = false;
    ASSERT_TRUE(RunProgram([&](CCorvaneDlg& dlg) {
        HMENU menu = ::GetSystemMenu(dlg.Handle(), FALSE);
        char text[64] = {};
        menuItem = ::GetMenuStringA(menu, IDM_ABOUTBOX, text, sizeof(text), MF_BYCOMMAND) > 0 &&
                   std::string(text) == "&About Brenvoll...";
        WhenShown("About Tasvrin", [&](HWND about) {
            caption = harness::Text(about);
            const HWND link = ::GetDlgItem(about, IDC_ABOUT_LINK);
            linkText = harness::Text(link);
            RECT r;
            ::GetWindowRect(link, &r);
            linkWidth = r.right - r.left;
            HDC dc = ::GetDC(link);
            auto* object = static_cast<CHyperlink*>(Window::FromHandle(link));
            HGDIOBJ old = ::SelectObject(dc, object->GetLinkFontHandle());
            SIZE extent{};
            ::GetTextExtentPoint32A(dc, linkText.c_str(), static_cast<int>(linkText.size()), &extent);
            ::SelectObject(dc, old);
            ::ReleaseDC(link, dc);
            expectedWidth = extent.cx + 12;
            harness::Click(link); // opens the site, the box stays
            EXPECT_TRUE(::IsWindowVisible(about));
            harness::PressKey(about, VK_ESCAPE);
            ::PostMessageA(about, WM_COMMAND, IDOK, 0);
        });
        ::SendMessageA(dlg.Handle(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    }));
    EXPECT_TRUE(menuItem);
    EXPECT_EQ(caption, "About Tasvrin");
    EXPECT_EQ(linkText, "Visit our Website.");
    EXPECT_EQ(linkWidth, expectedWidth);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].second, g_strSiteBase);
}

} // namespace
