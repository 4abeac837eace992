#include "download/DownloadSlots.h"

CWebGrab g_DownloadSlots[kDownloadSlotCount];

std::atomic<LONG> g_nActiveDownloads{0};
std::atomic<LONG> g_nCurrentSlot{0};
std::atomic<LONG> g_nLastActivePage{0};
std::string g_strLocalAppData;
std::atomic<LONG> g_bToolsReady{0};

void StopAllDownloads() noexcept
{
    for (CWebGrab& slot : g_DownloadSlots)
        slot.SetStopFlag(1);
}
