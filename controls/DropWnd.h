// The drop-down window of the advanced combo box: a borderless topmost window just below (or
// above) the combo, sized to its rows and the screen, holding the drop-down list, its scroll bar
// and a size grip. It and its two children hand the mouse capture to one another so that the
// pointer is always captured by the window under it; a click anywhere else closes the drop-down.
#pragma once

#include "controls/ComboItems.h"
#include "controls/DropListBox.h"
#include "controls/DropScrollBar.h"
#include "framework/Window.h"

class CAdvComboBox;

class CDropWnd : public Window
{
public:
    CDropWnd(CAdvComboBox* owner, const ComboItemList& items, DWORD lookFlags);
    ~CDropWnd() override;

    // Creates the window as a child of the desktop window, id 6. `rect` is the starting rectangle in
    // screen coordinates (the combo's left and right edges, zero height at its bottom edge); the
    // window sizes itself while it is created.
    bool Create(const RECT& rect);
    // Releases the capture, destroys the list (with its row copies) and then the window itself.
    void Destroy() noexcept;

    CDropListBox& ListBox() noexcept { return m_listBox; }
    CDropScrollBar& ScrollBar() noexcept { return m_scrollBar; }
    const ComboItemList& Items() const noexcept { return m_items; }
    // Text of a row of the list, empty when there is no such row.
    std::string RowText(int row) const;
    RECT GripRect() const noexcept { return m_gripRect; }
    SIZE MaxDragSize() const noexcept { return SIZE{m_widest, m_tallest}; }
    bool Resizing() const noexcept { return m_resizing; }

    // Draws the frame and the size grip into a device context.
    void Paint(HDC hdc) noexcept;

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;

private:
    LRESULT OnCreate(const CREATESTRUCTA& cs) noexcept;
    void OnSize(int cw, int ch) noexcept;
    void OnMouseMove(UINT flags, POINT pt) noexcept;
    void OnLButtonDown(UINT flags, POINT pt, LPARAM l) noexcept;

    CAdvComboBox* m_owner;
    ComboItemList m_items;
    DWORD m_lookFlags;
    CDropScrollBar m_scrollBar;
    CDropListBox m_listBox;
    RECT m_listRect{};
    RECT m_scrollRect{};
    RECT m_gripRect{};
    int m_widest = 1000;
    int m_tallest = 1000;
    bool m_resizing = false;
    POINT m_gripOffset{};
};
