#include "download/DownloadSlots.h"

#include "app/Globals.h"
#include "app/Messages.h"
#include "app/ShellOpen.h"
#include "download/EngineCommand.h"

#include <memory>

DWORD WINAPI DownloadWorker(void* param) noexcept
{
    std::unique_ptr<JobParam> job(static_cast<JobParam*>(param));
    CWebGrab& slot = g_DownloadSlots[job->nSlot];
    ++g_nActiveDownloads;
    g_nCurrentSlot.exchange(job->nSlot);
    slot.SetStopFlag(0);
    try {
        if (RunJob(*job) == 1 && ::MessageBoxA(job->hwndPage, "Job completed successfully. Open the directory?",
                                               g_strAppName.c_str(), MB_YESNO | MB_ICONINFORMATION) == IDYES)
            ShellOpen("open", g_strSavedDir.Get());
    } catch (...) {
        // A job that failed unexpectedly still releases its slot below.
    }
    slot.ClearStatus();
    ::PostMessageA(job->hwndPage, WM_JOB_FINISHED, static_cast<WPARAM>(job->nSlot), 0);
    slot.m_bInUse = 0;
    --g_nActiveDownloads;
    return 0;
}

bool EnsureFolder(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    std::string full = path;
    if (full.empty() || full.back() != '\\')
        full += '\\';
    // Every prefix that ends before a backslash, shortest first; only the last creation counts.
    bool created = false;
    for (size_t at = full.find('\\'); at != std::string::npos; at = full.find('\\', at + 1))
        created = ::CreateDirectoryA(full.substr(0, at).c_str(), nullptr) != FALSE;
    return created;
}

bool CanWriteFolder(const std::string& path)
{
    char name[MAX_PATH + 16] = {};
    if (::GetTempFileNameA(path.c_str(), "DA", 0, name) == 0)
        return false;
    return ::DeleteFileA(name) != FALSE;
}
