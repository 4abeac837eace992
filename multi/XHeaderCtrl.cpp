#include "multi/XHeaderCtrl.h"

#include "framework/Handles.h"
#include "multi/MemDC2.h"

#include <algorithm>

namespace
{
constexpr COLORREF kCheckFrame = RGB(51, 102, 153);
constexpr COLORREF kCheckMark = RGB(51, 153, 51);
constexpr int kCheckSize = 13;
} // namespace

CXHeaderCtrl::CXHeaderCtrl() noexcept : m_rgbText(::GetSysColor(COLOR_BTNTEXT))
{
    ReadSysColors();
}

void CXHeaderCtrl::ReadSysColors() noexcept
{
    m_cr3DFace = ::GetSysColor(COLOR_3DFACE);
    m_cr3DHighLight = ::GetSysColor(COLOR_3DHIGHLIGHT);
    m_cr3DShadow = ::GetSysColor(COLOR_3DSHADOW);
    m_crBtnText = ::GetSysColor(COLOR_BTNTEXT);
}

int CXHeaderCtrl::GetItemCount() const noexcept
{
    return m_hwnd ? static_cast<int>(::SendMessageA(m_hwnd, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int CXHeaderCtrl::GetItemImage(int item) const noexcept
{
    if (item < 0 || item >= GetItemCount())
        return -1;
    HDITEMA hd{};
    hd.mask = HDI_IMAGE;
    if (!::SendMessageA(m_hwnd, HDM_GETITEMA, item, reinterpret_cast<LPARAM>(&hd)))
        return -1;
    return hd.iImage;
}

BOOL CXHeaderCtrl::SetItemImage(int item, int image) noexcept
{
    if (item < 0 || item >= GetItemCount())
        return FALSE;
    HDITEMA hd{};
    hd.mask = HDI_IMAGE;
    hd.iImage = image;
    return ::SendMessageA(m_hwnd, HDM_SETITEMA, item, reinterpret_cast<LPARAM>(&hd)) ? TRUE : FALSE;
}

BOOL CXHeaderCtrl::GetItemRect(int item, RECT& rect) const noexcept
{
    return ::SendMessageA(m_hwnd, HDM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect)) ? TRUE : FALSE;
}

LRESULT CXHeaderCtrl::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    switch (msg) {
    case WM_ERASEBKGND:
        return TRUE; // the paint covers everything
    case WM_PAINT:
        if (w) {
            Paint(reinterpret_cast<HDC>(w));
        } else {
            PaintDC dc(m_hwnd);
            if (m_bDoubleBuffer) {
                CMemDC2 mem(dc);
                Paint(mem);
            } else {
                Paint(dc);
            }
        }
        return 0;
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(w));
        return 0;
    case WM_SYSCOLORCHANGE: {
        const LRESULT r = Default(msg, w, l);
        ReadSysColors();
        return r;
    }
    case WM_LBUTTONDBLCLK:
        // A double-click is a second click, never the divider's auto-sizing.
        return ::SendMessageA(m_hwnd, WM_LBUTTONDOWN, w, l);
    case HDM_SETIMAGELIST: {
        const auto list = reinterpret_cast<HIMAGELIST>(l);
        int cx = 0, cy = 0;
        if (list && ::ImageList_GetImageCount(list) > 0 && ::ImageList_GetIconSize(list, &cx, &cy)) {
            m_sizeImage.cx = cx;
            m_sizeImage.cy = cy;
        }
        return Default(msg, w, l);
    }
    default:
        return Window::WindowProc(msg, w, l);
    }
}

void CXHeaderCtrl::DrawItem(DRAWITEMSTRUCT*) noexcept {}

void CXHeaderCtrl::Paint(HDC hdc) noexcept
{
    RECT clip{};
    if (!hdc || ::GetClipBox(hdc, &clip) == NULLREGION || ::IsRectEmpty(&clip))
        return;
    RECT client{};
    ::GetClientRect(m_hwnd, &client);

    UniqueBrush face(::CreateSolidBrush(m_cr3DFace));
    ::FillRect(hdc, &clip, face.Get());

    UniquePen highlight(::CreatePen(PS_SOLID, 1, m_cr3DHighLight));
    UniquePen shadow(::CreatePen(PS_SOLID, 1, m_cr3DShadow));
    SelectGuard font(hdc, reinterpret_cast<HGDIOBJ>(::SendMessageA(m_hwnd, WM_GETFONT, 0, 0)));
    SelectGuard pen(hdc, shadow.Get());
    ::SetBkColor(hdc, m_cr3DFace);
    ::SetTextColor(hdc, m_crBtnText);

    const int count = GetItemCount();
    int total = 0;
    for (int position = 0; position < count; ++position) {
        const int index = static_cast<int>(::SendMessageA(m_hwnd, HDM_ORDERTOINDEX, position, 0));
        char text[80] = {};
        HDITEMA item{};
        item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_BITMAP | HDI_IMAGE;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        ::SendMessageA(m_hwnd, HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
        RECT rect{};
        GetItemRect(index, rect);

        if (rect.right >= clip.left && rect.left <= clip.right) {
            if (item.fmt & HDF_OWNERDRAW) {
                DRAWITEMSTRUCT dis{};
                dis.CtlType = ODT_HEADER;
                dis.CtlID = static_cast<UINT>(::GetDlgCtrlID(m_hwnd));
                dis.itemID = static_cast<UINT>(index);
                dis.itemAction = ODA_DRAWENTIRE;
                dis.hwndItem = m_hwnd;
                dis.hDC = hdc;
                dis.rcItem = rect;
                DrawItem(&dis);
            } else {
                RECT inner = rect;
                inner.left += m_nSpace;
                inner.right -= m_nSpace;
                DrawHeaderItem(hdc, inner, item);
            }
            if (position < count - 1 && m_bDividerLines) {
                ::SelectObject(hdc, shadow.Get());
                ::MoveToEx(hdc, rect.right - 1, rect.top + 2, nullptr);
                ::LineTo(hdc, rect.right - 1, rect.bottom - 2);
                ::SelectObject(hdc, highlight.Get());
                ::MoveToEx(hdc, rect.right, rect.top + 2, nullptr);
                ::LineTo(hdc, rect.right, rect.bottom - 2);
            }
        }
        total += item.cxy;
    }

    if (total > 0) {
        RECT frame = client;
        frame.right = frame.left + total;
        // top and left in the highlight colour, right and bottom in the shadow colour
        ::SelectObject(hdc, highlight.Get());
        ::MoveToEx(hdc, frame.left, frame.bottom - 1, nullptr);
        ::LineTo(hdc, frame.left, frame.top);
        ::LineTo(hdc, frame.right - 1, frame.top);
        ::SelectObject(hdc, shadow.Get());
        ::LineTo(hdc, frame.right - 1, frame.bottom - 1);
        ::LineTo(hdc, frame.left, frame.bottom - 1);
    }
    // the guards restore the pen and the font before the pens are deleted
}

void CXHeaderCtrl::DrawHeaderItem(HDC hdc, RECT rect, const HDITEMA& item) noexcept
{
    HBITMAP bitmap = nullptr;
    BITMAP info{};
    if ((item.fmt & HDF_BITMAP) && item.hbm) {
        bitmap = item.hbm;
        ::GetObjectA(bitmap, sizeof(info), &info);
    }
    const int imageWidth = DrawImage(hdc, rect, item);
    if (imageWidth > 0)
        rect.left += imageWidth + m_nSpace;
    const int bitmapWidth = DrawBitmap(hdc, rect, item, bitmap, info);
    if (bitmapWidth > 0)
        rect.right -= bitmapWidth + m_nSpace;
    DrawText(hdc, rect, item);
}

int CXHeaderCtrl::DrawImage(HDC hdc, RECT rect, const HDITEMA& item) noexcept
{
    if (item.iImage == 0)
        return 0;
    const int width = rect.right - rect.left;
    if (width <= 0)
        return 0;
    const auto list = reinterpret_cast<HIMAGELIST>(::SendMessageA(m_hwnd, HDM_GETIMAGELIST, 0, 0));
    if (list) {
        POINT at{rect.left, (rect.top + rect.bottom) / 2 - (m_sizeImage.cy + 1) / 2};
        const int cx = std::min<int>(m_sizeImage.cx, width);
        const COLORREF old = ::ImageList_SetBkColor(list, ::GetBkColor(hdc));
        ::ImageList_DrawEx(list, item.iImage, hdc, at.x, at.y, cx, m_sizeImage.cy, CLR_DEFAULT, CLR_DEFAULT,
                           ILD_NORMAL);
        ::ImageList_SetBkColor(list, old);
        return m_sizeImage.cx;
    }

    // No image list: the image index is a check box state.
    RECT box{rect.left, rect.top + (rect.bottom - rect.top - kCheckSize) / 2, 0, 0};
    box.right = box.left + kCheckSize;
    box.bottom = box.top + kCheckSize;
    const COLORREF oldBack = ::SetBkColor(hdc, ::GetSysColor(COLOR_WINDOW));
    UniqueBrush window(::CreateSolidBrush(::GetSysColor(COLOR_WINDOW)));
    ::FillRect(hdc, &box, window.Get());
    UniqueBrush frame(::CreateSolidBrush(kCheckFrame));
    ::FrameRect(hdc, &box, frame.Get());
    if (item.iImage == 2) {
        UniquePen mark(::CreatePen(PS_SOLID, 1, kCheckMark));
        SelectGuard pen(hdc, mark.Get());
        int x = box.left + 9;
        int y = box.top + 3;
        for (int i = 0; i < 7; ++i) {
            ::MoveToEx(hdc, x, y, nullptr);
            ::LineTo(hdc, x, y + 3);
            --x;
            y += i < 4 ? 1 : -1;
        }
    }
    ::SetBkColor(hdc, oldBack);
    return kCheckSize;
}

int CXHeaderCtrl::DrawBitmap(HDC hdc, RECT rect, const HDITEMA&, HBITMAP bitmap, const BITMAP& info) noexcept
{
    const int width = rect.right - rect.left;
    if (!bitmap || width <= 0 || width < info.bmWidth)
        return 0;
    UniqueMemDC mem(::CreateCompatibleDC(hdc));
    if (!mem)
        return 0;
    SelectGuard select(mem.Get(), bitmap);
    const int left = rect.right - info.bmWidth;
    const int top = (rect.top + rect.bottom) / 2 - info.bmHeight / 2;
    const BOOL ok = ::BitBlt(hdc, left, top, info.bmWidth, info.bmHeight, mem.Get(), 0, 0, SRCCOPY);
    return ok ? info.bmWidth : 0;
}

int CXHeaderCtrl::DrawText(HDC hdc, RECT rect, const HDITEMA& item) noexcept
{
    SIZE size{};
    const int length = item.pszText ? static_cast<int>(::lstrlenA(item.pszText)) : 0;
    if (length > 0)
        ::GetTextExtentPoint32A(hdc, item.pszText, length, &size);
    const int width = rect.right - rect.left;
    if (width > 0 && length > 0 && (item.fmt & HDF_STRING)) {
        const COLORREF old = ::SetTextColor(hdc, m_rgbText);
        UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
        if (item.fmt & HDF_CENTER)
            format |= DT_CENTER;
        else if (item.fmt & HDF_RIGHT)
            format |= DT_RIGHT;
        else
            format |= DT_LEFT;
        ::DrawTextA(hdc, item.pszText, length, &rect, format);
        ::SetTextColor(hdc, old);
    }
    const int reported = std::min<int>(size.cx, width);
    return reported > 0 ? reported : 0;
}
