// Fetch throughput: a 200 MiB body from a loopback stand-in server, fetched by CWebGrab into a window
// that shows every status record, by a bare WinINet loop (64 KiB and 4,095-byte reads) and by curl
// (run by scripts/bench on request), with the latency of probe messages posted to the window while
// CWebGrab runs. Prints MB/s (10^6 bytes per second) and ratios against the bare 64 KiB loop.
#include "bench/BenchClock.h"
#include "StandinServer.h"
#include "app/Messages.h"
#include "framework/Handles.h"
#include "framework/Window.h"
#include "net/WebGrab.h"

#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace
{

constexpr unsigned long long kBodyBytes = 200ull * 1024 * 1024;
constexpr UINT WM_PROBE = WM_APP + 1;

std::string TempFile(const char* name)
{
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

unsigned long long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A window like the download page's status line: every record's text is shown.
class StatusPage : public Window
{
public:
    StatusPage()
    {
        RegisterWindowClass("TasvrinBenchPage", 0, nullptr, nullptr);
        Create(0, "TasvrinBenchPage", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 500, 120}, nullptr, 0);
        m_status = ::CreateWindowExA(0, "STATIC", "Ready.", WS_CHILD | WS_VISIBLE, 10, 10, 460, 20, m_hwnd, nullptr,
                                     nullptr, nullptr);
    }
    std::vector<double> sent, latency;
    long records = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override
    {
        if (msg == WM_GRAB_STATUS) {
            GrabStatus r;
            if (reinterpret_cast<CWebGrab*>(w)->PopStatus(r)) {
                ::SetWindowTextA(m_status, r.text.c_str());
                ++records;
            }
            return 0;
        }
        if (msg == WM_PROBE) {
            latency.push_back(Now() - sent[w]);
            return 0;
        }
        return Window::WindowProc(msg, w, l);
    }

private:
    HWND m_status = nullptr;
};

double BareWinInet(const std::string& url, DWORD readSize, unsigned long long& bytes)
{
    const std::string path = TempFile("bench-bare.bin");
    const double start = Now();
    UniqueInternet root(::InternetOpenA("Tasvrin", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    UniqueInternet file(::InternetOpenUrlA(root.Get(), url.c_str(), nullptr, 0,
                                           INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 1));
    UniqueFile out(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::vector<char> buffer(readSize);
    bytes = 0;
    DWORD got = 0;
    while (file && ::InternetReadFile(file.Get(), buffer.data(), readSize, &got) && got > 0) {
        DWORD written = 0;
        ::WriteFile(out.Get(), buffer.data(), got, &written, nullptr);
        bytes += got;
    }
    out.Reset();
    const double seconds = Now() - start;
    ::DeleteFileA(path.c_str());
    return seconds;
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

// Asks scripts/bench to time curl against the URL; returns its bytes per second, 0 when not run.
double CurlThroughScript(const std::string& url)
{
    char dir[MAX_PATH] = {};
    if (::GetEnvironmentVariableA("TASVRIN_BENCH_DIR", dir, sizeof dir) == 0)
        return 0;
    const std::string request = std::string(dir) + "\\curl-url";
    const std::string result = std::string(dir) + "\\curl-result";
    ::DeleteFileA(result.c_str());
    {
        UniqueFile f(::CreateFileA((request + ".part").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ::WriteFile(f.Get(), url.data(), static_cast<DWORD>(url.size()), &written, nullptr);
    }
    ::MoveFileExA((request + ".part").c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING);
    for (int waited = 0; waited < 1200; ++waited) {
        UniqueFile f(::CreateFileA(result.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (f) {
            char text[64] = {};
            DWORD got = 0;
            ::ReadFile(f.Get(), text, sizeof text - 1, &got, nullptr);
            f.Reset();
            ::DeleteFileA(result.c_str());
            return std::atof(text);
        }
        ::Sleep(100);
    }
    return 0;
}

} // namespace

int main()
{
    standin::StandinServer server("127.0.0.1");
    if (!server.Listening()) {
        std::printf("bench_fetch: no loopback server\n");
        return 1;
    }
    server.Script("/big", standin::Answer::Generated(kBodyBytes));
    const std::string url = server.Base() + "/big";
    const double mb = static_cast<double>(kBodyBytes) / 1e6;

    const double curlBps = CurlThroughScript(url);

    unsigned long long bytes64 = 0, bytes4k = 0;
    const double bare64 = BareWinInet(url, 65536, bytes64);
    const double bare4k = BareWinInet(url, 4095, bytes4k);

    StatusPage page;
    CWebGrab grab;
    const std::string dest = TempFile("bench-grab.bin");
    std::atomic<bool> done{false};
    bool ok = false;
    double grabSeconds = 0;
    page.sent.reserve(100000);
    std::thread worker([&] {
        const double start = Now();
        ok = grab.DownloadToFile(url.c_str(), dest, "Downloading", "Please wait.", "Tasvrin", page.Handle(),
                                 "Downloading Core Update");
        grabSeconds = Now() - start;
        done = true;
    });
    // Probes every 5 ms while the transfer runs; the window thread answers them between records.
    double nextProbe = Now();
    while (!done) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
            if (Now() >= nextProbe)
                break;
        }
        if (Now() >= nextProbe && page.sent.size() < page.sent.capacity()) {
            page.sent.push_back(Now());
            ::PostMessageA(page.Handle(), WM_PROBE, page.sent.size() - 1, 0);
            nextProbe += 0.005;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    worker.join();
    PumpPendingMessages();
    const unsigned long long grabBytes = FileSize(dest);
    ::DeleteFileA(dest.c_str());

    const double rate64 = static_cast<double>(bytes64) / 1e6 / bare64;
    const double rate4k = static_cast<double>(bytes4k) / 1e6 / bare4k;
    const double rateGrab = ok ? static_cast<double>(grabBytes) / 1e6 / grabSeconds : 0;
    const double rateCurl = curlBps / 1e6;
    std::printf("bench_fetch: %.1f MB body from %s\n", mb, server.Base().c_str());
    std::printf("  %-44s %8.1f MB/s  ratio %.3f\n", "bare WinINet, 64 KiB reads (baseline)", rate64, 1.0);
    std::printf("  %-44s %8.1f MB/s  ratio %.3f\n", "bare WinINet, 4,095-byte reads", rate4k, rate4k / rate64);
    std::printf("  %-44s %8.1f MB/s  ratio %.3f%s\n", "CWebGrab::DownloadToFile into a window", rateGrab,
                rateGrab / rate64, ok ? "" : "  (FAILED)");
    if (rateCurl > 0)
        std::printf("  %-44s %8.1f MB/s  ratio %.3f\n", "curl (native)", rateCurl, rateCurl / rate64);
    else
        std::printf("  %-44s %8s\n", "curl (native)", "not run (scripts/bench runs it)");
    std::printf("  CWebGrab records shown: %ld; probes: %zu answered of %zu\n", page.records, page.latency.size(),
                page.sent.size());
    std::printf("  probe latency while fetching: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
                Percentile(page.latency, 0.50) * 1000, Percentile(page.latency, 0.99) * 1000,
                Percentile(page.latency, 1.0) * 1000);
    std::fflush(stdout);
    return ok ? 0 : 1;
}
