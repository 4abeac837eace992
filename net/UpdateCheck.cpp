// PLACEHOLDER: minimal body so that everything links; its owner replaces this whole file.
#include "net/UpdateCheck.h"

#include "BuildConfig.h"

std::string g_strHostListUrl = TASVRIN_HOSTLIST_URL;
std::string g_strCdnBase = TASVRIN_CDN_BASE;
std::string g_strFallbackBase = TASVRIN_FALLBACK_BASE;

void SelectUpdateServer() {}
bool IsServerAlive() { return false; }
bool ReadResponse(HINTERNET, char*, DWORD, DWORD& length)
{
    length = 0;
    return false;
}
bool GetOwnVersion(DWORD&, DWORD&) { return false; }
bool QueryToolRelease(const std::string&, std::string&, SYSTEMTIME&) { return false; }
void CUpdateCheck::Check(const std::string&) {}
void CUpdateCheck::CheckFromResource(UINT) {}
void CUpdateCheck::OnUpdateAvailable(DWORD, DWORD, DWORD, DWORD, const std::string&, const std::string&) {}
void CUpdateCheck::OnUpToDate(DWORD, DWORD) {}
void CUpdateCheck::OnCheckError(DWORD, DWORD) {}
void StartStartupUpdateCheck() {}
void StartInteractiveUpdateCheck() {}
