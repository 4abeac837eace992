// The list's in-cell editors: a choice list (CXCombo) over a cell with choices and a text box
// (CXEdit) over an editable cell. The list writes the result into the cell, marks it modified when
// the text changed and tells its parent.
#include "multi/XListCtrl.h"

#include "multi/XCombo.h"
#include "multi/XEdit.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr UINT_PTR kUnlockTimer = 1; // window updates unlocked 50 ms after a combo opens
constexpr UINT_PTR kCancelTimer = 2; // close the combo without its choice
constexpr UINT_PTR kAcceptTimer = 3; // close the combo and apply its choice
constexpr UINT kCloseDelayMs = 50;
constexpr int kEditId = 99;
constexpr int kMinEditorWidth = 5;
// Marks a list whose accept timer runs: a cancel that arrives meanwhile (a focus loss reports both)
// does not override the accepted choice.
constexpr const char* kAcceptPendingProp = "TasvrinComboAcceptPending";

bool LessIgnoringCase(const std::string& a, const std::string& b) noexcept
{
    return ::lstrcmpiA(a.c_str(), b.c_str()) < 0;
}
} // namespace

BOOL CXListCtrl::SetCellCombo(int row, int col, BOOL enable, std::vector<std::string>* items, int listRows,
                              int initialIndex, BOOL sort)
{
    XListCell* cell = GetCell(row, col);
    if (!cell || !items)
        return FALSE;
    if (initialIndex < 0 || initialIndex >= static_cast<int>(items->size()))
        initialIndex = 0;
    cell->hasCombo = enable ? 1 : 0;
    if (enable) {
        if (sort)
            std::stable_sort(items->begin(), items->end(), LessIgnoringCase);
        cell->comboItems = items;
        cell->comboListRows = listRows;
        cell->comboInitialIndex = initialIndex;
        cell->sortComboItems = sort ? 1 : 0;
        SetItemText(row, col, items->empty() ? "" : (*items)[static_cast<size_t>(initialIndex)].c_str());
    }
    RedrawCell(row, col);
    return TRUE;
}

BOOL CXListCtrl::SetCellEditable(int row, int col)
{
    XListCell* cell = GetCell(row, col);
    if (!cell)
        return FALSE;
    cell->editable = 1;
    RedrawCell(row, col);
    return TRUE;
}

void CXListCtrl::OpenCellCombo(int row, int col)
{
    if (!ValidCell(row, col) || GetColumnWidth(col) < kMinEditorWidth)
        return;
    XListCell* first = GetCell(row, 0);
    XListCell* cell = GetCell(row, col);
    if (!first || !first->enabled || !cell)
        return;
    if (m_pCombo) {
        // One combo at a time: an open one goes without its choice.
        CXCombo* old = std::exchange(m_pCombo, nullptr);
        delete old;
    }

    RECT rect{};
    GetCellRect(row, col, LVIR_BOUNDS, rect);
    rect.top -= 1;
    ::MapWindowPoints(m_hwnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    rect.left += 1;

    auto* combo = new CXCombo(m_hwnd);
    m_pCombo = combo;
    m_nComboItem = row;
    m_nComboSubItem = col;
    m_rectComboList = rect;
    if (!combo->CreateEx(WS_EX_CONTROLPARENT, CAdvComboBox::kClassName, "", WS_VISIBLE | WS_POPUP | CBS_DROPDOWNLIST,
                         rect, m_hwnd, 0)) {
        // A combo that could not be made is not kept as open: the cell stays as it was.
        m_pCombo = nullptr;
        delete combo;
        return;
    }

    ::LockWindowUpdate(m_hwnd);
    if (cell->comboItems)
        for (const std::string& text : *cell->comboItems)
            if (!text.empty())
                combo->AddString(text.c_str());
    combo->SetMaxDropRows(cell->comboListRows);

    std::string initial;
    if (cell->comboItems && cell->comboInitialIndex >= 0 && cell->comboInitialIndex < combo->GetCount()) {
        initial = combo->GetLBText(cell->comboInitialIndex);
        SetItemText(row, col, initial.c_str());
        cell->comboInitialIndex = -1; // only the first opening
    } else {
        initial = GetItemText(row, col);
    }
    int select = 0;
    if (!initial.empty()) {
        select = combo->FindStringExact(-1, initial.c_str());
        if (select < 0)
            select = 0;
    } else if (combo->GetCount() > 0) {
        SetItemText(row, col, combo->GetLBText(0).c_str());
    }
    combo->SetCurSel(select);
    m_strInitialString = combo->GetLBText(select);
    ::SetTimer(m_hwnd, kUnlockTimer, kCloseDelayMs, nullptr);

    ::RedrawWindow(combo->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ::BringWindowToTop(combo->Handle());
}

void CXListCtrl::OpenCellEdit(int row, int col)
{
    if (!ValidCell(row, col))
        return;
    const int width = GetColumnWidth(col);
    XListCell* first = GetCell(row, 0);
    if (width < kMinEditorWidth || !first || !first->enabled)
        return;
    if (!ListView_EnsureVisible(m_hwnd, row, TRUE))
        return;
    if (m_pEdit)
        EndEditAsKillFocus();

    int offset = 0;
    for (int c = 0; c < col; ++c)
        offset += GetColumnWidth(c);
    RECT rowRect{};
    ListView_GetItemRect(m_hwnd, row, &rowRect, LVIR_BOUNDS);
    const RECT client = Ref().ClientRect();
    if (rowRect.left + offset < 0 || rowRect.left + offset > client.right) {
        const int shift = rowRect.left + offset;
        ListView_Scroll(m_hwnd, shift, 0);
        rowRect.left -= shift;
    }

    LVCOLUMNA column{};
    column.mask = LVCF_FMT;
    ListView_GetColumn(m_hwnd, col, &column);
    DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
    if ((column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT)
        style |= ES_RIGHT;
    else if ((column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER)
        style |= ES_CENTER;

    RECT rect{};
    rect.left = rowRect.left + offset + 2;
    rect.top = rowRect.top;
    rect.bottom = rowRect.bottom + 1;
    rect.right = std::min<LONG>(rect.left + width - 4, client.right);

    m_strInitialString = GetItemText(row, col);
    auto* edit = new CXEdit(m_hwnd, m_strInitialString);
    m_pEdit = edit;
    m_nEditItem = row;
    m_nEditSubItem = col;
    if (!edit->Create(style, rect, m_hwnd, kEditId)) {
        m_pEdit = nullptr;
        delete edit;
        return;
    }
    ::SetFocus(edit->Handle());
}

void CXListCtrl::EndEditAsKillFocus()
{
    CXEdit* edit = m_pEdit;
    if (!edit)
        return;
    std::string text = edit->Ref().GetText();
    if (text.empty())
        text = m_strInitialString; // a cell cannot be emptied by editing
    const int row = m_nEditItem, col = m_nEditSubItem;
    m_pEdit = nullptr;
    m_nEditItem = m_nEditSubItem = -1;
    delete edit; // destroys its window
    if (!ValidCell(row, col))
        return;
    SetItemText(row, col, text.c_str());
    if (text != m_strInitialString)
        SetCellModified(row, col, TRUE);
    RedrawCell(row, col);
    SendToParent(WM_XLISTCTRL_EDIT_END, row, col);
}

void CXListCtrl::CloseComboWithoutChoice()
{
    if (m_pCombo)
        ::SetTimer(m_hwnd, kCancelTimer, kCloseDelayMs, nullptr);
}

bool CXListCtrl::HandleEditorMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result)
{
    result = 0;
    if (msg == WM_TIMER) {
        switch (w) {
        case kUnlockTimer:
            ::KillTimer(m_hwnd, kUnlockTimer);
            ::LockWindowUpdate(nullptr);
            return true;
        case kCancelTimer: {
            ::KillTimer(m_hwnd, kCancelTimer);
            CXCombo* combo = std::exchange(m_pCombo, nullptr);
            if (combo) {
                RedrawCell(m_nComboItem, m_nComboSubItem);
                delete combo;
            }
            return true;
        }
        case kAcceptTimer: {
            ::KillTimer(m_hwnd, kAcceptTimer);
            ::RemovePropA(m_hwnd, kAcceptPendingProp);
            CXCombo* combo = std::exchange(m_pCombo, nullptr);
            if (!combo)
                return true;
            const int row = m_nComboItem, col = m_nComboSubItem;
            const int selected = combo->GetCurSel();
            if (selected != -1 && ValidCell(row, col)) {
                const std::string text = combo->GetLBText(selected);
                SetItemText(row, col, text.c_str());
                RedrawCell(row, col);
                if (text != m_strInitialString)
                    SetCellModified(row, col, TRUE);
                SendToParent(WM_XLISTCTRL_COMBO_SELECTION, row, col);
            }
            // Gone before its window goes, so that what its focus loss reports finds no combo.
            delete combo;
            return true;
        }
        default:
            return false;
        }
    }
    if (msg == WM_DESTROY) {
        // The editors go with the list, silently.
        ::KillTimer(m_hwnd, kCancelTimer);
        ::KillTimer(m_hwnd, kAcceptTimer);
        ::RemovePropA(m_hwnd, kAcceptPendingProp);
        delete std::exchange(m_pCombo, nullptr);
        delete std::exchange(m_pEdit, nullptr);
        return false;
    }
    if (msg == WM_XCOMBOLIST_COMPLETE) {
        // Accepting wins over a cancel reported in the same moment (a focus loss reports both).
        ::KillTimer(m_hwnd, kCancelTimer);
        ::SetPropA(m_hwnd, kAcceptPendingProp, reinterpret_cast<HANDLE>(1));
        ::SetTimer(m_hwnd, kAcceptTimer, kCloseDelayMs, nullptr);
        return true;
    }
    if (msg == WM_XCOMBOLIST_VK_ESCAPE) {
        if (!::GetPropA(m_hwnd, kAcceptPendingProp))
            ::SetTimer(m_hwnd, kCancelTimer, kCloseDelayMs, nullptr);
        return true;
    }
    if (msg == WM_XEDIT_KILL_FOCUS) {
        EndEditAsKillFocus();
        return true;
    }
    if (msg == WM_XEDIT_VK_ESCAPE) {
        CXEdit* edit = std::exchange(m_pEdit, nullptr);
        if (!edit)
            return true;
        const int row = m_nEditItem, col = m_nEditSubItem;
        m_nEditItem = m_nEditSubItem = -1;
        delete edit;
        if (ValidCell(row, col)) {
            SetItemText(row, col, m_strInitialString.c_str());
            RedrawCell(row, col);
        }
        return true;
    }
    (void)l;
    return false;
}
