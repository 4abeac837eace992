#include "download/EngineRunner.h"

#include "app/Globals.h"
#include "app/Messages.h"
#include "app/ShellOpen.h"
#include "download/EngineCommand.h"
#include "framework/Handles.h"
#include "framework/Thread.h"
#include "net/ErrorReport.h"
#include "net/ToolProvisioning.h"

#include <cstdio>
#include <cstring>
#include <mutex>

const char kFetchingTitleText[] = "Wait, Fetching Video Title..";

namespace
{

constexpr DWORD kReadSize = 4095;
constexpr DWORD kProgressSpacingMs = 600;
constexpr char kProgressMarker[] = "% of";
constexpr char kAlreadyMarker[] = "has already been downloaded";

// Child ends of pipes are inheritable only while one child is being created, under this lock, so
// that an engine started by another job at the same moment never inherits them (an inherited write
// end would keep that job's pipe open after its own engine ended).
std::mutex g_spawnLock;
// Attaching to a child's console is process-wide, so one cancel at a time.
std::mutex g_consoleLock;

// A process started hidden with redirected standard handles, inside a job object that ends the
// process and everything it starts when the job handle is closed.
struct Child {
    UniqueHandle process;
    UniqueHandle thread;
    UniqueHandle job;
    DWORD pid = 0;
};

void SetInherit(HANDLE h, bool inherit) noexcept
{
    if (h)
        ::SetHandleInformation(h, HANDLE_FLAG_INHERIT, inherit ? HANDLE_FLAG_INHERIT : 0);
}

bool StartHidden(const std::string& commandLine, const char* directory, STARTUPINFOA si, HANDLE input, HANDLE output,
                 DWORD flags, Child& child)
{
    UniqueHandle job(::CreateJobObjectA(nullptr, nullptr));
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        ::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = input;
    si.hStdOutput = output;
    si.hStdError = output;
    std::string writable = commandLine;
    PROCESS_INFORMATION pi{};
    BOOL started = FALSE;
    {
        std::lock_guard<std::mutex> lock(g_spawnLock);
        SetInherit(input, true);
        SetInherit(output, true);
        // Suspended until it is in the job, so that nothing it starts can escape the job.
        started = ::CreateProcessA(nullptr, writable.data(), nullptr, nullptr, TRUE, flags | CREATE_SUSPENDED, nullptr,
                                   directory, &si, &pi);
        SetInherit(input, false);
        SetInherit(output, false);
    }
    if (!started)
        return false;
    child.process.Reset(pi.hProcess);
    child.thread.Reset(pi.hThread);
    child.pid = pi.dwProcessId;
    if (job && ::AssignProcessToJobObject(job.Get(), pi.hProcess))
        child.job = std::move(job);
    ::ResumeThread(pi.hThread);
    return true;
}

// Handles Ctrl+C and Ctrl+Break for the program itself: the event meant for an engine must never end
// the program. A handler is used rather than ignoring the event, because the ignore setting would be
// inherited by every engine started later, which then could not be cancelled.
BOOL WINAPI IgnoreConsoleBreak(DWORD type) noexcept
{
    return type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT;
}

// Sends Ctrl+C to the engine through its own console (it runs on a console of its own, so no other
// engine and not the program receive it).
void SendCtrlC(DWORD pid) noexcept
{
    static std::once_flag handlerOnce;
    std::call_once(handlerOnce, [] { ::SetConsoleCtrlHandler(&IgnoreConsoleBreak, TRUE); });
    std::lock_guard<std::mutex> lock(g_consoleLock);
    ::FreeConsole();
    if (::AttachConsole(pid)) {
        ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
        ::FreeConsole();
    }
}

void PostProgress(const JobParam& job, WPARAM value) noexcept
{
    ::PostMessageA(job.hwndPage, WM_JOB_PROGRESS, value, static_cast<LPARAM>(job.nSlot));
}

void CutTrailing(std::string& text)
{
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
}

bool StartsWith(const std::string& text, size_t at, const char* prefix)
{
    return text.compare(at, std::strlen(prefix), prefix) == 0;
}

std::string FindTitle(const JobParam& job, CWebGrab& slot, bool& refused)
{
    refused = false;
    const std::string input = slot.m_strUrl;
    const std::string stored = slot.GetTitle();
    if (!stored.empty() && stored != input)
        return stored;
    if (input.find("&list=") != std::string::npos && PlaylistSwitch(input).empty())
        return {};
    PostProgress(job, reinterpret_cast<WPARAM>(kFetchingTitleText));
    std::string output = RunAndCapture(BuildTitleQuery(input), 8000);
    CutTrailing(output);
    if (output.empty())
        return input;
    std::string title = TitleFromQueryOutput(output, refused);
    if (refused)
        return {};
    return title.empty() ? input : title;
}

void DeleteTools()
{
    const std::string folder = ToolFolder();
    for (const char* name : {"\\ffmpeg.exe", "\\ffprobe.exe", "\\youtube-dl.exe", "\\deno.exe"})
        ::DeleteFileA((folder + name).c_str());
}

// No usable output: explain it from the engine log and offer the error report.
void OfferErrorReport(const JobParam& job, const CWebGrab& slot)
{
    const std::string detail = ExtractErrorDetail();
    std::string question = "Read Zero Data. This could be a network/link issue or download core corruption.\n\n";
    if (!detail.empty())
        question += "Error Detail:\n" + detail + "\n\n";
    question += "Would you like to send this error report to help us fix the issue and open the error log?";
    if (::MessageBoxA(job.hwndPage, question.c_str(), g_strAppName.c_str(), MB_YESNO | MB_ICONWARNING) != IDYES)
        return;
    auto* report = new ErrorReportData{ReadLogTail(), slot.m_strUrl, g_strVersion};
    if (!StartThread(&SendErrorReport, report))
        delete report;
    ShellOpen("open", EngineLogPath());
}

} // namespace

bool ParseProgressValue(const char* text, int& value)
{
    float percent = 0.0f;
    if (std::sscanf(text, "%f", &percent) != 1)
        return false;
    // Float arithmetic, so that 45.3 gives 453 rather than 452.
    const float tenths = percent * 10.0f;
    value = static_cast<int>(tenths);
    return true;
}

void ProgressScanner::Scan(const char* chunk, DWORD tick, std::vector<int>& values)
{
    const size_t markerLength = std::strlen(kProgressMarker);
    for (const char* at = std::strstr(chunk, kProgressMarker); at;) {
        m_seen = true;
        if (tick - m_lastTick > kProgressSpacingMs) {
            const char* start = at - chunk >= 5 ? at - 5 : chunk;
            int value = 0;
            if (ParseProgressValue(start, value))
                values.push_back(value);
            m_lastTick = tick;
        }
        // The next search starts 5 characters on, but never beyond the chunk's end.
        if (at[markerLength] == '\0')
            break;
        at = std::strstr(at + markerLength + 1, kProgressMarker);
    }
}

std::string TitleFromQueryOutput(const std::string& output, bool& refused)
{
    std::string lower = output;
    for (char& c : lower)
        c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    refused = lower.find("sign in to confirm") != std::string::npos;
    std::string title;
    for (size_t at = 0; at < output.size();) {
        size_t end = output.find('\n', at);
        end = end == std::string::npos ? output.size() : end + 1;
        if (!StartsWith(output, at, "ERROR:") && !StartsWith(output, at, "WARNING:"))
            title.append(output, at, end - at);
        at = end;
    }
    CutTrailing(title);
    return title;
}

std::string RunAndCapture(const std::string& commandLine, DWORD timeoutMs)
{
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    UniqueHandle readEnd;
    UniqueHandle writeEnd;
    {
        std::lock_guard<std::mutex> lock(g_spawnLock);
        if (!::CreatePipe(readEnd.Put(), writeEnd.Put(), &sa, 0))
            return {};
        SetInherit(readEnd.Get(), false);
        SetInherit(writeEnd.Get(), false);
    }
    Child child;
    if (!StartHidden(commandLine, nullptr, STARTUPINFOA{}, nullptr, writeEnd.Get(), 0, child))
        return {};
    writeEnd.Reset();
    std::string result;
    char buffer[kReadSize + 1];
    DWORD got = 0;
    while (::ReadFile(readEnd.Get(), buffer, kReadSize, &got, nullptr) && got != 0) {
        buffer[got] = '\0';
        result += buffer;
    }
    readEnd.Reset();
    if (::WaitForSingleObject(child.process.Get(), timeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(child.process.Get(), 1);
        return {};
    }
    return result;
}

int RunEngine(const JobParam& job, const std::string& commandLine)
{
    CWebGrab& slot = g_DownloadSlots[job.nSlot];

    bool refused = false;
    const std::string title = FindTitle(job, slot, refused);
    if (refused) {
        ::MessageBoxA(nullptr, "YouTube Ban Your IP address. Download failed. Try Switch your IP.",
                      g_strAppName.c_str(), MB_OK);
        return -1;
    }

    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    UniqueHandle inRead, inWrite, outRead, outWrite;
    {
        std::lock_guard<std::mutex> lock(g_spawnLock);
        if (!::CreatePipe(inRead.Put(), inWrite.Put(), &sa, 0)) {
            ::MessageBoxA(nullptr, "create pipe1 failed.", g_strAppName.c_str(), MB_OK);
            return -1;
        }
        if (!::CreatePipe(outRead.Put(), outWrite.Put(), &sa, 0)) {
            ::MessageBoxA(nullptr, "create pipe2 failed.", g_strAppName.c_str(), MB_OK);
            return -1;
        }
        for (HANDLE h : {inRead.Get(), inWrite.Get(), outRead.Get(), outWrite.Get()})
            SetInherit(h, false);
    }

    STARTUPINFOA own{};
    ::GetStartupInfoA(&own);
    const std::string folder = g_strSavedDir.Get();
    // A console of its own, so that Ctrl+C reaches this engine alone.
    const DWORD flags = NORMAL_PRIORITY_CLASS | CREATE_NEW_CONSOLE;
    Child child;
    if (!StartHidden(commandLine, folder.c_str(), own, inRead.Get(), outWrite.Get(), flags, child)) {
        bool repaired = false;
        if (::MessageBoxA(job.hwndPage,
                          "Failed to start the download engine. This could be caused by antivirus software "
                          "blocking or engine corruption.\n\nDo you want to redownload and repair the download "
                          "engine?",
                          g_strAppName.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES) {
            DeleteTools();
            g_bToolsReady = 0;
            repaired = EnsureTools(job.hwndPage) &&
                       StartHidden(commandLine, folder.c_str(), own, inRead.Get(), outWrite.Get(), flags, child);
        }
        if (!repaired) {
            ::MessageBoxA(nullptr, "Can not create downloading.", g_strAppName.c_str(), MB_OK);
            return -1;
        }
    }

    outWrite.Reset();
    UniqueFile log(::CreateFileA(EngineLogPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));

    const std::string shownTitle = title.empty() ? slot.m_strUrl : title;
    if (slot.GetTitle() != shownTitle)
        slot.SetTitle(shownTitle);
    slot.m_dwEnginePid = child.pid;
    ::PostMessageA(job.hwndPage, WM_JOB_STARTED, 0, static_cast<LPARAM>(job.nSlot));

    int result = 0;
    ProgressScanner scanner;
    std::vector<int> values;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(outRead.Get(), slot.m_szOutput, kReadSize, &got, nullptr))
            break;
        if (log) {
            DWORD written = 0;
            ::WriteFile(log.Get(), slot.m_szOutput, got, &written, nullptr);
        }
        if (got == 0)
            break;
        if (slot.GetStopFlag() != 0) {
            inWrite.Reset();
            SendCtrlC(child.pid);
            ::MessageBoxA(nullptr, "canceled by user.", g_strAppName.c_str(), MB_OK);
            result = -1;
            break;
        }
        slot.m_szOutput[got] = '\0';
        if (std::strstr(slot.m_szOutput, kAlreadyMarker)) {
            PostProgress(job, static_cast<WPARAM>(-1));
            result = 1;
            break;
        }
        values.clear();
        scanner.Scan(slot.m_szOutput, ::GetTickCount(), values);
        for (int value : values)
            PostProgress(job, static_cast<WPARAM>(value));
    }
    if (result == 0 && scanner.Seen()) {
        PostProgress(job, static_cast<WPARAM>(-1));
        result = 1;
    }

    // The engine never outlives its pass; closing the job also ends whatever the engine started.
    inWrite.Reset();
    inRead.Reset();
    outRead.Reset();
    ::TerminateProcess(child.process.Get(), static_cast<UINT>(-1));
    child.job.Reset();
    child.thread.Reset();
    child.process.Reset();
    log.Reset();

    if (result == 0) {
        OfferErrorReport(job, slot);
        result = -1;
    }
    return result;
}
