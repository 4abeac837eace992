// The colour theme dialog: three sliders set the red, green and blue parts of the theme colour
// with a live preview on this dialog and on the main window.
#pragma once

#include "framework/Dialog.h"

class ThemeDialog : public DialogEx
{
public:
    ThemeDialog() noexcept;
    ~ThemeDialog() override;

protected:
    BOOL OnInitDialog() noexcept override;
    INT_PTR DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept override;

private:
    void OnSliderMoved(HWND slider) noexcept;

    HWND m_red = nullptr;
    HWND m_green = nullptr;
    HWND m_blue = nullptr;
    HBRUSH m_brush = nullptr;
    COLORREF m_brushColour = static_cast<COLORREF>(-1);
};
