// PLACEHOLDER: minimal body so that everything links; its owner replaces this whole file.
#include "net/WebGrab.h"

CWebGrab::CWebGrab() { ::InitializeCriticalSection(&m_lock); }
CWebGrab::~CWebGrab() { ::DeleteCriticalSection(&m_lock); }
bool CWebGrab::DownloadToFile(const char*, const std::string&, const std::string&, const std::string&, const char*,
                              HWND, const std::string&)
{
    return false;
}
bool CWebGrab::PopStatus(GrabStatus&) { return false; }
void CWebGrab::ClearStatus() {}
std::string CWebGrab::GetTitle() const { return m_strTitle; }
void CWebGrab::SetTitle(const std::string& title) { m_strTitle = title; }
