// PLACEHOLDER: minimal body so that everything links; its owner replaces this whole file.
#include "net/ErrorReport.h"

#include "app/Globals.h"

std::string EngineLogPath() { return g_strAppDir + "\\e.dat"; }
std::string ExtractErrorDetail() { return {}; }
std::string ReadLogTail() { return {}; }
std::string UrlEncode(const std::string& text) { return text; }
DWORD WINAPI SendErrorReport(void* data) noexcept
{
    delete static_cast<ErrorReportData*>(data);
    return 0;
}
