#include "net/UpdateCheck.h"

#include "BuildConfig.h"
#include "app/Globals.h"
#include "app/ShellOpen.h"
#include "framework/Handles.h"
#include "framework/Thread.h"
#include "net/UrlRequest.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

std::string g_strHostListUrl = TASVRIN_HOSTLIST_URL;
std::string g_strCdnBase = TASVRIN_CDN_BASE;
std::string g_strFallbackBase = TASVRIN_FALLBACK_BASE;

namespace
{

// Every short request: fresh from the server, never cached, answered as text.
constexpr DWORD kShortRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_TRANSFER_ASCII;
constexpr DWORD kAnswerCapacity = 1023;

UniqueInternet OpenRoot(const std::string& agent)
{
    return UniqueInternet(::InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
}

// An HTTP answer other than 200 counts as not opened: its body is an error page, not an answer (read as
// one, a missing update script would tell the user that the program is up to date).
UrlRequest OpenShort(const UniqueInternet& root, const std::string& url)
{
    UrlRequest request = OpenUrl(root.Get(), url, kShortRequestFlags, 0, kShortTimeouts);
    if (request && request.IsHttp()) {
        DWORD status = 0;
        DWORD size = sizeof status;
        if (!::HttpQueryInfoA(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                              nullptr) ||
            status != 200)
            request.Reset();
    }
    return request;
}

std::string VersionAgent()
{
    return g_strAppName + g_strVersion;
}

// Decimal number as the answers are read: leading white space, optional sign, digits up to the first
// other character; no digits give 0.
int Number(const char* text) noexcept
{
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

std::vector<std::string> SplitFields(const std::string& text)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t bar = text.find('|', start);
        fields.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos)
            return fields;
        start = bar + 1;
    }
}

std::string Field(const std::vector<std::string>& fields, size_t i)
{
    return i < fields.size() ? fields[i] : "";
}

std::string Trim(const std::string& s)
{
    const char* space = " \t\r\n\v\f";
    size_t b = s.find_first_not_of(space);
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(space) - b + 1);
}

// The host part of a base URL: no scheme, no port, no path.
std::string HostOf(const std::string& base)
{
    size_t start = base.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    size_t end = base.find_first_of(":/?#", start);
    return base.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// Reads a short answer into `out`; false when unreadable (too long, 0xFF).
bool ReadShortAnswer(HINTERNET file, std::string& out)
{
    char buffer[kAnswerCapacity + 1];
    DWORD length = 0;
    if (!ReadResponse(file, buffer, kAnswerCapacity, length))
        return false;
    buffer[length] = '\0';
    out.assign(buffer, length);
    return true;
}

// The information page of an answer is opened only as a web address: a local file, a share or any
// other scheme named by the server must not be started on this machine.
bool IsWebAddress(const std::string& url)
{
    auto starts = [&](const char* prefix) {
        size_t n = std::strlen(prefix);
        return url.size() > n && ::_strnicmp(url.c_str(), prefix, n) == 0;
    };
    return starts("http://") || starts("https://");
}

void OpenInformation(const std::string& url)
{
    if (IsWebAddress(url))
        ShellOpen("", url);
}

void InfoBox(const char* text)
{
    ::MessageBoxA(nullptr, text, g_strAppName.c_str(), MB_OK | MB_ICONINFORMATION);
}

} // namespace

bool ReadResponse(HINTERNET file, char* buffer, DWORD capacity, DWORD& length)
{
    std::memset(buffer, 0, capacity);
    length = 0;
    // The text is looked at up to its first zero byte.
    auto hasFF = [&] { return std::memchr(buffer, '\xFF', ::strnlen(buffer, capacity)) != nullptr; };
    for (;;) {
        char piece[512];
        DWORD got = 0;
        if (!::InternetReadFile(file, piece, sizeof piece, &got))
            got = 0;
        if (got == 0)
            break;
        if (length + got > capacity)
            return false;
        std::memcpy(buffer + length, piece, got);
        length += got;
        if (hasFF())
            return false;
    }
    return !hasFF();
}

bool IsServerAlive()
{
    UniqueInternet root = OpenRoot(g_strAppName);
    UrlRequest file = OpenShort(root, g_strServerBase + "/php/alive.php");
    if (!file)
        return false;
    std::string answer;
    return ReadShortAnswer(file.Get(), answer) && answer.size() >= 2 && answer[0] == 'o' && answer[1] == 'k';
}

void SelectUpdateServer()
{
    g_strServerBase = g_strCdnBase;
    UniqueInternet root = OpenRoot(g_strAppName);
    UrlRequest file = OpenShort(root, g_strHostListUrl);
    if (file) {
        std::string answer;
        if (ReadShortAnswer(file.Get(), answer) && !answer.empty())
            ReplaceAll(g_strServerBase, HostOf(g_strCdnBase), Trim(answer));
        file.Reset();
        if (IsServerAlive())
            return;
        g_strServerBase = g_strCdnBase;
    }
    if (!IsServerAlive())
        g_strServerBase = g_strFallbackBase;
}

bool GetOwnVersion(DWORD& high, DWORD& low)
{
    char path[MAX_PATH + 1] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0)
        return false;
    std::vector<char> block(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!::GetFileVersionInfoA(path, 0, size, block.data()) ||
        !::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &len) || !info ||
        len < sizeof(VS_FIXEDFILEINFO))
        return false;
    high = info->dwFileVersionMS;
    low = info->dwFileVersionLS;
    return true;
}

bool QueryToolRelease(const std::string& url, std::string& downloadUrl, SYSTEMTIME& released)
{
    UniqueInternet root = OpenRoot(VersionAgent());
    UrlRequest file = OpenShort(root, url);
    if (!file)
        return false;
    std::string answer;
    if (!ReadShortAnswer(file.Get(), answer) || answer.empty())
        return false;
    if (answer.size() > 2 && answer.compare(0, 3, "\xEF\xBB\xBF") == 0)
        answer.erase(0, 3);
    const std::vector<std::string> f = SplitFields(answer);
    const int year = Number(Field(f, 0).c_str());
    const int month = Number(Field(f, 1).c_str());
    const int day = Number(Field(f, 2).c_str());
    const int hour = Number(Field(f, 3).c_str());
    const int minute = Number(Field(f, 4).c_str());
    if (year < 1970 || year > 3000 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59)
        return false;
    // Local time with daylight saving left to the system; a day past the month's end rolls over.
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1))
        return false;
    const std::tm* local = std::localtime(&t);
    if (!local)
        return false;
    released = {};
    released.wYear = static_cast<WORD>(local->tm_year + 1900);
    released.wMonth = static_cast<WORD>(local->tm_mon + 1);
    released.wDayOfWeek = static_cast<WORD>(local->tm_wday);
    released.wDay = static_cast<WORD>(local->tm_mday);
    released.wHour = static_cast<WORD>(local->tm_hour);
    released.wMinute = static_cast<WORD>(local->tm_min);
    downloadUrl = Field(f, 5);
    return true;
}

void CUpdateCheck::Check(const std::string& url)
{
    DWORD ownHigh = 0, ownLow = 0;
    if (!GetOwnVersion(ownHigh, ownLow))
        return;
    char query[64];
    std::snprintf(query, sizeof query, "?m=%lx&s=%lx", static_cast<unsigned long>(ownHigh),
                  static_cast<unsigned long>(ownLow));
    std::string answer;
    bool readable = false;
    {
        UniqueInternet root = OpenRoot(VersionAgent());
        UrlRequest file = OpenShort(root, url + query);
        if (!file) {
            OnCheckError(ownHigh, ownLow);
            return;
        }
        readable = ReadShortAnswer(file.Get(), answer);
    }
    if (!readable)
        return;
    if (answer.empty()) {
        OnCheckError(ownHigh, ownLow);
        return;
    }
    size_t offset = 0;
    while (offset < answer.size() && Number(answer.c_str() + offset) == 0)
        ++offset;
    const DWORD major = static_cast<DWORD>(Number(Field(SplitFields(answer.substr(offset)), 0).c_str()));
    const std::vector<std::string> fields = SplitFields(answer);
    const DWORD minor = static_cast<DWORD>(Number(Field(fields, 1).c_str()));
    const DWORD announced = (major & 0xFFFF) << 16 | (minor & 0xFFFF);
    if (announced > ownHigh)
        OnUpdateAvailable(ownHigh, ownLow, announced, 0, Field(fields, 2), Field(fields, 3));
    else
        OnUpToDate(ownHigh, ownLow);
}

void CUpdateCheck::CheckFromResource(UINT stringId)
{
    char text[4096] = {};
    ::LoadStringA(::GetModuleHandleA(nullptr), stringId & 0xFFFF, text, sizeof text);
    Check(text);
}

void CUpdateCheck::OnUpdateAvailable(DWORD ownHigh, DWORD, DWORD newHigh, DWORD, const std::string& infoUrl,
                                     const std::string& mandatory)
{
    if (mandatory == "yes") {
        InfoBox("This version has expired, please upgrade to the latest version. Exiting..");
        OpenInformation(infoUrl);
        ::ExitProcess(1);
    }
    char text[512];
    std::snprintf(text, sizeof text,
                  "You currently use version %u.%u of this program. The newest version %u.%u is available online "
                  "for Free. Do you want to see more information?",
                  HIWORD(ownHigh), LOWORD(ownHigh), HIWORD(newHigh), LOWORD(newHigh));
    if (::MessageBoxA(nullptr, text, g_strAppName.c_str(), MB_YESNO | MB_ICONINFORMATION) == IDYES)
        OpenInformation(infoUrl);
}

void CUpdateCheck::OnUpToDate(DWORD, DWORD)
{
    if (m_bInteractive)
        InfoBox("You already have the latest version installed.");
}

void CUpdateCheck::OnCheckError(DWORD, DWORD)
{
    if (m_bInteractive)
        InfoBox("Unable to check for updates.");
}

void StartStartupUpdateCheck()
{
    StartThread([] {
        ::Sleep(10000);
        CUpdateCheck check(0);
        check.Check(g_strServerBase + "/php/update.php");
    });
}

void StartInteractiveUpdateCheck()
{
    StartThread(
        [] {
            CUpdateCheck check(1);
            check.Check(g_strServerBase + "/php/update.php");
        },
        [] { InfoBox("Unable to check for updates."); });
}
