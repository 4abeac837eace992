#include "controls/ThemeDialog.h"

#include "app/CorvaneApp.h"
#include "app/CorvaneDlg.h"
#include "app/Globals.h"
#include "res/ThemeDialog.h"
#include "res/resource.h"

#include <commctrl.h>

ThemeDialog::ThemeDialog() noexcept : DialogEx(IDD_THEME) {}

ThemeDialog::~ThemeDialog()
{
    if (m_brush)
        ::DeleteObject(m_brush);
}

BOOL ThemeDialog::OnInitDialog() noexcept
{
    m_red = ::GetDlgItem(m_hwnd, IDC_SLIDER_RED);
    m_green = ::GetDlgItem(m_hwnd, IDC_SLIDER_GREEN);
    m_blue = ::GetDlgItem(m_hwnd, IDC_SLIDER_BLUE);
    const struct {
        HWND slider;
        int value;
    } sliders[] = {{m_red, g_nR}, {m_green, g_nG}, {m_blue, g_nB}};
    for (const auto& s : sliders) {
        ::SendMessageA(s.slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 255));
        // The track bar keeps the position inside its range: a stored 300 shows as 255.
        ::SendMessageA(s.slider, TBM_SETPOS, TRUE, s.value);
    }
    SetBackgroundColor(ThemeColor(), true);
    return TRUE;
}

void ThemeDialog::OnSliderMoved(HWND slider) noexcept
{
    const int position = static_cast<int>(::SendMessageA(slider, TBM_GETPOS, 0, 0));
    if (slider == m_red)
        g_nR = position;
    else if (slider == m_green)
        g_nG = position;
    else
        g_nB = position;
    // Both backgrounds take the new colour, then both windows repaint at once; the main window's
    // pages and sheet are children, so they are repainted with it.
    const COLORREF theme = ThemeColor();
    SetBackgroundColor(theme, false);
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    CCorvaneDlg* main = MainDialog();
    if (main && main->Handle()) {
        main->SetBackgroundColor(theme, false);
        ::RedrawWindow(main->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

INT_PTR ThemeDialog::DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    switch (msg) {
    case WM_HSCROLL: {
        const auto slider = reinterpret_cast<HWND>(l);
        if (slider && (slider == m_red || slider == m_green || slider == m_blue)) {
            OnSliderMoved(slider);
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: {
        const INT_PTR base = DialogEx::DialogProc(msg, w, l);
        const COLORREF theme = ThemeColor();
        if (!m_brush || m_brushColour != theme) {
            if (m_brush)
                ::DeleteObject(m_brush);
            m_brush = ::CreateSolidBrush(theme);
            m_brushColour = theme;
        }
        const auto hdc = reinterpret_cast<HDC>(w);
        const auto control = reinterpret_cast<HWND>(l);
        if (control == m_red || control == m_green || control == m_blue) {
            ::SetTextColor(hdc, RGB(255, 255, 255));
            ::SetBkMode(hdc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(m_brush);
        }
        if (msg == WM_CTLCOLORSTATIC) {
            ::SetTextColor(hdc, RGB(255, 255, 255));
            ::SetBkMode(hdc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
        }
        return base;
    }
    default:
        break;
    }
    return DialogEx::DialogProc(msg, w, l);
}
