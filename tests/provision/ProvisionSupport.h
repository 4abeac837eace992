// Shared ground of the provisioning tests: a download page stand-in that shows fetcher status, a
// stand-in update server, fresh tool and program folders, tool files made quickly, the runtime
// packages of the stand-in VC runtime and a way to run EnsureTools on a worker thread.
#pragma once

#include <winsock2.h> // before windows.h, which the server header includes

#include "StandinServer.h"
#include "framework/Window.h"
#include "support/Harness.h"
#include "support/VcRuntime.h"

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace provision
{

constexpr char kCaption[] = "Important Notice";
constexpr char kRequired[] = "Microsoft VC Redist 2010 library is Required. Setup will install it.";

struct ToolInfo {
    const char* file;
    LONGLONG minimum;
    const char* freshPath;
    const char* startText;
    const char* label;
    const char* missingText;
};
// ffmpeg, ffprobe, engine, deno.
extern const ToolInfo kToolInfo[4];
constexpr int kFfmpeg = 0;
constexpr int kFfprobe = 1;
constexpr int kEngine = 2;
constexpr int kDeno = 3;

std::string ExeDir();
// A file built next to the test program (bin\provision-fixtures\...).
std::string BuiltFile(const std::string& relative);

// Makes a file of `size` bytes that begins with `marker`; the rest is a hole, so large files are
// made at once.
bool MakeFile(const std::string& path, LONGLONG size, const std::string& marker);
// Copies a built program (which carries a version block) and pads it to `size` bytes.
bool MakeProgramFile(const std::string& path, const std::string& program, LONGLONG size);
bool SetModified(const std::string& path, const SYSTEMTIME& local);
LONGLONG SizeOf(const std::string& path);
std::string Head(const std::string& path, size_t count);
bool Exists(const std::string& path);

// Stands in for the download page: takes every status record the fetchers post.
class StatusPage : public Window
{
public:
    bool Open();
    std::vector<std::string> texts;
    bool Saw(const std::string& text) const;
    bool SawStarting(const std::string& prefix) const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;
};

// Runs EnsureTools(page) on a worker thread while this thread pumps; 1 true, 0 false, -1 still running.
int RunEnsureTools(HWND page, DWORD timeoutMs = 120000);

using BoxTexts = std::vector<std::pair<std::string, std::string>>; // caption, text
BoxTexts Texts(const std::vector<harness::Box>& boxes);

// Fresh folders, globals pointing at them and at the server, the tools-ready flag clear, shell
// opens recorded, installer runs logged. Reset() starts a fresh scene (for table rows).
class Scene
{
public:
    explicit Scene(standin::StandinServer& server);
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    std::string Tool(int index) const;
    std::string Shipped(int index) const;
    std::string ProgramFile(const std::string& name) const { return m_programDir->File(name); }
    // Every tool present at its minimum size (the engine one byte more, so that it is not refetched).
    void MakeAllTools();
    // Lines the stand-in installer logged (its switches, one per run).
    std::vector<std::string> InstallerRuns() const;
    std::vector<std::pair<std::string, std::string>> shellOpens; // verb, target

private:
    standin::StandinServer& m_server;
    std::unique_ptr<harness::TempDir> m_localAppData;
    std::unique_ptr<harness::TempDir> m_programDir;
    std::string m_installerLog;
    std::string m_savedLocalAppData;
    std::string m_savedAppDir;
    std::string m_savedBase;
};

} // namespace provision
