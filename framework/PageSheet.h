// A page sheet: a child window with a strip of coloured tabs over a set of pages, each page a
// modeless child dialog from its own template, created the first time it is activated.
#pragma once

#include "framework/Dialog.h"

#include <vector>

class PageSheet;

class PropertyPage : public Dialog {
public:
    using Dialog::Dialog;
    PageSheet* Sheet() const noexcept { return m_sheet; }
    // The page is about to become active; false refuses the activation.
    virtual bool OnSetActive() noexcept { return true; }
    // The page is about to stop being active; false keeps it active.
    virtual bool OnKillActive() noexcept { return true; }

protected:
    // Pages close only with their sheet: Return and Esc in a page do nothing.
    void OnOK() noexcept override {}
    void OnCancel() noexcept override {}

private:
    friend class PageSheet;
    PageSheet* m_sheet = nullptr;
};

// The look of the class layer's drawn surfaces; a program installs its own to recolour them.
class VisualManager {
public:
    virtual ~VisualManager() = default;
    // Fills a face area (the tab strip of a sheet, for example).
    virtual void FillFace(HDC hdc, const RECT& rect) noexcept;
    static VisualManager& Instance() noexcept;
    // Takes ownership; nullptr restores the default look.
    static void SetInstance(VisualManager* manager) noexcept;
};

class PageSheet : public Window {
public:
    PageSheet() noexcept = default;
    ~PageSheet() override;

    void AddPage(PropertyPage* page);
    // Creates the sheet as a child of `parent` at (x, y), sized to its largest page plus the tabs.
    bool Create(HWND parent, DWORD style, DWORD exStyle, int x = 0, int y = 0);
    int GetPageCount() const noexcept { return static_cast<int>(m_pages.size()); }
    PropertyPage* GetPage(int index) const noexcept;
    int GetActiveIndex() const noexcept { return m_active; }
    PropertyPage* GetActivePage() const noexcept { return GetPage(m_active); }
    // Activates a page (creating its window the first time); false when the page refuses.
    bool SetActivePage(int index);
    HWND TabControl() const noexcept { return m_tab; }

    void SetTabColor(int index, COLORREF colour);
    COLORREF GetTabColor(int index) const noexcept;
    void SetAutoColors(bool on) noexcept { m_autoColors = on; }
    // Lays the tabs and pages out again and repaints.
    void RecalcLayout();
    // Height of the tab strip in pixels.
    int TabHeight() const noexcept;

    // Posted to the sheet to select a page later (wParam = index), as pages may ask while refusing
    // an activation.
    static constexpr UINT kSelectPageMessage = WM_USER + 101;
    static const char* ClassName() noexcept { return "TasvrinSheet"; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;
    void DrawTab(const DRAWITEMSTRUCT& item) noexcept;
    RECT PageRect() const noexcept;

private:
    std::vector<PropertyPage*> m_pages;
    std::vector<COLORREF> m_tabColors;
    HWND m_tab = nullptr;
    int m_active = -1;
    bool m_autoColors = false;
    SIZE m_pageSize{};
};
