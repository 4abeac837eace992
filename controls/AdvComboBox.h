// The advanced combo box: a self-drawn replacement for the standard combo box, a window of the
// registered class "SuperComboBox" with its own item list, its face drawn in the classic look or
// through visual styles, its list shown in a drop-down window of its own (CDropWnd), a subset of
// the CB_ messages and the standard CBN_ notifications. Two kinds, chosen by the style bits:
// CBS_DROPDOWN (with an edit, CAdvComboEdit, optional auto-append and auto-suggest) and
// CBS_DROPDOWNLIST (text drawn by the control).
//
// Keys. There is no pre-translation hook in this program's message loops, so the control's key
// handling (PreTranslateKey) runs first in the window procedures of the control, of its edit and
// of its drop-down list, before their own processing; this works with any message loop. The
// character that TranslateMessage made from a consumed key press (Enter, Esc) is dropped, as it
// would never have been made had the key been taken before translation.
#pragma once

#include "controls/AdvComboEdit.h"
#include "controls/ComboItems.h"
#include "framework/Handles.h"
#include "framework/Window.h"

#include <memory>
#include <string>

class CDropWnd;

class CAdvComboBox : public Window
{
public:
    static constexpr const char* kClassName = "SuperComboBox";
    static constexpr int kEditId = 108;

    // `notifyTarget` receives the WM_COMMAND notifications; null: the parent at attach time.
    explicit CAdvComboBox(HWND notifyTarget = nullptr) noexcept;
    ~CAdvComboBox() override;

    // Registers the window class "SuperComboBox" unless it exists; false when that failed. Every
    // constructor calls it. Windows made with the class name by anyone become advanced combo boxes.
    static bool RegisterClass() noexcept;

    // Makes the control as a child window (adds CBX_INSETEDIT, loads items from the string resource
    // with the control's id).
    virtual bool Create(DWORD style, const RECT& rect, HWND parent, UINT id);
    // Binds the object to an existing window (a dialog control).
    bool Attach(HWND hwnd);
    // Binds an object made for a window created with the class name; it deletes itself with it.
    bool AdoptWindow(HWND hwnd) noexcept;
    virtual void OnCancelChoice() {}
    virtual void OnCompleteChoice() {}
    virtual HFONT GetComboFont() const noexcept { return m_font; }

    // The list.
    int AddString(const char* text);
    int InsertString(int index, const char* text);
    int DeleteString(int index);
    void ResetContent() noexcept;
    int GetCount() const noexcept { return static_cast<int>(m_items.size()); }
    int SetCurSel(int index);
    int GetCurSel() const;
    void GetLBText(int index, std::string& text) const;
    std::string GetLBText(int index) const;
    int GetLBTextLen(int index) const noexcept;
    int FindString(int start, const char* text) const;
    int FindStringExact(int start, const char* text) const;
    int SelectString(int start, const char* text);
    ULONGLONG GetItemData64(int index) const noexcept;
    int SetItemData64(int index, ULONGLONG data) noexcept;
    DWORD_PTR GetItemData(int index) const noexcept;
    int SetItemData(int index, DWORD data) noexcept;
    int GetItemDisabled(int index) const noexcept;
    void SetItemDisabled(int index, int disabled) noexcept;
    int GetItemCheck(int index) const noexcept;
    void SetItemCheck(int index, int check) noexcept;
    const ComboItemList& Items() const noexcept { return m_items; }

    // Drop-down.
    void SetMaxDropRows(int rows) noexcept { m_maxRows = rows; }
    int GetMaxDropRows() const noexcept { return m_maxRows; }
    void SetMinRowsBelow(int rows) noexcept { m_minRowsBelow = rows; }
    int GetMinRowsBelow() const noexcept { return m_minRowsBelow; }
    BOOL GetDroppedState() const noexcept { return m_dropped ? TRUE : FALSE; }
    void GetDroppedControlRect(RECT& rect) const noexcept;
    void ShowDropDown(BOOL show = TRUE);
    int GetTopIndex() const noexcept;
    int SetTopIndex(int index) noexcept;
    int GetPreferredDropWidth() const noexcept;
    // The open drop-down window (also one made by auto-suggest), or null.
    CDropWnd* DropWindow() const noexcept { return m_dropWnd.get(); }

    // Edit and text.
    int LimitText(int limit) noexcept;
    int SetEditSel(int start, int end) noexcept;
    LRESULT GetEditSel() const noexcept;
    std::string GetText() const;
    void SetText(const std::string& text);
    int GetText(char* buffer, int size) const;
    CAdvComboEdit* Edit() const noexcept { return m_edit.get(); }

    // Look.
    DWORD GetLookFlags() const noexcept { return m_lookFlags; }
    void ModifyLookFlags(DWORD remove, DWORD add) noexcept;
    bool IsPointInWindow(POINT screenPoint) const noexcept;
    bool IsDropListKind() const noexcept;
    bool IsDropDownKind() const noexcept;
    RECT ButtonRect() const noexcept { return m_buttonRect; }
    bool IsHot() const noexcept { return m_hot; }
    // Paints the whole face into a device context (WM_PAINT, WM_PRINTCLIENT).
    void Paint(HDC hdc) noexcept;

    // Dialog data exchange for a control of a dialog: by index and by text.
    static void ExchangeIndex(HWND dialog, int id, int& index, bool save);
    static void ExchangeText(HWND dialog, int id, std::string& text, bool save);

    // The key handling of the control and its edit. True: consumed.
    bool PreTranslateKey(const MSG& msg) noexcept;
    // True when a character is the one made from a key press the key handling consumed.
    bool DropsChar(WPARAM ch) noexcept;

    // Creates the window of any class through the object (the in-cell combo uses the class name).
    bool CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect, HWND parent,
                  UINT_PTR id)
    {
        return Window::Create(exStyle, className, title, style, rect, parent, id);
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;
    void OnAttached() noexcept override;
    void OnFinalDestroy() noexcept override;

    // Child-to-parent notification.
    void Notify(int code) noexcept;
    // Close step (WM_DROP_CLOSE): hides and deletes the drop window, sends CBN_SELENDCANCEL
    // (unless a pick was accepted) and CBN_CLOSEUP; without a drop window runs OnCompleteChoice.
    LRESULT CloseDrop() noexcept;
    LRESULT Toggle() noexcept;
    LRESULT Pick(int row) noexcept;
    // Makes the drop window for a list (the full list or a suggestion list).
    void CreateDropWindow(const ComboItemList& list) noexcept;
    // The focus moved to the control's own edit or drop-down parts: not a loss of the focus.
    bool FocusStaysInside(HWND focus) const noexcept;

    HWND m_notifyTarget;
    std::unique_ptr<CDropWnd> m_dropWnd;

private:
    friend class CAdvComboEdit;
    ComboItemList::iterator ItemAt(int index) noexcept;
    ComboItemList::const_iterator ItemAt(int index) const noexcept;
    void LoadItemsFromResource() noexcept;
    void CopyTargetFont() noexcept;
    void CreateEdit() noexcept;
    void RepaintButton() noexcept;
    bool HotAreaContains(POINT client) const noexcept;
    void SelectPrevNext(bool next) noexcept;
    void SelectPage(bool down) noexcept;
    void MoveOnOpenList(UINT vk) noexcept;
    void SetCurrentFromItem(int index) noexcept;
    void OnWheel(int delta) noexcept;
    void OnEditCommand(int code) noexcept;
    void OnEditUpdate() noexcept;
    void OnMouseMove(POINT pt) noexcept;
    void OnHotTimer() noexcept;
    void SetEditTextQuietly(const std::string& text) noexcept;
    void ComputeRects() noexcept;
    void ReleaseDrop() noexcept;
    void PaintClassic(HDC hdc, RECT c, RECT& b, int state) noexcept;
    void PaintThemed(HDC hdc, RECT c, RECT& b, int state) noexcept;

    int m_curSel = -1;
    std::string m_text;
    std::unique_ptr<CAdvComboEdit> m_edit;
    HFONT m_font = nullptr;
    UniqueFont m_ownFont;
    DWORD m_lookFlags = CBX_INSETEDIT;
    RECT m_buttonRect{};
    bool m_dropped = false;
    ComboItemList m_items;
    int m_wheelSum = 0;
    bool m_hasFocus = false;
    bool m_focusNotified = false;
    bool m_pickAccepted = false;
    bool m_editNeedsText = true;
    int m_minRowsBelow = 5;
    int m_maxRows = -1;
    bool m_madeByCreate = false;
    bool m_autoAppendArmed = true;
    bool m_hot = false;
    bool m_hotTimer = false;
    bool m_editPending = false;       // the edit is made once the window has been created
    bool m_selfOwned = false;         // made for a window created with the class name by someone else
    bool m_itemsLoaded = false;       // the string resource with the control id was looked for
    UINT m_droppedCharKey = 0;        // a consumed key whose character is to be dropped
    bool m_quietText = false;         // the program itself changes the edit's text
    bool m_focusParked = false;       // the focus went to the drop-down parts and is to come back
    HWND m_editFocusTarget = nullptr; // where the focus went when the edit lost it
};
