#include "framework/LinkButton.h"

#include "app/ShellOpen.h"
#include "framework/Handles.h"

#include <commctrl.h>

void LinkButton::OnAttached() noexcept
{
    // Owner drawing keeps the button procedure from painting a push button over the link when it
    // repaints on its own (focus, state changes).
    const LONG_PTR style = ::GetWindowLongPtrA(m_hwnd, GWL_STYLE);
    ::SetWindowLongPtrA(m_hwnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
}

void LinkButton::SetVisited(bool visited) noexcept
{
    m_visited = visited;
    if (m_hwnd)
        ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

void LinkButton::SetAlwaysUnderline(bool on) noexcept
{
    m_alwaysUnderline = on;
    if (m_hwnd)
        ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

void LinkButton::OnClicked() noexcept
{
    if (!m_url.empty())
        ShellOpen("open", m_url);
    SetVisited(true);
}

void LinkButton::DrawLink(HDC hdc, const RECT& rect) noexcept
{
    char text[512] = {};
    ::GetWindowTextA(m_hwnd, text, sizeof(text));
    SelectGuard font(hdc, reinterpret_cast<HFONT>(::SendMessageA(m_hwnd, WM_GETFONT, 0, 0)));
    ::SetBkMode(hdc, TRANSPARENT);
    ::SetTextColor(hdc, m_hover ? RGB(255, 0, 0) : (m_visited ? RGB(128, 0, 128) : RGB(0, 0, 255)));
    RECT r = rect;
    ::DrawTextA(hdc, text, -1, &r, m_multiline ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER);
}

SIZE LinkButton::SizeToContent(bool centreVertically, bool centreHorizontally) noexcept
{
    SIZE size{};
    if (!m_hwnd)
        return size;
    char text[512] = {};
    ::GetWindowTextA(m_hwnd, text, sizeof(text));
    WindowDC dc(m_hwnd);
    SelectGuard font(dc, reinterpret_cast<HFONT>(::SendMessageA(m_hwnd, WM_GETFONT, 0, 0)));
    RECT client;
    ::GetClientRect(m_hwnd, &client);
    RECT r = client;
    ::DrawTextA(dc, text, -1, &r, DT_CALCRECT | (m_multiline ? DT_WORDBREAK : DT_SINGLELINE));
    size.cx = (r.right - r.left) + 12;
    size.cy = (r.bottom - r.top) + 12;
    RECT place = WindowRef(m_hwnd).RectIn(::GetParent(m_hwnd));
    int x = place.left;
    int y = place.top;
    if (centreHorizontally)
        x += ((place.right - place.left) - size.cx) / 2;
    if (centreVertically)
        y += ((place.bottom - place.top) - size.cy) / 2;
    ::SetWindowPos(m_hwnd, nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    return size;
}

void LinkButton::PaintParentBackground(HDC hdc) const noexcept
{
    const HWND parent = ::GetParent(m_hwnd);
    if (!parent)
        return;
    POINT origin{0, 0};
    ::MapWindowPoints(m_hwnd, parent, &origin, 1);
    SavedDCState state(hdc);
    POINT old;
    ::OffsetViewportOrgEx(hdc, -origin.x, -origin.y, &old);
    ::SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
}

void LinkButton::PaintInto(HDC hdc, bool erase) noexcept
{
    RECT client;
    ::GetClientRect(m_hwnd, &client);
    if (erase)
        PaintParentBackground(hdc);
    DrawLink(hdc, client);
}

bool LinkButton::OnReflect(UINT msg, WPARAM w, LPARAM l, LRESULT& result) noexcept
{
    if (msg == WM_COMMAND && HIWORD(w) == BN_CLICKED) {
        OnClicked();
        // The parent still hears of the click (a dialog may want to know).
        return false;
    }
    if (msg == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        PaintInto(item->hDC, true);
        result = TRUE;
        return true;
    }
    if (msg == WM_CTLCOLORBTN) {
        result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return true;
    }
    return false;
}

LRESULT LinkButton::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    switch (msg) {
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
        return TRUE;
    case WM_MOUSEMOVE:
        if (!m_hover) {
            m_hover = true;
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hwnd, 0};
            ::TrackMouseEvent(&track);
            ::InvalidateRect(m_hwnd, nullptr, TRUE);
        }
        break;
    case WM_MOUSELEAVE:
        m_hover = false;
        ::InvalidateRect(m_hwnd, nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE: {
        // Enter on the focused link belongs to the link, not to the dialog's default button.
        const auto* message = reinterpret_cast<const MSG*>(l);
        LRESULT code = Default(msg, w, l);
        if (message &&
            (message->message == WM_KEYDOWN || message->message == WM_KEYUP || message->message == WM_CHAR) &&
            message->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        if (w == VK_RETURN)
            return 0;
        break;
    case WM_CHAR:
        if (w == VK_RETURN || w == '\r')
            return 0;
        break;
    case WM_KEYUP:
        if (w == VK_RETURN) {
            // The same path as a mouse click: the parent hears BN_CLICKED, which comes back here.
            ::SendMessageA(m_hwnd, BM_CLICK, 0, 0);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        PaintParentBackground(reinterpret_cast<HDC>(w));
        return TRUE;
    case WM_PAINT:
        return PaintFromMessage(m_hwnd, w, [this](HDC hdc) { PaintInto(hdc, false); });
    case WM_PRINTCLIENT:
        PaintInto(reinterpret_cast<HDC>(w), (l & PRF_ERASEBKGND) != 0);
        return 0;
    default:
        break;
    }
    return Window::WindowProc(msg, w, l);
}
