#include "app/ShellOpen.h"

#include <shellapi.h>

#include <mutex>

namespace {
std::mutex g_hookLock;
ShellOpenHook g_hook;
} // namespace

bool ShellOpen(const std::string& verb, const std::string& target) noexcept
{
    try {
        ShellOpenHook hook;
        {
            std::lock_guard<std::mutex> lock(g_hookLock);
            hook = g_hook;
        }
        if (hook)
            return hook(verb, target);
        // ShellExecute reports success as a value above 32.
        const auto result = reinterpret_cast<INT_PTR>(
            ::ShellExecuteA(nullptr, verb.c_str(), target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return result > 32;
    } catch (...) {
        return false;
    }
}

void SetShellOpenHook(ShellOpenHook hook)
{
    std::lock_guard<std::mutex> lock(g_hookLock);
    g_hook = std::move(hook);
}
