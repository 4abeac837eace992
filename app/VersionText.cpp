#include "app/VersionText.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

bool ReadOwnFileVersion(DWORD& high, DWORD& low)
{
    char path[MAX_PATH] = {};
    if (!::GetModuleFileNameA(nullptr, path, MAX_PATH))
        return false;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0)
        return false;
    std::vector<char> block(size);
    if (!::GetFileVersionInfoA(path, 0, size, block.data()))
        return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return false;
    high = info->dwFileVersionMS;
    low = info->dwFileVersionLS;
    return true;
}

std::string InstallMarkerText(DWORD high)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%lx", static_cast<unsigned long>(high));
    return text;
}

std::string VersionTitleText(DWORD high)
{
    const std::string hex = InstallMarkerText(high);
    if (hex.size() < 5)
        return hex.size() > 4 ? hex.substr(0, hex.size() - 4) : std::string();
    const std::string major = hex.substr(0, hex.size() - 4);
    char* end = nullptr;
    const long number = std::strtol(major.c_str(), &end, 16);
    if (!end || *end != '\0')
        return major;
    char text[32];
    std::snprintf(text, sizeof(text), "%ld.%c", number, hex.back());
    return text;
}
