// windowctl wait TITLE-START SECONDS [MARKER]   exits 0 once a visible top-level window's title
//                                               starts so, creating the file MARKER then
// windowctl close TITLE-START          posts WM_CLOSE to every such window
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
struct Search {
    std::string prefix;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM l)
{
    auto* search = reinterpret_cast<Search*>(l);
    char title[256] = {};
    ::GetWindowTextA(hwnd, title, sizeof(title));
    if (::IsWindowVisible(hwnd) && std::string(title).rfind(search->prefix, 0) == 0)
        search->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> Find(const std::string& prefix)
{
    Search search{prefix, {}};
    ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: windowctl wait TITLE-START SECONDS | windowctl close TITLE-START\n");
        return 2;
    }
    const std::string command = argv[1];
    const std::string prefix = argv[2];
    if (command == "wait") {
        const int seconds = argc > 3 ? std::atoi(argv[3]) : 60;
        for (int i = 0; i < seconds * 10; ++i) {
            if (!Find(prefix).empty()) {
                // Run inside a Wine desktop, the caller can't see the exit code at once: a file
                // tells it instead.
                if (argc > 4) {
                    HANDLE marker = ::CreateFileA(argv[4], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
                    if (marker != INVALID_HANDLE_VALUE)
                        ::CloseHandle(marker);
                }
                return 0;
            }
            ::Sleep(100);
        }
        return 1;
    }
    if (command == "close") {
        const auto windows = Find(prefix);
        for (HWND hwnd : windows)
            ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return windows.empty() ? 1 : 0;
    }
    return 2;
}
