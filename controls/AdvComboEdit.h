// The edit field of a drop-down advanced combo box. Its key presses go through the combo's key
// handling first.
#pragma once

#include "framework/Window.h"

class CAdvComboBox;

class CAdvComboEdit : public Window
{
public:
    explicit CAdvComboEdit(CAdvComboBox* combo) noexcept : m_combo(combo) {}
    bool Create(DWORD style, const RECT& rect, HWND parent, int id);

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;
    void OnAttached() noexcept override;

private:
    CAdvComboBox* m_combo;
    bool m_foregroundDone = false;
};
