#include "app/VisualManagerRizevor.h"

#include "app/Globals.h"
#include "framework/Handles.h"

void CMFCVisualManagerRizevor::FillFace(HDC hdc, const RECT& rect) noexcept
{
    // The colour is read at every fill, so a new theme shows at the next repaint.
    UniqueBrush brush(::CreateSolidBrush(ThemeColor()));
    ::FillRect(hdc, &rect, brush.Get());
}
