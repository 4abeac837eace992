// PLACEHOLDER: minimal body so that everything links; its owner replaces this whole file.
#include "download/DownloadSlots.h"

DWORD WINAPI DownloadWorker(void* param) noexcept
{
    delete static_cast<JobParam*>(param);
    return 0;
}
bool EnsureFolder(const std::string&) { return false; }
bool CanWriteFolder(const std::string&) { return false; }
