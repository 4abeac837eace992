// Stand-in for Microsoft's vcredist_x86.exe: installs the Windows Installer package embedded in it
// by running the system's msiexec with the switches this program was given ("/q",
// "/passive /norestart" ...), and ends with msiexec's exit code.
//
// When the environment variable TASVRIN_VCREDIST_LOG names a file, each run appends one line with
// its switches to it, so that tests can see how often and how the installer was started.
#include <windows.h>

#include <string>

namespace
{

constexpr int kPackageResource = 1;

// The command line after the program name, as the caller passed it.
std::string Switches()
{
    const char* p = ::GetCommandLineA();
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

void LogRun(const std::string& switches)
{
    char path[MAX_PATH];
    const DWORD n = ::GetEnvironmentVariableA("TASVRIN_VCREDIST_LOG", path, sizeof(path));
    if (n == 0 || n >= sizeof(path))
        return;
    HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string line = switches + "\r\n";
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
}

// Writes the embedded package to a file of its own under %TEMP%; empty on failure.
std::string ExtractPackage()
{
    HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(kPackageResource), MAKEINTRESOURCEA(10)); // RT_RCDATA
    if (!found)
        return {};
    HGLOBAL loaded = ::LoadResource(nullptr, found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = ::SizeofResource(nullptr, found);
    if (!bytes || size == 0)
        return {};
    char temp[MAX_PATH];
    const DWORD n = ::GetTempPathA(sizeof(temp), temp);
    if (n == 0 || n >= sizeof(temp))
        return {};
    const std::string path = std::string(temp) + "tasvrin-vcredist-" + std::to_string(::GetCurrentProcessId()) + ".msi";
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes, size, &written, nullptr);
    ::CloseHandle(file);
    if (!ok || written != size) {
        ::DeleteFileA(path.c_str());
        return {};
    }
    return path;
}

DWORD RunMsiexec(const std::string& package, const std::string& switches)
{
    std::string command = "msiexec.exe /i \"" + package + "\"";
    if (!switches.empty())
        command += " " + switches;
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return ERROR_INSTALL_FAILURE;
    ::CloseHandle(pi.hThread);
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = ERROR_INSTALL_FAILURE;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hProcess);
    return code;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const std::string switches = Switches();
    LogRun(switches);
    const std::string package = ExtractPackage();
    if (package.empty())
        return ERROR_INSTALL_PACKAGE_OPEN_FAILED;
    const DWORD code = RunMsiexec(package, switches);
    ::DeleteFileA(package.c_str());
    return static_cast<int>(code);
}
