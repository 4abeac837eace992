// The vertical scroll bar of a combo box's drop-down window; it scrolls the drop-down list.
#pragma once

#include "framework/Window.h"

class CDropListBox;

class CDropScrollBar : public Window
{
public:
    bool Create(const RECT& rect, HWND parent, int id);
    // Attaches the list box and sets the range, page and position from it.
    void SetListBox(CDropListBox* listBox) noexcept;
    void SetPosition(int position) noexcept;
    void SetPage(int page) noexcept;

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;
    bool OnReflect(UINT msg, WPARAM w, LPARAM l, LRESULT& result) noexcept override;

private:
    void OnScroll(int request, int thumbPosition) noexcept;

    CDropListBox* m_listBox = nullptr;
};
