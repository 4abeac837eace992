// The in-cell choice list of the extended list control: an advanced combo box that tells the list
// whether the user accepted or cancelled the choice.
#pragma once

#include "controls/AdvComboBox.h"

// Sent by the in-cell combo to the list, wParam and lParam 0.
extern const UINT WM_XCOMBOLIST_COMPLETE;  // choice accepted, or the focus went to another window
extern const UINT WM_XCOMBOLIST_VK_ESCAPE; // choice cancelled, or the focus went away

class CXCombo : public CAdvComboBox
{
public:
    explicit CXCombo(HWND notify) noexcept : m_notify(notify) {}

    void OnCancelChoice() override;
    void OnCompleteChoice() override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;

private:
    void Tell(UINT msg) noexcept;

    HWND m_notify;
};
