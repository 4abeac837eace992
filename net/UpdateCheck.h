// The short-answer conversation with the update server: choosing the server at start, the alive
// probe, the program update check and the tool release query.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

// Server candidates, tried in this order by SelectUpdateServer. They start as the build's addresses;
// tests may point them elsewhere before the selection runs.
extern std::string g_strHostListUrl;
extern std::string g_strCdnBase;
extern std::string g_strFallbackBase;

void SelectUpdateServer();
bool IsServerAlive();
bool ReadResponse(HINTERNET file, char* buffer, DWORD capacity, DWORD& length);
bool GetOwnVersion(DWORD& high, DWORD& low);
// Asks a tool's release; true when the answer carried a valid time (local time in `released`).
bool QueryToolRelease(const std::string& url, std::string& downloadUrl, SYSTEMTIME& released);

class CUpdateCheck {
public:
    explicit CUpdateCheck(int interactive) noexcept : m_bInteractive(interactive) {}
    virtual void Check(const std::string& url);
    virtual void CheckFromResource(UINT stringId);
    virtual ~CUpdateCheck() = default;

protected:
    virtual void OnUpdateAvailable(DWORD ownHigh, DWORD ownLow, DWORD newHigh, DWORD newLow,
                                   const std::string& infoUrl, const std::string& mandatory);
    virtual void OnUpToDate(DWORD ownHigh, DWORD ownLow);
    virtual void OnCheckError(DWORD ownHigh, DWORD ownLow);

    int m_bInteractive;
};

// The silent check ten seconds after start, and the check of the Update button.
void StartStartupUpdateCheck();
void StartInteractiveUpdateCheck();
