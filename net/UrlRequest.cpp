#include "net/UrlRequest.h"

#include <vector>

void ApplyTimeouts(HINTERNET handle, const Timeouts& timeouts) noexcept
{
    DWORD connect = timeouts.connectMs;
    DWORD receive = timeouts.receiveMs;
    ::InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    ::InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof receive);
    ::InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

UrlRequest OpenUrl(HINTERNET root, const std::string& url, DWORD flags, DWORD_PTR context,
                   const Timeouts& timeouts) noexcept
{
    UrlRequest result;
    if (!root)
        return result;
    try {
        std::vector<char> host(url.size() + 1), path(url.size() + 1), extra(url.size() + 1);
        URL_COMPONENTSA parts{};
        parts.dwStructSize = sizeof parts;
        parts.lpszHostName = host.data();
        parts.dwHostNameLength = static_cast<DWORD>(host.size());
        parts.lpszUrlPath = path.data();
        parts.dwUrlPathLength = static_cast<DWORD>(path.size());
        parts.lpszExtraInfo = extra.data();
        parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
        const bool cracked = ::InternetCrackUrlA(url.c_str(), 0, 0, &parts) != FALSE;
        const bool http = cracked && (parts.nScheme == INTERNET_SCHEME_HTTP || parts.nScheme == INTERNET_SCHEME_HTTPS);
        if (!http) {
            ApplyTimeouts(root, timeouts);
            result.m_request.Reset(::InternetOpenUrlA(root, url.c_str(), nullptr, 0, flags, context));
            return result;
        }
        const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
        result.m_connection.Reset(
            ::InternetConnectA(root, host.data(), parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, context));
        if (!result.m_connection)
            return result;
        ApplyTimeouts(result.m_connection.Get(), timeouts);
        std::string object = std::string(path.data()) + extra.data();
        // A fragment names a place in the page; it is not sent to the server.
        object = object.substr(0, object.find('#'));
        if (object.empty())
            object = "/";
        result.m_request.Reset(::HttpOpenRequestA(result.m_connection.Get(), "GET", object.c_str(), nullptr, nullptr,
                                                  nullptr, flags | (secure ? INTERNET_FLAG_SECURE : 0), context));
        if (!result.m_request) {
            result.Reset();
            return result;
        }
        ApplyTimeouts(result.m_request.Get(), timeouts);
        if (!::HttpSendRequestA(result.m_request.Get(), nullptr, 0, nullptr, 0)) {
            result.Reset();
            return result;
        }
        result.m_http = true;
    } catch (...) {
        result.Reset();
    }
    return result;
}
