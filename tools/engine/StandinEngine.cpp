// Stand-in for the download engine youtube-dl.exe. It replays engine output recorded from the real
// engine (engine transcripts) with the recorded timing, so that the program is exercised against what
// the engine really prints.
//
// Which transcript: the input (the argument after "--", else the last argument) may name one per
// kind of run with "title=NAME", "mp3=NAME", "video=NAME" or "tv=NAME" (".tr" added); without one the
// defaults are title-ok, mp3-ok, video-ok and video-tv-unavailable. Transcripts are looked up in the
// folders of TASVRIN_TRANSCRIPTS (separated by ';'), else in the folder named by the line
// "transcripts=FOLDER" of youtube-dl.cfg beside this program, else in "transcripts" beside it.
//
// Effects of download passes: "Destination: NAME" lines create NAME (a few bytes) in the working directory, "Deleting
// original file NAME" removes it. Further words in the input:
//   hold=1     after the transcript keep printing a progress line every 200 ms until ended
//   flood=N    after the transcript print N progress lines as fast as possible
//   child=1    start a helper process that does not end with this one (it waits forever)
// Environment:
//   TASVRIN_ENGINE_LOG    append the raw command line, every parsed argument, the helper's process
//                         id and the Ctrl+C reaction to this file (UTF-8)
//   TASVRIN_ENGINE_CRLF   "1": line ends are written as CR LF
//   TASVRIN_ENGINE_SPEED  divide every recorded time by this number (0: no waiting)
// Ctrl+C prints "ERROR: Interrupted by user" and ends the program with exit code 1.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int n =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text)
{
    if (text.empty())
        return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::wstring Env(const wchar_t* name)
{
    wchar_t buffer[4096];
    const DWORD n = ::GetEnvironmentVariableW(name, buffer, 4096);
    return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

bool ReadAll(const std::wstring& path, std::string& out)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    out.clear();
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got)
        out.append(buffer, got);
    ::CloseHandle(file);
    return true;
}

void AppendLog(const std::string& line)
{
    const std::wstring path = Env(L"TASVRIN_ENGINE_LOG");
    if (path.empty())
        return;
    // Several engines may log at once: retry while another holds the file.
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            const std::string text = line + "\n";
            DWORD written = 0;
            ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            ::CloseHandle(file);
            return;
        }
        ::Sleep(5);
    }
}

std::vector<std::wstring> TranscriptFolders()
{
    std::vector<std::wstring> folders;
    std::wstring list = Env(L"TASVRIN_TRANSCRIPTS");
    if (list.empty()) {
        std::string config;
        if (ReadAll(ProgramFolder() + L"\\youtube-dl.cfg", config)) {
            const size_t at = config.find("transcripts=");
            if (at != std::string::npos) {
                std::string value = config.substr(at + 12);
                value = value.substr(0, value.find_first_of("\r\n"));
                list = Wide(value);
            }
        }
    }
    if (list.empty())
        list = ProgramFolder() + L"\\transcripts";
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(L';', start);
        if (end == std::wstring::npos)
            end = list.size();
        if (end > start)
            folders.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

struct Chunk {
    DWORD ms = 0;
    std::string bytes;
};

bool LoadTranscript(const std::string& name, std::vector<Chunk>& chunks)
{
    std::string text;
    bool found = false;
    for (const std::wstring& folder : TranscriptFolders()) {
        if (ReadAll(folder + L"\\" + Wide(name) + L".tr", text)) {
            found = true;
            break;
        }
    }
    if (!found)
        return false;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        if (end == std::string::npos)
            break;
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.empty() || line[0] != '+')
            continue;
        Chunk chunk;
        unsigned long ms = 0, count = 0;
        if (std::sscanf(line.c_str(), "+%lu %lu", &ms, &count) != 2)
            return false;
        chunk.ms = ms;
        chunk.bytes = text.substr(at, count);
        at += count + 1; // the bytes and one LF
        chunks.push_back(std::move(chunk));
    }
    return true;
}

// The value of "key=" in the input, up to "&", a space or the end.
std::string Word(const std::string& input, const std::string& key)
{
    size_t at = 0;
    while ((at = input.find(key + "=", at)) != std::string::npos) {
        if (at == 0 || input[at - 1] == '?' || input[at - 1] == '&' || input[at - 1] == ' ') {
            const size_t start = at + key.size() + 1;
            const size_t end = input.find_first_of("& ", start);
            return input.substr(start, end == std::string::npos ? std::string::npos : end - start);
        }
        at += key.size();
    }
    return {};
}

bool g_crlf = false;
HANDLE g_out = nullptr;

void Write(const std::string& bytes)
{
    std::string text;
    if (g_crlf) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
                text += '\r';
            text += bytes[i];
        }
    } else {
        text = bytes;
    }
    DWORD written = 0;
    ::WriteFile(g_out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void TouchFile(const std::string& name, bool create)
{
    const std::wstring path = Wide(name);
    if (!create) {
        ::DeleteFileW(path.c_str());
        return;
    }
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(file, "stand-in media\n", 15, &written, nullptr);
        ::CloseHandle(file);
    }
}

// Files the engine would have written or removed, from the lines of a chunk.
void ApplyEffects(const std::string& bytes)
{
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        at = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        const size_t dest = line.find("Destination: ");
        if (line.rfind("[download] Destination: ", 0) == 0 || line.rfind("[ExtractAudio] Destination: ", 0) == 0 ||
            line.rfind("[Merger] Merging formats into \"", 0) == 0) {
            if (dest != std::string::npos)
                TouchFile(line.substr(dest + 13), true);
        }
        const size_t del = line.find("Deleting original file ");
        if (del != std::string::npos) {
            std::string name = line.substr(del + 23);
            name = name.substr(0, name.find(" (pass -k to keep)"));
            TouchFile(name, false);
        }
    }
}

BOOL WINAPI OnCtrl(DWORD type) noexcept
{
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
        return FALSE;
    AppendLog("CTRL-C " + std::to_string(::GetCurrentProcessId()));
    Write("\nERROR: Interrupted by user\n");
    ::ExitProcess(1);
}

void StartHelper()
{
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(path) + L"\" --stand-in-helper";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    // No console and no inherited handles: nothing but a job object ties it to this engine.
    if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &si,
                         &pi)) {
        AppendLog("CHILD " + std::to_string(pi.dwProcessId));
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        args.push_back(Utf8(argv[i]));
    if (args.size() > 1 && args[1] == "--stand-in-helper") {
        ::Sleep(INFINITE);
        return 0;
    }
    g_out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    g_crlf = Env(L"TASVRIN_ENGINE_CRLF") == L"1";
    const std::wstring speedText = Env(L"TASVRIN_ENGINE_SPEED");
    const double speed = speedText.empty() ? 1.0 : _wtof(speedText.c_str());

    AppendLog("CMD " + Utf8(::GetCommandLineW()));
    bool titleQuery = false, mp3 = false, tv = false;
    std::string input;
    size_t inputIndex = 0;
    for (size_t i = 1; i < args.size(); ++i) {
        AppendLog("ARG " + args[i]);
        if (args[i] == "--get-title")
            titleQuery = true;
        else if (args[i] == "-x")
            mp3 = true;
        else if (args[i].find("vcodec^=avc1") != std::string::npos)
            tv = true;
        else if (args[i] == "--" && inputIndex == 0)
            inputIndex = i + 1;
    }
    if (inputIndex == 0 || inputIndex >= args.size())
        inputIndex = args.size() - 1;
    if (inputIndex > 0)
        input = args[inputIndex];
    AppendLog("INPUT " + input);
    AppendLog("END");

    ::SetConsoleCtrlHandler(&OnCtrl, TRUE);
    // The words that shape a run act on download passes only, never on the title query.
    if (!titleQuery && Word(input, "child") == "1")
        StartHelper();

    const char* kind = titleQuery ? "title" : mp3 ? "mp3" : tv ? "tv" : "video";
    const char* fallback = titleQuery ? "title-ok" : mp3 ? "mp3-ok" : tv ? "video-tv-unavailable" : "video-ok";
    std::string name = Word(input, kind);
    if (name.empty())
        name = fallback;
    std::vector<Chunk> chunks;
    if (!LoadTranscript(name, chunks)) {
        Write("ERROR: stand-in engine: no transcript named " + name + "\n");
        return 2;
    }
    const DWORD start = ::GetTickCount();
    for (const Chunk& chunk : chunks) {
        if (speed > 0) {
            const DWORD due = static_cast<DWORD>(chunk.ms / speed);
            const DWORD now = ::GetTickCount() - start;
            if (due > now)
                ::Sleep(due - now);
        }
        if (!titleQuery)
            ApplyEffects(chunk.bytes);
        Write(chunk.bytes);
    }
    const std::string flood = titleQuery ? std::string() : Word(input, "flood");
    for (long i = 0, n = flood.empty() ? 0 : std::atol(flood.c_str()); i < n; ++i) {
        char line[96];
        std::snprintf(line, sizeof(line), "\r[download] %5.1f%% of    3.31MiB at  808.73KiB/s ETA 00:01",
                      (i % 1000) / 10.0);
        Write(line);
    }
    if (!titleQuery && Word(input, "hold") == "1") {
        for (;;) {
            Write("\r[download]  50.0% of    3.31MiB at  808.73KiB/s ETA 00:01");
            ::Sleep(200);
        }
    }
    return 0;
}
