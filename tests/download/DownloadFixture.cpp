#include "DownloadFixture.h"

#include "app/Globals.h"
#include "app/Messages.h"

#include <thread>

namespace dltest
{

std::string ProgramFolderOfTest()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of("\\/"));
}

std::string StandinTools()
{
    return ProgramFolderOfTest() + "\\standin-tools";
}

Collector::Collector()
{
    static const ATOM atom = RegisterWindowClass("TasvrinDownloadCollector", 0, nullptr, nullptr);
    (void)atom;
    Create(0, "TasvrinDownloadCollector", "collector", WS_OVERLAPPED, RECT{0, 0, 10, 10}, nullptr, 0);
}

LRESULT Collector::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    if (msg == WM_JOB_PROGRESS || msg == WM_JOB_STARTED || msg == WM_JOB_FINISHED || msg == WM_GRAB_STATUS) {
        Posted p{msg, w, l, {}};
        const auto v = static_cast<INT_PTR>(w);
        if (msg == WM_JOB_PROGRESS && (v < -1 || v > 1000))
            p.text = reinterpret_cast<const char*>(w);
        std::lock_guard<std::mutex> lock(m_lock);
        m_messages.push_back(p);
        return 0;
    }
    return Window::WindowProc(msg, w, l);
}

std::vector<Posted> Collector::Messages() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_messages;
}

std::vector<int> Collector::Progress() const
{
    std::vector<int> values;
    for (const Posted& p : Messages()) {
        const auto v = static_cast<INT_PTR>(p.w);
        if (p.msg == WM_JOB_PROGRESS && v >= -1 && v <= 1000)
            values.push_back(static_cast<int>(v));
    }
    return values;
}

bool Collector::Has(UINT msg) const
{
    for (const Posted& p : Messages())
        if (p.msg == msg)
            return true;
    return false;
}

void Collector::Clear()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_messages.clear();
}

EngineSetup::EngineSetup(bool withEngine, const char* speed)
{
    m_oldLocal = g_strLocalAppData;
    m_oldSaved = g_strSavedDir.Get();
    m_oldAppDir = g_strAppDir;
    g_strAppDir = m_work.File("program");
    ::CreateDirectoryA(g_strAppDir.c_str(), nullptr);
    g_strLocalAppData = m_local.Path();
    ::CreateDirectoryA(ToolFolder().c_str(), nullptr);
    if (withEngine)
        ::CopyFileA((StandinTools() + "\\youtube-dl.exe").c_str(), (ToolFolder() + "\\youtube-dl.exe").c_str(), FALSE);
    m_save = m_work.File("save");
    ::CreateDirectoryA(m_save.c_str(), nullptr);
    g_strSavedDir.Set(m_save);
    ::SetEnvironmentVariableA("TASVRIN_TRANSCRIPTS", (m_work.Path() + ";" + StandinTools() + "\\transcripts").c_str());
    ::SetEnvironmentVariableA("TASVRIN_ENGINE_LOG", m_work.File("engine-calls.txt").c_str());
    ::SetEnvironmentVariableA("TASVRIN_ENGINE_SPEED", speed);
    ::SetEnvironmentVariableA("TASVRIN_ENGINE_CRLF", nullptr);
}

void EngineSetup::Apply() const
{
    g_strLocalAppData = m_local.Path();
    g_strAppDir = m_work.File("program");
    g_strSavedDir.Set(m_save);
}

EngineSetup::~EngineSetup()
{
    g_strLocalAppData = m_oldLocal;
    g_strSavedDir.Set(m_oldSaved);
    g_strAppDir = m_oldAppDir;
}

void EngineSetup::WriteTranscript(const std::string& name, const std::vector<std::pair<int, std::string>>& chunks) const
{
    std::string text = "# engine-transcript v1\n# command: written by a test\n# exit: 0\n";
    for (const auto& [ms, bytes] : chunks)
        text += "+" + std::to_string(ms) + " " + std::to_string(bytes.size()) + "\n" + bytes + "\n";
    harness::WriteFileBytes(m_work.File(name + ".tr"), text);
}

std::string EngineSetup::EngineLog() const
{
    return harness::ReadFileBytes(m_work.File("engine-calls.txt")).value_or("");
}

std::vector<EngineCall> EngineSetup::Calls() const
{
    std::vector<EngineCall> calls;
    const std::string log = EngineLog();
    EngineCall current;
    bool open = false;
    size_t at = 0;
    while (at < log.size()) {
        size_t end = log.find('\n', at);
        if (end == std::string::npos)
            end = log.size();
        const std::string line = log.substr(at, end - at);
        at = end + 1;
        if (line.rfind("CMD ", 0) == 0) {
            current = EngineCall{line.substr(4), {}, {}};
            open = true;
        } else if (open && line.rfind("ARG ", 0) == 0) {
            current.args.push_back(line.substr(4));
        } else if (open && line.rfind("INPUT ", 0) == 0) {
            current.input = line.substr(6);
        } else if (open && line == "END") {
            calls.push_back(current);
            open = false;
        }
    }
    return calls;
}

bool ProcessAlive(DWORD pid)
{
    HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return false;
    const bool alive = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return alive;
}

std::future<int> RunAsync(std::function<int()> body)
{
    std::packaged_task<int()> task(std::move(body));
    std::future<int> result = task.get_future();
    std::thread(std::move(task)).detach();
    return result;
}

} // namespace dltest
