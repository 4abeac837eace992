// A report-view list control that keeps a record of its own for every cell (colours, bold, image,
// tooltip, check box, progress bar, in-cell choice list or editor) plus one application value per
// row, draws every cell itself and tells its parent about user changes through registered
// messages. It binds to an existing SysListView32 (Subclass) or creates one (Create); the parent
// must reflect notifications (every Window and Dialog does), as the cell drawing runs on the
// reflected custom-draw notification.
#pragma once

#include "framework/Window.h"
#include "multi/XHeaderCtrl.h"

#include <commctrl.h>

#include <string>
#include <vector>

class CXCombo;
class CXEdit;
struct XListRow;

// Sent to the list's parent (else owner), wParam row, lParam column.
extern const UINT WM_XLISTCTRL_CHECKBOX_CLICKED;
extern const UINT WM_XLISTCTRL_COMBO_SELECTION;
extern const UINT WM_XLISTCTRL_EDIT_END;

// One cell's record. Every row owns an array of these, one per column; the array is the row's
// list-view item parameter.
struct XListCell {
    int enabled = 1; // row enabled; only column 0's record counts
    int bold = 0;
    int modified = 0;
    int imageIndex = -1;
    std::string tooltipText;
    int hasCombo = 0;
    int sortComboItems = 0;
    std::vector<std::string>* comboItems = nullptr; // owned by the caller
    int comboListRows = 10;
    int comboInitialIndex = -1;
    int editable = 0;
    COLORREF textColour;
    COLORREF backColour;
    int hasProgress = 0;
    int progressPercent = 0;
    std::string progressText; // print format with the percent as argument; empty: "%d%%"
    int showProgressText = 1;
    int checkState = -1; // -1 none, 0 unchecked, 1 checked
    DWORD itemData = 0;  // only column 0's record counts

    XListCell() noexcept;
};

class CXListCtrl : public Window
{
public:
    CXListCtrl() noexcept;
    ~CXListCtrl() override;

    // Creates a report-view list as a child window (the header is attached afterwards).
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id, DWORD exStyle = 0);

    // Rows.
    int InsertItem(int row, const char* text);
    int InsertItem(int row, const char* text, COLORREF textColour, COLORREF backColour);
    int InsertItem(const LVITEMA* item);
    BOOL DeleteItem(int row);
    BOOL DeleteAllItems();
    BOOL SetItemData(int row, DWORD data);
    DWORD GetItemData(int row) const;
    int FindRowByData(DWORD data) const;
    int GetSelectedRow() const;
    BOOL SelectRow(int row, BOOL ensureVisible);
    BOOL EnableRow(int row, BOOL enable);
    BOOL IsRowEnabled(int row) const;
    int GetItemCount() const noexcept;
    int GetColumnCount() const noexcept;

    // Columns (all columns are inserted before the first row).
    int InsertColumn(int col, const char* title, int format = LVCFMT_LEFT, int width = -1);
    int GetColumnWidth(int col) const noexcept;
    BOOL SetColumnWidth(int col, int width) noexcept;
    virtual BOOL SetColumnWidthPadded(int col, int width);

    // Cells.
    BOOL SetItemText(int row, int col, const char* text);
    BOOL SetItemText(int row, int col, const char* text, COLORREF textColour, COLORREF backColour);
    std::string GetItemText(int row, int col) const;
    void SetCellColors(int row, int col, COLORREF textColour, COLORREF backColour);
    BOOL GetCellColors(int row, int col, COLORREF& textColour, COLORREF& backColour) const;
    BOOL SetCellBold(int row, int col, BOOL bold);
    BOOL IsCellBold(int row, int col) const;
    BOOL SetCellImage(int row, int col, int image);
    int SetItem(const LVITEMA* item);
    void SetCellModified(int row, int col, BOOL modified);
    BOOL IsCellModified(int row, int col) const;
    BOOL SetCellTooltip(int row, int col, const char* text);
    std::string GetCellTooltip(int row, int col) const;
    void ClearAllTooltips();
    BOOL SetCellProgress(int row, int col, BOOL showText = TRUE, const char* text = nullptr);
    void SetCellProgressPercent(int row, int col, int percent);
    void RemoveCellProgress(int row, int col);
    BOOL SetCellCheck(int row, int col, int state);
    int GetCellCheck(int row, int col) const;
    int GetHeaderCheck(int col) const;
    BOOL SetHeaderCheck(int col, int state);
    int CountCheckedInColumn(int col) const;
    // In-cell choice list and editor (XListCtrlEdit.cpp).
    BOOL SetCellCombo(int row, int col, BOOL enable, std::vector<std::string>* items, int listRows, int initialIndex,
                      BOOL sort);
    BOOL SetCellEditable(int row, int col);

    void RedrawCell(int row, int col);
    BOOL GetCellRect(int row, int col, int area, RECT& rect) const;

    // Look.
    void SetEndEllipsis(bool on) noexcept { m_bUseEllipsis = on; }
    void SetTextMargin(int margin) noexcept { m_nTextMargin = margin; }
    DWORD GetExtendedStyle() const noexcept;
    void SetExtendedStyle(DWORD exStyle) noexcept;
    HIMAGELIST GetSmallImageList() const noexcept;
    CXHeaderCtrl& Header() noexcept { return m_HeaderCtrl; }
    bool HeaderAttached() const noexcept { return m_bHeaderIsSubclassed; }

    // Tooltips: a tooltip window whose one tool covers the client area and is re-identified as the
    // cell under the mouse (row * 1000 + column + 1), with the text fetched on demand.
    void EnableToolTips(bool enable);
    HWND ToolTipWindow() const noexcept { return m_toolTip; }
    // The tool under `point` (client coordinates): the cell's id, or -1 off the rows.
    virtual int OnToolHitTest(POINT point, TOOLINFOA* info) const;
    // The cell record, or null for a bad index or a row without records.
    XListCell* GetCell(int row, int col) const noexcept;

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;
    bool OnReflect(UINT msg, WPARAM w, LPARAM l, LRESULT& result) noexcept override;
    void OnAttached() noexcept override;
    void OnFinalDestroy() noexcept override;
    // Attaches the header window once (after subclassing and after creation).
    void PreSubclassWindow() noexcept;
    virtual BOOL OnToolTipText(UINT id, NMHDR* nmhdr, LRESULT* result);

    // Mouse and keys (XListCtrlMouse.cpp).
    bool OnLButtonDown(UINT flags, POINT point) noexcept; // true: swallowed
    bool OnRButtonDown(UINT flags, POINT point) noexcept;
    void OnKeyDown(UINT msg, WPARAM w, LPARAM l) noexcept;
    void OnColumnClick(const NMLISTVIEW& info) noexcept;
    void SyncHeaderCheck(int col) noexcept;
    void SendToParent(UINT msg, int row, int col) noexcept;
    void RelayToolTip(UINT msg, WPARAM w, LPARAM l) noexcept;

    // Drawing (XListCtrlPaint.cpp).
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& cd) noexcept;
    void DrawText(HDC hdc, int row, int col, RECT& rect, COLORREF text, COLORREF back) noexcept;
    int DrawImage(HDC hdc, int row, int col, RECT& rect, COLORREF text, COLORREF back) noexcept;
    void DrawCheckbox(HDC hdc, int row, int col, RECT& rect, COLORREF text, COLORREF back) noexcept;
    void DrawProgress(HDC hdc, int row, int col, RECT& rect, COLORREF text, COLORREF back) noexcept;
    void GetDrawColors(int row, int col, COLORREF& text, COLORREF& back) const noexcept;
    BOOL OnEraseBkgnd(HDC hdc) noexcept;
    void DrawEmptyMessage(HDC hdc) noexcept;
    void PrintClient(HDC hdc, LPARAM options) noexcept;
    void ReadColors() noexcept;

    void FreeAllRecords() noexcept;
    void RebuildRowsAfterSort() noexcept;
    bool ValidCell(int row, int col) const noexcept;
    bool ValidRow(int row) const noexcept;

    // Colour cache.
    COLORREF m_cr3DFace = 0;
    COLORREF m_cr3DShadow = 0;
    COLORREF m_crBtnFace = 0;
    COLORREF m_crGrayText = 0;
    COLORREF m_crHighLight = 0;
    COLORREF m_crHighLightText = 0;
    COLORREF m_crWindow = 0;
    COLORREF m_crWindowText = 0;

    // The rows' records in row order, kept in step with the list view by watching its insert, delete
    // and sort messages; null for a row inserted without records (through the list view directly).
    std::vector<XListRow*> m_rows;
    XListRow* m_pendingRow = nullptr; // records of the row being inserted by InsertItem
    int m_nColumns = 0;               // header items, kept in step with column inserts and deletes

    CXHeaderCtrl m_HeaderCtrl;
    bool m_bHeaderIsSubclassed = false;
    bool m_bUseEllipsis = true;
    int m_nTextMargin = 5;
    HWND m_toolTip = nullptr;
    int m_nToolId = -1; // id of the tool the tooltip window holds now

    // In-cell editor state (XListCtrlEdit.cpp).
    std::string m_strInitialString; // the cell text when its editor opened
    CXCombo* m_pCombo = nullptr;
    int m_nComboItem = -1;
    int m_nComboSubItem = -1;
    RECT m_rectComboList{};
    CXEdit* m_pEdit = nullptr;
    int m_nEditItem = -1;
    int m_nEditSubItem = -1;

private:
    // In-cell editor hooks (XListCtrlEdit.cpp). The message switch calls them:
    // - OpenCellCombo / OpenCellEdit after the default handling of a left click on a cell with a
    //   choice list / an editable cell;
    // - CloseComboWithoutChoice on a left click on no row while a combo is open;
    // - EndEditAsKillFocus on a non-client left click while an edit is open;
    // - HandleEditorMessage first for WM_TIMER, WM_DESTROY (close open editors) and every
    //   registered message (0xC000 and above); true means handled, with `result` as the answer.
    void OpenCellCombo(int row, int col);
    void OpenCellEdit(int row, int col);
    bool HandleEditorMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result);
    void EndEditAsKillFocus();
    void CloseComboWithoutChoice();
};
