#include "controls/DropWnd.h"

#include "controls/AdvComboBox.h"
#include "controls/VisualStyles.h"
#include "framework/Handles.h"

#include <windowsx.h>

#include <algorithm>

namespace
{
constexpr const char* kDropClass = "TasvrinDropWnd";

void ShrinkBy1(RECT& r) noexcept
{
    ::InflateRect(&r, -1, -1);
}
} // namespace

CDropWnd::CDropWnd(CAdvComboBox* owner, const ComboItemList& items, DWORD lookFlags)
    : m_owner(owner), m_items(items), m_lookFlags(lookFlags), m_listBox(owner, &m_scrollBar)
{
}

CDropWnd::~CDropWnd()
{
    Destroy();
}

bool CDropWnd::Create(const RECT& rect)
{
    RegisterWindowClass(kDropClass, CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
    return Window::Create(0, kDropClass, "", WS_CHILD, rect, ::GetDesktopWindow(), kDropWindowId);
}

void CDropWnd::Destroy() noexcept
{
    if (!m_hwnd)
        return;
    if (::GetCapture() && (::GetCapture() == m_hwnd || ::IsChild(m_hwnd, ::GetCapture())))
        ::ReleaseCapture();
    m_listBox.Destroy();
    ::DestroyWindow(m_hwnd);
}

std::string CDropWnd::RowText(int row) const
{
    const ComboItem* item = const_cast<CDropWnd*>(this)->m_listBox.RowItem(row);
    return item ? item->text : std::string();
}

LRESULT CDropWnd::OnCreate(const CREATESTRUCTA& cs) noexcept
{
    const int x = cs.x, y = cs.y, w = cs.cx, h = cs.cy;
    ::SetWindowLongPtrA(m_hwnd, GWL_EXSTYLE, ::GetWindowLongPtrA(m_hwnd, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
    ::SetWindowPos(m_hwnd, HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW);

    const int cxv = ::GetSystemMetrics(SM_CXVSCROLL);
    const int cyv = ::GetSystemMetrics(SM_CYVSCROLL);
    RECT client = Ref().ClientRect();
    m_scrollRect = client;
    m_scrollRect.left = client.right - cxv;
    m_scrollRect.bottom -= cyv;
    if (!m_scrollBar.Create(m_scrollRect, m_hwnd, kDropScrollBarId))
        return -1;

    RECT list{x, y, x + w - cxv, y + h};
    ::MapWindowPoints(HWND_DESKTOP, m_hwnd, reinterpret_cast<POINT*>(&list), 2);
    m_listRect = list;
    if (!m_listBox.Create(m_listRect, m_hwnd, kDropListBoxId))
        return -1;
    m_listBox.SetLookFlags(m_lookFlags);
    m_listBox.Ref().Show(true);

    // Height: downward below the combo unless too few rows fit, then upward above it.
    const RECT combo = m_owner->Ref().WindowRect();
    const int comboHeight = combo.bottom - combo.top;
    const int comboWidth = combo.right - combo.left;
    const int rowHeight = std::max(m_listBox.RowHeight(), 1);
    const int rows = static_cast<int>(m_items.size());
    const int cy = ::GetSystemMetrics(SM_CYSCREEN);
    const int maxRows = m_owner->GetMaxDropRows();
    const bool limited = maxRows != -1 && rows >= maxRows;
    int height = rows * rowHeight + 2;
    int top = y;
    if ((cy - y) / rowHeight < m_owner->GetMinRowsBelow()) {
        const int above = y - comboHeight;
        if (!limited) {
            top = std::max(above - height, 0);
            height = std::min(height, above - top);
        } else {
            top = std::max(above - rowHeight * maxRows - 2, 0);
            height = above - top;
        }
    } else if (!limited) {
        if (y + height > cy)
            height = cy - y;
        else if (height < cyv)
            height = cyv;
    } else {
        height = std::min(rowHeight * maxRows, cy - y) + 2;
    }

    // Width: the widest row plus the scroll bar, at least the combo's width.
    int widest = 0;
    for (const ComboItem& item : m_items)
        widest = std::max<int>(widest, m_listBox.MeasureRow(item.text.c_str(), static_cast<int>(item.text.size())).cx);
    int width = widest + (m_scrollRect.right - m_scrollRect.left) + 8;
    if (width < m_listRect.right - m_listRect.left)
        width = w;
    width = std::max(width, comboWidth);

    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    int left = x;
    if (width > cx - left) {
        left = cx - width;
        if (left < 0)
            left = 0;
    }
    if (left == 0)
        width = std::min(width, cx);

    m_widest = width + 100;
    m_tallest = height + 100;
    ::SetWindowPos(m_hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_SHOWWINDOW);

    client = Ref().ClientRect();
    m_gripRect = RECT{client.right - cxv, client.bottom - cyv, client.right, client.bottom};

    for (const ComboItem& item : m_items)
        m_listBox.AddItem(item);
    m_scrollBar.SetListBox(&m_listBox);
    m_scrollBar.Ref().Show(true);
    ::SetCapture(m_hwnd);
    return 0;
}

void CDropWnd::OnSize(int cw, int ch) noexcept
{
    const int cxv = ::GetSystemMetrics(SM_CXVSCROLL);
    const int cyv = ::GetSystemMetrics(SM_CYVSCROLL);
    m_listRect = RECT{0, 0, cw - cxv, ch};
    RECT r = m_listRect;
    ShrinkBy1(r);
    if (m_listBox.Handle())
        ::MoveWindow(m_listBox, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    m_scrollRect = RECT{cw - cxv, 0, cw, ch - cyv};
    r = m_scrollRect;
    ShrinkBy1(r);
    if (m_scrollBar.Handle())
        ::MoveWindow(m_scrollBar, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    {
        WindowDC dc(m_hwnd);
        UniquePen pen(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DDKSHADOW)));
        SelectGuard usePen(dc, pen.Get());
        ::Rectangle(dc, 0, 0, cw, ch);
    }
    m_gripRect = RECT{cw - cxv, ch - cyv, cw, ch};
    ShrinkBy1(m_gripRect);
    ::InvalidateRect(m_hwnd, &m_gripRect, TRUE);
    if (m_scrollBar.Handle() && m_listBox.Handle())
        m_scrollBar.SetPage(m_listBox.GetLastVisibleRow() - m_listBox.TopRow());
}

void CDropWnd::Paint(HDC hdc) noexcept
{
    // The frame is drawn on every paint as well, so that an erased background never loses it.
    const RECT client = Ref().ClientRect();
    {
        UniquePen pen(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DDKSHADOW)));
        SelectGuard usePen(hdc, pen.Get());
        SelectGuard useBrush(hdc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(hdc, 0, 0, client.right, client.bottom);
    }
    RECT grip = m_gripRect;
    CVisualStyles& styles = CVisualStyles::Current();
    if (styles.IsVisualStylesActive()) {
        if (HTHEME theme = styles.OpenThemeData(m_hwnd, L"SCROLLBAR")) {
            styles.DrawThemeBackground(theme, hdc, 6, 1, &grip, nullptr);
            styles.DrawThemeBackground(theme, hdc, 10, 1, &grip, nullptr);
            styles.CloseThemeData(theme);
        }
    } else {
        ::DrawFrameControl(hdc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
}

void CDropWnd::OnMouseMove(UINT flags, POINT pt) noexcept
{
    if (m_resizing) {
        const RECT combo = m_owner->Ref().WindowRect();
        const int comboWidth = combo.right - combo.left;
        int width = pt.x + m_gripOffset.x;
        if (width < comboWidth)
            width = comboWidth;
        if (width > m_widest)
            width = m_widest;
        const int cyv = ::GetSystemMetrics(SM_CYVSCROLL);
        int height;
        if (pt.y + m_gripOffset.y < cyv)
            height = ::GetSystemMetrics(SM_CXVSCROLL) + 1;
        else if (pt.y + m_gripOffset.y > m_tallest)
            height = m_tallest;
        else
            height = pt.y + m_gripOffset.y + 2;
        const RECT window = Ref().WindowRect();
        ::MoveWindow(m_hwnd, window.left, window.top, width, height, TRUE);
        return;
    }
    if (::PtInRect(&m_listRect, pt)) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
        ::ReleaseCapture();
        m_scrollBar.Ref().Send(WM_DROP_GIVECAPTURE);
        ::SetFocus(m_listBox);
        m_listBox.Ref().Send(WM_DROP_TAKECAPTURE);
    } else if (::PtInRect(&m_scrollRect, pt)) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
        ::SetFocus(m_scrollBar);
        ::ReleaseCapture();
        m_listBox.Ref().Send(WM_DROP_GIVECAPTURE);
        m_scrollBar.Ref().Send(WM_DROP_TAKECAPTURE);
    } else {
        ::SetCursor(::LoadCursorA(nullptr, ::PtInRect(&m_gripRect, pt) ? IDC_SIZENWSE : IDC_ARROW));
        ::SetCapture(m_hwnd);
        Default(WM_MOUSEMOVE, flags, MAKELPARAM(pt.x, pt.y));
    }
}

void CDropWnd::OnLButtonDown(UINT flags, POINT pt, LPARAM l) noexcept
{
    if (::PtInRect(&m_gripRect, pt)) {
        const RECT client = Ref().ClientRect();
        m_resizing = true;
        m_gripOffset = POINT{client.right - pt.x, client.bottom - pt.y};
        return;
    }
    const RECT client = Ref().ClientRect();
    const HWND owner = m_owner->Handle();
    if (!::PtInRect(&client, pt)) {
        // The pointer is captured: this is a click anywhere else on the screen, the combo included.
        ::ReleaseCapture();
        ::PostMessageA(owner, WM_DROP_CLOSE, 0, 0);
    }
    // The owner may close (and delete) this drop-down while it handles the click: nothing of this
    // object is touched after it.
    const HWND self = m_hwnd;
    ::SendMessageA(owner, WM_LBUTTONDOWN, flags, l);
    if (::IsWindow(self))
        ::DefWindowProcA(self, WM_LBUTTONDOWN, flags, l);
}

LRESULT CDropWnd::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    LRESULT reflected = 0;
    if (ReflectToChild(m_hwnd, msg, w, l, reflected))
        return reflected;
    switch (msg) {
    case WM_CREATE: {
        if (Default(msg, w, l) == -1)
            return -1;
        return OnCreate(*reinterpret_cast<const CREATESTRUCTA*>(l));
    }
    case WM_SIZE:
        OnSize(LOWORD(l), HIWORD(l));
        return 0;
    case WM_PAINT:
        return PaintFromMessage(m_hwnd, w, [this](HDC hdc) { Paint(hdc); });
    case WM_PRINTCLIENT:
        if (l & PRF_ERASEBKGND)
            ::FillRect(reinterpret_cast<HDC>(w), &m_listRect, ::GetSysColorBrush(COLOR_WINDOW));
        Paint(reinterpret_cast<HDC>(w));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(w), POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(w), POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}, l);
        return 0;
    case WM_LBUTTONUP:
        if (m_resizing) {
            m_resizing = false;
            ::RedrawWindow(m_listBox, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
        return Default(msg, w, l);
    case WM_ACTIVATEAPP: {
        const LRESULT result = Default(msg, w, l);
        if (!w)
            ::PostMessageA(m_owner->Handle(), WM_DROP_CLOSE, 0, 0);
        return result;
    }
    case WM_DROP_TAKECAPTURE:
        ::SetCapture(m_hwnd);
        return 0;
    case WM_DROP_GIVECAPTURE:
        ::ReleaseCapture();
        return 0;
    default:
        return Default(msg, w, l);
    }
}
