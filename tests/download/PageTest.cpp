// Downloads through the real program: the main window's download page, its Download and Stop
// buttons, the tool check with the staged stand-in tools, the stand-in engine, and the multiple
// download page's rows.
#include "DownloadFixture.h"

#include "StandinServer.h"
#include "app/CorvaneApp.h"
#include "app/CorvaneDlg.h"
#include "app/Globals.h"
#include "app/Messages.h"
#include "app/ShellOpen.h"
#include "download/DownloaderPage.h"
#include "multi/MultipleDownPage.h"
#include "multi/XListCtrl.h"
#include "net/ErrorReport.h"
#include "res/DownloaderPage.h"
#include "support/VcRuntime.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <map>

using namespace dltest;

namespace
{

// Runs a function from the window thread's message loop once.
std::map<UINT_PTR, std::function<void()>>& Pending()
{
    static std::map<UINT_PTR, std::function<void()>> pending;
    return pending;
}
void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    auto fn = std::move(Pending()[id]);
    Pending().erase(id);
    if (fn)
        fn();
}
void Later(std::function<void()> fn, UINT ms = 10)
{
    Pending()[::SetTimer(nullptr, 0, ms, &Fire)] = std::move(fn);
}

// What the page was told: the worker messages it received and every status line text.
struct PageLog {
    std::vector<Posted> messages;
    std::vector<std::string> statusTexts;
};
PageLog* g_log = nullptr;
HWND g_pageWindow = nullptr;
HHOOK g_hook = nullptr;

LRESULT CALLBACK WatchPosted(int code, WPARAM w, LPARAM l)
{
    const MSG* msg = reinterpret_cast<const MSG*>(l);
    if (code == HC_ACTION && w == PM_REMOVE && g_log && msg->hwnd == g_pageWindow && msg->message >= WM_GRAB_STATUS &&
        msg->message <= WM_JOB_STARTED) {
        Posted p{msg->message, msg->wParam, msg->lParam, {}};
        const auto v = static_cast<INT_PTR>(msg->wParam);
        if (msg->message == WM_JOB_PROGRESS && (v < -1 || v > 1000))
            p.text = reinterpret_cast<const char*>(msg->wParam);
        g_log->messages.push_back(p);
    }
    return ::CallNextHookEx(g_hook, code, w, l);
}

// Records the texts given to the status line.
class StatusSpy : public Window
{
protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override
    {
        if (msg == WM_SETTEXT && g_log && l)
            g_log->statusTexts.emplace_back(reinterpret_cast<const char*>(l));
        return Window::WindowProc(msg, w, l);
    }
};

// The program with the download page, its tools staged in the program folder and the runtime installed.
class DownloadPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness::CleanRegistry();
        for (const char* tool : {"youtube-dl.exe", "ffmpeg.exe", "ffprobe.exe", "deno.exe"})
            ::CreateHardLinkA((g_strAppDir + "\\" + tool).c_str(), (StandinTools() + "\\" + tool).c_str(), nullptr);
        shells.clear();
        SetShellOpenHook([this](const std::string& verb, const std::string& target) {
            std::lock_guard<std::mutex> lock(shellLock);
            shells.push_back(verb + " " + target);
            return true;
        });
        oldReport = g_strReportUrl;
    }
    void TearDown() override
    {
        SetShellOpenHook({});
        g_strReportUrl = oldReport;
        g_log = nullptr;
    }

    // Runs the program; `body` runs inside its message loop with the page ready.
    void RunProgram(const std::function<void(CCorvaneDlg&, CDownloaderPage&)>& body)
    {
        bool ran = false;
        std::function<void()> poll;
        int tries = 0;
        poll = [&]() {
            CCorvaneDlg* dlg = MainDialog();
            if (dlg && dlg->Handle() && ::IsWindowVisible(dlg->Handle()) && dlg->GetDownloaderPage()) {
                ran = true;
                CDownloaderPage& page = *dlg->GetDownloaderPage();
                setup.Apply();
                g_pageWindow = page.Handle();
                g_log = &log;
                g_hook = ::SetWindowsHookExA(WH_GETMESSAGE, &WatchPosted, nullptr, ::GetCurrentThreadId());
                StatusSpy spy;
                spy.Subclass(::GetDlgItem(page.Handle(), IDC_STATUS));
                body(*dlg, page);
                // Whatever still runs is stopped before the window goes.
                StopAllDownloads();
                harness::PumpUntil([] { return g_nActiveDownloads.load() == 0; }, 30000);
                spy.Detach();
                ::UnhookWindowsHookEx(g_hook);
                g_log = nullptr;
                ::PostMessageA(dlg->Handle(), WM_CLOSE, 0, 0);
                return;
            }
            if (++tries < 1000)
                Later(poll);
        };
        Later(poll);
        theApp.InitInstance();
        theApp.ExitInstance();
        ASSERT_TRUE(ran);
    }

    void Press(CDownloaderPage& page, const std::string& url, const std::string& saveTo)
    {
        harness::SetText(::GetDlgItem(page.Handle(), IDC_URL), url);
        harness::SetText(::GetDlgItem(page.Handle(), IDC_SAVE_TO), saveTo);
        harness::Click(::GetDlgItem(page.Handle(), IDC_DOWNLOAD));
    }
    // Ticks or clears an option box by clicking it, as the user would.
    static void SetCheck(HWND page, int id, bool on)
    {
        const bool shown = ::IsWindowVisible(::GetDlgItem(page, id)) != FALSE;
        if (!shown)
            ::ShowWindow(::GetDlgItem(page, id), SW_SHOW), ::EnableWindow(::GetDlgItem(page, id), TRUE);
        if ((::IsDlgButtonChecked(page, id) == BST_CHECKED) != on)
            harness::Click(::GetDlgItem(page, id));
        if (!shown)
            ::ShowWindow(::GetDlgItem(page, id), SW_HIDE), ::EnableWindow(::GetDlgItem(page, id), FALSE);
    }
    // The page in MP3 mode with both options off.
    static void PlainMp3(HWND page)
    {
        harness::Click(::GetDlgItem(page, IDC_MP3));
        SetCheck(page, IDC_ALSO_VIDEO, false);
        SetCheck(page, IDC_TV_VIDEO, false);
    }
    size_t Count(UINT msg) const
    {
        return static_cast<size_t>(
            std::count_if(log.messages.begin(), log.messages.end(), [msg](const Posted& p) { return p.msg == msg; }));
    }
    ::testing::AssertionResult WaitFinished(size_t count = 1, DWORD ms = 60000)
    {
        if (harness::PumpUntil([&] { return Count(WM_JOB_FINISHED) >= count; }, ms))
            return ::testing::AssertionSuccess();
        auto failure = ::testing::AssertionFailure() << "messages " << Sequence() << ", status texts:";
        for (const std::string& t : log.statusTexts)
            failure << " [" << t << "]";
        for (const harness::Box& box : harness::FindBoxes())
            failure << " open box: " << box.text;
        return failure;
    }
    // The worker messages in order, as short words: T (title text), S (started), P (value), E (-1), F.
    std::string Sequence() const
    {
        std::string out;
        for (const Posted& p : log.messages) {
            const auto v = static_cast<INT_PTR>(p.w);
            char c = '?';
            if (p.msg == WM_JOB_STARTED)
                c = 'S';
            else if (p.msg == WM_JOB_FINISHED)
                c = 'F';
            else if (p.msg == WM_GRAB_STATUS)
                c = 'G';
            else if (v == -1)
                c = 'E';
            else if (v >= 0 && v <= 1000)
                c = 'P';
            else
                c = 'T';
            if (c == 'P' && !out.empty() && out.back() == 'P')
                continue; // any number of values in a row
            out += c;
        }
        return out;
    }
    std::vector<std::string> Rows(CCorvaneDlg& dlg) const
    {
        std::vector<std::string> rows;
        CXListCtrl* list = dlg.GetMultiplePage() ? dlg.GetMultiplePage()->List() : nullptr;
        for (int i = 0; list && i < list->GetItemCount(); ++i)
            rows.push_back(list->GetItemText(i, 0) + " | " + list->GetItemText(i, 1));
        return rows;
    }
    std::vector<std::string> Shells()
    {
        std::lock_guard<std::mutex> lock(shellLock);
        return shells;
    }

    EngineSetup setup;
    harness::ScopedProduct runtime{harness::VcRuntimeFile("runtime-1.msi"), harness::kVcRuntimeCodes[0]};
    PageLog log;
    std::mutex shellLock;
    std::vector<std::string> shells;
    std::string oldReport;
};

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST_F(DownloadPageTest, PassSequencesLeaveTheRightFilesMessagesAndTexts)
{
    struct Case {
        const char* name;
        bool video, alsoVideo, tv;
        const char* input;
        std::vector<std::string> files;
        std::string sequence;
        std::vector<std::string> rows;
    } cases[] = {
        {"mp3 only",
         false,
         false,
         false,
         "http://h/Demo%20Song.mp4?a=1",
         {"Demo Song.mp3"},
         "TSPEF",
         {"MP3:  Demo Song | Download Finished."}},
        {"mp3 then video",
         false,
         true,
         false,
         "http://h/Demo%20Song.mp4?a=2",
         {"Demo Song.mp3", "Demo Song.mp4"},
         "TSPESPEF",
         {"MP3:  Demo Song | Download Finished.", "Video:  Demo Song | Download Finished."}},
        {"tv video",
         true,
         false,
         true,
         "http://h/Demo%20Song.mp4?tv=video-ok",
         {"Demo Song.mp4"},
         "TSPEF",
         {"Video:  Demo Song | Download Finished."}},
    };
    harness::BoxResponder boxes;
    boxes.Rule("Job completed successfully. Open the directory?", IDYES);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        harness::TempDir save;
        log = PageLog{};
        RunProgram([&](CCorvaneDlg& dlg, CDownloaderPage& page) {
            HWND p = page.Handle();
            harness::Click(::GetDlgItem(p, c.video ? IDC_VIDEO : IDC_MP3));
            SetCheck(p, IDC_ALSO_VIDEO, c.alsoVideo);
            SetCheck(p, IDC_TV_VIDEO, c.tv);
            Press(page, c.input, save.Path());
            ASSERT_TRUE(WaitFinished());
            harness::PumpFor(100);
            EXPECT_EQ(Sequence(), c.sequence);
            EXPECT_EQ(harness::Text(::GetDlgItem(p, IDC_STATUS)), "Ready.");
            ASSERT_GE(log.statusTexts.size(), 3u);
            EXPECT_EQ(log.statusTexts.front(), "Starting Analysis. Please wait..");
            EXPECT_NE(std::find(log.statusTexts.begin(), log.statusTexts.end(), "Wait, Fetching Video Title.."),
                      log.statusTexts.end());
            const std::string prefix = c.video ? "Download Video:" : "Download MP3:";
            EXPECT_NE(std::find_if(log.statusTexts.begin(), log.statusTexts.end(),
                                   [&](const std::string& t) { return t.rfind(prefix, 0) == 0; }),
                      log.statusTexts.end());
            EXPECT_EQ(log.statusTexts.back(), "Ready.");
            EXPECT_EQ(Rows(dlg), c.rows);
            EXPECT_FALSE(WindowRef(::GetDlgItem(p, IDC_STOP)).IsEnabled());
        });
        for (const std::string& file : c.files)
            EXPECT_TRUE(Exists(save.File(file))) << file;
        if (!c.video && !c.alsoVideo)
            EXPECT_FALSE(Exists(save.File("Demo Song.mp4")));
        EXPECT_NE(std::find(shells.begin(), shells.end(), "open " + save.Path()), shells.end());
    }
    const auto calls = setup.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_NE(calls.back().commandLine.find("[vcodec^=avc1]"), std::string::npos);
}

TEST_F(DownloadPageTest, AlreadyDownloadedEndsWithOneEndMessageAndKeepsTheFile)
{
    harness::BoxResponder boxes;
    boxes.Rule("Job completed successfully", IDNO);
    harness::TempDir save;
    harness::WriteFileBytes(save.File("Demo Song.mp3"), "earlier");
    RunProgram([&](CCorvaneDlg& dlg, CDownloaderPage& page) {
        PlainMp3(page.Handle());
        Press(page, "http://h/Demo%20Song.mp4?mp3=mp3-already", save.Path());
        ASSERT_TRUE(WaitFinished());
        harness::PumpFor(100);
        EXPECT_EQ(Sequence(), "TSEF");
        EXPECT_EQ(Rows(dlg), std::vector<std::string>{"MP3:  Demo Song | Download Finished."});
    });
    EXPECT_EQ(harness::ReadFileBytes(save.File("Demo Song.mp3")).value_or(""), "earlier");
    EXPECT_TRUE(Shells().empty()); // No: nothing opened
}

TEST_F(DownloadPageTest, ProgressTextsAndBarFollowTheCurrentSlotOnly)
{
    RunProgram([&](CCorvaneDlg&, CDownloaderPage& page) {
        HWND p = page.Handle();
        const int current = static_cast<int>(g_nCurrentSlot.load());
        g_DownloadSlots[current].m_nPassKind = PASS_AUDIO;
        ::SendMessageA(p, WM_JOB_PROGRESS, 453, current);
        EXPECT_EQ(harness::Text(::GetDlgItem(p, IDC_STATUS)), "Download MP3:45.3%");
        EXPECT_EQ(::SendMessageA(::GetDlgItem(p, IDC_PROGRESS), PBM_GETPOS, 0, 0), 45);
        ::SendMessageA(p, WM_JOB_PROGRESS, 1000, current);
        EXPECT_EQ(harness::Text(::GetDlgItem(p, IDC_STATUS)), "Download MP3:100.0%");
        EXPECT_EQ(::SendMessageA(::GetDlgItem(p, IDC_PROGRESS), PBM_GETPOS, 0, 0), 100);
        g_DownloadSlots[current].m_nPassKind = PASS_VIDEO;
        ::SendMessageA(p, WM_JOB_PROGRESS, 5, current);
        EXPECT_EQ(harness::Text(::GetDlgItem(p, IDC_STATUS)), "Download Video:0.5%");
        ::SendMessageA(p, WM_JOB_PROGRESS, static_cast<WPARAM>(-1), current); // the end shows nothing here
        EXPECT_EQ(harness::Text(::GetDlgItem(p, IDC_STATUS)), "Download Video:0.5%");
        ::SendMessageA(p, WM_JOB_PROGRESS, 777, (current + 1) % kDownloadSlotCount); // another slot
        EXPECT_EQ(harness::Text(::GetDlgItem(p, IDC_STATUS)), "Download Video:0.5%");
        ::SendMessageA(p, WM_JOB_FINISHED, (current + 1) % kDownloadSlotCount, 0);
        EXPECT_EQ(harness::Text(::GetDlgItem(p, IDC_STATUS)), "Download Video:0.5%");
        ::SendMessageA(p, WM_JOB_FINISHED, current, 0);
        EXPECT_EQ(harness::Text(::GetDlgItem(p, IDC_STATUS)), "Ready.");
        EXPECT_EQ(::SendMessageA(::GetDlgItem(p, IDC_PROGRESS), PBM_GETPOS, 0, 0), 0);
    });
}

TEST_F(DownloadPageTest, EngineErrorOffersTheReportWhichReachesTheServerAndOpensTheLog)
{
    standin::StandinServer server("127.0.0.1", 0);
    ASSERT_TRUE(server.Listening());
    g_strReportUrl = server.Base();
    harness::BoxResponder boxes;
    boxes.Rule("Read Zero Data.", IDYES);
    const std::string input = "http://127.0.0.1:8731/missing.mp4?mp3=http-404";
    RunProgram([&](CCorvaneDlg&, CDownloaderPage& page) {
        PlainMp3(page.Handle());
        Press(page, input, setup.Save());
        ASSERT_TRUE(WaitFinished());
        EXPECT_EQ(Sequence(), "TSF"); // no progress, no end message
    });
    ASSERT_TRUE(server.WaitForRequests(1, 10000, "/php/server/report.php"));
    const auto request = server.RequestsFor("/php/server/report.php").front();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.body.rfind("url=" + UrlEncode(input) + "&log=", 0), 0u);
    EXPECT_NE(request.body.find(UrlEncode("HTTP Error 404")), std::string::npos);
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text.rfind("Read Zero Data. This could be a network/link issue or download core corruption."
                                 "\n\nError Detail:\nERROR: [generic] None: Unable to download webpage: HTTP Error 404",
                                 0),
              0u);
    EXPECT_NE(seen[0].text.find("\n\nWould you like to send this error report to help us fix the issue and open the "
                                "error log?"),
              std::string::npos);
    EXPECT_EQ(Shells(), std::vector<std::string>{"open " + EngineLogPath()});
}

TEST_F(DownloadPageTest, EngineThatCannotStartOffersTheRepair)
{
    struct Case {
        const char* name;
        int answer;
        bool shippedEngine;
        std::vector<std::string> boxes; // after the repair question
        bool file;
    } cases[] = {
        {"repair works", IDYES, true, {"Job completed successfully. Open the directory?"}, true},
        {"repair fails",
         IDYES,
         false,
         {"File Missing or Corrupted: download core", "Can not create downloading."},
         false},
        {"no repair", IDNO, true, {"Can not create downloading."}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        harness::TempDir save;
        log = PageLog{};
        // A broken engine of a plausible size in the tool folder.
        std::string broken(5000001, '\0');
        ASSERT_TRUE(harness::WriteFileBytes(setup.ToolFolder() + "\\youtube-dl.exe", broken));
        const std::string shipped = g_strAppDir + "\\youtube-dl.exe";
        if (!c.shippedEngine)
            ::DeleteFileA(shipped.c_str());
        else if (!Exists(shipped))
            ::CreateHardLinkA(shipped.c_str(), (StandinTools() + "\\youtube-dl.exe").c_str(), nullptr);
        harness::BoxResponder boxes;
        boxes.Rule("Failed to start the download engine.", c.answer);
        boxes.Rule("Job completed successfully", IDNO);
        boxes.SetFallback(IDOK);
        RunProgram([&](CCorvaneDlg&, CDownloaderPage& page) {
            PlainMp3(page.Handle());
            Press(page, "http://h/Demo%20Song.mp4?r=1", save.Path());
            ASSERT_TRUE(WaitFinished());
        });
        const auto seen = boxes.Seen();
        ASSERT_EQ(seen.size(), 1 + c.boxes.size());
        EXPECT_EQ(seen[0].text, "Failed to start the download engine. This could be caused by antivirus software "
                                "blocking or engine corruption.\n\nDo you want to redownload and repair the download "
                                "engine?");
        for (size_t i = 0; i < c.boxes.size(); ++i)
            EXPECT_EQ(seen[1 + i].text, c.boxes[i]);
        EXPECT_EQ(Exists(save.File("Demo Song.mp3")), c.file);
    }
}

TEST_F(DownloadPageTest, LimitsDuplicatesAndRelease)
{
    harness::BoxResponder boxes;
    boxes.SetFallback(IDOK);
    RunProgram([&](CCorvaneDlg&, CDownloaderPage& page) {
        PlainMp3(page.Handle());
        // The same address twice; after the first job released its slot it starts again.
        Press(page, "http://h/same?hold=1", setup.Save());
        ASSERT_TRUE(harness::PumpUntil([&] { return Count(WM_JOB_STARTED) == 1; }, 30000));
        Press(page, "http://h/same?hold=1", setup.Save());
        ASSERT_TRUE(boxes.WaitForCount(1));
        EXPECT_EQ(boxes.Seen()[0].text, "URL already in downloading.");
        harness::Click(::GetDlgItem(page.Handle(), IDC_STOP));
        ASSERT_TRUE(WaitFinished(1));
        EXPECT_EQ(boxes.Seen().back().text, "canceled by user.");
        Press(page, "  http://h/same?hold=1 \t", setup.Save());
        ASSERT_TRUE(harness::PumpUntil([&] { return Count(WM_JOB_STARTED) == 2; }, 30000));
        StopAllDownloads();
        ASSERT_TRUE(WaitFinished(2));
        boxes.Clear();

        // 30 running; the 31st press starts nothing.
        for (int i = 0; i < kDownloadSlotCount; ++i)
            Press(page, "http://h/many" + std::to_string(i) + "?hold=1", setup.Save());
        ASSERT_TRUE(harness::PumpUntil([&] { return Count(WM_JOB_STARTED) == 32; }, 120000));
        EXPECT_EQ(g_nActiveDownloads.load(), kDownloadSlotCount);
        Press(page, "http://h/one-more", setup.Save());
        ASSERT_TRUE(boxes.WaitForCount(1));
        EXPECT_EQ(boxes.Seen()[0].text, "Reach the Max Downloads at a time.");
        harness::PumpFor(300);
        EXPECT_EQ(g_nActiveDownloads.load(), kDownloadSlotCount);
        for (const CWebGrab& slot : g_DownloadSlots)
            EXPECT_NE(slot.m_strUrl, "http://h/one-more");
    });
}

TEST_F(DownloadPageTest, EmbedCodeUnwritableAndDeepFolders)
{
    harness::BoxResponder boxes;
    boxes.Rule("Job completed successfully", IDNO);
    boxes.SetFallback(IDOK);
    harness::TempDir work;
    harness::WriteFileBytes(work.File("plain-file"), "x");
    char desktop[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop);
    const std::string deep = work.File("new\\deep\\er");
    RunProgram([&](CCorvaneDlg&, CDownloaderPage& page) {
        PlainMp3(page.Handle());
        Press(page, "<iframe width=\"560\" src=\"http://h/embed/Demo?mp3=mp3-already\" frameborder=\"0\"></iframe>",
              work.File("plain-file\\sub"));
        ASSERT_TRUE(WaitFinished(1));
        EXPECT_EQ(harness::Text(::GetDlgItem(page.Handle(), IDC_SAVE_TO)), desktop);
        EXPECT_EQ(g_strSavedDir.Get(), desktop);

        Press(page, "http://h/Demo%20Song.mp4?deep=1", deep);
        ASSERT_TRUE(WaitFinished(2));
    });
    ASSERT_GE(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, "Can not write to the saving directory. Will save to your Desktop.");
    const auto calls = setup.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].input, "http://h/embed/Demo?mp3=mp3-already");
    EXPECT_TRUE(Exists(deep + "\\Demo Song.mp3"));
}

TEST_F(DownloadPageTest, UnicodeTitleNamesTheFileAndTheRow)
{
    const std::string title = "Caf\xC3\xA9 \xC3\x9C\xC3\xB1\xC3\xAF \xE6\x9D\xB1\xE4\xBA\xAC";
    setup.WriteTranscript("title-uni", {{10, title + "\n"}});
    setup.WriteTranscript("mp3-uni", {{10, "[download] Destination: " + title + ".mp4\n"},
                                      {20, "\r[download]  50.0% of    3.31MiB at  1.00MiB/s ETA 00:01"},
                                      {30, "\n[ExtractAudio] Destination: " + title + ".mp3\n"}});
    harness::BoxResponder boxes;
    boxes.Rule("Job completed successfully", IDNO);
    RunProgram([&](CCorvaneDlg& dlg, CDownloaderPage& page) {
        PlainMp3(page.Handle());
        Press(page, "http://h/u?title=title-uni&mp3=mp3-uni", setup.Save());
        ASSERT_TRUE(WaitFinished());
        harness::PumpFor(100);
        EXPECT_EQ(Rows(dlg), std::vector<std::string>{"MP3:  " + title + " | Download Finished."});
    });
    EXPECT_TRUE(Exists(setup.Save() + "\\" + title + ".mp3"));
}

} // namespace
