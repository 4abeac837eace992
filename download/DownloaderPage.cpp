// PLACEHOLDER: minimal body so that everything links; its owner replaces this whole file.
#include "download/DownloaderPage.h"

#include "res/resource.h"

CDownloaderPage::CDownloaderPage() : PropertyPage(IDD_DOWNLOADER) {}
CDownloaderPage::~CDownloaderPage() = default;
bool CDownloaderPage::OnSetActive() noexcept { return true; }
void CDownloaderPage::OnOpen() {}
void CDownloaderPage::SwitchToVideoMode() {}
void CDownloaderPage::SwitchToMp3Mode() {}
void CDownloaderPage::SetStatusText(const std::string&) {}
BOOL CDownloaderPage::OnInitDialog() noexcept { return TRUE; }
INT_PTR CDownloaderPage::DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept { return PropertyPage::DialogProc(msg, w, l); }
HBRUSH CDownloaderPage::ControlColor(HDC, HWND, UINT) noexcept { return nullptr; }
