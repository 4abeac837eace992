#include "net/WebGrab.h"

#include "app/Globals.h"
#include "app/Messages.h"
#include "net/UrlRequest.h"

#include <cstdio>
#include <ctime>
#include <utility>

namespace
{

std::string Format(const char* format, const std::string& label, double a, double b)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, format, label.c_str(), a, b);
    return buf;
}

// An HTTP answer is usable only with status 200; anything else is an error page, not the file.
bool StatusIsOk(HINTERNET request) noexcept
{
    DWORD status = 0;
    DWORD size = sizeof status;
    return ::HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
           status == 200;
}

// The announced body length, or -1 when the answer gave none.
long long AnnouncedLength(HINTERNET request) noexcept
{
    char text[32] = {};
    DWORD size = sizeof text;
    if (!::HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr))
        return -1;
    char* end = nullptr;
    long long value = std::strtoll(text, &end, 10);
    return end != text && value >= 0 ? value : -1;
}

void ShowBox(const char* text) noexcept
{
    ::MessageBoxA(nullptr, text, g_strAppName.c_str(), MB_OK);
}

} // namespace

CWebGrab::CWebGrab()
{
    ::InitializeCriticalSection(&m_lock);
}

CWebGrab::~CWebGrab()
{
    ClearStatus();
    CloseInternet();
    ::DeleteCriticalSection(&m_lock);
}

bool CWebGrab::DownloadToFile(const char* url, const std::string& destination, const std::string& startText,
                              const std::string& doneText, const char* agent, HWND notify, const std::string& label)
{
    const std::string tempPath = destination + ".tmp";
    UniqueFile temp(
        ::CreateFileA(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!temp) {
        ShowBox("can not open file to save..");
        return false;
    }
    // Every way out below that does not move the file into place removes it.
    auto discard = [&]() noexcept {
        temp.Reset();
        ::DeleteFileA(tempPath.c_str());
        return false;
    };

    if (!m_session && !OpenInternet(agent)) {
        ShowBox("init network error.");
        return discard();
    }
    if (notify)
        m_hwndNotify = notify;
    ClearStatus();
    PostStatusText(startText);

    // The cache is bypassed: a cached copy could hand back an outdated engine when it is being updated.
    UrlRequest request = OpenUrl(m_session.Get(), url,
                                 INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 1,
                                 kTransferTimeouts);
    if (!request)
        return discard();
    const bool http = request.IsHttp();
    if (http && !StatusIsOk(request.Get()))
        return discard();
    const long long announced = http ? AnnouncedLength(request.Get()) : -1;

    const std::time_t start = std::time(nullptr);
    DWORD total = 0;
    unsigned long long received = 0;
    char buffer[4095];
    for (;;) {
        DWORD got = 0;
        if (!::InternetReadFile(request.Get(), buffer, sizeof buffer, &got))
            return discard();
        if (got == 0)
            break;
        DWORD written = 0;
        if (!::WriteFile(temp.Get(), buffer, got, &written, nullptr) || written != got)
            return discard();
        total += got;
        received += got;
        const long long elapsed = static_cast<long long>(std::time(nullptr) - start);
        std::string text;
        if (elapsed > 0) {
            const double speed = static_cast<double>(total / 1024) / static_cast<double>(elapsed);
            if (total >= 0x100000)
                text = Format("%s..   Read %0.01f MBytes (%0.1f KB/s)", label, total / 1048576.0, speed);
            else
                text = Format("%s..   Read %0.01f KBytes (%0.1f KB/s)", label, total / 1024.0, speed);
        } else {
            char buf[512];
            std::snprintf(buf, sizeof buf, "%s..   Read %d Bytes", label.c_str(), static_cast<int>(total));
            text = buf;
        }
        PostProgress(text, total);
        if (m_nStop.load(std::memory_order_relaxed) != 0)
            break;
    }
    request.Reset();
    if (m_nStop.load() != 0)
        return discard();
    // A body that ended before its announced length was cut off: it is not the file.
    if (announced >= 0 && static_cast<unsigned long long>(announced) != received)
        return discard();
    temp.Reset();
    // One step: either the new file stands under the destination name or the old one still does.
    if (!::MoveFileExA(tempPath.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ::DeleteFileA(tempPath.c_str());
        return false;
    }
    PostStatusText(doneText);
    return true;
}

bool CWebGrab::PopStatus(GrabStatus& out)
{
    CAutoLock lock(&m_lock);
    if (m_queue.empty())
        return false;
    out = std::move(m_queue.front());
    m_queue.pop_front();
    return true;
}

void CWebGrab::ClearStatus()
{
    CAutoLock lock(&m_lock);
    m_queue.clear();
}

void CWebGrab::Queue(GrabStatus record)
{
    bool queued = true;
    {
        CAutoLock lock(&m_lock);
        // A progress record that the window has not taken yet is brought up to date instead of being
        // followed by another one: reads arrive faster than a window shows them, and one record (and
        // message) per read let the window fall seconds behind and starve its input.
        if (record.kind == 1 && !m_queue.empty() && m_queue.back().kind == 1) {
            m_queue.back() = std::move(record);
            queued = false;
        } else {
            m_queue.push_back(std::move(record));
        }
    }
    // One message per queued record, posted after the lock is released so the window may take the
    // record at once.
    if (queued && m_hwndNotify)
        ::PostMessageA(m_hwndNotify, WM_GRAB_STATUS, reinterpret_cast<WPARAM>(this), 0);
}

void CWebGrab::PostStatusText(const std::string& text)
{
    Queue(GrabStatus{0, text, -1});
}

void CWebGrab::PostProgress(const std::string& text, DWORD)
{
    Queue(GrabStatus{1, text, -1});
}

bool CWebGrab::OpenInternet(const char* agent)
{
    CloseInternet();
    m_session.Reset(::InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    return static_cast<bool>(m_session);
}

void CWebGrab::CloseInternet() noexcept
{
    m_session.Reset();
}

std::string CWebGrab::GetTitle() const
{
    ::AcquireSRWLockShared(&m_titleLock);
    std::string copy = m_strTitle;
    ::ReleaseSRWLockShared(&m_titleLock);
    return copy;
}

void CWebGrab::SetTitle(const std::string& title)
{
    std::string copy = title;
    ::AcquireSRWLockExclusive(&m_titleLock);
    m_strTitle.swap(copy);
    ::ReleaseSRWLockExclusive(&m_titleLock);
}
