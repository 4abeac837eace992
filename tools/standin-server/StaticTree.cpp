#include "StandinServer.h"

#include <cstdio>

namespace standin
{
namespace
{

bool WriteText(const std::string& path, const std::string& text, std::string& error)
{
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool ok = h != INVALID_HANDLE_VALUE &&
              ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
    if (h != INVALID_HANDLE_VALUE)
        ::CloseHandle(h);
    if (!ok)
        error = "cannot write " + path;
    return ok;
}

bool MakeDirs(const std::string& dir)
{
    for (size_t i = 0; i <= dir.size(); ++i)
        if (i == dir.size() || dir[i] == '\\')
            ::CreateDirectoryA(dir.substr(0, i).c_str(), nullptr);
    DWORD attr = ::GetFileAttributesA(dir.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

// The last-modified time of a file as local time.
bool ModifiedLocal(const std::string& path, SYSTEMTIME& out)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    SYSTEMTIME utc;
    return ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
           ::FileTimeToSystemTime(&data.ftLastWriteTime, &utc) &&
           ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &out);
}

// The engine's file version read as a date (year.month.day), as the program reads it.
bool VersionDate(const std::string& path, SYSTEMTIME& out)
{
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0)
        return false;
    std::string block(size, '\0');
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data()) ||
        !::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &len) || !info)
        return false;
    out = {};
    out.wYear = HIWORD(info->dwFileVersionMS);
    out.wMonth = LOWORD(info->dwFileVersionMS);
    out.wDay = HIWORD(info->dwFileVersionLS);
    return out.wYear >= 1970 && out.wMonth >= 1 && out.wMonth <= 12 && out.wDay >= 1 && out.wDay <= 31;
}

std::string ReleaseLine(const SYSTEMTIME& t, const std::string& url)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%u|%u|%u|%u|%u|", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
    return buf + url;
}

} // namespace

bool MakeStaticTree(const std::string& toolsDir, const std::string& outDir, const TreeOptions& options,
                    std::string& error)
{
    std::string base = options.base;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    const std::string php = outDir + "\\php";
    const std::string check = php + "\\CheckUpdateFile";
    const std::string updates = outDir + "\\download\\updates";
    if (!MakeDirs(check) || !MakeDirs(updates)) {
        error = "cannot create folders below " + outDir;
        return false;
    }
    std::string info = options.infoUrl.empty() ? base + paths::kFaqs : options.infoUrl;
    char update[64];
    std::snprintf(update, sizeof update, "%u|%u|", options.major, options.minor);
    if (!WriteText(php + "\\alive.php", "ok", error) ||
        !WriteText(php + "\\update.php", update + info + (options.mandatory ? "|yes" : "|no"), error) ||
        !WriteText(outDir + "\\faqs.html",
                   "<html><head><title>Help</title></head><body><h1>Help</h1>"
                   "<p>Paste the address of a video page and press Download.</p></body></html>\n",
                   error))
        return false;
    if (!options.hostListHost.empty() && !WriteText(outDir + "\\host.txt", options.hostListHost + "\n", error))
        return false;
    for (const char* name : {"ffmpeg.exe", "ffprobe.exe", "youtube-dl.exe", "deno.exe", "vcredist_x86.exe"}) {
        std::string from = toolsDir + "\\" + name;
        if (::GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        // CopyFile keeps the last-modified time, which the release answers are made from.
        if (!::CopyFileA(from.c_str(), (updates + "\\" + name).c_str(), FALSE)) {
            error = std::string("cannot copy ") + name;
            return false;
        }
        SYSTEMTIME t{};
        std::string url = base + paths::kDownloads + name;
        if (std::string(name) == "youtube-dl.exe") {
            if ((VersionDate(from, t) || ModifiedLocal(from, t)) &&
                !WriteText(check + "\\zoz2.php", ReleaseLine(t, url), error))
                return false;
        } else if (std::string(name) == "deno.exe") {
            if (ModifiedLocal(from, t) && !WriteText(check + "\\deno2.php", ReleaseLine(t, url), error))
                return false;
        }
    }
    return true;
}

} // namespace standin
