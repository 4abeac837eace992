// The multiple download page inside the real main window, fed through the download page's job
// messages as download workers post them.
#include "app/CorvaneApp.h"
#include "app/CorvaneDlg.h"
#include "app/Globals.h"
#include "app/Messages.h"
#include "app/ShellOpen.h"
#include "res/MultipleDownPage.h"
#include "download/DownloadSlots.h"
#include "download/DownloaderPage.h"
#include "download/EngineRunner.h"
#include "multi/MultipleDownPage.h"
#include "multi/XListCtrl.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace
{
std::map<UINT_PTR, std::function<void()>>& Pending()
{
    static std::map<UINT_PTR, std::function<void()>> pending;
    return pending;
}

void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    auto it = Pending().find(id);
    if (it == Pending().end())
        return;
    auto fn = std::move(it->second);
    Pending().erase(it);
    fn();
}

void Later(std::function<void()> fn, UINT ms)
{
    Pending()[::SetTimer(nullptr, 0, ms, &Fire)] = std::move(fn);
}

// Runs the program's start-up; `body` runs inside the main window's modal loop once it shows.
bool RunMainWindow(const std::function<void(CCorvaneDlg&)>& body)
{
    bool shown = false;
    int tries = 0;
    std::function<void()> poll = [&]() {
        CCorvaneDlg* dlg = MainDialog();
        if (dlg && dlg->Handle() && ::IsWindowVisible(dlg->Handle())) {
            shown = true;
            body(*dlg);
            g_nActiveDownloads = 0;
            if (MainDialog() && MainDialog()->Handle())
                ::PostMessageA(MainDialog()->Handle(), WM_CLOSE, 0, 0);
            return;
        }
        if (++tries < 500)
            Later(poll, 10);
    };
    Later(poll, 10);
    theApp.InitInstance();
    theApp.ExitInstance();
    return shown;
}

void StartedJob(HWND downloadPage, int slot, int passKind, const std::string& title, DWORD pid)
{
    g_DownloadSlots[slot].m_nPassKind = passKind;
    g_DownloadSlots[slot].SetTitle(title);
    g_DownloadSlots[slot].m_dwEnginePid = pid;
    g_DownloadSlots[slot].m_bInUse = 1;
    ::SendMessageA(downloadPage, WM_JOB_STARTED, 0, slot);
}

std::vector<std::string> Column(CXListCtrl& list, int col)
{
    std::vector<std::string> texts;
    for (int r = 0; r < list.GetItemCount(); ++r)
        texts.push_back(list.GetItemText(r, col));
    return texts;
}
} // namespace

TEST(MultiPageInMainWindow, JobMessagesMakeRowsAndStatuses)
{
    harness::CleanRegistry();
    harness::BoxResponder boxes;
    boxes.SetFallback(IDOK);
    const bool shown = RunMainWindow([&](CCorvaneDlg& dlg) {
        MultipleDownPage* multi = dlg.GetMultiplePage();
        CDownloaderPage* down = dlg.GetDownloaderPage();
        ASSERT_TRUE(multi && down && multi->List());
        dlg.GetSheet().SetActivePage(1);
        EXPECT_EQ(g_nLastActivePage.load(), 1);
        CXListCtrl& list = *multi->List();
        const HWND page = down->Handle();

        g_nCurrentSlot = 2;
        StartedJob(page, 2, PASS_AUDIO, "First song", 501);
        StartedJob(page, 3, PASS_VIDEO, "Second clip", 502);
        StartedJob(page, 4, PASS_VIDEO, "Third clip, a much longer title that runs on and on", 503);
        StartedJob(page, 5, PASS_AUDIO, "Fourth song", 504);
        EXPECT_EQ(Column(list, 0),
                  (std::vector<std::string>{"MP3:  First song", "Video:  Second clip",
                                            "Video:  Third clip, a much longer title that runs on and on",
                                            "MP3:  Fourth song"}));
        ::SendMessageA(page, WM_JOB_PROGRESS, 425, 2);
        ::SendMessageA(page, WM_JOB_PROGRESS, 1000, 3);
        ::SendMessageA(page, WM_JOB_PROGRESS, static_cast<WPARAM>(-1), 3);
        ::SendMessageA(page, WM_JOB_PROGRESS, 77, 4);

        // Slot 4's task ends; a new job takes the slot and reports before its engine starts: the
        // report lands on the row of the slot's previous engine run.
        g_DownloadSlots[4].m_bInUse = 0;
        g_DownloadSlots[4].m_bInUse = 1;
        ::SendMessageA(page, WM_JOB_PROGRESS, reinterpret_cast<WPARAM>(kFetchingTitleText), 4);
        EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"Download MP3:42.5%", "Download Finished.",
                                                             "Wait, Fetching Video Title..", ""}));
        list.SelectRow(3, FALSE);

        // Stop on the download page removes the current slot's row.
        g_nCurrentSlot = 5;
        down->OnStop();
        EXPECT_EQ(list.GetItemCount(), 3);
        EXPECT_EQ(g_DownloadSlots[5].GetStopFlag(), 1);
        StartedJob(page, 5, PASS_AUDIO, "Fifth song", 505);
        ::SendMessageA(page, WM_JOB_PROGRESS, 5, 5);
        list.SelectRow(1, FALSE);

        // Open performs the download page's Open: the save folder in the explorer view.
        std::vector<std::string> opened;
        SetShellOpenHook([&](const std::string& verb, const std::string& target) {
            opened.push_back(verb + " " + target);
            return true;
        });
        multi->Item(IDC_OPEN_FOLDER).Send(BM_CLICK);
        SetShellOpenHook({});
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0].rfind("explore ", 0), 0u) << opened[0];
        EXPECT_NE(opened[0].size(), std::string("explore ").size());

        auto pic = harness::RenderClient(multi->Handle());
        pic->SaveBmp(harness::ShotPath("multipage_main.bmp"));
        if (const char* hold = std::getenv("TASVRIN_HOLD_MS"))
            harness::PumpFor(static_cast<DWORD>(std::atoi(hold)));
        for (int i = 0; i < kDownloadSlotCount; ++i) {
            g_DownloadSlots[i].m_bInUse = 0;
            g_DownloadSlots[i].SetStopFlag(0);
        }
    });
    EXPECT_TRUE(shown);
}
