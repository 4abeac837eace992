// Process-wide values of the application shell: folders, server addresses, names, and the user
// settings loaded from the registry at start and saved at exit.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

// A string that one thread replaces while others read it: every access takes a copy under a lock.
class SharedString {
public:
    SharedString() noexcept { ::InitializeSRWLock(&m_lock); }
    explicit SharedString(const char* initial) : m_value(initial) { ::InitializeSRWLock(&m_lock); }
    SharedString(const SharedString&) = delete;
    SharedString& operator=(const SharedString&) = delete;
    std::string Get() const
    {
        ::AcquireSRWLockShared(&m_lock);
        std::string copy = m_value;
        ::ReleaseSRWLockShared(&m_lock);
        return copy;
    }
    void Set(const std::string& value)
    {
        std::string copy = value;
        ::AcquireSRWLockExclusive(&m_lock);
        m_value.swap(copy);
        ::ReleaseSRWLockExclusive(&m_lock);
    }

private:
    mutable SRWLOCK m_lock;
    std::string m_value;
};

extern std::string g_strAppDir;     // program folder, no trailing backslash
extern std::string g_strServerBase; // update server base (scheme and host, no trailing slash)
extern const std::string g_strSiteBase;
extern const std::string g_strVersion; // "10.9"
extern const std::string g_strAppName; // "Tasvrin"

// Settings (registry "Software\Marlisk\Settings" under HKEY_CURRENT_USER).
extern SharedString g_strSavedDir;
extern int g_nHue;
extern int g_nSatu;
extern int g_nR;
extern int g_nG;
extern int g_nB;
extern int g_nWidth;
extern int g_nHeight;
// Read by download workers while the window thread changes them.
extern std::atomic<int> g_bDelVideoCheck;
extern std::atomic<int> g_bTvVideoCheck;
extern std::atomic<int> g_nType;

// The theme colour: the low bytes of r, g and b, red in the lowest byte.
inline COLORREF ThemeColor() noexcept { return RGB(g_nR & 0xFF, g_nG & 0xFF, g_nB & 0xFF); }

void LoadSettings();
void SaveSettings();
