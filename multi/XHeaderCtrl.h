// The column header of the extended list: paints itself completely (off-screen), with etched
// dividers, a 3D frame, an image or check box at the left of each item, an optional bitmap at the
// right and the title between them. A double-click counts as a second click.
#pragma once

#include "framework/Window.h"

#include <commctrl.h>

class CXHeaderCtrl : public Window
{
public:
    CXHeaderCtrl() noexcept;
    ~CXHeaderCtrl() override = default;

    int GetSpacing() const noexcept { return m_nSpace; }
    void SetSpacing(int space) noexcept { m_nSpace = space; }
    void SetDividerLines(bool on) noexcept { m_bDividerLines = on; }
    void SetDoubleBuffer(bool on) noexcept { m_bDoubleBuffer = on; }
    COLORREF GetTextColor() const noexcept { return m_rgbText; }
    void SetTextColor(COLORREF colour) noexcept { m_rgbText = colour; }
    SIZE ImageSize() const noexcept { return m_sizeImage; }

    int GetItemCount() const noexcept;
    // The image index of an item: with no image list it is the item's check box state
    // (0 none, 1 unchecked, 2 checked).
    int GetItemImage(int item) const noexcept;
    BOOL SetItemImage(int item, int image) noexcept;
    BOOL GetItemRect(int item, RECT& rect) const noexcept;

    // Paints the whole header into `hdc` (client coordinates).
    void Paint(HDC hdc) noexcept;

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;
    // Owner-drawn items are handed here; the header itself draws nothing for them.
    virtual void DrawItem(DRAWITEMSTRUCT* item) noexcept;
    // Draws one item's content into `rect` (already inset by the item spacing).
    virtual void DrawHeaderItem(HDC hdc, RECT rect, const HDITEMA& item) noexcept;

    int DrawImage(HDC hdc, RECT rect, const HDITEMA& item) noexcept;
    int DrawBitmap(HDC hdc, RECT rect, const HDITEMA& item, HBITMAP bitmap, const BITMAP& info) noexcept;
    int DrawText(HDC hdc, RECT rect, const HDITEMA& item) noexcept;
    void ReadSysColors() noexcept;

private:
    COLORREF m_rgbText;
    bool m_bDividerLines = true;
    bool m_bDoubleBuffer = true;
    int m_nSpace = 6;
    SIZE m_sizeImage{0, 0};
    COLORREF m_cr3DFace = 0;
    COLORREF m_cr3DHighLight = 0;
    COLORREF m_cr3DShadow = 0;
    COLORREF m_crBtnText = 0;
};
