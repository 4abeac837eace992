// The download page's job commands and the messages that download workers post to it.
#include "download/DownloaderPage.h"

#include "app/CorvaneApp.h"
#include "app/CorvaneDlg.h"
#include "app/Globals.h"
#include "app/UrlMsgDlg.h"
#include "app/Messages.h"
#include "download/DownloadSlots.h"
#include "framework/Thread.h"
#include "multi/MultipleDownPage.h"
#include "res/DownloaderPage.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>

namespace
{

constexpr char kMaxDownloadsText[] = "Reach the Max Downloads at a time.";

MultipleDownPage* MultiplePage() noexcept
{
    CCorvaneDlg* main = MainDialog();
    return main ? main->GetMultiplePage() : nullptr;
}

std::string Trim(const std::string& text)
{
    const char* space = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(space);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// Pasted embed code becomes the first address in it.
std::string FirstAddressOfEmbedCode(std::string text)
{
    if (text.find("iframe") == std::string::npos || text.find("http") == std::string::npos)
        return text;
    text = text.substr(text.find("http"));
    const size_t quote = text.find('"');
    return quote == std::string::npos ? text : text.substr(0, quote);
}

std::string DesktopFolder()
{
    char path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

std::string ProgressText(int passKind, int tenths)
{
    char number[32];
    std::snprintf(number, sizeof(number), "%.1f%%", tenths / 10.0);
    return std::string(passKind == PASS_AUDIO ? "Download MP3:" : "Download Video:") + number;
}

} // namespace

void CDownloaderPage::OnDownload()
{
    if (g_nActiveDownloads.load() == kDownloadSlotCount) {
        ::MessageBoxA(nullptr, kMaxDownloadsText, g_strAppName.c_str(), MB_OK);
        return;
    }
    std::string input = Trim(GetItemText(IDC_URL));
    if (input.empty()) {
        UrlMsgDlg help;
        help.DoModal(m_hwnd);
        return;
    }
    input = FirstAddressOfEmbedCode(input);
    for (const CWebGrab& slot : g_DownloadSlots) {
        if (slot.m_bInUse.load() != 0 && slot.m_strUrl == input) {
            ::MessageBoxA(m_hwnd, "URL already in downloading.", g_strAppName.c_str(), MB_OK | MB_ICONINFORMATION);
            return;
        }
    }
    int index = -1;
    for (int i = 0; i < kDownloadSlotCount && index < 0; ++i) {
        if (g_DownloadSlots[i].m_bInUse.load() == 0)
            index = i;
    }
    if (index < 0) {
        ::MessageBoxA(nullptr, kMaxDownloadsText, g_strAppName.c_str(), MB_OK);
        return;
    }
    CWebGrab& slot = g_DownloadSlots[index];
    slot.m_bInUse = 1;
    slot.m_strUrl = input;
    slot.SetTitle({});
    auto* job = new JobParam{m_hwnd, index};

    std::string folder = GetItemText(IDC_SAVE_TO);
    g_strSavedDir.Set(folder);
    if (!EnsureFolder(folder) || !CanWriteFolder(folder)) {
        ::MessageBoxA(m_hwnd, "Can not write to the saving directory. Will save to your Desktop.", g_strAppName.c_str(),
                      MB_OK | MB_ICONINFORMATION);
        folder = DesktopFolder();
        g_strSavedDir.Set(folder);
        SetItemText(IDC_SAVE_TO, folder);
    }

    if (!StartThread(&DownloadWorker, job)) {
        // Nothing runs for the slot: give it and the parameter back.
        delete job;
        slot.m_bInUse = 0;
        return;
    }
    Item(IDC_STOP).Enable(true);
    SetStatusText("Starting Analysis. Please wait..");
    Item(IDC_PROGRESS).Send(PBM_SETPOS, 0);
}

void CDownloaderPage::OnStop()
{
    g_DownloadSlots[g_nCurrentSlot.load()].SetStopFlag(1);
    if (MultipleDownPage* multi = MultiplePage())
        multi->RemoveCurrentTaskRow();
}

void CDownloaderPage::OnGrabStatus(WPARAM w, LPARAM)
{
    auto* grab = reinterpret_cast<CWebGrab*>(w);
    GrabStatus record;
    if (!grab || !grab->PopStatus(record))
        return;
    SetStatusText(record.text);
    if (record.kind == 1)
        Item(IDC_PROGRESS).Send(PBM_SETPOS, static_cast<WPARAM>(record.percent));
}

void CDownloaderPage::OnJobProgress(WPARAM w, LPARAM l)
{
    const int index = static_cast<int>(l);
    if (index < 0 || index >= kDownloadSlotCount)
        return;
    const CWebGrab& slot = g_DownloadSlots[index];
    const auto value = static_cast<INT_PTR>(w);
    const bool isProgress = value >= 0 && value <= 1000;
    std::string text;
    if (value == -1)
        text = "Download Finished.";
    else if (isProgress)
        text = ProgressText(slot.m_nPassKind.load(), static_cast<int>(value));
    else
        text = reinterpret_cast<const char*>(w);
    if (MultipleDownPage* multi = MultiplePage())
        multi->SetTaskStatus(text, slot.m_dwEnginePid.load());
    if (value == -1 || index != g_nCurrentSlot.load())
        return;
    if (isProgress)
        Item(IDC_PROGRESS).Send(PBM_SETPOS, static_cast<WPARAM>(value / 10));
    SetStatusText(text);
}

void CDownloaderPage::OnJobStarted(WPARAM, LPARAM l)
{
    const int index = static_cast<int>(l);
    if (index < 0 || index >= kDownloadSlotCount)
        return;
    const CWebGrab& slot = g_DownloadSlots[index];
    const std::string text = (slot.m_nPassKind.load() == PASS_AUDIO ? "MP3:  " : "Video:  ") + slot.GetTitle();
    if (MultipleDownPage* multi = MultiplePage())
        multi->AddTaskRow(text, slot.m_dwEnginePid.load());
}

void CDownloaderPage::OnJobFinished(WPARAM w, LPARAM)
{
    if (static_cast<LONG>(w) != g_nCurrentSlot.load())
        return;
    Item(IDC_STOP).Enable(false);
    Item(IDC_DOWNLOAD).Enable(true);
    Item(IDC_PROGRESS).Send(PBM_SETPOS, 0);
    SetStatusText("Ready.");
    ::UpdateWindow(m_hwnd);
}
