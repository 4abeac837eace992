#include "controls/DropListBox.h"

#include "controls/AdvComboBox.h"
#include "controls/DropScrollBar.h"
#include "framework/Handles.h"

#include <windowsx.h>

bool CDropListBox::Create(const RECT& rect, HWND parent, int id)
{
    return Window::Create(0, "LISTBOX", "", WS_CHILD | LBS_NOINTEGRALHEIGHT, rect, parent, static_cast<UINT_PTR>(id));
}

void CDropListBox::Destroy() noexcept
{
    if (m_hwnd) {
        // Rows first lose their record pointers, then the copies go.
        const int n = Count();
        for (int i = 0; i < n; ++i)
            Ref().Send(LB_SETITEMDATA, i, 0);
        ::DestroyWindow(m_hwnd);
    }
    m_records.clear();
}

int CDropListBox::AddItem(const ComboItem& item)
{
    auto copy = std::make_unique<ComboItem>(item);
    const int row = static_cast<int>(Ref().Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(copy->text.c_str())));
    if (row < 0)
        return row;
    Ref().Send(LB_SETITEMDATA, row, reinterpret_cast<LPARAM>(copy.get()));
    m_records.push_back(std::move(copy));
    return row;
}

const ComboItem* CDropListBox::RowItem(int row) const noexcept
{
    if (!m_hwnd || row < 0)
        return nullptr;
    const LRESULT data = Ref().Send(LB_GETITEMDATA, row);
    if (data == LB_ERR || data == 0)
        return nullptr;
    return reinterpret_cast<const ComboItem*>(data);
}

LRESULT CDropListBox::SelectEnabledRow(int row) noexcept
{
    const int current = CurSel();
    const int count = Count();
    if (row < current) {
        for (int r = row; r >= 0; --r) {
            const ComboItem* item = RowItem(r);
            if (item && !item->disabled) {
                row = r;
                break;
            }
        }
    } else if (row > current) {
        for (int r = row; r < count; ++r) {
            const ComboItem* item = RowItem(r);
            if (item && !item->disabled) {
                row = r;
                break;
            }
        }
    }
    const ComboItem* target = RowItem(row);
    if (!target || !target->disabled) {
        const LRESULT answer = Ref().Send(LB_SETCURSEL, row);
        if (answer != LB_ERR)
            SetBarPositionToTop();
        return answer;
    }
    return row;
}

void CDropListBox::SetBarPositionToTop() noexcept
{
    if (m_scrollBar && m_scrollBar->Handle())
        m_scrollBar->SetPosition(TopRow());
}

void CDropListBox::SetTopRow(int row, bool updateBar) noexcept
{
    m_lastTop = row;
    Ref().Send(LB_SETTOPINDEX, row);
    if (updateBar && m_scrollBar && m_scrollBar->Handle())
        m_scrollBar->SetPosition(row);
}

int CDropListBox::GetVisibleRows() const noexcept
{
    const int height = RowHeight();
    if (height <= 0)
        return 0;
    return Ref().ClientRect().bottom / height;
}

int CDropListBox::GetLastVisibleRow() const noexcept
{
    return TopRow() + GetVisibleRows();
}

SIZE CDropListBox::MeasureRow(const char* text, int length) const noexcept
{
    SIZE size{};
    WindowDC dc(m_hwnd);
    SelectGuard font(dc, m_owner ? m_owner->GetComboFont() : nullptr);
    ::GetTextExtentPoint32A(dc, text, length, &size);
    if (m_lookFlags & CBX_CHECKROOM)
        size.cx += 14;
    return size;
}

bool CDropListBox::PointInClient(LPARAM l) const noexcept
{
    const POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    const RECT client = Ref().ClientRect();
    return ::PtInRect(&client, pt) != FALSE;
}

int CDropListBox::RowAt(LPARAM l) const noexcept
{
    const int height = RowHeight();
    if (height <= 0)
        return -1;
    return GET_Y_LPARAM(l) / height + TopRow();
}

void CDropListBox::GiveCaptureToParent() noexcept
{
    ::ReleaseCapture();
    ::SendMessageA(::GetParent(m_hwnd), WM_DROP_TAKECAPTURE, 0, 0);
}

LRESULT CDropListBox::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    switch (msg) {
    case WM_CREATE: {
        const LRESULT result = Default(msg, w, l);
        if (result == -1)
            return result;
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(l);
        ::ShowWindow(m_hwnd, SW_HIDE);
        ::SetWindowLongPtrA(m_hwnd, GWL_EXSTYLE, ::GetWindowLongPtrA(m_hwnd, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
        ::SetWindowPos(m_hwnd, HWND_TOPMOST, cs->x, cs->y, cs->cx, cs->cy, SWP_SHOWWINDOW);
        if (m_owner)
            Ref().SetFont(m_owner->GetComboFont(), true);
        return result;
    }
    case WM_DROP_TAKECAPTURE:
        ::SetCapture(m_hwnd);
        return 0;
    case WM_DROP_GIVECAPTURE:
        ::ReleaseCapture();
        return 0;
    case WM_MOUSEMOVE: {
        if (!PointInClient(l))
            GiveCaptureToParent();
        const int row = RowAt(l);
        const ComboItem* item = RowItem(row);
        if (item && row != CurSel() && !item->disabled)
            SelectEnabledRow(row);
        const int top = TopRow();
        if (top != m_lastTop) {
            m_lastTop = top;
            if (m_scrollBar && m_scrollBar->Handle())
                m_scrollBar->SetPosition(top);
        }
        return Default(msg, w, l);
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // The list box's own tracking would select disabled rows; the row under the pointer is
        // selected here instead, and the capture stays where the drop-down put it.
        ::SetFocus(m_hwnd);
        const int row = RowAt(l);
        const ComboItem* item = RowItem(row);
        if (item && !item->disabled && row != CurSel())
            SelectEnabledRow(row);
        return 0;
    }
    case WM_LBUTTONUP: {
        if (!PointInClient(l))
            GiveCaptureToParent();
        const ComboItem* under = RowItem(RowAt(l));
        if (under && under->disabled)
            return 0;
        const int selected = CurSel();
        const ComboItem* chosen = RowItem(selected);
        if (chosen && chosen->disabled)
            return 0;
        const HWND owner = m_owner ? m_owner->Handle() : nullptr;
        if (chosen)
            ::PostMessageA(owner, WM_DROP_PICK, static_cast<WPARAM>(selected), 0);
        ::ReleaseCapture();
        ::PostMessageA(owner, WM_DROP_CLOSE, 0, 0);
        return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR: {
        // Keys typed while the pointer gave this list the focus still belong to the combo.
        if (m_owner) {
            MSG key{m_hwnd, msg, w, l, 0, {}};
            if (m_owner->PreTranslateKey(key))
                return 0;
        }
        return Default(msg, w, l);
    }
    default:
        return Default(msg, w, l);
    }
}
