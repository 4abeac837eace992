#include "framework/Dialog.h"

Dialog::~Dialog()
{
    if (m_hwnd && !m_modal) {
        const HWND hwnd = m_hwnd;
        Detach();
        ::DestroyWindow(hwnd);
    }
}

INT_PTR Dialog::DoModal(HWND parent)
{
    m_modal = true;
    const INT_PTR result = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId), parent,
                                             &Dialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
    m_modal = false;
    return result;
}

bool Dialog::CreateModeless(HWND parent)
{
    if (m_hwnd)
        return false;
    m_modal = false;
    HWND hwnd = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId), parent,
                                     &Dialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

void Dialog::EndDialog(INT_PTR result) noexcept
{
    if (!m_hwnd)
        return;
    if (m_modal)
        ::EndDialog(m_hwnd, result);
    else
        ::DestroyWindow(m_hwnd);
}

INT_PTR Dialog::DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    LRESULT reflected = 0;
    if (ReflectToChild(m_hwnd, msg, w, l, reflected)) {
        switch (msg) {
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            return static_cast<INT_PTR>(reflected);
        default:
            SetMsgResult(reflected);
            return TRUE;
        }
    }
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (l == 0 || reinterpret_cast<HWND>(l) == ::GetDlgItem(m_hwnd, LOWORD(w))) {
            if (LOWORD(w) == IDOK) {
                OnOK();
                return TRUE;
            }
            if (LOWORD(w) == IDCANCEL) {
                OnCancel();
                return TRUE;
            }
        }
        break;
    default:
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK Dialog::StaticDialogProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) noexcept
{
    Dialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(l);
        // Bound like every Window: user data plus the marker property; the dialog procedure stays
        // the system's, which calls back here.
        self->m_hwnd = hwnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        ::SetPropA(hwnd, "TasvrinWindowObject", reinterpret_cast<HANDLE>(1));
    } else {
        self = static_cast<Dialog*>(Window::FromHandle(hwnd));
    }
    if (!self)
        return FALSE;
    const INT_PTR result = self->DialogProc(msg, w, l);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        ::RemovePropA(hwnd, "TasvrinWindowObject");
        self->m_hwnd = nullptr;
        self->OnFinalDestroy();
    }
    return result;
}

DialogEx::~DialogEx()
{
    if (m_background)
        ::DeleteObject(m_background);
}

void DialogEx::SetBackgroundColor(COLORREF colour, bool repaint) noexcept
{
    HBRUSH brush = ::CreateSolidBrush(colour);
    if (!brush)
        return;
    if (m_background)
        ::DeleteObject(m_background);
    m_background = brush;
    if (repaint && m_hwnd) {
        ::InvalidateRect(m_hwnd, nullptr, TRUE);
        ::UpdateWindow(m_hwnd);
    }
}

INT_PTR DialogEx::DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    switch (msg) {
    case WM_CTLCOLORDLG:
        if (m_background)
            return reinterpret_cast<INT_PTR>(m_background);
        break;
    case WM_ERASEBKGND:
        if (m_background) {
            RECT r;
            ::GetClientRect(m_hwnd, &r);
            ::FillRect(reinterpret_cast<HDC>(w), &r, m_background);
            SetMsgResult(TRUE);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return Dialog::DialogProc(msg, w, l);
}
