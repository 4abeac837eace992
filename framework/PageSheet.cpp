#include "framework/PageSheet.h"

#include "framework/Handles.h"

#include <commctrl.h>

#include <memory>

namespace {
std::unique_ptr<VisualManager> g_visualManager;

// The tab control paints its strip background through the visual manager.
class TabStrip : public Window {
protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override
    {
        if (msg == WM_ERASEBKGND) {
            RECT r;
            ::GetClientRect(m_hwnd, &r);
            VisualManager::Instance().FillFace(reinterpret_cast<HDC>(w), r);
            return TRUE;
        }
        return Window::WindowProc(msg, w, l);
    }
    void OnFinalDestroy() noexcept override { delete this; }
};
} // namespace

void VisualManager::FillFace(HDC hdc, const RECT& rect) noexcept
{
    ::FillRect(hdc, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
}

VisualManager& VisualManager::Instance() noexcept
{
    static VisualManager fallback;
    return g_visualManager ? *g_visualManager : fallback;
}

void VisualManager::SetInstance(VisualManager* manager) noexcept { g_visualManager.reset(manager); }

PageSheet::~PageSheet()
{
    for (PropertyPage* page : m_pages)
        page->m_sheet = nullptr;
}

void PageSheet::AddPage(PropertyPage* page)
{
    page->m_sheet = this;
    m_pages.push_back(page);
    m_tabColors.push_back(::GetSysColor(COLOR_BTNFACE));
    if (m_tab) {
        std::string caption = "Page";
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        ::SendMessageA(m_tab, TCM_INSERTITEMA, m_pages.size() - 1, reinterpret_cast<LPARAM>(&item));
    }
}

PropertyPage* PageSheet::GetPage(int index) const noexcept
{
    if (index < 0 || index >= GetPageCount())
        return nullptr;
    return m_pages[static_cast<size_t>(index)];
}

namespace {
// Reads caption and size (dialog units) of a dialog template, DIALOGEX or classic.
bool ReadTemplate(UINT id, std::string& caption, SIZE& size)
{
    HRSRC res = ::FindResourceA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    if (!res)
        return false;
    HGLOBAL loaded = ::LoadResource(::GetModuleHandleA(nullptr), res);
    const auto* words = static_cast<const WORD*>(::LockResource(loaded));
    if (!words)
        return false;
    const WORD* p;
    if (words[0] == 1 && words[1] == 0xFFFF) { // DLGTEMPLATEEX
        size.cx = static_cast<short>(words[11]);
        size.cy = static_cast<short>(words[12]);
        p = words + 13;
    } else {
        const auto* dt = reinterpret_cast<const DLGTEMPLATE*>(words);
        size.cx = dt->cx;
        size.cy = dt->cy;
        p = reinterpret_cast<const WORD*>(dt + 1);
    }
    // menu, class: either 0x0000, 0xFFFF + ordinal, or a string
    for (int field = 0; field < 2; ++field) {
        if (*p == 0xFFFF)
            p += 2;
        else
            while (*p++) {
            }
    }
    std::wstring wide;
    while (*p)
        wide.push_back(static_cast<wchar_t>(*p++));
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                        nullptr);
    caption.assign(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), caption.data(), n, nullptr,
                          nullptr);
    return true;
}
} // namespace

int PageSheet::TabHeight() const noexcept
{
    if (!m_tab)
        return 0;
    RECT r{0, 0, 100, 100};
    ::SendMessageA(m_tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r.top;
}

bool PageSheet::Create(HWND parent, DWORD style, DWORD exStyle, int x, int y)
{
    RegisterWindowClass(ClassName(), CS_DBLCLKS, nullptr, nullptr);
    const RECT initial{x, y, x + 100, y + 100};
    if (!Window::Create(exStyle | WS_EX_CONTROLPARENT, ClassName(), "", style | WS_CHILD | WS_CLIPCHILDREN,
                        initial, parent, 0))
        return false;
    ::SendMessageA(m_hwnd, WM_SETFONT, ::SendMessageA(parent, WM_GETFONT, 0, 0), FALSE);
    m_tab = ::CreateWindowExA(0, WC_TABCONTROLA, "",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_OWNERDRAWFIXED | TCS_FOCUSNEVER, 0, 0,
                              100, 100, m_hwnd, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!m_tab)
        return false;
    (new TabStrip)->Subclass(m_tab);
    ::SendMessageA(m_tab, WM_SETFONT, ::SendMessageA(parent, WM_GETFONT, 0, 0), FALSE);

    // Size: the largest page template, in this dialog font's units.
    m_pageSize = {};
    for (size_t i = 0; i < m_pages.size(); ++i) {
        std::string caption;
        SIZE du{};
        ReadTemplate(m_pages[i]->TemplateId(), caption, du);
        RECT r{0, 0, du.cx, du.cy};
        ::MapDialogRect(parent, &r);
        m_pageSize.cx = std::max(m_pageSize.cx, r.right);
        m_pageSize.cy = std::max(m_pageSize.cy, r.bottom);
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        ::SendMessageA(m_tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    RECT probe{0, 0, m_pageSize.cx, m_pageSize.cy};
    ::SendMessageA(m_tab, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&probe));
    const int width = probe.right - probe.left;
    const int height = probe.bottom - probe.top;
    ::SetWindowPos(m_hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    RecalcLayout();
    return true;
}

RECT PageSheet::PageRect() const noexcept
{
    RECT r{};
    ::GetClientRect(m_tab, &r);
    ::SendMessageA(m_tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
}

void PageSheet::RecalcLayout()
{
    if (!m_hwnd || !m_tab)
        return;
    RECT client;
    ::GetClientRect(m_hwnd, &client);
    ::MoveWindow(m_tab, 0, 0, client.right, client.bottom, TRUE);
    const RECT page = PageRect();
    for (PropertyPage* p : m_pages)
        if (p->Handle())
            ::MoveWindow(p->Handle(), page.left, page.top, page.right - page.left, page.bottom - page.top, TRUE);
}

bool PageSheet::SetActivePage(int index)
{
    PropertyPage* page = GetPage(index);
    if (!page || !m_hwnd)
        return false;
    if (index == m_active)
        return true;
    PropertyPage* current = GetActivePage();
    if (current && current->Handle() && !current->OnKillActive())
        return false;
    if (!page->Handle()) {
        if (!page->CreateModeless(m_hwnd))
            return false;
        // Page templates carry a caption for the tab text; the page window itself shows none.
        ::SetWindowLongPtrA(page->Handle(), GWL_STYLE,
                            (::GetWindowLongPtrA(page->Handle(), GWL_STYLE) & ~(WS_CAPTION | WS_POPUP | WS_SYSMENU |
                                                                                 WS_THICKFRAME | WS_DISABLED)) |
                                WS_CHILD);
        ::SetWindowLongPtrA(page->Handle(), GWL_EXSTYLE,
                            ::GetWindowLongPtrA(page->Handle(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
        const RECT r = PageRect();
        ::SetWindowPos(page->Handle(), HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    if (!page->OnSetActive()) {
        ::SendMessageA(m_tab, TCM_SETCURSEL, m_active, 0);
        return false;
    }
    if (current && current->Handle())
        ::ShowWindow(current->Handle(), SW_HIDE);
    m_active = index;
    ::SendMessageA(m_tab, TCM_SETCURSEL, index, 0);
    ::SetWindowPos(page->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    return true;
}

void PageSheet::SetTabColor(int index, COLORREF colour)
{
    if (index < 0 || index >= GetPageCount())
        return;
    m_tabColors[static_cast<size_t>(index)] = colour;
    if (m_tab)
        ::InvalidateRect(m_tab, nullptr, TRUE);
}

COLORREF PageSheet::GetTabColor(int index) const noexcept
{
    if (index < 0 || index >= GetPageCount())
        return CLR_INVALID;
    return m_tabColors[static_cast<size_t>(index)];
}

void PageSheet::DrawTab(const DRAWITEMSTRUCT& item) noexcept
{
    const int index = static_cast<int>(item.itemID);
    const COLORREF colour = m_autoColors ? GetTabColor(index) : ::GetSysColor(COLOR_BTNFACE);
    UniqueBrush brush(::CreateSolidBrush(colour));
    RECT r = item.rcItem;
    ::FillRect(item.hDC, &r, brush.Get());
    char text[128] = {};
    TCITEMA tc{};
    tc.mask = TCIF_TEXT;
    tc.pszText = text;
    tc.cchTextMax = sizeof(text);
    ::SendMessageA(m_tab, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&tc));
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, RGB(0, 0, 0));
    const bool selected = index == m_active;
    SelectGuard font(item.hDC, reinterpret_cast<HFONT>(::SendMessageA(m_tab, WM_GETFONT, 0, 0)));
    if (selected)
        ::OffsetRect(&r, 0, -1);
    ::DrawTextA(item.hDC, text, -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

LRESULT PageSheet::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    switch (msg) {
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(l);
        if (header->hwndFrom == m_tab) {
            if (header->code == TCN_SELCHANGING) {
                PropertyPage* current = GetActivePage();
                return (current && current->Handle() && !current->OnKillActive()) ? TRUE : FALSE;
            }
            if (header->code == TCN_SELCHANGE) {
                const int wanted = static_cast<int>(::SendMessageA(m_tab, TCM_GETCURSEL, 0, 0));
                const int before = m_active;
                m_active = -1; // the page was already let go in TCN_SELCHANGING
                PropertyPage* old = GetPage(before);
                if (!SetActivePage(wanted)) {
                    m_active = before;
                    ::SendMessageA(m_tab, TCM_SETCURSEL, before, 0);
                } else if (old && old->Handle() && before != wanted) {
                    ::ShowWindow(old->Handle(), SW_HIDE);
                }
                return 0;
            }
        }
        break;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        if (item->hwndItem == m_tab) {
            DrawTab(*item);
            return TRUE;
        }
        break;
    }
    case kSelectPageMessage:
        SetActivePage(static_cast<int>(w));
        return 0;
    case WM_SIZE:
        RecalcLayout();
        return 0;
    default:
        break;
    }
    return Window::WindowProc(msg, w, l);
}
