// Time-outs of every request the program makes, so that a server that accepts a connection and then
// says nothing cannot hold a thread (the window thread at start-up included) without end.
#pragma once

#include <windows.h>
#include <wininet.h>

// Short text answers (host list, alive probe, update check, release queries): a few hundred bytes at
// most, so a live server answers well within these; start-up makes at most three of them.
inline constexpr DWORD kShortConnectTimeoutMs = 5000;
inline constexpr DWORD kShortReceiveTimeoutMs = 5000;
// File transfers and the error report: bounds on the connection and on each wait for more data, not
// on the whole transfer, so a large file on a slow line still arrives.
inline constexpr DWORD kTransferConnectTimeoutMs = 15000;
inline constexpr DWORD kTransferReceiveTimeoutMs = 30000;

// Sets connect, send and receive time-outs on a root or connection handle; handles opened through it
// take them over.
inline void ApplyTimeouts(HINTERNET handle, DWORD connectMs, DWORD receiveMs) noexcept
{
    ::InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connectMs, sizeof connectMs);
    ::InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &receiveMs, sizeof receiveMs);
    ::InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveMs, sizeof receiveMs);
    ::InternetSetOptionA(handle, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receiveMs, sizeof receiveMs);
}
