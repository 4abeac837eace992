#include "multi/XListCtrl.h"

#include "framework/Handles.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

// Registered once at program start; the values are the same in every process that registers them.
const UINT WM_XLISTCTRL_CHECKBOX_CLICKED = ::RegisterWindowMessageA("WM_XLISTCTRL_CHECKBOX_CLICKED");
const UINT WM_XLISTCTRL_COMBO_SELECTION = ::RegisterWindowMessageA("WM_XLISTCTRL_COMBO_SELECTION");
const UINT WM_XLISTCTRL_EDIT_END = ::RegisterWindowMessageA("WM_XLISTCTRL_EDIT_END");

// What a row's item parameter points to: one record per column the list had when the row was
// inserted.
struct XListRow {
    std::vector<XListCell> cells;
};

namespace
{
using RowRecords = XListRow;

COLORREF OrDefault(COLORREF colour, COLORREF fallback) noexcept
{
    return colour == static_cast<COLORREF>(-1) ? fallback : colour;
}
} // namespace

XListCell::XListCell() noexcept : textColour(::GetSysColor(COLOR_WINDOWTEXT)), backColour(::GetSysColor(COLOR_WINDOW))
{
}

CXListCtrl::CXListCtrl() noexcept
{
    ReadColors();
}

CXListCtrl::~CXListCtrl()
{
    if (m_hwnd) {
        // The window outlives the object (a subclassed dialog control): take the records back.
        DeleteAllItems();
        FreeAllRecords();
        if (m_toolTip)
            ::DestroyWindow(m_toolTip);
        m_toolTip = nullptr;
    }
}

void CXListCtrl::ReadColors() noexcept
{
    m_cr3DFace = ::GetSysColor(COLOR_3DFACE);
    m_cr3DShadow = ::GetSysColor(COLOR_3DSHADOW);
    m_crBtnFace = ::GetSysColor(COLOR_BTNFACE);
    m_crGrayText = ::GetSysColor(COLOR_GRAYTEXT);
    m_crHighLight = ::GetSysColor(COLOR_HIGHLIGHT);
    m_crHighLightText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    m_crWindow = ::GetSysColor(COLOR_WINDOW);
    m_crWindowText = ::GetSysColor(COLOR_WINDOWTEXT);
}

bool CXListCtrl::Create(DWORD style, const RECT& rect, HWND parent, UINT id, DWORD exStyle)
{
    if (!Window::Create(exStyle, WC_LISTVIEWA, "", style | WS_CHILD | LVS_REPORT, rect, parent, id))
        return false;
    PreSubclassWindow();
    return true;
}

void CXListCtrl::OnAttached() noexcept
{
    // Rows that exist before the binding have no records.
    FreeAllRecords();
    const LRESULT count = Default(LVM_GETITEMCOUNT, 0, 0);
    m_rows.assign(static_cast<size_t>(count > 0 ? count : 0), nullptr);
    PreSubclassWindow();
}

void CXListCtrl::PreSubclassWindow() noexcept
{
    if (m_bHeaderIsSubclassed || !m_hwnd)
        return;
    const HWND header = reinterpret_cast<HWND>(::SendMessageA(m_hwnd, LVM_GETHEADER, 0, 0));
    if (header && m_HeaderCtrl.Subclass(header))
        m_bHeaderIsSubclassed = true;
    if (header)
        m_nColumns = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
}

void CXListCtrl::OnFinalDestroy() noexcept
{
    m_bHeaderIsSubclassed = false;
}

// ---- indexes and records -------------------------------------------------------------------------

int CXListCtrl::GetItemCount() const noexcept
{
    return m_hwnd ? static_cast<int>(m_rows.size()) : 0;
}

int CXListCtrl::GetColumnCount() const noexcept
{
    return m_hwnd ? m_nColumns : 0;
}

bool CXListCtrl::ValidRow(int row) const noexcept
{
    return row >= 0 && row < GetItemCount();
}

bool CXListCtrl::ValidCell(int row, int col) const noexcept
{
    return ValidRow(row) && col >= 0 && col < GetColumnCount();
}

XListCell* CXListCtrl::GetCell(int row, int col) const noexcept
{
    if (!ValidCell(row, col))
        return nullptr;
    RowRecords* records = m_rows[static_cast<size_t>(row)];
    if (!records || col >= static_cast<int>(records->cells.size()))
        return nullptr;
    return &records->cells[static_cast<size_t>(col)];
}

void CXListCtrl::FreeAllRecords() noexcept
{
    for (XListRow* row : m_rows)
        delete row;
    m_rows.clear();
}

void CXListCtrl::RebuildRowsAfterSort() noexcept
{
    // Sorting moves rows; each of our rows still carries its records as its item parameter.
    std::vector<XListRow*> ours(m_rows);
    std::sort(ours.begin(), ours.end());
    const int count = static_cast<int>(::SendMessageA(m_hwnd, LVM_GETITEMCOUNT, 0, 0));
    std::vector<XListRow*> rows(static_cast<size_t>(std::max(count, 0)), nullptr);
    for (int r = 0; r < count; ++r) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = r;
        if (!::SendMessageA(m_hwnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
            continue;
        auto* candidate = reinterpret_cast<XListRow*>(item.lParam);
        if (candidate && std::binary_search(ours.begin(), ours.end(), candidate))
            rows[static_cast<size_t>(r)] = candidate;
    }
    m_rows.swap(rows);
}

// ---- rows ------------------------------------------------------------------------------------------

int CXListCtrl::InsertItem(int row, const char* text)
{
    if (row < 0 || !m_hwnd)
        return -1;
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(text ? text : "");
    return InsertItem(&item);
}

int CXListCtrl::InsertItem(int row, const char* text, COLORREF textColour, COLORREF backColour)
{
    const int index = InsertItem(row, text);
    if (index < 0)
        return -1;
    if (XListCell* cell = GetCell(index, 0)) {
        cell->textColour = textColour;
        cell->backColour = backColour;
    }
    return index;
}

int CXListCtrl::InsertItem(const LVITEMA* source)
{
    if (!source || source->iItem < 0 || !m_hwnd)
        return -1;
    auto* records = new (std::nothrow) RowRecords;
    if (!records)
        return -1;
    records->cells.resize(static_cast<size_t>(std::max(GetColumnCount(), 1)));
    XListCell& first = records->cells[0];
    first.textColour = m_crWindowText;
    first.backColour = m_crWindow;
    if (source->mask & LVIF_IMAGE)
        first.imageIndex = source->iImage;
    if (source->mask & LVIF_PARAM)
        first.itemData = static_cast<DWORD>(source->lParam);

    LVITEMA item = *source;
    item.mask |= LVIF_PARAM;
    item.iSubItem = 0;
    item.lParam = reinterpret_cast<LPARAM>(records);
    m_pendingRow = records; // the message switch files it under the new row
    const int index = static_cast<int>(::SendMessageA(m_hwnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (m_pendingRow) { // not inserted
        m_pendingRow = nullptr;
        delete records;
        return -1;
    }
    return index;
}

BOOL CXListCtrl::DeleteItem(int row)
{
    if (!ValidRow(row))
        return FALSE;
    return ::SendMessageA(m_hwnd, LVM_DELETEITEM, row, 0) ? TRUE : FALSE; // the message switch frees the records
}

BOOL CXListCtrl::DeleteAllItems()
{
    if (!m_hwnd)
        return FALSE;
    return ::SendMessageA(m_hwnd, LVM_DELETEALLITEMS, 0, 0) ? TRUE : FALSE;
}

BOOL CXListCtrl::SetItemData(int row, DWORD data)
{
    XListCell* cell = GetCell(row, 0);
    if (!cell)
        return FALSE;
    cell->itemData = data;
    return TRUE;
}

DWORD CXListCtrl::GetItemData(int row) const
{
    const XListCell* cell = GetCell(row, 0);
    return cell ? cell->itemData : 0;
}

int CXListCtrl::FindRowByData(DWORD data) const
{
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        const RowRecords* records = m_rows[static_cast<size_t>(row)];
        if (records && !records->cells.empty() && records->cells[0].itemData == data)
            return row;
    }
    return -1;
}

int CXListCtrl::GetSelectedRow() const
{
    if (!m_hwnd)
        return -1;
    return static_cast<int>(::SendMessageA(m_hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

BOOL CXListCtrl::SelectRow(int row, BOOL ensureVisible)
{
    if (!ValidRow(row))
        return FALSE;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    const BOOL result = ::SendMessageA(m_hwnd, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item)) ? TRUE : FALSE;
    if (ensureVisible)
        ::SendMessageA(m_hwnd, LVM_ENSUREVISIBLE, row, FALSE);
    return result;
}

BOOL CXListCtrl::EnableRow(int row, BOOL enable)
{
    XListCell* cell = GetCell(row, 0);
    if (!cell)
        return FALSE;
    cell->enabled = enable ? 1 : 0;
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    if (::SendMessageA(m_hwnd, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect)))
        ::InvalidateRect(m_hwnd, &rect, TRUE);
    ::UpdateWindow(m_hwnd);
    return TRUE;
}

BOOL CXListCtrl::IsRowEnabled(int row) const
{
    const XListCell* cell = GetCell(row, 0);
    return cell ? cell->enabled : 0;
}

// ---- columns ---------------------------------------------------------------------------------------

int CXListCtrl::InsertColumn(int col, const char* title, int format, int width)
{
    if (!m_hwnd || col < 0)
        return -1;
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = format;
    column.pszText = const_cast<char*>(title ? title : "");
    column.iSubItem = col;
    if (width >= 0) {
        column.mask |= LVCF_WIDTH;
        column.cx = width;
    }
    return static_cast<int>(::SendMessageA(m_hwnd, LVM_INSERTCOLUMNA, col, reinterpret_cast<LPARAM>(&column)));
}

int CXListCtrl::GetColumnWidth(int col) const noexcept
{
    return m_hwnd ? static_cast<int>(::SendMessageA(m_hwnd, LVM_GETCOLUMNWIDTH, col, 0)) : 0;
}

BOOL CXListCtrl::SetColumnWidth(int col, int width) noexcept
{
    return m_hwnd && ::SendMessageA(m_hwnd, LVM_SETCOLUMNWIDTH, col, MAKELPARAM(width, 0)) ? TRUE : FALSE;
}

BOOL CXListCtrl::SetColumnWidthPadded(int col, int width)
{
    if (col < 0 || col >= GetColumnCount())
        return FALSE;
    SetColumnWidth(col, width);
    const int applied = GetColumnWidth(col);
    return SetColumnWidth(col, applied + 2 * m_HeaderCtrl.GetSpacing());
}

// ---- cells -----------------------------------------------------------------------------------------

BOOL CXListCtrl::SetItemText(int row, int col, const char* text)
{
    if (!ValidCell(row, col))
        return FALSE;
    LVITEMA item{};
    item.iSubItem = col;
    item.pszText = const_cast<char*>(text ? text : "");
    const BOOL result = ::SendMessageA(m_hwnd, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)) ? TRUE : FALSE;
    RedrawCell(row, col);
    return result;
}

BOOL CXListCtrl::SetItemText(int row, int col, const char* text, COLORREF textColour, COLORREF backColour)
{
    if (!ValidCell(row, col))
        return FALSE;
    BOOL result = TRUE;
    if (text) {
        LVITEMA item{};
        item.iSubItem = col;
        item.pszText = const_cast<char*>(text);
        result = ::SendMessageA(m_hwnd, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)) ? TRUE : FALSE;
    }
    if (XListCell* cell = GetCell(row, col)) {
        cell->textColour = OrDefault(textColour, m_crWindowText);
        cell->backColour = OrDefault(backColour, m_crWindow);
    }
    RedrawCell(row, col);
    return result;
}

std::string CXListCtrl::GetItemText(int row, int col) const
{
    if (!ValidCell(row, col))
        return {};
    std::vector<char> buffer(256);
    for (;;) {
        LVITEMA item{};
        item.iSubItem = col;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        const int length =
            static_cast<int>(::SendMessageA(m_hwnd, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
        if (length < static_cast<int>(buffer.size()) - 1 || buffer.size() >= 65536)
            return std::string(buffer.data(), static_cast<size_t>(std::max(length, 0)));
        buffer.resize(buffer.size() * 4);
    }
}

void CXListCtrl::SetCellColors(int row, int col, COLORREF textColour, COLORREF backColour)
{
    if (XListCell* cell = GetCell(row, col)) {
        cell->textColour = OrDefault(textColour, m_crWindowText);
        cell->backColour = OrDefault(backColour, m_crWindow);
    }
}

BOOL CXListCtrl::GetCellColors(int row, int col, COLORREF& textColour, COLORREF& backColour) const
{
    textColour = 0;
    backColour = 0;
    const XListCell* cell = GetCell(row, col);
    if (!cell)
        return FALSE;
    textColour = cell->textColour;
    backColour = cell->backColour;
    return TRUE;
}

BOOL CXListCtrl::SetCellBold(int row, int col, BOOL bold)
{
    XListCell* cell = GetCell(row, col);
    if (!cell)
        return FALSE;
    cell->bold = bold ? 1 : 0;
    RedrawCell(row, col);
    return TRUE;
}

BOOL CXListCtrl::IsCellBold(int row, int col) const
{
    const XListCell* cell = GetCell(row, col);
    return cell ? cell->bold : 0;
}

BOOL CXListCtrl::SetCellImage(int row, int col, int image)
{
    XListCell* cell = GetCell(row, col);
    if (!cell)
        return FALSE;
    cell->imageIndex = image;
    RedrawCell(row, col);
    return TRUE;
}

int CXListCtrl::SetItem(const LVITEMA* source)
{
    if (!source || source->iItem < 0)
        return -1;
    if (!ValidCell(source->iItem, source->iSubItem))
        return FALSE;
    // The item parameter holds the row's records: an application value goes into the records.
    LVITEMA item = *source;
    item.mask &= ~static_cast<UINT>(LVIF_PARAM);
    const int result = static_cast<int>(::SendMessageA(m_hwnd, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (result) {
        if ((source->mask & LVIF_PARAM) && source->iSubItem == 0)
            SetItemData(source->iItem, static_cast<DWORD>(source->lParam));
        if (XListCell* cell = GetCell(source->iItem, source->iSubItem); cell && (source->mask & LVIF_IMAGE))
            cell->imageIndex = source->iImage;
        RedrawCell(source->iItem, source->iSubItem);
    }
    return result;
}

void CXListCtrl::SetCellModified(int row, int col, BOOL modified)
{
    if (XListCell* cell = GetCell(row, col))
        cell->modified = modified ? 1 : 0;
}

BOOL CXListCtrl::IsCellModified(int row, int col) const
{
    const XListCell* cell = GetCell(row, col);
    return cell ? cell->modified : 0;
}

BOOL CXListCtrl::SetCellTooltip(int row, int col, const char* text)
{
    XListCell* cell = GetCell(row, col);
    if (!cell)
        return FALSE;
    cell->tooltipText = text ? text : "";
    return TRUE;
}

std::string CXListCtrl::GetCellTooltip(int row, int col) const
{
    const XListCell* cell = GetCell(row, col);
    return cell ? cell->tooltipText : std::string();
}

void CXListCtrl::ClearAllTooltips()
{
    for (RowRecords* records : m_rows)
        if (records)
            for (XListCell& cell : records->cells)
                cell.tooltipText.clear();
}

BOOL CXListCtrl::SetCellProgress(int row, int col, BOOL showText, const char* text)
{
    XListCell* cell = GetCell(row, col);
    if (!cell)
        return FALSE;
    cell->hasProgress = 1;
    cell->progressPercent = 0;
    cell->showProgressText = showText ? 1 : 0;
    cell->progressText = text ? text : "";
    RedrawCell(row, col);
    return TRUE;
}

void CXListCtrl::SetCellProgressPercent(int row, int col, int percent)
{
    XListCell* cell = GetCell(row, col);
    if (!cell)
        return;
    cell->progressPercent = std::clamp(percent, 0, 100);
    RedrawCell(row, col);
}

void CXListCtrl::RemoveCellProgress(int row, int col)
{
    XListCell* cell = GetCell(row, col);
    if (!cell)
        return;
    cell->hasProgress = 0;
    cell->progressPercent = 0;
    RedrawCell(row, col);
}

BOOL CXListCtrl::SetCellCheck(int row, int col, int state)
{
    XListCell* cell = GetCell(row, col);
    if (!cell || state < -1 || state > 1)
        return FALSE;
    cell->checkState = state;
    RedrawCell(row, col);
    SyncHeaderCheck(col);
    return TRUE;
}

int CXListCtrl::GetCellCheck(int row, int col) const
{
    const XListCell* cell = GetCell(row, col);
    return cell ? cell->checkState : -1;
}

int CXListCtrl::GetHeaderCheck(int col) const
{
    if (col < 0 || col >= GetColumnCount() || !m_bHeaderIsSubclassed)
        return -1;
    return m_HeaderCtrl.GetItemImage(col);
}

BOOL CXListCtrl::SetHeaderCheck(int col, int state)
{
    if (col < 0 || col >= GetColumnCount() || !m_bHeaderIsSubclassed || state < 0 || state > 2)
        return FALSE;
    const BOOL result = m_HeaderCtrl.SetItemImage(col, state);
    ::InvalidateRect(m_HeaderCtrl.Handle(), nullptr, TRUE);
    ::UpdateWindow(m_HeaderCtrl.Handle());
    return result;
}

int CXListCtrl::CountCheckedInColumn(int col) const
{
    if (col < 0 || col >= GetColumnCount())
        return 0;
    int count = 0;
    const int rows = GetItemCount();
    for (int row = 0; row < rows; ++row) {
        const XListCell* cell = GetCell(row, col);
        if (cell && cell->checkState == 1)
            ++count;
    }
    return count;
}

void CXListCtrl::SyncHeaderCheck(int col) noexcept
{
    const int state = GetHeaderCheck(col);
    if (state <= 0)
        return;
    const int wanted = CountCheckedInColumn(col) == GetItemCount() ? 2 : 1;
    if (wanted != state)
        SetHeaderCheck(col, wanted);
}

void CXListCtrl::RedrawCell(int row, int col)
{
    RECT rect{};
    if (!GetCellRect(row, col, LVIR_BOUNDS, rect))
        return;
    ::InflateRect(&rect, 2, 2);
    ::InvalidateRect(m_hwnd, &rect, TRUE);
    ::UpdateWindow(m_hwnd);
}

BOOL CXListCtrl::GetCellRect(int row, int col, int area, RECT& rect) const
{
    if (!ValidCell(row, col))
        return FALSE;
    rect = {};
    rect.top = col;
    rect.left = area;
    const BOOL result = ::SendMessageA(m_hwnd, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&rect)) ? TRUE : FALSE;
    if (!result || col != 0)
        return result;
    // The list view reports the whole row for column 0: end it where the next visible column starts.
    const int columns = GetColumnCount();
    for (int next = 1; next < columns; ++next) {
        RECT other{};
        other.top = next;
        other.left = area;
        if (!::SendMessageA(m_hwnd, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&other)))
            continue;
        if (next == 1)
            rect.right = other.left;
        if (other.right - other.left > 0) {
            rect.right = other.left;
            break;
        }
    }
    return result;
}

DWORD CXListCtrl::GetExtendedStyle() const noexcept
{
    return m_hwnd ? static_cast<DWORD>(::SendMessageA(m_hwnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)) : 0;
}

void CXListCtrl::SetExtendedStyle(DWORD exStyle) noexcept
{
    if (m_hwnd)
        ::SendMessageA(m_hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, exStyle);
}

HIMAGELIST CXListCtrl::GetSmallImageList() const noexcept
{
    return m_hwnd ? reinterpret_cast<HIMAGELIST>(::SendMessageA(m_hwnd, LVM_GETIMAGELIST, LVSIL_SMALL, 0)) : nullptr;
}

void CXListCtrl::SendToParent(UINT msg, int row, int col) noexcept
{
    HWND target = ::GetParent(m_hwnd);
    if (!target)
        target = ::GetWindow(m_hwnd, GW_OWNER);
    if (target && ::IsWindow(target))
        ::SendMessageA(target, msg, static_cast<WPARAM>(row), static_cast<LPARAM>(col));
}

// ---- message switch --------------------------------------------------------------------------------

LRESULT CXListCtrl::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    if (msg >= 0xC000 && msg <= 0xFFFF) {
        LRESULT result = 0;
        if (HandleEditorMessage(msg, w, l, result))
            return result;
        return Default(msg, w, l);
    }
    switch (msg) {
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW: {
        XListRow* records = std::exchange(m_pendingRow, nullptr);
        const LRESULT index = Default(msg, w, l);
        if (index >= 0 && index <= static_cast<LRESULT>(m_rows.size()))
            m_rows.insert(m_rows.begin() + index, records);
        else
            m_pendingRow = records; // tells InsertItem it failed
        return index;
    }
    case LVM_DELETEITEM: {
        const LRESULT result = Default(msg, w, l);
        if (result && w < m_rows.size()) {
            delete m_rows[w];
            m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(w));
        }
        return result;
    }
    case LVM_DELETEALLITEMS: {
        const LRESULT result = Default(msg, w, l);
        if (result)
            FreeAllRecords();
        return result;
    }
    case LVM_SORTITEMS:
    case LVM_SORTITEMSEX: {
        const LRESULT result = Default(msg, w, l);
        RebuildRowsAfterSort();
        return result;
    }
    case LVM_INSERTCOLUMNA:
    case LVM_INSERTCOLUMNW:
    case LVM_DELETECOLUMN: {
        const LRESULT result = Default(msg, w, l);
        const HWND header = reinterpret_cast<HWND>(Default(LVM_GETHEADER, 0, 0));
        m_nColumns = header ? static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
        return result;
    }
    case WM_CREATE: {
        const LRESULT result = Default(msg, w, l);
        PreSubclassWindow();
        return result;
    }
    case WM_DESTROY: {
        LRESULT ignored = 0;
        HandleEditorMessage(msg, w, l, ignored);
        // The row parameters are cleared before the records go, so nothing reads them afterwards.
        for (int row = 0; row < static_cast<int>(m_rows.size()); ++row) {
            LVITEMA item{};
            item.mask = LVIF_PARAM;
            item.iItem = row;
            Default(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
        FreeAllRecords();
        if (m_toolTip)
            ::DestroyWindow(m_toolTip);
        m_toolTip = nullptr;
        m_bHeaderIsSubclassed = false;
        return Default(msg, w, l);
    }
    case WM_TIMER: {
        LRESULT result = 0;
        if (HandleEditorMessage(msg, w, l, result))
            return result;
        return Default(msg, w, l);
    }
    case WM_LBUTTONDOWN:
        RelayToolTip(msg, w, l);
        OnLButtonDown(static_cast<UINT>(w), POINT{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))});
        return 0;
    case WM_RBUTTONDOWN:
        RelayToolTip(msg, w, l);
        if (OnRButtonDown(static_cast<UINT>(w), POINT{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))}))
            return 0;
        return Default(msg, w, l);
    case WM_NCLBUTTONDOWN:
        if (m_pEdit)
            EndEditAsKillFocus();
        return Default(msg, w, l);
    case WM_KEYDOWN:
        OnKeyDown(msg, w, l);
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        RelayToolTip(msg, w, l);
        return Default(msg, w, l);
    case WM_SYSCOLORCHANGE: {
        const LRESULT result = Default(msg, w, l);
        ReadColors();
        return result;
    }
    case WM_ERASEBKGND:
        if (OnEraseBkgnd(reinterpret_cast<HDC>(w)))
            return TRUE;
        return Default(msg, w, l);
    case WM_PAINT: {
        const LRESULT result = Default(msg, w, l);
        if (GetItemCount() == 0) {
            if (w) {
                DrawEmptyMessage(reinterpret_cast<HDC>(w));
            } else {
                WindowDC dc(m_hwnd);
                DrawEmptyMessage(dc);
            }
        }
        return result;
    }
    case WM_PRINTCLIENT:
        PrintClient(reinterpret_cast<HDC>(w), l);
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(l);
        if (header && (header->code == TTN_NEEDTEXTA || header->code == TTN_NEEDTEXTW)) {
            LRESULT result = 0;
            if (OnToolTipText(static_cast<UINT>(header->idFrom), const_cast<NMHDR*>(header), &result))
                return result;
        }
        return Window::WindowProc(msg, w, l);
    }
    default:
        return Window::WindowProc(msg, w, l);
    }
}

bool CXListCtrl::OnReflect(UINT msg, WPARAM, LPARAM l, LRESULT& result) noexcept
{
    if (msg != WM_NOTIFY)
        return false;
    auto* header = reinterpret_cast<NMHDR*>(l);
    switch (header->code) {
    case NM_CUSTOMDRAW:
        result = OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(l));
        return true;
    case LVN_COLUMNCLICK:
        OnColumnClick(*reinterpret_cast<const NMLISTVIEW*>(l));
        return false; // the parent sees it too
    default:
        return false; // clicks and everything else go on to the parent
    }
}
