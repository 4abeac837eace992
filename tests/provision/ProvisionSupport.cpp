#include "ProvisionSupport.h"

#include "app/Globals.h"
#include "app/Messages.h"
#include "app/ShellOpen.h"
#include "download/DownloadSlots.h"
#include "framework/Handles.h"
#include "net/ToolProvisioning.h"
#include "net/WebGrab.h"

#include <atomic>
#include <memory>
#include <thread>

namespace provision
{

const ToolInfo kToolInfo[4] = {
    {"ffmpeg.exe", 15'000'000, "/download/updates/ffmpeg.exe", "Updates Found. Downloading File 1..",
     "Downloading FFMpeg library", "File Missing or Corrupted: ffmpeg"},
    {"ffprobe.exe", 10'000'000, "/download/updates/ffprobe.exe", "Updates Found. Downloading File 2..",
     "Downloading FFProbe Library", "File Missing or Corrupted: ffprobe"},
    {"youtube-dl.exe", 5'000'000, "/download/updates/youtube-dl.exe", "Updates Found. Downloading File 3..",
     "Downloading Core Update", "File Missing or Corrupted: download core"},
    {"deno.exe", 20'000'000, "/download/updates/deno.exe", "Updates Found. Downloading File 4..",
     "Downloading JavaScript engine (Deno)", "File Missing or Corrupted: JavaScript engine (Deno)"},
};

std::string ExeDir()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\'));
}

std::string BuiltFile(const std::string& relative)
{
    return ExeDir() + "\\" + relative;
}

namespace
{
bool Extend(const std::string& path, LONGLONG size)
{
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER at{};
    at.QuadPart = size;
    return ::SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get());
}
} // namespace

bool MakeFile(const std::string& path, LONGLONG size, const std::string& marker)
{
    {
        UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (!file)
            return false;
        DWORD written = 0;
        const DWORD n = static_cast<DWORD>(std::min<LONGLONG>(size, static_cast<LONGLONG>(marker.size())));
        if (n && !::WriteFile(file.Get(), marker.data(), n, &written, nullptr))
            return false;
    }
    return Extend(path, size);
}

bool MakeProgramFile(const std::string& path, const std::string& program, LONGLONG size)
{
    return ::CopyFileA(program.c_str(), path.c_str(), FALSE) && Extend(path, size);
}

bool SetModified(const std::string& path, const SYSTEMTIME& local)
{
    SYSTEMTIME universal{};
    FILETIME time{};
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal) || !::SystemTimeToFileTime(&universal, &time))
        return false;
    UniqueFile file(
        ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return file && ::SetFileTime(file.Get(), nullptr, nullptr, &time);
}

LONGLONG SizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string Head(const std::string& path, size_t count)
{
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return {};
    std::string bytes(count, '\0');
    DWORD read = 0;
    ::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(count), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool StatusPage::Open()
{
    RegisterWindowClass("TasvrinProvisionPage", 0, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
    return Create(0, "TasvrinProvisionPage", "page", WS_OVERLAPPEDWINDOW, RECT{0, 0, 300, 100}, nullptr, 0);
}

bool StatusPage::Saw(const std::string& text) const
{
    for (const auto& t : texts)
        if (t == text)
            return true;
    return false;
}

bool StatusPage::SawStarting(const std::string& prefix) const
{
    for (const auto& t : texts)
        if (t.rfind(prefix, 0) == 0)
            return true;
    return false;
}

LRESULT StatusPage::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    if (msg == WM_GRAB_STATUS) {
        GrabStatus record;
        if (reinterpret_cast<CWebGrab*>(w)->PopStatus(record)) {
            try {
                texts.push_back(record.text);
            } catch (...) {
            }
        }
        return 0;
    }
    return Default(msg, w, l);
}

int RunEnsureTools(HWND page, DWORD timeoutMs)
{
    auto result = std::make_shared<std::atomic<int>>(-1);
    std::thread worker([page, result] { result->store(EnsureTools(page) ? 1 : 0); });
    harness::PumpUntil([&] { return result->load() != -1; }, timeoutMs);
    if (result->load() == -1) {
        worker.detach(); // hung: the test fails, and the process ends without it
        return -1;
    }
    worker.join();
    harness::PumpFor(50); // the last status records
    return result->load();
}

BoxTexts Texts(const std::vector<harness::Box>& boxes)
{
    BoxTexts out;
    for (const auto& b : boxes)
        out.emplace_back(b.caption, b.text);
    return out;
}

Scene::Scene(standin::StandinServer& server)
    : m_server(server), m_localAppData(std::make_unique<harness::TempDir>()),
      m_programDir(std::make_unique<harness::TempDir>())
{
    m_savedLocalAppData = g_strLocalAppData;
    m_savedAppDir = g_strAppDir;
    m_savedBase = g_strServerBase;
    g_strLocalAppData = m_localAppData->Path();
    g_strAppDir = m_programDir->Path();
    g_strServerBase = server.Base();
    g_bToolsReady.store(0);
    server.ClearScripts();
    server.ClearRequests();
    m_installerLog = m_localAppData->File("installer-runs.txt");
    ::SetEnvironmentVariableA("TASVRIN_VCREDIST_LOG", m_installerLog.c_str());
    SetShellOpenHook([this](const std::string& verb, const std::string& target) {
        shellOpens.emplace_back(verb, target);
        return true;
    });
}

Scene::~Scene()
{
    SetShellOpenHook({});
    ::SetEnvironmentVariableA("TASVRIN_VCREDIST_LOG", nullptr);
    g_bToolsReady.store(0);
    g_strLocalAppData = m_savedLocalAppData;
    g_strAppDir = m_savedAppDir;
    g_strServerBase = m_savedBase;
}

std::string Scene::Tool(int index) const
{
    return ToolFolder() + "\\" + kToolInfo[index].file;
}

std::string Scene::Shipped(int index) const
{
    return m_programDir->File(kToolInfo[index].file);
}

void Scene::MakeAllTools()
{
    ::CreateDirectoryA(ToolFolder().c_str(), nullptr);
    for (int i = 0; i < 4; ++i)
        MakeFile(Tool(i), kToolInfo[i].minimum + (i == kEngine ? 1 : 0), "local");
}

std::vector<std::string> Scene::InstallerRuns() const
{
    std::vector<std::string> runs;
    const auto bytes = harness::ReadFileBytes(m_installerLog);
    if (!bytes)
        return runs;
    size_t start = 0;
    while (start < bytes->size()) {
        size_t end = bytes->find("\r\n", start);
        if (end == std::string::npos)
            end = bytes->size();
        runs.push_back(bytes->substr(start, end - start));
        start = end + 2;
    }
    return runs;
}

} // namespace provision
