// Winsock must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "StandinServer.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

namespace standin
{

Answer Answer::Text(std::string body, int status)
{
    Answer a;
    a.status = status;
    a.body = std::move(body);
    return a;
}

Answer Answer::Status(int status, std::string body)
{
    return Text(std::move(body), status);
}

Answer Answer::Hang()
{
    Answer a;
    a.fault = Fault::Hang;
    return a;
}

Answer Answer::Cut(std::string body, size_t sendBytes)
{
    Answer a = Text(std::move(body));
    a.fault = Fault::Cut;
    a.sendBytes = sendBytes;
    return a;
}

Answer Answer::Stall(std::string body, size_t sendBytes)
{
    Answer a = Cut(std::move(body), sendBytes);
    a.fault = Fault::Stall;
    return a;
}

Answer Answer::Slow(std::string body, size_t chunkBytes, DWORD delayMs)
{
    Answer a = Text(std::move(body));
    a.fault = Fault::Slow;
    a.chunkBytes = std::max<size_t>(1, chunkBytes);
    a.delayMs = delayMs;
    return a;
}

Answer Answer::Generated(uint64_t size)
{
    Answer a;
    a.contentType = "application/octet-stream";
    a.generatedSize = size;
    return a;
}

std::string PatternBody(size_t size)
{
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = PatternByte(i);
    return s;
}

namespace
{

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return ::tolower(x) == ::tolower(y); });
}

const char* Reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

struct WinsockUser {
    WinsockUser()
    {
        WSADATA data;
        ok = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockUser()
    {
        if (ok)
            ::WSACleanup();
    }
    bool ok = false;
};

struct Scripted {
    Answer answer;
    int remaining = 0; // 0: unlimited
};

} // namespace

std::string Request::HeaderValue(const std::string& name) const
{
    for (const auto& h : headers)
        if (EqualNoCase(h.name, name))
            return h.value;
    return {};
}

struct StandinServer::Impl {
    WinsockUser winsock;
    std::string address;
    unsigned short port = 0;
    SOCKET listener = INVALID_SOCKET;
    std::atomic<bool> stopping{false};
    std::thread acceptThread;

    mutable std::mutex mutex;
    std::string folder;
    std::string reportDir;
    std::function<void(const Request&)> onRequest;
    std::map<std::string, Scripted> scripts;
    std::vector<Request> requests;
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Worker> workers;
    std::vector<SOCKET> open;
    int reportCount = 0;

    bool Listen(unsigned short wanted);
    void AcceptLoop();
    void Serve(SOCKET s);
    bool ReadRequest(SOCKET s, Request& r);
    bool Choose(const Request& r, Answer& out);
    bool SendAll(SOCKET s, const char* data, size_t size);
    bool SendBody(SOCKET s, const Answer& a, uint64_t from, uint64_t to);
    void WaitQuiet(SOCKET s, DWORD maxMs);
    void StoreReport(const Request& r);
};

bool StandinServer::Impl::Listen(unsigned short wanted)
{
    if (!winsock.ok)
        return false;
    // Only loopback addresses: this server must never be reachable from outside the machine.
    if (address.rfind("127.", 0) != 0)
        return false;
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(wanted);
    if (::inet_pton(AF_INET, address.c_str(), &sa.sin_addr) != 1)
        return false;
    listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET)
        return false;
    // Exclusive use: a second server on the same address and port must fail, not share.
    BOOL exclusive = TRUE;
    ::setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
                 sizeof exclusive);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(listener, 64) != 0) {
        ::closesocket(listener);
        listener = INVALID_SOCKET;
        return false;
    }
    int len = sizeof sa;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &len);
    port = ntohs(sa.sin_port);
    return true;
}

void StandinServer::Impl::AcceptLoop()
{
    while (!stopping) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(listener, &set);
        timeval tv{0, 50 * 1000};
        if (::select(0, &set, nullptr, nullptr, &tv) <= 0)
            continue;
        SOCKET s = ::accept(listener, nullptr, nullptr);
        if (s == INVALID_SOCKET)
            continue;
        std::lock_guard<std::mutex> lock(mutex);
        if (stopping) {
            ::closesocket(s);
            break;
        }
        // Finished connections are joined here, so a long-running server does not pile up threads.
        for (auto it = workers.begin(); it != workers.end();) {
            if (*it->done) {
                it->thread.join();
                it = workers.erase(it);
            } else {
                ++it;
            }
        }
        open.push_back(s);
        auto done = std::make_shared<std::atomic<bool>>(false);
        workers.push_back({std::thread([this, s, done] {
                               Serve(s);
                               *done = true;
                           }),
                           done});
    }
}

bool StandinServer::Impl::ReadRequest(SOCKET s, Request& r)
{
    std::string data;
    char buf[8192];
    size_t headerEnd = std::string::npos;
    while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
        int n = ::recv(s, buf, sizeof buf, 0);
        if (n <= 0 || data.size() > 1024 * 1024)
            return false;
        data.append(buf, n);
    }
    std::string head = data.substr(0, headerEnd);
    std::string rest = data.substr(headerEnd + 4);
    size_t lineEnd = head.find("\r\n");
    std::string line = head.substr(0, lineEnd);
    size_t sp1 = line.find(' ');
    size_t sp2 = line.find(' ', sp1 + 1);
    if (sp1 == std::string::npos || sp2 == std::string::npos)
        return false;
    r.method = line.substr(0, sp1);
    r.target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    // A proxy-style absolute target keeps only its path.
    if (r.target.rfind("http://", 0) == 0) {
        size_t slash = r.target.find('/', 7);
        r.target = slash == std::string::npos ? "/" : r.target.substr(slash);
    }
    size_t q = r.target.find('?');
    r.path = r.target.substr(0, q);
    r.query = q == std::string::npos ? std::string() : r.target.substr(q + 1);
    size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
    while (pos < head.size()) {
        size_t e = head.find("\r\n", pos);
        if (e == std::string::npos)
            e = head.size();
        std::string h = head.substr(pos, e - pos);
        size_t colon = h.find(':');
        if (colon != std::string::npos) {
            size_t v = h.find_first_not_of(" \t", colon + 1);
            r.headers.push_back({h.substr(0, colon), v == std::string::npos ? std::string() : h.substr(v)});
        }
        pos = e + 2;
    }
    size_t length = static_cast<size_t>(std::strtoull(r.HeaderValue("Content-Length").c_str(), nullptr, 10));
    while (rest.size() < length) {
        int n = ::recv(s, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        rest.append(buf, n);
    }
    r.body = rest.substr(0, length);
    r.address = address;
    return true;
}

bool StandinServer::Impl::Choose(const Request& r, Answer& out)
{
    std::lock_guard<std::mutex> lock(mutex);
    for (const std::string& key : {r.target, r.path}) {
        auto it = scripts.find(key);
        if (it == scripts.end())
            continue;
        out = it->second.answer;
        if (it->second.remaining > 0 && --it->second.remaining == 0)
            scripts.erase(it);
        return true;
    }
    if (r.method == "POST" && r.path == paths::kReport) {
        out = Answer::Text("");
        return true;
    }
    if (folder.empty() || r.path.find("..") != std::string::npos || r.path.find('\\') != std::string::npos)
        return false;
    std::string file = folder;
    for (char c : r.path)
        file += c == '/' ? '\\' : c;
    HANDLE h = ::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    ::GetFileSizeEx(h, &size);
    out = Answer::Text(std::string(static_cast<size_t>(size.QuadPart), '\0'));
    out.contentType = "application/octet-stream";
    size_t done = 0;
    while (done < out.body.size()) {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(out.body.size() - done, 1 << 20));
        if (!::ReadFile(h, &out.body[done], want, &got, nullptr) || got == 0)
            break;
        done += got;
    }
    out.body.resize(done);
    ::CloseHandle(h);
    return true;
}

bool StandinServer::Impl::SendAll(SOCKET s, const char* data, size_t size)
{
    while (size > 0) {
        if (stopping)
            return false;
        int n = ::send(s, data, static_cast<int>(std::min<size_t>(size, 1 << 16)), 0);
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

bool StandinServer::Impl::SendBody(SOCKET s, const Answer& a, uint64_t from, uint64_t to)
{
    if (a.generatedSize == 0)
        return SendAll(s, a.body.data() + from, static_cast<size_t>(to - from));
    // The pattern repeats every 61 bytes, so every piece is a slice of one prepared block.
    static const std::string block = PatternBody(61 * 1100);
    constexpr size_t kPiece = 1 << 16;
    for (uint64_t i = from; i < to;) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(kPiece, to - i));
        if (!SendAll(s, block.data() + i % 61, n))
            return false;
        i += n;
    }
    return true;
}

// Keeps a connection open without sending until the client closes it, the time passes or the server
// stops.
void StandinServer::Impl::WaitQuiet(SOCKET s, DWORD maxMs)
{
    DWORD start = ::GetTickCount();
    while (!stopping && (maxMs == INFINITE || ::GetTickCount() - start < maxMs)) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval tv{0, 50 * 1000};
        int ready = ::select(0, &set, nullptr, nullptr, &tv);
        if (ready > 0) {
            char c[512];
            if (::recv(s, c, sizeof c, 0) <= 0)
                return;
        } else if (ready < 0) {
            return;
        }
    }
}

void StandinServer::Impl::StoreReport(const Request& r)
{
    std::string dir;
    int n = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        dir = reportDir;
        n = ++reportCount;
    }
    if (dir.empty())
        return;
    char name[64];
    std::snprintf(name, sizeof name, "\\report-%04d.txt", n);
    HANDLE h =
        ::CreateFileA((dir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(h, r.body.data(), static_cast<DWORD>(r.body.size()), &written, nullptr);
        ::CloseHandle(h);
    }
}

void StandinServer::Impl::Serve(SOCKET s)
{
    Request r;
    if (ReadRequest(s, r)) {
        std::function<void(const Request&)> callback;
        {
            std::lock_guard<std::mutex> lock(mutex);
            requests.push_back(r);
            callback = onRequest;
        }
        if (callback)
            callback(r);
        if (r.method == "POST" && r.path == paths::kReport)
            StoreReport(r);
        Answer a;
        if (!Choose(r, a))
            a = Answer::Status(404, "<html><body>404 Not Found</body></html>");
        if (a.fault == Answer::Fault::Hang) {
            WaitQuiet(s, INFINITE);
        } else {
            uint64_t size = a.generatedSize ? a.generatedSize : a.body.size();
            char head[512];
            int n =
                std::snprintf(head, sizeof head,
                              "HTTP/1.1 %d %s\r\nContent-Type: %s\r\nContent-Length: %llu\r\n"
                              "Cache-Control: no-store\r\nConnection: close\r\n\r\n",
                              a.status, Reason(a.status), a.contentType.c_str(), static_cast<unsigned long long>(size));
            bool ok = SendAll(s, head, static_cast<size_t>(n));
            bool head_only = r.method == "HEAD";
            if (ok && !head_only) {
                switch (a.fault) {
                case Answer::Fault::Cut:
                    SendBody(s, a, 0, std::min<uint64_t>(a.sendBytes, size));
                    break;
                case Answer::Fault::Stall:
                    if (SendBody(s, a, 0, std::min<uint64_t>(a.sendBytes, size)))
                        WaitQuiet(s, INFINITE);
                    break;
                case Answer::Fault::Slow:
                    for (uint64_t i = 0; ok && i < size; i += a.chunkBytes) {
                        ok = SendBody(s, a, i, std::min<uint64_t>(i + a.chunkBytes, size));
                        if (ok && i + a.chunkBytes < size)
                            ::Sleep(a.delayMs);
                    }
                    break;
                default:
                    ok = SendBody(s, a, 0, size);
                    break;
                }
            }
            ::shutdown(s, SD_SEND);
            // Let the client read the end of the answer before the socket goes away.
            if (ok && a.fault != Answer::Fault::Cut && a.fault != Answer::Fault::Stall)
                WaitQuiet(s, 2000);
        }
    }
    std::lock_guard<std::mutex> lock(mutex);
    auto it = std::find(open.begin(), open.end(), s);
    if (it != open.end()) {
        open.erase(it);
        ::closesocket(s);
    }
}

StandinServer::StandinServer(const std::string& address, unsigned short port) : m_impl(std::make_shared<Impl>())
{
    m_impl->address = address;
    if (m_impl->Listen(port))
        m_impl->acceptThread = std::thread([impl = m_impl.get()] { impl->AcceptLoop(); });
}

StandinServer::~StandinServer()
{
    m_impl->stopping = true;
    if (m_impl->acceptThread.joinable())
        m_impl->acceptThread.join();
    if (m_impl->listener != INVALID_SOCKET)
        ::closesocket(m_impl->listener);
    std::vector<Impl::Worker> workers;
    {
        std::lock_guard<std::mutex> lock(m_impl->mutex);
        workers.swap(m_impl->workers);
    }
    for (auto& w : workers)
        w.thread.join();
}

bool StandinServer::Listening() const noexcept
{
    return m_impl->listener != INVALID_SOCKET;
}
unsigned short StandinServer::Port() const noexcept
{
    return m_impl->port;
}
const std::string& StandinServer::Address() const noexcept
{
    return m_impl->address;
}
std::string StandinServer::Base() const
{
    return "http://" + m_impl->address + ":" + std::to_string(m_impl->port);
}

void StandinServer::ServeFolder(const std::string& dir)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->folder = dir;
    while (!m_impl->folder.empty() && (m_impl->folder.back() == '\\' || m_impl->folder.back() == '/'))
        m_impl->folder.pop_back();
}

void StandinServer::Script(const std::string& pathOrTarget, Answer answer, int times)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->scripts[pathOrTarget] = Scripted{std::move(answer), times};
}

void StandinServer::Unscript(const std::string& pathOrTarget)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->scripts.erase(pathOrTarget);
}

void StandinServer::ClearScripts()
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->scripts.clear();
}

std::vector<Request> StandinServer::Requests() const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->requests;
}

std::vector<Request> StandinServer::RequestsFor(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    std::vector<Request> out;
    for (const auto& r : m_impl->requests)
        if (r.path == path)
            out.push_back(r);
    return out;
}

size_t StandinServer::CountFor(const std::string& path) const
{
    return RequestsFor(path).size();
}

void StandinServer::ClearRequests()
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->requests.clear();
}

bool StandinServer::WaitForRequests(size_t count, DWORD timeoutMs, const std::string& path) const
{
    DWORD start = ::GetTickCount();
    for (;;) {
        size_t have = path.empty() ? Requests().size() : CountFor(path);
        if (have >= count)
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(10);
    }
}

void StandinServer::StoreReportsIn(const std::string& dir)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->reportDir = dir;
}

void StandinServer::OnRequest(std::function<void(const Request&)> callback)
{
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->onRequest = std::move(callback);
}

} // namespace standin
