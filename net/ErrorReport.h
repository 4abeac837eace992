// The engine log and the error report built from it.
#pragma once

#include <windows.h>

#include <string>

struct ErrorReportData {
    std::string log;
    std::string url;
    std::string version;
};

// Scheme, host and port of the report server. Starts as the build's address; tests may point it
// elsewhere.
extern std::string g_strReportUrl;

std::string EngineLogPath(); // g_strAppDir + "\e.dat"
std::string ExtractErrorDetail();
std::string ReadLogTail();
std::string UrlEncode(const std::string& text);
// Thread entry: takes ownership of an ErrorReportData* and posts it to the report server.
DWORD WINAPI SendErrorReport(void* data) noexcept;
