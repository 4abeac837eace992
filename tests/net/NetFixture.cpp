#include "NetFixture.h"

#include "app/Globals.h"
#include "net/UpdateCheck.h"

#include <ctime>
#include <fstream>
#include <sstream>

namespace nettest
{

StatusWindow::StatusWindow()
{
    RegisterWindowClass("TasvrinNetTestStatus", 0, nullptr, nullptr);
    Create(0, "TasvrinNetTestStatus", "status", WS_OVERLAPPEDWINDOW, RECT{0, 0, 200, 100}, nullptr, 0);
}

LRESULT StatusWindow::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    if (msg == WM_GRAB_STATUS) {
        ++messages;
        senders.push_back(w);
        GrabStatus record;
        if (reinterpret_cast<CWebGrab*>(w)->PopStatus(record))
            records.push_back(record);
        return 0;
    }
    if (msg == WM_APP) {
        ++probe;
        return 0;
    }
    return Window::WindowProc(msg, w, l);
}

ServerSet::ServerSet()
{
    for (int attempt = 0; attempt < 20 && !ok; ++attempt) {
        cdn = std::make_unique<standin::StandinServer>("127.0.0.2");
        if (!cdn->Listening())
            continue;
        const unsigned short port = cdn->Port();
        hosts = std::make_unique<standin::StandinServer>("127.0.0.3", port);
        fallback = std::make_unique<standin::StandinServer>("127.0.0.4", port);
        named = std::make_unique<standin::StandinServer>("127.0.0.5", port);
        ok = hosts->Listening() && fallback->Listening() && named->Listening();
    }
}

void ServerSet::Aim() const
{
    g_strCdnBase = cdn->Base();
    g_strHostListUrl = hosts->Base() + "/host.txt";
    g_strFallbackBase = fallback->Base();
    g_strServerBase = g_strCdnBase;
}

void AlignToSecond()
{
    const std::time_t now = std::time(nullptr);
    while (std::time(nullptr) == now)
        ::Sleep(5);
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace nettest
