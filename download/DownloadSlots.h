// The table of concurrent downloads, the counters shared with the pages, and the worker thread.
#pragma once

#include "net/WebGrab.h"

#include <windows.h>

#include <atomic>
#include <string>

constexpr int kDownloadSlotCount = 30;
extern CWebGrab g_DownloadSlots[kDownloadSlotCount];

struct JobParam {
    HWND hwndPage = nullptr;
    int nSlot = 0;
};

extern std::atomic<LONG> g_nActiveDownloads;
extern std::atomic<LONG> g_nCurrentSlot;
extern std::atomic<LONG> g_nLastActivePage;
extern std::string g_strLocalAppData; // set once by the download page at start-up
extern std::atomic<LONG> g_bToolsReady;

// Sets the stop flag of every slot (closing the main window).
void StopAllDownloads() noexcept;

// The worker thread procedure; owns and frees `param` (a JobParam*).
DWORD WINAPI DownloadWorker(void* param) noexcept;

bool EnsureFolder(const std::string& path);
bool CanWriteFolder(const std::string& path);
