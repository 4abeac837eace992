// The list of a combo box's drop-down window: a standard list box holding copies of the combo's
// items, whose selection follows the mouse and which picks the row under a button release.
#pragma once

#include "controls/ComboItems.h"
#include "framework/Window.h"

#include <memory>
#include <vector>

class CAdvComboBox;
class CDropScrollBar;

class CDropListBox : public Window
{
public:
    CDropListBox(CAdvComboBox* owner, CDropScrollBar* scrollBar) noexcept : m_owner(owner), m_scrollBar(scrollBar) {}

    // Creates the list box as a child of the drop-down window.
    bool Create(const RECT& rect, HWND parent, int id);
    // Destroys the window and the row record copies.
    void Destroy() noexcept;

    // Copies the record, adds its text and keeps the copy as the row's data; returns the row.
    int AddItem(const ComboItem& item);
    // The record of a row, null when the list box rejects the row.
    const ComboItem* RowItem(int row) const noexcept;
    // Selects `row`, or the nearest enabled row beyond it in the direction of travel from the
    // current selection; a disabled row found at the end changes nothing.
    LRESULT SelectEnabledRow(int row) noexcept;
    void SetTopRow(int row, bool updateBar) noexcept;
    int GetVisibleRows() const noexcept;
    int GetLastVisibleRow() const noexcept;
    // The text's width and height in the combo's font; 14 pixels wider with CBX_CHECKROOM.
    SIZE MeasureRow(const char* text, int length) const noexcept;
    void SetLookFlags(DWORD flags) noexcept { m_lookFlags = flags; }

    int Count() const noexcept { return static_cast<int>(Ref().Send(LB_GETCOUNT)); }
    int CurSel() const noexcept { return static_cast<int>(Ref().Send(LB_GETCURSEL)); }
    int TopRow() const noexcept { return static_cast<int>(Ref().Send(LB_GETTOPINDEX)); }
    int RowHeight() const noexcept { return static_cast<int>(Ref().Send(LB_GETITEMHEIGHT, 0)); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;

private:
    bool PointInClient(LPARAM l) const noexcept;
    int RowAt(LPARAM l) const noexcept;
    void GiveCaptureToParent() noexcept;
    void SetBarPositionToTop() noexcept;

    CAdvComboBox* m_owner;
    CDropScrollBar* m_scrollBar;
    DWORD m_lookFlags = 0;
    int m_lastTop = 0;
    std::vector<std::unique_ptr<ComboItem>> m_records; // what each row's data points to
};
