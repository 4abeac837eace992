#include "multi/XEdit.h"

#include "framework/Handles.h"

const UINT WM_XEDIT_KILL_FOCUS = ::RegisterWindowMessageA("WM_XEDIT_KILL_FOCUS");
const UINT WM_XEDIT_VK_ESCAPE = ::RegisterWindowMessageA("WM_XEDIT_VK_ESCAPE");

bool CXEdit::Create(DWORD style, const RECT& rect, HWND parent, UINT id)
{
    return Window::Create(0, "EDIT", "", style, rect, parent, id);
}

void CXEdit::TellOnce(UINT msg) noexcept
{
    if (m_told)
        return;
    m_told = true;
    const HWND notify = m_notify;
    if (notify && ::IsWindow(notify))
        ::SendMessageA(notify, msg, 0, 0); // nothing of this object is touched after this
}

void CXEdit::PaintFrame(HDC hdc, bool before) noexcept
{
    RECT r = Ref().ClientRect();
    if (before) {
        r.right += 2;
        ::FillRect(hdc, &r, ::GetSysColorBrush(COLOR_WINDOW));
        return;
    }
    r.left -= 1;
    r.top -= 1;
    r.right += 2;
    r.bottom -= 1;
    UniquePen pen(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_INACTIVECAPTION)));
    SelectGuard usePen(hdc, pen.Get());
    SelectGuard useBrush(hdc, ::GetStockObject(NULL_BRUSH));
    ::Rectangle(hdc, r.left, r.top, r.right, r.bottom);
}

LRESULT CXEdit::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    switch (msg) {
    case WM_CREATE: {
        const LRESULT result = Default(msg, w, l);
        if (result == -1)
            return result;
        if (!m_notify)
            m_notify = ::GetParent(m_hwnd);
        if (m_notify && ::IsWindow(m_notify))
            Ref().SetFont(reinterpret_cast<HFONT>(::SendMessageA(m_notify, WM_GETFONT, 0, 0)), false);
        else
            m_notify = nullptr;
        Ref().SetText(m_initialText);
        Ref().Send(EM_SETSEL, 0, -1);
        Ref().Send(EM_SCROLLCARET);
        ::SetFocus(m_hwnd);
        ::SetCapture(m_hwnd);
        return result;
    }
    case WM_KEYDOWN:
        // Caught as the key goes down, before the edit sees it.
        if (w == VK_RETURN) {
            TellOnce(WM_XEDIT_KILL_FOCUS);
            return 0;
        }
        if (w == VK_ESCAPE) {
            TellOnce(WM_XEDIT_VK_ESCAPE);
            return 0;
        }
        return Default(msg, w, l);
    case WM_CHAR:
        if (w == '\r') {
            TellOnce(WM_XEDIT_KILL_FOCUS);
            return 0;
        }
        if (w == 27) {
            TellOnce(WM_XEDIT_VK_ESCAPE);
            return 0;
        }
        return Default(msg, w, l);
    case WM_GETDLGCODE:
        return Default(msg, w, l) | DLGC_WANTALLKEYS;
    case WM_KILLFOCUS: {
        const LRESULT result = Default(msg, w, l);
        TellOnce(WM_XEDIT_KILL_FOCUS);
        return result;
    }
    case WM_PAINT: {
        if (w) {
            const HDC hdc = reinterpret_cast<HDC>(w);
            PaintFrame(hdc, true);
            const LRESULT result = Default(msg, w, l);
            PaintFrame(hdc, false);
            return result;
        }
        {
            WindowDC dc(m_hwnd);
            PaintFrame(dc, true);
        }
        const LRESULT result = Default(msg, w, l);
        WindowDC dc(m_hwnd);
        PaintFrame(dc, false);
        return result;
    }
    case WM_PRINTCLIENT: {
        const HDC hdc = reinterpret_cast<HDC>(w);
        PaintFrame(hdc, true);
        const LRESULT result = Default(msg, w, l);
        PaintFrame(hdc, false);
        return result;
    }
    case WM_DESTROY:
        if (::GetCapture() == m_hwnd)
            ::ReleaseCapture();
        return Default(msg, w, l);
    default:
        return Default(msg, w, l);
    }
}
