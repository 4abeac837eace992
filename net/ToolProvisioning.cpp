// PLACEHOLDER: minimal body so that everything links; its owner replaces this whole file.
#include "net/ToolProvisioning.h"

#include "download/DownloadSlots.h"

std::string ToolFolder() { return g_strLocalAppData + "\\RuzAro"; }
bool EnsureTools(HWND) { return false; }
bool CheckVcRuntime(HWND) { return false; }
