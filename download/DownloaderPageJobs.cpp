// PLACEHOLDER: minimal body so that everything links; its owner replaces this whole file.
#include "download/DownloaderPage.h"

void CDownloaderPage::OnDownload() {}
void CDownloaderPage::OnStop() {}
void CDownloaderPage::OnGrabStatus(WPARAM, LPARAM) {}
void CDownloaderPage::OnJobProgress(WPARAM, LPARAM) {}
void CDownloaderPage::OnJobStarted(WPARAM, LPARAM) {}
void CDownloaderPage::OnJobFinished(WPARAM, LPARAM) {}
