// The in-cell text editor of the extended list control: a one-line edit that tells the list once
// whether the text is to be accepted (Return, focus lost) or the edit cancelled (Escape).
#pragma once

#include "framework/Window.h"

#include <string>

// Sent by the in-cell edit to the list, wParam and lParam 0.
extern const UINT WM_XEDIT_KILL_FOCUS; // Return pressed or focus lost: accept the text
extern const UINT WM_XEDIT_VK_ESCAPE;  // Escape pressed: cancel

class CXEdit : public Window
{
public:
    CXEdit(HWND notify, const std::string& initialText) : m_notify(notify), m_initialText(initialText) {}

    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id);

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;

private:
    // Sends the one notification; the list may destroy this object before it returns.
    void TellOnce(UINT msg) noexcept;
    void PaintFrame(HDC hdc, bool before) noexcept;

    HWND m_notify;
    std::string m_initialText;
    bool m_told = false;
};
