// A small HTTP/1.1 server that stands in for the update, host-list and report servers. It listens on
// one loopback address (127.0.0.x) only, answers from a folder and from scripted answers, can misbehave
// on request (error status, no answer, body cut short, slow body) and records every request.
//
//   standin::StandinServer cdn("127.0.0.2");          // port 0: any free port
//   standin::StandinServer hosts("127.0.0.3", cdn.Port());
//   cdn.ServeFolder(dir);
//   cdn.Script("/php/alive.php", standin::Answer::Text("ok"));
//   ... cdn.Requests() ...
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace standin
{

// One scripted answer.
struct Answer {
    enum class Fault {
        None,  // the whole answer
        Hang,  // read the request, then send nothing until the client gives up or the server stops
        Cut,   // announce the whole body, send `sendBytes` of it, close the connection
        Stall, // announce the whole body, send `sendBytes` of it, then send nothing more (keep it open)
        Slow,  // send the body in pieces of `chunkBytes` with `delayMs` between them
    };
    int status = 200;
    std::string body;
    std::string contentType = "text/plain";
    Fault fault = Fault::None;
    size_t sendBytes = 0;
    size_t chunkBytes = 0;
    DWORD delayMs = 0;
    // When non-zero the body is this many bytes of PatternByte(0..n-1), made while sending, so that
    // very large bodies need no memory.
    uint64_t generatedSize = 0;

    static Answer Text(std::string body, int status = 200);
    static Answer Status(int status, std::string body);
    static Answer Hang();
    static Answer Cut(std::string body, size_t sendBytes);
    static Answer Stall(std::string body, size_t sendBytes);
    static Answer Slow(std::string body, size_t chunkBytes, DWORD delayMs);
    static Answer Generated(uint64_t size);
};

// The byte at offset i of a generated body.
inline char PatternByte(uint64_t i) noexcept
{
    return static_cast<char>('0' + (i % 61));
}
std::string PatternBody(size_t size);

struct Header {
    std::string name;
    std::string value;
};

// One request as it arrived.
struct Request {
    std::string address; // the server address that received it
    std::string method;
    std::string target; // path and query as sent
    std::string path;
    std::string query; // without the "?"
    std::vector<Header> headers;
    std::string body;
    // The value of a header (name case-insensitive), empty when absent.
    std::string HeaderValue(const std::string& name) const;
    std::string Agent() const { return HeaderValue("User-Agent"); }
};

class StandinServer
{
public:
    // Listens on address:port at once; port 0 takes a free port. Listening() tells whether it worked.
    explicit StandinServer(const std::string& address = "127.0.0.1", unsigned short port = 0);
    ~StandinServer();
    StandinServer(const StandinServer&) = delete;
    StandinServer& operator=(const StandinServer&) = delete;

    bool Listening() const noexcept;
    unsigned short Port() const noexcept;
    const std::string& Address() const noexcept;
    // "http://address:port", the base URL of this server.
    std::string Base() const;

    // Files below `dir` answer GET requests by path ("/download/updates/ffmpeg.exe" is
    // dir\download\updates\ffmpeg.exe); the query string plays no part.
    void ServeFolder(const std::string& dir);
    // A scripted answer for a path (query ignored) or a full target with query (matched first).
    // It stays until replaced or cleared; `times` > 0 makes it answer only that many requests.
    void Script(const std::string& pathOrTarget, Answer answer, int times = 0);
    void Unscript(const std::string& pathOrTarget);
    void ClearScripts();

    std::vector<Request> Requests() const;
    std::vector<Request> RequestsFor(const std::string& path) const;
    size_t CountFor(const std::string& path) const;
    void ClearRequests();
    // Waits (sleeping, not pumping) until `count` requests for `path` (any path when empty) arrived.
    bool WaitForRequests(size_t count, DWORD timeoutMs, const std::string& path = {}) const;
    // Where POST bodies of the report path are also written, one file each (optional).
    void StoreReportsIn(const std::string& dir);
    // Called (on the connection's thread) for every request as it arrives, e.g. to print a log.
    void OnRequest(std::function<void(const Request&)> callback);

    struct Impl;

private:
    std::shared_ptr<Impl> m_impl;
};

// The paths of the update contract, as this system requests them.
namespace paths
{
inline constexpr const char* kAlive = "/php/alive.php";
inline constexpr const char* kUpdate = "/php/update.php";
inline constexpr const char* kEngineRelease = "/php/CheckUpdateFile/zoz2.php";
inline constexpr const char* kDenoRelease = "/php/CheckUpdateFile/deno2.php";
inline constexpr const char* kDownloads = "/download/updates/";
inline constexpr const char* kReport = "/php/server/report.php";
inline constexpr const char* kFaqs = "/faqs.html";
} // namespace paths

// What MakeStaticTree puts into the answers.
struct TreeOptions {
    std::string base;    // the server base the tree will be reached at, e.g. "https://cdn.example.com"
    unsigned major = 10; // announced program version
    unsigned minor = 9;
    std::string infoUrl; // information page of an update; base + "/faqs.html" when empty
    bool mandatory = false;
    std::string hostListHost; // when not empty, host.txt naming it is written too
};

// Builds from a folder of tool files (ffmpeg.exe, ffprobe.exe, youtube-dl.exe, deno.exe,
// vcredist_x86.exe; missing ones are left out) the static tree that answers the update contract on any
// static web host. Release answers carry the tool's release time: the engine's file version read as a
// date (its last-modified time when it has none), deno's last-modified time. Returns false and an error
// text when a file cannot be written.
bool MakeStaticTree(const std::string& toolsDir, const std::string& outDir, const TreeOptions& options,
                    std::string& error);

} // namespace standin
