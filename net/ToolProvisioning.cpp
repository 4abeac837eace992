#include "net/ToolProvisioning.h"

#include "app/Globals.h"
#include "app/ShellOpen.h"
#include "download/DownloadSlots.h"
#include "framework/Handles.h"
#include "net/UpdateCheck.h"
#include "net/WebGrab.h"

#include <shellapi.h>
#include <shlwapi.h>
#include <winver.h>

#include <array>
#include <atomic>
#include <vector>

const char kVcRuntimePageUrl[] = "https://www.microsoft.com/en-us/download/details.aspx?id=26999";

namespace
{

constexpr char kCaption[] = "Important Notice";
constexpr char kRuntimeRequired[] = "Microsoft VC Redist 2010 library is Required. Setup will install it.";
constexpr char kDoneText[] = "Please wait.";
constexpr char kUpdateLabel[] = "Downloading updates";
constexpr char kInstallerName[] = "vcredist_x86.exe";
constexpr int kInstalledState = 5; // INSTALLSTATE_DEFAULT

// Product codes of the VC 2010 x86 runtime packages, in the order they are asked.
constexpr std::array<const char*, 4> kRuntimeProductCodes = {
    "{196BB40D-1578-3D01-B289-BEFC77A11A1E}",
    "{DA5E371C-6333-3D8A-93A4-6FD5B20BCC6E}",
    "{F0C3E5D1-1ADE-321E-8167-68EF0DE699A5}",
    "{1D8E6291-B0D5-35EC-8441-6616F567A0F7}",
};

// One fetcher per tool and one for the runtime installer, for the whole run.
CWebGrab g_grabFfmpeg;
CWebGrab g_grabFfprobe;
CWebGrab g_grabEngine;
CWebGrab g_grabDeno;
CWebGrab g_grabRuntime;

struct ToolRow {
    const char* file;
    LONGLONG minimum;
    const char* freshPath;
    const char* startText;
    const char* label;
    const char* missingText;
    CWebGrab* grab;
};

// In the order they are provisioned and checked.
const std::array<ToolRow, 4> kTools = {{
    {"ffmpeg.exe", 15'000'000, "/download/updates/ffmpeg.exe", "Updates Found. Downloading File 1..",
     "Downloading FFMpeg library", "File Missing or Corrupted: ffmpeg", &g_grabFfmpeg},
    {"ffprobe.exe", 10'000'000, "/download/updates/ffprobe.exe", "Updates Found. Downloading File 2..",
     "Downloading FFProbe Library", "File Missing or Corrupted: ffprobe", &g_grabFfprobe},
    {"youtube-dl.exe", 5'000'000, "/download/updates/youtube-dl.exe", "Updates Found. Downloading File 3..",
     "Downloading Core Update", "File Missing or Corrupted: download core", &g_grabEngine},
    {"deno.exe", 20'000'000, "/download/updates/deno.exe", "Updates Found. Downloading File 4..",
     "Downloading JavaScript engine (Deno)", "File Missing or Corrupted: JavaScript engine (Deno)", &g_grabDeno},
}};
const ToolRow& kEngine = kTools[2];
const ToolRow& kDeno = kTools[3];

// Passes run one at a time. A caller that had to wait takes the result of the pass it waited for
// instead of running the same transfers again. The section is re-entrant, so CheckVcRuntime can take
// it both inside a pass and on its own.
CriticalSection g_passLock;
std::atomic<LONG> g_passesDone{0};
std::atomic<bool> g_lastPassResult{false};

std::string Agent()
{
    return g_strAppName + g_strVersion;
}

std::string ToolPath(const ToolRow& row)
{
    return ToolFolder() + "\\" + row.file;
}

// The file's size, or -1 when it does not exist.
LONGLONG FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool LastModified(const std::string& path, FILETIME& utc)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    utc = data.ftLastWriteTime;
    return true;
}

// A local date and time as a UTC file time, daylight saving as the system has it for that date.
bool LocalToUtc(const SYSTEMTIME& local, FILETIME& utc)
{
    FILETIME check{};
    SYSTEMTIME universal{};
    if (!::SystemTimeToFileTime(&local, &check)) // rejects dates that do not exist
        return false;
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal))
        return false;
    return ::SystemTimeToFileTime(&universal, &utc) != FALSE;
}

// The engine's release stamp: its file version read as year.month.day at local midnight; the
// last-modified time when it has no version, or one that is no date.
bool EngineStamp(const std::string& path, FILETIME& utc)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size > 0) {
        std::vector<BYTE> block(size);
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (::GetFileVersionInfoA(path.c_str(), 0, size, block.data()) &&
            ::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) && info &&
            length >= sizeof(VS_FIXEDFILEINFO)) {
            SYSTEMTIME local{};
            local.wYear = HIWORD(info->dwFileVersionMS);
            local.wMonth = LOWORD(info->dwFileVersionMS);
            local.wDay = HIWORD(info->dwFileVersionLS);
            if (LocalToUtc(local, utc))
                return true;
        }
    }
    return LastModified(path, utc);
}

// Asks the release of a tool; true with the release time as UTC and a non-empty download URL.
bool QueryRelease(const char* queryPath, std::string& url, FILETIME& releaseUtc)
{
    SYSTEMTIME released{};
    url.clear();
    if (!QueryToolRelease(g_strServerBase + queryPath, url, released) || url.empty())
        return false;
    return LocalToUtc(released, releaseUtc);
}

bool Earlier(const FILETIME& a, const FILETIME& b)
{
    return ::CompareFileTime(&a, &b) < 0;
}

void Notice(HWND window, const std::string& text)
{
    ::MessageBoxA(window, text.c_str(), kCaption, MB_OK);
}

void FetchFresh(const ToolRow& row, const std::string& path, HWND window)
{
    row.grab->DownloadToFile((g_strServerBase + row.freshPath).c_str(), path, row.startText, kDoneText, Agent().c_str(),
                             window, row.label);
}

// A missing tool: the shipped copy in the program folder when there is a usable one, else a fresh
// download. A shipped copy below the minimum size is passed over, since it would be deleted again at
// every pass and the tool would never be fetched.
void CopyOrFetch(const ToolRow& row, const std::string& path, HWND window)
{
    const std::string shipped = g_strAppDir + "\\" + row.file;
    if (::PathFileExistsA(shipped.c_str()) && FileSize(shipped) >= row.minimum &&
        ::CopyFileA(shipped.c_str(), path.c_str(), FALSE))
        return;
    FetchFresh(row, path, window);
}

// Replaces a working tool with a newer release. The body goes to a file of its own first and takes
// the tool's place only when it is large enough to be the program, so that an error page or a cut
// transfer never replaces a tool that works.
void FetchUpdate(const ToolRow& row, const std::string& path, const std::string& url, const char* startText,
                 HWND window)
{
    const std::string staged = path + ".update";
    const bool fetched =
        row.grab->DownloadToFile(url.c_str(), staged, startText, kDoneText, Agent().c_str(), window, kUpdateLabel);
    if (fetched && FileSize(staged) >= row.minimum &&
        ::MoveFileExA(staged.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        return;
    ::DeleteFileA(staged.c_str());
}

void DeleteIfTooSmall(const ToolRow& row, const std::string& path)
{
    const LONGLONG size = FileSize(path);
    if (size >= 0 && size < row.minimum)
        ::DeleteFileA(path.c_str());
}

void ProvisionCompanion(const ToolRow& row, HWND window)
{
    const std::string path = ToolPath(row);
    DeleteIfTooSmall(row, path);
    if (FileSize(path) < 0)
        CopyOrFetch(row, path, window);
}

void ProvisionEngine(HWND window)
{
    const std::string path = ToolPath(kEngine);
    DeleteIfTooSmall(kEngine, path);
    if (FileSize(path) > kEngine.minimum) {
        std::string url;
        FILETIME release{};
        FILETIME stamp{};
        if (QueryRelease("/php/CheckUpdateFile/zoz2.php", url, release) && EngineStamp(path, stamp) &&
            Earlier(stamp, release))
            FetchUpdate(kEngine, path, url, "Updates Found. Downloading updates..", window);
        return;
    }
    // Missing, or of exactly the minimum size: never asked about, replaced by a copy or a fresh download.
    CopyOrFetch(kEngine, path, window);
}

void ProvisionDeno(HWND window)
{
    const std::string path = ToolPath(kDeno);
    DeleteIfTooSmall(kDeno, path);
    if (FileSize(path) >= 0) {
        std::string url;
        FILETIME release{};
        FILETIME modified{};
        if (QueryRelease("/php/CheckUpdateFile/deno2.php", url, release) && LastModified(path, modified) &&
            Earlier(modified, release))
            FetchUpdate(kDeno, path, url, "Updates Found. Downloading updates for JavaScript engine (Deno)..", window);
        return;
    }
    CopyOrFetch(kDeno, path, window);
}

bool RuntimeInstalled()
{
    UniqueModule msi(::LoadLibraryA("msi.dll"));
    if (!msi)
        return false;
    // The product-state query, exported under this ordinal.
    using ProductState = int(WINAPI*)(const char* productCode);
    const auto query = reinterpret_cast<ProductState>(::GetProcAddress(msi.Get(), MAKEINTRESOURCEA(112)));
    if (!query)
        return false;
    for (const char* code : kRuntimeProductCodes) {
        if (query(code) == kInstalledState)
            return true;
    }
    return false;
}

// Starts the runtime installer of the program folder; the process handle, or none when it did not
// start. No shell error box: a failure is told to the user at the end of the pass.
UniqueHandle StartInstaller(const char* parameters)
{
    const std::string file = g_strAppDir + "\\" + kInstallerName;
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.lpParameters = parameters;
    info.nShow = SW_SHOW;
    if (!::ShellExecuteExA(&info))
        return UniqueHandle();
    return UniqueHandle(info.hProcess);
}

void WaitAndClose(UniqueHandle& process)
{
    if (!process)
        return;
    ::WaitForSingleObject(process.Get(), INFINITE);
    process.Reset();
}

bool ToolFolderReady()
{
    const std::string folder = ToolFolder();
    if (::CreateDirectoryA(folder.c_str(), nullptr))
        return true;
    const DWORD attributes = ::GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The first tool below its minimum size, or none.
const ToolRow* FirstIncompleteTool()
{
    for (const ToolRow& row : kTools) {
        if (FileSize(ToolPath(row)) < row.minimum)
            return &row;
    }
    return nullptr;
}

bool RunPass(HWND window)
{
    if (!ToolFolderReady())
        return false;

    UniqueHandle installer;
    if (!CheckVcRuntime(window)) {
        Notice(window, kRuntimeRequired);
        installer = StartInstaller("/q");
    }

    ProvisionCompanion(kTools[0], window);
    ProvisionCompanion(kTools[1], window);
    ProvisionEngine(window);
    ProvisionDeno(window);

    WaitAndClose(installer);
    if (!CheckVcRuntime(window)) {
        Notice(window, kRuntimeRequired);
        installer = StartInstaller("/passive /norestart");
        WaitAndClose(installer);
    }

    if (const ToolRow* broken = FirstIncompleteTool()) {
        Notice(window, broken->missingText);
        return false;
    }
    if (CheckVcRuntime(window)) {
        g_bToolsReady.store(1);
        return true;
    }
    Notice(window, "File Missing: Microsoft VC Redist 2010 library");
    Notice(window,
           std::string("Please install vcredist_x86.exe from: ") + kVcRuntimePageUrl + ", will open it for you.");
    ShellOpen("open", kVcRuntimePageUrl);
    return false;
}

} // namespace

std::string ToolFolder()
{
    return g_strLocalAppData + "\\RuzAro";
}

bool EnsureTools(HWND window)
{
    if (g_bToolsReady.load())
        return true;
    const LONG passesBefore = g_passesDone.load();
    CAutoLock lock(g_passLock.Get());
    if (g_bToolsReady.load())
        return true;
    if (g_passesDone.load() != passesBefore) {
        // A pass ended while this caller waited: its failure has been told already; its success
        // stands as long as the tools it left are still there.
        if (!g_lastPassResult.load())
            return false;
        if (!FirstIncompleteTool())
            return true;
    }
    const bool ready = RunPass(window);
    g_lastPassResult.store(ready);
    g_passesDone.fetch_add(1);
    return ready;
}

bool CheckVcRuntime(HWND window)
{
    CAutoLock lock(g_passLock.Get());
    if (RuntimeInstalled())
        return true;
    const std::string installer = g_strAppDir + "\\" + kInstallerName;
    if (!::PathFileExistsA(installer.c_str()))
        g_grabRuntime.DownloadToFile((g_strServerBase + "/download/updates/vcredist_x86.exe").c_str(), installer,
                                     "Upgrading Microsoft runtime library for the first running..", kDoneText,
                                     Agent().c_str(), window, "Upgrading library");
    return false;
}
