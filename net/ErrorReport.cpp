#include "net/ErrorReport.h"

#include "BuildConfig.h"
#include "app/Globals.h"
#include "framework/Handles.h"
#include "net/UrlRequest.h"

#include <wininet.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <share.h>

std::string g_strReportUrl = TASVRIN_REPORT_URL;

namespace
{

constexpr size_t kDetailLimit = 300;
constexpr DWORD kTailBytes = 51200;
constexpr const char* kReportPath = "/php/server/report.php";

struct FileCloser {
    void operator()(FILE* f) const noexcept { std::fclose(f); }
};

std::string Trim(const std::string& s)
{
    const char* space = " \t\r\n\v\f";
    size_t b = s.find_first_not_of(space);
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(space) - b + 1);
}

// One line without its end; false at the end of the file.
bool ReadLine(FILE* f, std::string& line)
{
    line.clear();
    char buf[1024];
    bool any = false;
    while (std::fgets(buf, sizeof buf, f)) {
        any = true;
        line += buf;
        if (!line.empty() && line.back() == '\n')
            break;
    }
    return any;
}

bool ContainsMarker(const std::string& line)
{
    std::string lower = line;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("error:") != std::string::npos;
}

} // namespace

std::string EngineLogPath()
{
    return g_strAppDir + "\\e.dat";
}

std::string ExtractErrorDetail()
{
    std::string detail, last;
    std::unique_ptr<FILE, FileCloser> f(::_fsopen(EngineLogPath().c_str(), "rt", _SH_DENYNO));
    if (f) {
        std::string line;
        bool marked = false;
        while (ReadLine(f.get(), line)) {
            line = Trim(line);
            if (line.empty())
                continue;
            last = line;
            if (ContainsMarker(line)) {
                detail = line;
                marked = true;
            }
        }
        if (!marked)
            detail = last;
    }
    if (detail.size() > kDetailLimit) {
        // Cut on a character boundary, so that a multi-byte UTF-8 letter is not split.
        size_t cut = kDetailLimit;
        while (cut > 0 && (static_cast<unsigned char>(detail[cut]) & 0xC0) == 0x80)
            --cut;
        detail = detail.substr(0, cut) + "...";
    }
    return detail;
}

std::string ReadLogTail()
{
    UniqueFile f(::CreateFileA(EngineLogPath().c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f)
        return {};
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(f.Get(), &size))
        return {};
    DWORD length = static_cast<DWORD>(std::min<LONGLONG>(size.QuadPart, kTailBytes));
    if (size.QuadPart > kTailBytes) {
        LARGE_INTEGER at{};
        at.QuadPart = size.QuadPart - kTailBytes;
        if (!::SetFilePointerEx(f.Get(), at, nullptr, FILE_BEGIN))
            return {};
    }
    std::string buffer(length, '\0');
    DWORD got = 0;
    if (length > 0 && !::ReadFile(f.Get(), buffer.data(), length, &got, nullptr))
        got = 0;
    buffer.resize(got);
    // The tail is text up to its first zero byte.
    size_t zero = buffer.find('\0');
    if (zero != std::string::npos)
        buffer.resize(zero);
    return buffer;
}

std::string UrlEncode(const std::string& text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

namespace
{

void PostReport(const ErrorReportData& data)
{
    char host[256] = {};
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    if (!::InternetCrackUrlA(g_strReportUrl.c_str(), 0, 0, &parts))
        return;
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    INTERNET_PORT port =
        parts.nPort ? parts.nPort : (secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT);

    UniqueInternet root(::InternetOpenA("Brenvoll", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!root)
        return;
    UniqueInternet connection(
        ::InternetConnectA(root.Get(), host, port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection)
        return;
    ApplyTimeouts(connection.Get(), kTransferTimeouts);
    // An expired certificate or one naming another host is accepted for the report.
    const DWORD flags =
        secure ? INTERNET_FLAG_SECURE | INTERNET_FLAG_IGNORE_CERT_DATE_INVALID | INTERNET_FLAG_IGNORE_CERT_CN_INVALID
               : 0;
    UniqueInternet request(
        ::HttpOpenRequestA(connection.Get(), "POST", kReportPath, nullptr, nullptr, nullptr, flags, 1));
    if (!request)
        return;
    ApplyTimeouts(request.Get(), kTransferTimeouts);
    std::string body =
        "url=" + UrlEncode(data.url) + "&log=" + UrlEncode(data.log) + "&version=" + UrlEncode(data.version);
    static const char kHeader[] = "Content-Type: application/x-www-form-urlencoded\r\n";
    if (!::HttpSendRequestA(request.Get(), kHeader, static_cast<DWORD>(sizeof kHeader - 1), body.data(),
                            static_cast<DWORD>(body.size())))
        return;
    DWORD status = 0;
    DWORD size = sizeof status;
    ::HttpQueryInfoA(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
}

} // namespace

DWORD WINAPI SendErrorReport(void* data) noexcept
{
    std::unique_ptr<ErrorReportData> record(static_cast<ErrorReportData*>(data));
    if (!record)
        return 0;
    try {
        PostReport(*record);
    } catch (...) {
        // The report is lost silently, as any failed report is.
    }
    return 0;
}
