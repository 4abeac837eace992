// Mouse, keyboard, header check boxes and tooltips of the extended list.
#include "multi/XListCtrl.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
POINT PointOf(LPARAM l) noexcept
{
    return POINT{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
}

LVHITTESTINFO HitTest(HWND list, POINT point) noexcept
{
    LVHITTESTINFO hit{};
    hit.pt = point;
    hit.iItem = -1;
    ::SendMessageA(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return hit;
}
} // namespace

bool CXListCtrl::OnLButtonDown(UINT flags, POINT point) noexcept
{
    const LPARAM at = MAKELPARAM(point.x, point.y);
    const LVHITTESTINFO hit = HitTest(m_hwnd, point);
    const int row = hit.iItem;
    if (row >= 0 && (hit.flags & LVHT_ONITEM)) {
        const XListCell* first = GetCell(row, 0);
        if (!first || !first->enabled)
            return true; // a disabled row (or one without records) takes no click
    }

    if (row >= 0) {
        const int columns = GetColumnCount();
        for (int col = 0; col < columns; ++col) {
            RECT rect{};
            if (!GetCellRect(row, col, LVIR_BOUNDS, rect) || !::PtInRect(&rect, point))
                continue;
            XListCell* cell = GetCell(row, col);
            if (cell && (cell->checkState == 0 || cell->checkState == 1)) {
                cell->checkState = cell->checkState == 0 ? 1 : 0;
                cell->modified = 1;
                RedrawCell(row, col);
                SendToParent(WM_XLISTCTRL_CHECKBOX_CLICKED, row, col);
                SyncHeaderCheck(col);
                Default(WM_LBUTTONDOWN, flags, at);
            } else if (cell && (cell->hasCombo || cell->editable)) {
                Default(WM_LBUTTONDOWN, flags, at);
                if (cell->hasCombo)
                    OpenCellCombo(row, col);
                else
                    OpenCellEdit(row, col);
            } else {
                Default(WM_LBUTTONDOWN, flags, at);
            }
            return false;
        }
    } else if (m_pCombo) {
        CloseComboWithoutChoice();
    }
    Default(WM_LBUTTONDOWN, flags, at);
    return false;
}

bool CXListCtrl::OnRButtonDown(UINT, POINT point) noexcept
{
    const LVHITTESTINFO hit = HitTest(m_hwnd, point);
    if (hit.iItem >= 0 && (hit.flags & LVHT_ONITEM)) {
        const XListCell* first = GetCell(hit.iItem, 0);
        if (!first || !first->enabled)
            return true;
    }
    return false;
}

void CXListCtrl::OnKeyDown(UINT msg, WPARAM w, LPARAM l) noexcept
{
    const int before = GetSelectedRow();
    Default(msg, w, l);
    const int after = GetSelectedRow();
    if (after < 0)
        return;
    if (IsRowEnabled(after)) {
        SelectRow(after, TRUE);
        return;
    }

    const int count = GetItemCount();
    int found = -1;
    if (w == VK_DOWN || w == VK_NEXT) {
        for (int row = after + 1; row < count && found < 0; ++row)
            if (IsRowEnabled(row))
                found = row;
        for (int row = count - 1; row >= 0 && found < 0; --row)
            if (IsRowEnabled(row))
                found = row;
    } else if (w == VK_UP || w == VK_PRIOR) {
        for (int row = after - 1; row >= 0 && found < 0; --row)
            if (IsRowEnabled(row))
                found = row;
        for (int row = 1; row < count && found < 0; ++row)
            if (IsRowEnabled(row))
                found = row;
    }
    if (found < 0)
        found = before;

    // The disabled row the key landed on does not stay selected.
    LVITEMA clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(m_hwnd, LVM_SETITEMSTATE, after, reinterpret_cast<LPARAM>(&clear));
    if (found >= 0)
        SelectRow(found, TRUE);
}

void CXListCtrl::OnColumnClick(const NMLISTVIEW& info) noexcept
{
    const int col = info.iSubItem;
    const int state = GetHeaderCheck(col);
    if (state != 1 && state != 2)
        return;
    const int flipped = state == 1 ? 2 : 1;
    SetHeaderCheck(col, flipped);
    const int rows = GetItemCount();
    for (int row = 0; row < rows; ++row) {
        XListCell* cell = GetCell(row, col);
        if (!cell || cell->checkState == -1)
            continue;
        cell->checkState = flipped == 2 ? 1 : 0;
        cell->modified = 1;
        RedrawCell(row, col);
    }
}

// ---- tooltips --------------------------------------------------------------------------------------

void CXListCtrl::EnableToolTips(bool enable)
{
    if (!m_hwnd)
        return;
    if (!enable) {
        if (m_toolTip)
            ::DestroyWindow(m_toolTip);
        m_toolTip = nullptr;
        m_nToolId = -1;
        return;
    }
    if (m_toolTip)
        return;
    m_toolTip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    if (m_toolTip)
        ::SendMessageA(m_toolTip, TTM_SETMAXTIPWIDTH, 0, 400);
}

int CXListCtrl::OnToolHitTest(POINT point, TOOLINFOA* info) const
{
    const LVHITTESTINFO hit = HitTest(m_hwnd, point);
    if (hit.iItem < 0 || !(hit.flags & LVHT_ONITEM))
        return -1;
    const int id = hit.iItem * 1000 + hit.iSubItem + 1;
    if (info) {
        info->hwnd = m_hwnd;
        info->uId = static_cast<UINT_PTR>(id);
        ::GetClientRect(m_hwnd, &info->rect);
        info->lpszText = LPSTR_TEXTCALLBACKA;
    }
    return id;
}

void CXListCtrl::RelayToolTip(UINT msg, WPARAM w, LPARAM l) noexcept
{
    if (!m_toolTip)
        return;
    TOOLINFOA info{};
    info.cbSize = sizeof(info);
    const int id = OnToolHitTest(PointOf(l), &info);
    if (id != m_nToolId) {
        // The one tool is re-identified as the cell under the mouse, so the tooltip asks again.
        if (m_nToolId != -1) {
            TOOLINFOA old{};
            old.cbSize = sizeof(old);
            old.hwnd = m_hwnd;
            old.uId = static_cast<UINT_PTR>(m_nToolId);
            ::SendMessageA(m_toolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&old));
        }
        m_nToolId = id;
        if (id != -1)
            ::SendMessageA(m_toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
    MSG relay{};
    relay.hwnd = m_hwnd;
    relay.message = msg;
    relay.wParam = w;
    relay.lParam = l;
    relay.time = ::GetMessageTime();
    const DWORD pos = ::GetMessagePos();
    relay.pt = POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    ::SendMessageA(m_toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
}

BOOL CXListCtrl::OnToolTipText(UINT id, NMHDR* nmhdr, LRESULT* result)
{
    *result = 0;
    if (nmhdr->idFrom == 0)
        return TRUE; // not a cell tool: handled, no text
    (void)id;
    const DWORD pos = ::GetMessagePos();
    POINT point{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    ::ScreenToClient(m_hwnd, &point);
    const LVHITTESTINFO hit = HitTest(m_hwnd, point);
    if (hit.iItem < 0 || !(hit.flags & LVHT_ONITEM))
        return TRUE;
    const XListCell* cell = GetCell(hit.iItem, hit.iSubItem);
    if (!cell || cell->tooltipText.empty())
        return TRUE;
    const std::string& text = cell->tooltipText;
    if (nmhdr->code == TTN_NEEDTEXTA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(nmhdr);
        const size_t n = std::min<size_t>(text.size(), sizeof(info->szText) - 1);
        std::memcpy(info->szText, text.data(), n);
        info->szText[n] = '\0';
        info->lpszText = info->szText;
    } else {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(nmhdr);
        std::vector<wchar_t> wide(text.size() + 1);
        const int n = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), wide.data(),
                                            static_cast<int>(wide.size()));
        const size_t kept = std::min<size_t>(n > 0 ? static_cast<size_t>(n) : 0, 79);
        std::copy_n(wide.data(), kept, info->szText);
        info->szText[kept] = L'\0';
        info->lpszText = info->szText;
    }
    return TRUE;
}
