#include "controls/Hyperlink.h"

#include "framework/Handles.h"

#include <algorithm>
#include <cstring>

namespace
{
// The hot-link colours of the class layer: normal, hovered, visited.
constexpr COLORREF kLinkNormal = RGB(0, 0, 255);
constexpr COLORREF kLinkHover = RGB(255, 0, 0);
constexpr COLORREF kLinkVisited = RGB(128, 0, 128);

LOGFONTA DefaultGuiFont() noexcept
{
    LOGFONTA lf{};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    return lf;
}
} // namespace

CHyperlink::CHyperlink() : m_crNormal(kLinkNormal), m_crHover(kLinkHover), m_crVisited(kLinkVisited)
{
    const LOGFONTA lf = DefaultGuiFont();
    SetLinkFont(lf.lfFaceName, lf.lfHeight, lf.lfItalic != 0, lf.lfWeight > FW_NORMAL);
}

CHyperlink::~CHyperlink()
{
    if (m_hUnderlineFont)
        ::DeleteObject(m_hUnderlineFont);
    if (m_hLinkFont)
        ::DeleteObject(m_hLinkFont);
}

void CHyperlink::SetLinkFont(const std::string& face, int height, bool italic, bool bold) noexcept
{
    LOGFONTA lf{};
    const size_t n = std::min<size_t>(face.size(), 31);
    std::memcpy(lf.lfFaceName, face.data(), n);
    lf.lfFaceName[n] = '\0';
    lf.lfHeight = height;
    lf.lfItalic = italic ? TRUE : FALSE;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    HFONT font = ::CreateFontIndirectA(&lf);
    if (!font)
        return;
    if (m_hLinkFont)
        ::DeleteObject(m_hLinkFont);
    m_hLinkFont = font;
    m_linkFont = lf;
    m_bUnderlineCurrent = false;
    if (m_hParent && m_hwnd)
        ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

void CHyperlink::SetLinkFontPoints(const std::string& face, int points, bool italic, bool bold) noexcept
{
    WindowDC dc(m_hwnd);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    SetLinkFont(face, -::MulDiv(points, dpi, 72), italic, bold);
}

void CHyperlink::SetLinkColours(COLORREF normal, COLORREF hover, COLORREF visited) noexcept
{
    m_crNormal = normal;
    m_crHover = hover;
    m_crVisited = visited;
}

BOOL CHyperlink::SetTextAlignment(int alignment) noexcept
{
    if (alignment < 0 || alignment > 2)
        return FALSE;
    m_nAlignment = alignment;
    SizeToContent(true, alignment == 2);
    if (m_hwnd)
        ::InvalidateRect(m_hwnd, nullptr, TRUE);
    return TRUE;
}

void CHyperlink::ResetLinkFont() noexcept
{
    const LOGFONTA lf = DefaultGuiFont();
    SetLinkFont(lf.lfFaceName, lf.lfHeight, lf.lfItalic != 0, lf.lfWeight > FW_NORMAL);
}

std::string CHyperlink::GetLinkFontFace() const
{
    const std::string face = m_linkFont.lfFaceName;
    if (face != "MS Shell Dlg" && face != "MS Shell Dlg 2")
        return face;
    UniqueRegKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes\\", 0,
                        KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS) {
        key.Release();
        return face;
    }
    char value[257] = {};
    DWORD size = 256;
    DWORD type = 0;
    if (::RegQueryValueExA(key.Get(), face.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return face;
    value[256] = '\0';
    // Only a value that is exactly its text and one NUL counts.
    if (size != std::strlen(value) + 1)
        return face;
    return value;
}

int CHyperlink::GetLinkFontPoints() const noexcept
{
    WindowDC dc(m_hwnd);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    if (dpi == 0)
        return 0;
    return std::abs(::MulDiv(m_linkFont.lfHeight, 72, dpi));
}

void CHyperlink::RebuildUnderlined() noexcept
{
    LOGFONTA lf = m_linkFont;
    lf.lfUnderline = TRUE;
    HFONT font = ::CreateFontIndirectA(&lf);
    if (!font)
        return;
    if (m_hUnderlineFont)
        ::DeleteObject(m_hUnderlineFont);
    m_hUnderlineFont = font;
    m_bUnderlineCurrent = true;
    if (m_hParent)
        ::InvalidateRect(m_hParent, nullptr, FALSE);
}

void CHyperlink::DrawLink(HDC hdc, const RECT& rect) noexcept
{
    m_hParent = ::GetParent(m_hwnd);
    if (!m_bInitialised) {
        if (m_bUseParentFont && m_hParent) {
            const auto parentFont = reinterpret_cast<HFONT>(::SendMessageA(m_hParent, WM_GETFONT, 0, 0));
            LOGFONTA lf{};
            if (parentFont && ::GetObjectA(parentFont, sizeof(lf), &lf))
                SetLinkFont(lf.lfFaceName, lf.lfHeight, lf.lfItalic != 0, lf.lfWeight > FW_NORMAL);
        }
        m_bInitialised = true;
    }
    HFONT font = m_hLinkFont;
    if (m_hover || m_alwaysUnderline) {
        if (!m_bUnderlineCurrent || !m_hUnderlineFont)
            RebuildUnderlined();
        if (m_hUnderlineFont)
            font = m_hUnderlineFont;
    }
    SelectGuard select(hdc, font);
    ::SetTextColor(hdc, m_hover ? m_crHover : (m_visited ? m_crVisited : m_crNormal));
    ::SetBkMode(hdc, TRANSPARENT);
    char text[512] = {};
    ::GetWindowTextA(m_hwnd, text, sizeof(text));
    UINT format;
    if (m_multiline) {
        format = DT_WORDBREAK;
    } else {
        format = DT_SINGLELINE | DT_VCENTER | DT_WORD_ELLIPSIS;
        if (m_nAlignment == 1)
            format |= DT_RIGHT;
        else if (m_nAlignment == 2)
            format |= DT_CENTER;
    }
    RECT r = rect;
    ::DrawTextA(hdc, text, -1, &r, format);
}

SIZE CHyperlink::SizeToContent(bool centreVertically, bool centreHorizontally) noexcept
{
    if (!m_hwnd)
        return SIZE{};
    if (m_multiline)
        return LinkButton::SizeToContent(centreVertically, centreHorizontally);
    char text[512] = {};
    ::GetWindowTextA(m_hwnd, text, sizeof(text));
    RECT client;
    ::GetClientRect(m_hwnd, &client);
    RECT measured = client;
    {
        WindowDC dc(m_hwnd);
        SelectGuard select(dc, m_hLinkFont);
        ::DrawTextA(dc, text, -1, &measured, DT_CALCRECT | DT_SINGLELINE);
    }
    ::InflateRect(&measured, 6, 6);
    const SIZE size{measured.right - measured.left, measured.bottom - measured.top};
    RECT place = client;
    ::MapWindowPoints(m_hwnd, ::GetParent(m_hwnd), reinterpret_cast<POINT*>(&place), 2);
    int x = place.left;
    int y = place.top;
    if (centreHorizontally)
        x += ((place.right - place.left) - size.cx) / 2;
    if (centreVertically)
        y += ((place.bottom - place.top) - size.cy) / 2;
    ::SetWindowPos(m_hwnd, nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    return size;
}

LRESULT CHyperlink::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    // Space acts like Enter: every key message carrying it is turned into the same with Enter.
    if (msg >= WM_KEYDOWN && msg < WM_KEYDOWN + 10 && w == VK_SPACE)
        w = VK_RETURN;
    return LinkButton::WindowProc(msg, w, l);
}
