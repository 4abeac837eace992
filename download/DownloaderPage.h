// The "Main" page: address box, MP3/Video choice, options, save folder, Download and Stop, and the
// status box that follows the current download slot.
#pragma once

#include "framework/PageSheet.h"

#include <string>

class CDownloaderPage : public PropertyPage {
public:
    CDownloaderPage();
    ~CDownloaderPage() override;

    bool OnSetActive() noexcept override;

    // Commands (also reachable from the multiple download page and from tests).
    void OnDownload();
    void OnStop();
    void OnOpen();
    void SwitchToVideoMode();
    void SwitchToMp3Mode();
    // Sets the status line text and repaints the page background behind it.
    void SetStatusText(const std::string& text);

protected:
    BOOL OnInitDialog() noexcept override;
    INT_PTR DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept override;

    // Worker messages.
    void OnGrabStatus(WPARAM w, LPARAM l);
    void OnJobProgress(WPARAM w, LPARAM l);
    void OnJobStarted(WPARAM w, LPARAM l);
    void OnJobFinished(WPARAM w, LPARAM l);

    HBRUSH ControlColor(HDC hdc, HWND control, UINT msg) noexcept;

private:
    HBRUSH m_brush = nullptr; // theme-coloured brush, remade when the colour changes
    class EditBrowse* m_saveTo = nullptr; // the "Save to" box, owned
};
