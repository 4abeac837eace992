// Opening a URL with time-outs. Every request of the program has connect, send and receive time-outs,
// so that a server that accepts a connection and then says nothing cannot hold a thread (the window
// thread at start-up included) without end. WinINet takes receive time-outs from the connection and
// request handles only (a root handle's are not passed on by InternetOpenUrl under every
// implementation), so HTTP addresses are opened through a connection of their own.
#pragma once

#include "framework/Handles.h"

#include <windows.h>
#include <wininet.h>

#include <string>

// Short text answers (host list, alive probe, update check, release queries): a few hundred bytes at
// most, so a live server answers well within these; start-up makes at most three of them.
inline constexpr DWORD kShortConnectTimeoutMs = 5000;
inline constexpr DWORD kShortReceiveTimeoutMs = 5000;
// File transfers and the error report: bounds on the connection and on each wait for more data, not
// on the whole transfer, so a large file on a slow line still arrives.
inline constexpr DWORD kTransferConnectTimeoutMs = 15000;
inline constexpr DWORD kTransferReceiveTimeoutMs = 30000;

struct Timeouts {
    DWORD connectMs;
    DWORD receiveMs;
};
inline constexpr Timeouts kShortTimeouts{kShortConnectTimeoutMs, kShortReceiveTimeoutMs};
inline constexpr Timeouts kTransferTimeouts{kTransferConnectTimeoutMs, kTransferReceiveTimeoutMs};

// Sets connect, send and receive time-outs on a WinINet handle.
void ApplyTimeouts(HINTERNET handle, const Timeouts& timeouts) noexcept;

// An opened URL: the request handle to read from, and for HTTP the connection it runs on.
class UrlRequest
{
public:
    HINTERNET Get() const noexcept { return m_request.Get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(m_request); }
    bool IsHttp() const noexcept { return m_http; }
    void Reset() noexcept
    {
        m_request.Reset();
        m_connection.Reset();
    }

private:
    friend UrlRequest OpenUrl(HINTERNET root, const std::string& url, DWORD flags, DWORD_PTR context,
                              const Timeouts& timeouts) noexcept;
    UniqueInternet m_connection; // declared first: the request is closed before its connection
    UniqueInternet m_request;
    bool m_http = false;
};

// Opens `url` through `root` as InternetOpenUrlA would (GET, no extra headers, redirects followed), with
// the time-outs on every handle. Other schemes go through InternetOpenUrlA itself.
UrlRequest OpenUrl(HINTERNET root, const std::string& url, DWORD flags, DWORD_PTR context,
                   const Timeouts& timeouts) noexcept;
