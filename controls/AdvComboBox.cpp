#include "controls/AdvComboBox.h"

#include "controls/DropWnd.h"
#include "controls/VisualStyles.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
// Set only around the edit text change of auto-append, for every combo of the process.
bool g_typing = false;

constexpr UINT_PTR kHotTimer = 1;

bool StartsWith(const std::string& text, const std::string& prefix) noexcept
{
    return text.size() >= prefix.size() && std::memcmp(text.data(), prefix.data(), prefix.size()) == 0;
}

void Draw3dRect(HDC hdc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) noexcept
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    auto fill = [hdc](int x, int y, int cx, int cy, COLORREF c) {
        ::SetBkColor(hdc, c);
        const RECT line{x, y, x + cx, y + cy};
        ::ExtTextOutA(hdc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
    };
    fill(r.left, r.top, w - 1, 1, topLeft);
    fill(r.left, r.top, 1, h - 1, topLeft);
    fill(r.left + w, r.top, -1, h, bottomRight);
    fill(r.left, r.top + h, w, -1, bottomRight);
}

// The class window procedure: a window created with the class name by anyone but a CAdvComboBox
// object gets an object of its own at its first message, which lives as long as the window.
LRESULT CALLBACK SuperComboProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) noexcept
{
    if (!Window::FromHandle(hwnd) && msg == WM_NCCREATE) {
        auto* combo = new (std::nothrow) CAdvComboBox();
        if (combo && combo->AdoptWindow(hwnd))
            return ::CallWindowProcA(reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_WNDPROC)), hwnd, msg, w,
                                     l);
        delete combo;
    }
    return ::DefWindowProcA(hwnd, msg, w, l);
}
} // namespace

bool CAdvComboBox::RegisterClass() noexcept
{
    WNDCLASSEXA wc{};
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (::GetClassInfoExA(instance, kClassName, &wc))
        return true;
    wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = &SuperComboProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
    wc.lpszClassName = kClassName;
    return ::RegisterClassExA(&wc) != 0;
}

CAdvComboBox::CAdvComboBox(HWND notifyTarget) noexcept : m_notifyTarget(notifyTarget)
{
    RegisterClass();
}

CAdvComboBox::~CAdvComboBox()
{
    // The window itself goes with the base object (or stays, when it was only attached).
    ReleaseDrop();
    m_edit.reset();
}

bool CAdvComboBox::AdoptWindow(HWND hwnd) noexcept
{
    m_selfOwned = true;
    return Subclass(hwnd);
}

bool CAdvComboBox::Create(DWORD style, const RECT& rect, HWND parent, UINT id)
{
    m_lookFlags |= CBX_INSETEDIT;
    m_madeByCreate = true;
    return Window::Create(0, kClassName, "", style, rect, parent, id);
}

bool CAdvComboBox::Attach(HWND hwnd)
{
    if (!Subclass(hwnd))
        return false;
    if (m_editPending)
        CreateEdit();
    ComputeRects();
    return true;
}

void CAdvComboBox::OnAttached() noexcept
{
    if (!m_notifyTarget)
        m_notifyTarget = ::GetParent(m_hwnd);
    LoadItemsFromResource();
    if (!m_font)
        CopyTargetFont();
    if (IsDropDownKind() && !m_madeByCreate && !m_edit)
        m_editPending = true; // made once the window exists (at WM_CREATE, or by Attach)
}

void CAdvComboBox::OnFinalDestroy() noexcept
{
    if (m_selfOwned)
        delete this;
}

void CAdvComboBox::LoadItemsFromResource() noexcept
{
    const int id = ::GetDlgCtrlID(m_hwnd);
    if (id <= 0 || id > 0xFFFF)
        return;
    m_itemsLoaded = true;
    std::vector<char> buffer(8192);
    const int length = ::LoadStringA(::GetModuleHandleA(nullptr), static_cast<UINT>(id), buffer.data(),
                                     static_cast<int>(buffer.size()));
    if (length <= 0)
        return;
    m_items.clear();
    const std::string all(buffer.data(), static_cast<size_t>(length));
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        if (end > start)
            AddString(all.substr(start, end - start).c_str());
        start = end + 1;
    }
}

void CAdvComboBox::CopyTargetFont() noexcept
{
    HFONT source = m_notifyTarget ? reinterpret_cast<HFONT>(::SendMessageA(m_notifyTarget, WM_GETFONT, 0, 0)) : nullptr;
    LOGFONTA lf{};
    // A target without a font of its own draws with the system's GUI font; so does the control.
    if (!source || !::GetObjectA(source, sizeof(lf), &lf))
        if (!::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf))
            return;
    HFONT font = ::CreateFontIndirectA(&lf);
    if (!font)
        return;
    m_ownFont.Reset(font);
    ::SendMessageA(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

bool CAdvComboBox::IsDropDownKind() const noexcept
{
    return m_hwnd && (::GetWindowLongPtrA(m_hwnd, GWL_STYLE) & 3) == CBS_DROPDOWN;
}

bool CAdvComboBox::IsDropListKind() const noexcept
{
    return m_hwnd && (::GetWindowLongPtrA(m_hwnd, GWL_STYLE) & 3) == CBS_DROPDOWNLIST;
}

void CAdvComboBox::CreateEdit() noexcept
{
    m_editPending = false;
    if (m_edit || !m_hwnd)
        return;
    RECT r = Ref().ClientRect();
    r.right -= ::GetSystemMetrics(SM_CXHSCROLL);
    if (m_lookFlags & CBX_INSETEDIT) {
        r.left += 3;
        r.top += 4;
        r.right -= 2;
        r.bottom -= 2;
    }
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (::GetWindowLongPtrA(m_hwnd, GWL_STYLE) & CBS_AUTOHSCROLL)
        style |= ES_AUTOHSCROLL;
    auto edit = std::make_unique<CAdvComboEdit>(this);
    if (!edit->Create(style, r, m_hwnd, kEditId))
        return;
    m_edit = std::move(edit);
    m_edit->Ref().SetFont(m_font, false);
    SetEditTextQuietly(m_text);
}

void CAdvComboBox::SetEditTextQuietly(const std::string& text) noexcept
{
    if (!m_edit || !m_edit->Handle())
        return;
    // A text the program puts into the edit is not typing: no completion, no notifications.
    const bool was = std::exchange(m_quietText, true);
    m_edit->Ref().SetText(text);
    m_quietText = was;
}

void CAdvComboBox::ComputeRects() noexcept
{
    if (!m_hwnd)
        return;
    const RECT c = Ref().ClientRect();
    m_buttonRect = c;
    m_buttonRect.left = c.right - ::GetSystemMetrics(SM_CXHSCROLL);
}

// ---- the list ----

ComboItemList::iterator CAdvComboBox::ItemAt(int index) noexcept
{
    if (index < 0 || index >= GetCount())
        return m_items.end();
    return std::next(m_items.begin(), index);
}

ComboItemList::const_iterator CAdvComboBox::ItemAt(int index) const noexcept
{
    if (index < 0 || index >= GetCount())
        return m_items.end();
    return std::next(m_items.begin(), index);
}

int CAdvComboBox::AddString(const char* text)
{
    m_items.push_back(ComboItem{text ? text : ""});
    return GetCount() - 1;
}

int CAdvComboBox::InsertString(int index, const char* text)
{
    if (index < -1)
        return -1;
    if (index == -1 || index >= GetCount())
        return AddString(text);
    m_items.insert(ItemAt(index), ComboItem{text ? text : ""});
    if (m_curSel >= index)
        ++m_curSel;
    return index;
}

int CAdvComboBox::DeleteString(int index)
{
    auto it = ItemAt(index);
    if (it == m_items.end())
        return -1;
    m_items.erase(it);
    return GetCount();
}

void CAdvComboBox::ResetContent() noexcept
{
    m_items.clear();
    m_text.clear();
    m_curSel = -1;
    if (m_hwnd)
        ::SetWindowTextA(m_hwnd, "");
    SetEditTextQuietly("");
    if (m_hwnd)
        Ref().Invalidate();
}

int CAdvComboBox::SetCurSel(int index)
{
    if (index == -1) {
        m_curSel = -1;
        m_text.clear();
        SetEditTextQuietly(m_text);
        if (m_hwnd)
            Ref().Invalidate();
        return -1;
    }
    if (m_items.empty()) {
        if (index >= 0)
            m_curSel = index; // takes effect once the items exist
        return -1;
    }
    auto it = ItemAt(index);
    if (it == m_items.end())
        return -1;
    m_curSel = index;
    m_text = it->text;
    // The edit shows the selection at once, so that GetCurSel (which reads the edit) agrees.
    if (m_edit) {
        SetEditTextQuietly(m_text);
        m_editNeedsText = false;
    }
    if (m_hwnd)
        Ref().Invalidate();
    return index;
}

int CAdvComboBox::GetCurSel() const
{
    return FindStringExact(-1, GetText().c_str());
}

void CAdvComboBox::GetLBText(int index, std::string& text) const
{
    auto it = ItemAt(index);
    text = it == m_items.end() ? std::string() : it->text;
}

std::string CAdvComboBox::GetLBText(int index) const
{
    std::string text;
    GetLBText(index, text);
    return text;
}

int CAdvComboBox::GetLBTextLen(int index) const noexcept
{
    auto it = ItemAt(index);
    return it == m_items.end() ? -1 : static_cast<int>(it->text.size()) + 1;
}

int CAdvComboBox::FindString(int start, const char* text) const
{
    if (start == -1)
        start = 0;
    if (start < 0 || start >= GetCount() || !text)
        return -1;
    const std::string prefix = text;
    int index = start;
    for (auto it = ItemAt(start); it != m_items.end(); ++it, ++index)
        if (StartsWith(it->text, prefix))
            return index;
    return -1;
}

int CAdvComboBox::FindStringExact(int start, const char* text) const
{
    if (start == -1)
        start = 0;
    if (start < 0 || start >= GetCount() || !text)
        return -1;
    int index = start;
    for (auto it = ItemAt(start); it != m_items.end(); ++it, ++index)
        if (std::strcmp(it->text.c_str(), text) == 0)
            return index;
    return -1;
}

int CAdvComboBox::SelectString(int start, const char* text)
{
    const int index = FindStringExact(start, text);
    if (index == -1)
        return -1;
    return SetCurSel(index);
}

ULONGLONG CAdvComboBox::GetItemData64(int index) const noexcept
{
    auto it = ItemAt(index);
    return it == m_items.end() ? static_cast<ULONGLONG>(-1) : it->data;
}

int CAdvComboBox::SetItemData64(int index, ULONGLONG data) noexcept
{
    auto it = ItemAt(index);
    if (it == m_items.end())
        return -1;
    it->data = data;
    return 0;
}

DWORD_PTR CAdvComboBox::GetItemData(int index) const noexcept
{
    auto it = ItemAt(index);
    return it == m_items.end() ? static_cast<DWORD_PTR>(-1) : static_cast<DWORD>(it->data);
}

int CAdvComboBox::SetItemData(int index, DWORD data) noexcept
{
    return SetItemData64(index, data);
}

int CAdvComboBox::GetItemDisabled(int index) const noexcept
{
    auto it = ItemAt(index);
    return it == m_items.end() ? -1 : it->disabled;
}

void CAdvComboBox::SetItemDisabled(int index, int disabled) noexcept
{
    auto it = ItemAt(index);
    if (it != m_items.end())
        it->disabled = disabled;
}

int CAdvComboBox::GetItemCheck(int index) const noexcept
{
    auto it = ItemAt(index);
    return it == m_items.end() ? -1 : it->check;
}

void CAdvComboBox::SetItemCheck(int index, int check) noexcept
{
    auto it = ItemAt(index);
    if (it != m_items.end())
        it->check = check;
}

// ---- edit and text ----

int CAdvComboBox::LimitText(int limit) noexcept
{
    if (!m_edit)
        return -1;
    m_edit->Ref().Send(EM_LIMITTEXT, limit == 0 ? 65535 : limit);
    return 1;
}

int CAdvComboBox::SetEditSel(int start, int end) noexcept
{
    if (!m_edit || !IsDropDownKind())
        return -1;
    m_edit->Ref().Send(EM_SETSEL, static_cast<WPARAM>(start), end);
    return 1;
}

LRESULT CAdvComboBox::GetEditSel() const noexcept
{
    if (!m_edit || !IsDropDownKind())
        return -1;
    return m_edit->Ref().Send(EM_GETSEL);
}

std::string CAdvComboBox::GetText() const
{
    if (m_edit && m_edit->Handle())
        return m_edit->Ref().GetText();
    return m_text;
}

void CAdvComboBox::SetText(const std::string& text)
{
    SetEditTextQuietly(text);
    if (m_edit)
        m_editNeedsText = false; // a text of its own: no selection overwrites it at the next paint
    m_text = text;
    if (m_hwnd)
        Ref().Invalidate();
}

int CAdvComboBox::GetText(char* buffer, int size) const
{
    const std::string text = GetText();
    if (!buffer || size <= 0)
        return static_cast<int>(text.size());
    const int n = std::min<int>(static_cast<int>(text.size()), size - 1);
    std::memcpy(buffer, text.data(), static_cast<size_t>(n));
    buffer[n] = '\0';
    return n;
}

// ---- look ----

void CAdvComboBox::ModifyLookFlags(DWORD remove, DWORD add) noexcept
{
    if (add & CBX_FLUSHEDIT)
        remove |= CBX_INSETEDIT;
    if (add & CBX_INSETEDIT)
        remove |= CBX_FLUSHEDIT;
    m_lookFlags = (m_lookFlags & ~remove) | add;
    if (m_hwnd)
        Ref().Invalidate();
}

bool CAdvComboBox::IsPointInWindow(POINT screenPoint) const noexcept
{
    const RECT r = Ref().WindowRect();
    return ::PtInRect(&r, screenPoint) != FALSE;
}

int CAdvComboBox::GetPreferredDropWidth() const noexcept
{
    WindowDC dc(m_hwnd);
    SelectGuard font(dc, m_font);
    TEXTMETRICA tm{};
    ::GetTextMetricsA(dc, &tm);
    int widest = 0;
    for (const ComboItem& item : m_items) {
        SIZE size{};
        ::GetTextExtentPoint32A(dc, item.text.c_str(), static_cast<int>(item.text.size()), &size);
        widest = std::max<int>(widest, size.cx + tm.tmAveCharWidth);
    }
    return widest + 2 * ::GetSystemMetrics(SM_CXEDGE) + ::GetSystemMetrics(SM_CXVSCROLL) + 5;
}

void CAdvComboBox::ExchangeIndex(HWND dialog, int id, int& index, bool save)
{
    auto* combo = dynamic_cast<CAdvComboBox*>(Window::FromHandle(::GetDlgItem(dialog, id)));
    if (!combo)
        return;
    if (save)
        index = combo->GetCurSel();
    else
        combo->SetCurSel(index);
}

void CAdvComboBox::ExchangeText(HWND dialog, int id, std::string& text, bool save)
{
    auto* combo = dynamic_cast<CAdvComboBox*>(Window::FromHandle(::GetDlgItem(dialog, id)));
    if (!combo)
        return;
    if (save)
        text = combo->GetText();
    else
        combo->SetText(text);
}

// ---- painting ----

void CAdvComboBox::PaintClassic(HDC hdc, RECT c, RECT& b, int state) noexcept
{
    Draw3dRect(hdc, c, ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    ::InflateRect(&c, -1, -1);
    Draw3dRect(hdc, c, ::GetSysColor(COLOR_3DDKSHADOW), ::GetSysColor(COLOR_3DLIGHT));
    b.top += 2;
    b.bottom -= 2;
    ::OffsetRect(&b, -2, 0);
    UINT flags = DFCS_SCROLLCOMBOBOX;
    if (m_dropped)
        flags |= DFCS_PUSHED | DFCS_FLAT;
    if (state == 4)
        flags |= DFCS_INACTIVE;
    ::DrawFrameControl(hdc, &b, DFC_SCROLL, flags);
}

void CAdvComboBox::PaintThemed(HDC hdc, RECT c, RECT& b, int state) noexcept
{
    CVisualStyles& styles = CVisualStyles::Current();
    HTHEME theme = styles.OpenThemeData(m_hwnd, L"COMBOBOX");
    const bool enabled = ::IsWindowEnabled(m_hwnd) != FALSE;
    COLORREF border = 0;
    if (FAILED(styles.GetThemeColor(theme, 1, enabled ? 1 : 4, 3801, &border)))
        border = RGB(0, 0, 0);
    {
        UniquePen pen(::CreatePen(PS_SOLID, 1, border));
        SelectGuard usePen(hdc, pen.Get());
        SelectGuard useBrush(hdc, ::GetStockObject(WHITE_BRUSH));
        ::Rectangle(hdc, c.left, c.top, c.right, c.bottom);
    }
    b.top += 1;
    b.bottom -= 1;
    ::OffsetRect(&b, -1, 0);
    if (!enabled) {
        COLORREF fill = 0;
        if (FAILED(styles.GetThemeColor(theme, 1, 4, 3802, &fill)))
            fill = 0xFFFFFF;
        RECT inner = c;
        ::InflateRect(&inner, -1, -1);
        inner.right = b.left;
        UniquePen pen(::CreatePen(PS_SOLID, 1, fill));
        SelectGuard usePen(hdc, pen.Get());
        SelectGuard useBrush(hdc, ::GetSysColorBrush(COLOR_BTNFACE));
        ::Rectangle(hdc, inner.left, inner.top, inner.right, inner.bottom);
    }
    styles.DrawThemeBackground(theme, hdc, 1, state, &b, nullptr);
    styles.CloseThemeData(theme);
}

void CAdvComboBox::Paint(HDC hdc) noexcept
{
    if (m_editPending)
        CreateEdit();
    if (m_curSel != -1) {
        auto it = ItemAt(m_curSel);
        if (it != m_items.end()) {
            m_text = it->text;
            if (m_editNeedsText && m_edit) {
                SetEditTextQuietly(m_text);
                m_editNeedsText = false;
                m_edit->Ref().Enable(Ref().IsEnabled());
            }
        }
    }
    const RECT c = Ref().ClientRect();
    RECT b = c;
    b.left = c.right - ::GetSystemMetrics(SM_CXHSCROLL);
    m_buttonRect = b;
    RECT t = c;
    t.right = b.left - 1;
    const bool enabled = Ref().IsEnabled();
    ::FillRect(hdc, &c, ::GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    const int state = m_dropped ? 3 : !enabled ? 4 : m_hot ? 2 : 1;
    if (CVisualStyles::Current().IsVisualStylesActive())
        PaintThemed(hdc, c, b, state);
    else
        PaintClassic(hdc, c, b, state);

    t.left += 4;
    t.top += 3;
    t.right -= 2;
    t.bottom -= 3;
    if (IsDropListKind()) {
        SelectGuard font(hdc, m_font);
        ::SetBkMode(hdc, TRANSPARENT);
        t.left -= 2;
        t.top -= 2;
        t.right += 1;
        t.bottom += 2;
        int fill = COLOR_WINDOW, text = COLOR_BTNTEXT;
        if (m_hasFocus && !m_dropped) {
            fill = COLOR_HIGHLIGHT;
            text = COLOR_HIGHLIGHTTEXT;
        }
        if (!enabled) {
            fill = COLOR_BTNFACE;
            text = COLOR_GRAYTEXT;
        }
        ::FillRect(hdc, &t, ::GetSysColorBrush(fill));
        ::SetTextColor(hdc, ::GetSysColor(text));
        ::DrawTextA(hdc, m_text.c_str(), static_cast<int>(m_text.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    } else if (m_edit) {
        m_edit->Ref().SetFont(m_font, false);
    }
}

void CAdvComboBox::RepaintButton() noexcept
{
    if (m_hwnd)
        ::InvalidateRect(m_hwnd, &m_buttonRect, FALSE);
}

// ---- drop-down ----

void CAdvComboBox::Notify(int code) noexcept
{
    if (!m_hwnd || !m_notifyTarget || !::IsWindow(m_notifyTarget))
        return;
    ::SendMessageA(m_notifyTarget, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(m_hwnd), code),
                   reinterpret_cast<LPARAM>(m_hwnd));
}

void CAdvComboBox::CreateDropWindow(const ComboItemList& list) noexcept
{
    auto drop = std::make_unique<CDropWnd>(this, list, m_lookFlags);
    const RECT wr = Ref().WindowRect();
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const RECT start{wr.left, wr.bottom, wr.right, std::min(wr.bottom, work.bottom)};
    // Made in place, as its creation already sends messages that look for it.
    m_dropWnd = std::move(drop);
    if (!m_dropWnd->Create(start)) {
        m_dropWnd.reset();
        return;
    }
    if (m_curSel > static_cast<int>(list.size()) - 1)
        m_curSel = 0;
    m_dropWnd->ListBox().SelectEnabledRow(m_curSel);
    m_dropWnd->Ref().SetFont(m_font, false);
    Notify(CBN_DROPDOWN);
}

void CAdvComboBox::ReleaseDrop() noexcept
{
    if (!m_dropWnd)
        return;
    auto drop = std::move(m_dropWnd);
    m_dropped = false;
    if (drop->Handle()) {
        drop->Ref().Show(false);
        drop->Destroy();
    }
}

LRESULT CAdvComboBox::CloseDrop() noexcept
{
    if (!m_dropWnd) {
        OnCompleteChoice();
        return 1;
    }
    // The focus the pointer handed to the list comes back to the control before the list goes.
    if (m_hwnd && FocusStaysInside(::GetFocus()) && m_dropWnd->Handle() &&
        (::GetFocus() == m_dropWnd->Handle() || ::IsChild(m_dropWnd->Handle(), ::GetFocus())))
        ::SetFocus(m_edit ? m_edit->Handle() : m_hwnd);
    ReleaseDrop();
    RepaintButton();
    if (m_pickAccepted)
        m_pickAccepted = false;
    else
        Notify(CBN_SELENDCANCEL);
    Notify(CBN_CLOSEUP);
    return 1;
}

LRESULT CAdvComboBox::Toggle() noexcept
{
    if (!m_dropped) {
        if (!m_dropWnd)
            CreateDropWindow(m_items);
        if (m_dropWnd) {
            ::ShowWindow(m_dropWnd->Handle(), SW_SHOWNA);
            m_dropped = true;
        }
    } else {
        CloseDrop();
    }
    return 1;
}

LRESULT CAdvComboBox::Pick(int row) noexcept
{
    if (!m_dropWnd)
        return 1;
    m_text = m_dropWnd->RowText(row);
    m_curSel = FindStringExact(0, m_text.c_str());
    ::SetWindowTextA(m_hwnd, m_text.c_str());
    if (IsDropDownKind() && m_edit) {
        SetEditTextQuietly(m_text);
        ::SetFocus(m_edit->Handle());
        m_edit->Ref().Send(EM_SETSEL, 0, -1);
    }
    m_pickAccepted = true;
    Notify(CBN_SELENDOK);
    Ref().Invalidate();
    CloseDrop();
    RepaintButton();
    Notify(CBN_SELCHANGE);
    return 1;
}

void CAdvComboBox::GetDroppedControlRect(RECT& rect) const noexcept
{
    rect = RECT{};
    if (m_dropped && m_dropWnd && m_dropWnd->Handle())
        rect = m_dropWnd->Ref().WindowRect();
}

void CAdvComboBox::ShowDropDown(BOOL show)
{
    if (show && !m_dropped) {
        Ref().Send(WM_DROP_TOGGLE);
        Ref().Invalidate();
    } else if (!show && m_dropped) {
        Ref().Send(WM_DROP_CLOSE);
        Ref().Invalidate();
    }
}

int CAdvComboBox::GetTopIndex() const noexcept
{
    if (!m_dropWnd || !m_dropWnd->Handle())
        return -1;
    return m_dropWnd->ListBox().TopRow();
}

int CAdvComboBox::SetTopIndex(int index) noexcept
{
    if (!m_dropWnd || !m_dropWnd->Handle())
        return -1;
    return static_cast<int>(m_dropWnd->ListBox().Ref().Send(LB_SETTOPINDEX, index));
}

// ---- keyboard, wheel, mouse ----

void CAdvComboBox::SetCurrentFromItem(int index) noexcept
{
    auto it = ItemAt(index);
    if (it == m_items.end())
        return;
    m_curSel = index;
    m_text = it->text;
    SetEditTextQuietly(m_text);
    Ref().Invalidate();
}

void CAdvComboBox::SelectPrevNext(bool next) noexcept
{
    const int count = GetCount();
    if (count == 0)
        return;
    int found = -1;
    if (m_curSel < 0 || m_curSel >= count) {
        // From no selection both directions select the first enabled item.
        for (int i = 0; i < count && found < 0; ++i)
            if (!ItemAt(i)->disabled)
                found = i;
    } else if (next) {
        for (int i = m_curSel + 1; i < count && found < 0; ++i)
            if (!ItemAt(i)->disabled)
                found = i;
    } else {
        for (int i = m_curSel - 1; i >= 0 && found < 0; --i)
            if (!ItemAt(i)->disabled)
                found = i;
    }
    if (found < 0 || found == m_curSel)
        return;
    SetCurrentFromItem(found);
    Notify(CBN_SELENDOK);
    Notify(CBN_SELCHANGE);
}

void CAdvComboBox::SelectPage(bool down) noexcept
{
    const int count = GetCount();
    if (count == 0)
        return;
    const int before = m_curSel;
    if (m_curSel < 0 || m_curSel >= count)
        m_curSel = 0;
    const int target = down ? std::min(m_curSel + 10, count - 1) : std::max(m_curSel - 10, 0);
    if (target == before)
        return;
    SetCurrentFromItem(target);
    Notify(CBN_SELENDOK);
    Notify(CBN_SELCHANGE);
}

void CAdvComboBox::MoveOnOpenList(UINT vk) noexcept
{
    CDropListBox& list = m_dropWnd->ListBox();
    const int sel = list.CurSel();
    const int count = list.Count();
    switch (vk) {
    case VK_UP:
        if (sel > 0)
            list.SelectEnabledRow(sel - 1);
        return;
    case VK_DOWN:
        if (sel + 1 < count)
            list.SelectEnabledRow(sel + 1);
        return;
    case VK_PRIOR: {
        if (sel <= 0)
            return;
        const int top = list.TopRow();
        const int visible = list.GetVisibleRows();
        list.SelectEnabledRow(sel == top ? std::max(top - visible + 1, 0) : top);
        break;
    }
    case VK_NEXT: {
        int target;
        if (sel < 0) {
            target = 0;
        } else if (sel == count - 1) {
            target = sel;
        } else {
            const int top = list.TopRow();
            const int visible = list.GetVisibleRows();
            const int bottom = top + visible - 1;
            target = sel < bottom ? bottom : top + 2 * (visible - 1);
        }
        list.SelectEnabledRow(std::min(target, count - 1));
        break;
    }
    default:
        return;
    }
    ::SetWindowTextA(m_hwnd, m_dropWnd->RowText(list.CurSel()).c_str());
}

bool CAdvComboBox::DropsChar(WPARAM ch) noexcept
{
    const UINT key = std::exchange(m_droppedCharKey, 0u);
    return (key == VK_RETURN && ch == '\r') || (key == VK_ESCAPE && ch == 27);
}

bool CAdvComboBox::PreTranslateKey(const MSG& msg) noexcept
{
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return false;
    m_autoAppendArmed = true;
    m_droppedCharKey = 0;
    const UINT vk = static_cast<UINT>(msg.wParam);
    const bool alt = (msg.lParam & (1 << 29)) != 0 || ::GetKeyState(VK_MENU) < 0;
    if (alt && (vk == VK_DOWN || vk == VK_UP)) {
        Ref().Send(WM_DROP_TOGGLE);
        Ref().Invalidate();
        return false;
    }
    const bool open = m_dropWnd != nullptr;
    switch (vk) {
    case VK_RETURN:
        if (!open)
            return false;
        if (m_dropWnd->Handle()) {
            const int row = m_dropWnd->ListBox().CurSel();
            if (row >= 0)
                Ref().Send(WM_DROP_PICK, static_cast<WPARAM>(row));
        }
        CloseDrop();
        m_droppedCharKey = VK_RETURN;
        return true;
    case VK_ESCAPE:
        m_droppedCharKey = VK_ESCAPE; // the hook below runs once for the key, not again for its character
        if (!open) {
            OnCancelChoice();
            return false;
        }
        CloseDrop();
        Ref().Invalidate();
        return true;
    case VK_F4:
        Ref().Send(WM_DROP_TOGGLE);
        Ref().Invalidate();
        return true;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
        if (open && m_dropWnd->Handle())
            MoveOnOpenList(vk);
        else if (vk == VK_UP || vk == VK_DOWN)
            SelectPrevNext(vk == VK_DOWN);
        else
            SelectPage(vk == VK_NEXT);
        return true;
    case VK_DELETE:
    case VK_BACK:
        m_autoAppendArmed = false;
        return false;
    case VK_RIGHT:
        if (!(m_lookFlags & CBX_AUTOAPPEND))
            return false;
        if (!m_edit)
            return true;
        {
            DWORD start = 0, end = 0;
            m_edit->Ref().Send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            const DWORD length = static_cast<DWORD>(::GetWindowTextLengthA(m_edit->Handle()));
            if (start == end && end == length) {
                OnEditUpdate();
                return true;
            }
        }
        return false;
    default:
        return false;
    }
}

void CAdvComboBox::OnWheel(int delta) noexcept
{
    m_wheelSum += delta;
    if (m_wheelSum < WHEEL_DELTA && m_wheelSum > -WHEEL_DELTA)
        return;
    const bool up = m_wheelSum > 0;
    m_wheelSum = 0;
    if (!m_dropped || !m_dropWnd || !m_dropWnd->Handle()) {
        SelectPrevNext(!up);
        return;
    }
    CDropListBox& list = m_dropWnd->ListBox();
    const int top = list.TopRow();
    const int row = up ? std::max(top - 3, 0) : std::min(top + 3, std::max(list.Count() - 1, 0));
    list.SetTopRow(row, true);
}

bool CAdvComboBox::HotAreaContains(POINT client) const noexcept
{
    if (IsDropDownKind())
        return ::PtInRect(&m_buttonRect, client) != FALSE;
    const RECT c = Ref().ClientRect();
    return ::PtInRect(&c, client) != FALSE;
}

void CAdvComboBox::OnMouseMove(POINT pt) noexcept
{
    const bool hot = HotAreaContains(pt);
    if (hot == m_hot)
        return;
    m_hot = hot;
    if (!m_hotTimer) {
        ::SetTimer(m_hwnd, kHotTimer, 50, nullptr);
        m_hotTimer = true;
    }
    RepaintButton();
}

void CAdvComboBox::OnHotTimer() noexcept
{
    POINT pt{};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hwnd, &pt);
    if (HotAreaContains(pt))
        return;
    ::KillTimer(m_hwnd, kHotTimer);
    const bool wasHot = m_hot;
    m_hot = false;
    m_hotTimer = false;
    if (wasHot)
        RepaintButton();
}

bool CAdvComboBox::FocusStaysInside(HWND focus) const noexcept
{
    if (!focus)
        return false;
    if (m_edit && focus == m_edit->Handle())
        return true;
    if (m_dropWnd && m_dropWnd->Handle())
        return focus == m_dropWnd->Handle() || ::IsChild(m_dropWnd->Handle(), focus);
    return false;
}

// ---- typing ----

void CAdvComboBox::OnEditUpdate() noexcept
{
    if (!m_edit)
        return;
    const std::string typed = m_edit->Ref().GetText();
    if (::GetFocus() != m_edit->Handle() || g_typing)
        return;
    if ((m_lookFlags & CBX_AUTOAPPEND) && m_autoAppendArmed) {
        if (typed.empty())
            return;
        for (const ComboItem& item : m_items) {
            if (!StartsWith(item.text, typed))
                continue;
            g_typing = true;
            m_edit->Ref().SetText(item.text);
            m_edit->Ref().Send(EM_SETSEL, typed.size(), static_cast<LPARAM>(item.text.size()));
            g_typing = false;
            break;
        }
    }
    if (m_lookFlags & CBX_AUTOSUGGEST) {
        if (typed.empty()) {
            if (m_dropWnd)
                Ref().Send(WM_DROP_CLOSE);
            return;
        }
        ComboItemList suggestions;
        for (const ComboItem& item : m_items)
            if (StartsWith(item.text, typed) && item.text != typed)
                suggestions.push_back(item);
        if (m_dropWnd)
            Ref().Send(WM_DROP_CLOSE);
        if (suggestions.size() > 1) {
            m_curSel = 0;
            CreateDropWindow(suggestions);
        }
    }
    if (!m_dropWnd)
        Notify(CBN_EDITUPDATE);
}

void CAdvComboBox::OnEditCommand(int code) noexcept
{
    switch (code) {
    case EN_SETFOCUS:
        m_hasFocus = false;
        m_edit->Ref().Post(EM_SETSEL, 0, -1);
        if (!m_focusNotified) {
            Notify(CBN_SETFOCUS);
            m_focusNotified = true;
        }
        break;
    case EN_KILLFOCUS: {
        m_hasFocus = false;
        Ref().Invalidate();
        const HWND focus = m_editFocusTarget;
        if (!m_dropWnd) {
            if (focus != m_hwnd) {
                Notify(CBN_SELENDCANCEL);
                Notify(CBN_KILLFOCUS);
                m_focusNotified = false;
                m_edit->Ref().Send(EM_SETSEL, 0, 0);
                m_edit->Ref().Send(EM_SCROLLCARET);
            }
        } else if (!FocusStaysInside(focus)) {
            CloseDrop();
        }
        break;
    }
    case EN_CHANGE:
        if (!m_quietText && !m_dropWnd)
            Notify(CBN_EDITCHANGE);
        break;
    case EN_UPDATE:
        if (!m_quietText) {
            m_editNeedsText = false; // what the user types is never replaced by a later paint
            OnEditUpdate();
        }
        break;
    default:
        break;
    }
}

// ---- the message switch ----

LRESULT CAdvComboBox::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    auto result32 = [](int value) { return static_cast<LRESULT>(value); };
    switch (msg) {
    case WM_CREATE: {
        // A window bound while it is being made may not have had its id yet at attach time.
        if (!m_itemsLoaded)
            LoadItemsFromResource();
        const LRESULT result = Default(msg, w, l);
        if (!m_font)
            CopyTargetFont();
        ComputeRects();
        if (IsDropDownKind() && !m_edit)
            CreateEdit();
        return result;
    }
    case WM_CHILDACTIVATE: {
        const LRESULT result = Default(msg, w, l);
        if (!m_font)
            CopyTargetFont();
        if (m_madeByCreate && IsDropDownKind() && !m_edit)
            CreateEdit();
        return result;
    }
    case WM_SIZE:
        ComputeRects();
        if (m_edit && m_edit->Handle()) {
            RECT r = Ref().ClientRect();
            r.right -= ::GetSystemMetrics(SM_CXHSCROLL);
            if (m_lookFlags & CBX_INSETEDIT) {
                r.left += 3;
                r.top += 4;
                r.right -= 2;
                r.bottom -= 2;
            }
            ::MoveWindow(m_edit->Handle(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        }
        return Default(msg, w, l);
    case WM_SETFONT:
        m_font = reinterpret_cast<HFONT>(w);
        if (m_edit && m_edit->Handle())
            m_edit->Ref().SetFont(m_font, LOWORD(l) != 0);
        if (LOWORD(l))
            Ref().Invalidate();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_font);
    case WM_PAINT:
        return PaintFromMessage(m_hwnd, w, [this](HDC hdc) { Paint(hdc); });
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(w));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        return Default(msg, w, l);
    case WM_TIMER:
        if (w == kHotTimer) {
            OnHotTimer();
            return 0;
        }
        return Default(msg, w, l);
    case WM_LBUTTONDOWN: {
        if (::GetFocus() != m_hwnd)
            ::SetFocus(m_hwnd);
        const POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        const RECT client = Ref().ClientRect();
        if (IsDropDownKind() && ::PtInRect(&m_buttonRect, pt)) {
            Ref().Send(WM_DROP_TOGGLE);
            RepaintButton();
            Ref().Invalidate();
        } else if (IsDropListKind() && ::PtInRect(&client, pt)) {
            Ref().Send(WM_DROP_TOGGLE);
            Ref().Invalidate();
        }
        return Default(msg, w, l);
    }
    case WM_MOUSEWHEEL:
        OnWheel(GET_WHEEL_DELTA_WPARAM(w));
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const MSG key{m_hwnd, msg, w, l, 0, {}};
        if (PreTranslateKey(key))
            return 0;
        return Default(msg, w, l);
    }
    case WM_CHAR:
        if (DropsChar(w))
            return 0;
        if (w == 27) {
            OnCancelChoice();
            return 0;
        }
        if (w == '\r') {
            OnCompleteChoice();
            return 0;
        }
        return Default(msg, w, l);
    case WM_GETDLGCODE:
        // The control takes the arrows, Enter and Esc itself, even inside a dialog.
        return DLGC_WANTARROWS | DLGC_WANTCHARS | (l ? DLGC_WANTMESSAGE : 0);
    case WM_SETFOCUS: {
        const LRESULT result = Default(msg, w, l);
        const bool returning = std::exchange(m_focusParked, false);
        m_hasFocus = true;
        Ref().Invalidate();
        if (IsDropDownKind() && m_edit)
            ::SetFocus(m_edit->Handle());
        else if (IsDropListKind() && !returning)
            Notify(CBN_SETFOCUS);
        return result;
    }
    case WM_KILLFOCUS: {
        const LRESULT result = Default(msg, w, l);
        const HWND to = reinterpret_cast<HWND>(w);
        if (FocusStaysInside(to)) {
            // Into the control's own edit or drop-down parts: the control keeps the focus in effect.
            if (!m_edit || to != m_edit->Handle())
                m_focusParked = true;
            return result;
        }
        OnCancelChoice();
        return result;
    }
    case WM_ENABLE: {
        const LRESULT result = Default(msg, w, l);
        Ref().Invalidate();
        if (m_edit && m_edit->Handle())
            m_edit->Ref().Enable(w != 0);
        return result;
    }
    case WM_COMMAND:
        if (m_edit && reinterpret_cast<HWND>(l) == m_edit->Handle() && LOWORD(w) == kEditId) {
            OnEditCommand(HIWORD(w));
            return 0;
        }
        return Default(msg, w, l);
    case WM_DROP_PICK:
        return Pick(static_cast<int>(w));
    case WM_DROP_CLOSE:
        return CloseDrop();
    case WM_DROP_TOGGLE:
        return Toggle();
    case CB_ADDSTRING:
        return result32(AddString(reinterpret_cast<const char*>(l)));
    case CB_INSERTSTRING:
        return result32(InsertString(static_cast<int>(w), reinterpret_cast<const char*>(l)));
    case CB_DELETESTRING:
        return result32(DeleteString(static_cast<int>(w)));
    case CB_SETCURSEL:
        return result32(SetCurSel(static_cast<int>(w)));
    case CB_GETCURSEL:
        return result32(GetCurSel());
    case CB_SELECTSTRING:
        return result32(SetCurSel(FindStringExact(static_cast<int>(w), reinterpret_cast<const char*>(l))));
    case CB_GETCOUNT:
        return result32(GetCount());
    case CB_RESETCONTENT:
        ResetContent();
        return 0;
    case CB_GETLBTEXT: {
        auto it = ItemAt(static_cast<int>(w));
        if (it == m_items.end())
            return CB_ERR;
        if (l)
            std::memcpy(reinterpret_cast<char*>(l), it->text.c_str(), it->text.size() + 1);
        return result32(static_cast<int>(it->text.size()) + 1);
    }
    case CB_GETLBTEXTLEN:
        return result32(GetLBTextLen(static_cast<int>(w)));
    case CB_GETTOPINDEX:
        return result32(GetTopIndex());
    case CB_SETTOPINDEX:
        return result32(SetTopIndex(static_cast<int>(w)));
    case WM_DESTROY:
        if (m_hotTimer)
            ::KillTimer(m_hwnd, kHotTimer);
        m_hotTimer = false;
        ReleaseDrop();
        if (m_edit) {
            m_edit->DestroyWindow();
            m_edit.reset();
        }
        return Default(msg, w, l);
    case WM_NCDESTROY: {
        const LRESULT result = Default(msg, w, l);
        m_ownFont.Reset();
        m_font = nullptr;
        m_items.clear();
        return result;
    }
    default:
        return Default(msg, w, l);
    }
}
