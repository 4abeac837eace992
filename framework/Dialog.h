// Dialogs from resource templates, modal or modeless, with one noexcept message switch
// (DialogProc). The object is bound to the dialog window like every Window, so controls of the
// dialog that are Window objects get their notifications reflected.
#pragma once

#include "framework/Window.h"

class Dialog : public Window {
public:
    explicit Dialog(UINT templateId) noexcept : m_templateId(templateId) {}
    ~Dialog() override;

    UINT TemplateId() const noexcept { return m_templateId; }
    // Runs the dialog modally; returns the value given to EndDialog, or -1 when it could not be made.
    INT_PTR DoModal(HWND parent = nullptr);
    // Creates the dialog modelessly (for pages and child dialogs).
    bool CreateModeless(HWND parent);
    void EndDialog(INT_PTR result) noexcept;
    bool IsModal() const noexcept { return m_modal; }

    WindowRef Item(int id) const noexcept { return WindowRef(::GetDlgItem(m_hwnd, id)); }
    std::string GetItemText(int id) const { return Item(id).GetText(); }
    void SetItemText(int id, const std::string& text) const noexcept { ::SetDlgItemTextA(m_hwnd, id, text.c_str()); }
    bool IsChecked(int id) const noexcept { return ::IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED; }
    void SetChecked(int id, bool checked) const noexcept
    {
        ::CheckDlgButton(m_hwnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }

protected:
    // The message switch of the dialog. Return TRUE for handled messages (and set the answer with
    // SetMsgResult where the message has one), FALSE for default dialog processing.
    virtual INT_PTR DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept;
    virtual BOOL OnInitDialog() noexcept { return TRUE; }
    virtual void OnOK() noexcept { EndDialog(IDOK); }
    virtual void OnCancel() noexcept { EndDialog(IDCANCEL); }
    void SetMsgResult(LRESULT result) const noexcept { ::SetWindowLongPtrA(m_hwnd, DWLP_MSGRESULT, result); }

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) noexcept;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept final { return Default(msg, w, l); }

    UINT m_templateId;
    bool m_modal = false;
};

// A dialog with a background colour of its own (the extended dialog of the class library).
class DialogEx : public Dialog {
public:
    using Dialog::Dialog;
    // Replaces the background brush with a solid brush of `colour`; with `repaint` the dialog is
    // invalidated with erasing and updated at once.
    void SetBackgroundColor(COLORREF colour, bool repaint = true) noexcept;
    HBRUSH BackgroundBrush() const noexcept { return m_background; }
    ~DialogEx() override;

protected:
    INT_PTR DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept override;

private:
    HBRUSH m_background = nullptr;
};
