// The HTTP fetcher: fetches one URL into a file through a temporary file and queues status records
// for a window. The download slot table is an array of these objects, so the class also carries the
// fields a download slot needs.
#pragma once

#include "framework/Handles.h"

#include <windows.h>

#include <atomic>
#include <deque>
#include <string>

struct GrabStatus {
    int kind = 0;     // 0 = text only, 1 = transfer progress
    std::string text; // for the status line
    int percent = -1; // -1 = no percentage
};

// Scoped lock of a critical section.
class CAutoLock {
public:
    explicit CAutoLock(CRITICAL_SECTION* cs) noexcept : m_cs(cs) { ::EnterCriticalSection(m_cs); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;
    virtual ~CAutoLock() { ::LeaveCriticalSection(m_cs); }

private:
    CRITICAL_SECTION* m_cs;
};

constexpr int PASS_VIDEO = 0;
constexpr int PASS_AUDIO = 1;

class CWebGrab {
public:
    CWebGrab();
    CWebGrab(const CWebGrab&) = delete;
    CWebGrab& operator=(const CWebGrab&) = delete;
    virtual ~CWebGrab();

    // Fetches `url` into `destination`; true when the whole body now lies there.
    bool DownloadToFile(const char* url, const std::string& destination, const std::string& startText,
                        const std::string& doneText, const char* agent, HWND notify, const std::string& label);
    bool PopStatus(GrabStatus& out);
    void ClearStatus();
    void SetStopFlag(LONG value) noexcept { m_nStop.exchange(value); }
    LONG GetStopFlag() const noexcept { return m_nStop.load(); }

    // --- the stop flag, then the download slot's own fields ---
    std::atomic<LONG> m_nStop{0};
    std::atomic<LONG> m_bInUse{0};
    std::atomic<DWORD> m_dwEnginePid{0};
    char m_szOutput[4096] = {};
    std::string m_strUrl;
    std::string m_strTitle;
    std::atomic<int> m_nPassKind{PASS_AUDIO};
    // Guards m_strTitle, which the window thread reads while a later pass of the worker may store it.
    mutable SRWLOCK m_titleLock = SRWLOCK_INIT;
    std::string GetTitle() const;
    void SetTitle(const std::string& title);

private:
    void PostStatusText(const std::string& text);
    void PostProgress(const std::string& text, DWORD received);
    bool OpenInternet(const char* agent);
    void CloseInternet() noexcept;
    void Queue(GrabStatus record);

    UniqueInternet m_session; // the Internet root, made on the first transfer
    HWND m_hwndNotify = nullptr;
    CRITICAL_SECTION m_lock;
    std::deque<GrabStatus> m_queue;
};
