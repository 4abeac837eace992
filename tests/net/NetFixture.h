// Helpers shared by the network tests: a window that takes the fetcher's status records, a set of
// stand-in servers on several loopback addresses sharing one port, and the engine log folder.
#pragma once

#include "StandinServer.h"
#include "app/Messages.h"
#include "framework/Window.h"
#include "net/WebGrab.h"

#include <memory>
#include <string>
#include <vector>

namespace nettest
{

// A top-level window that takes one record per WM_GRAB_STATUS, as the download page does.
class StatusWindow : public Window
{
public:
    StatusWindow();
    std::vector<GrabStatus> records;
    std::vector<WPARAM> senders;
    int messages = 0;
    UINT probe = 0; // WM_APP probes answered (the benchmark posts them)

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;
};

// Servers on 127.0.0.2 (CDN), 127.0.0.3 (host list), 127.0.0.4 (fallback) and 127.0.0.5 (the host
// that the host list names), all on one port, so that replacing the CDN host keeps the port.
struct ServerSet {
    ServerSet();
    std::unique_ptr<standin::StandinServer> cdn, hosts, fallback, named;
    bool ok = false;
    // Points the server candidates and the base URL at these servers.
    void Aim() const;
};

// Waits until the wall clock has just passed to a new second, so that a short transfer stays within
// one second.
void AlignToSecond();

std::string ReadAll(const std::string& path);
bool Exists(const std::string& path);

} // namespace nettest
