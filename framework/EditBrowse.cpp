#include "framework/EditBrowse.h"

#include "framework/Handles.h"

#include <objbase.h>
#include <shlobj.h>

namespace
{
// Starts the picker inside the folder that the box names, when it exists.
int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data) noexcept
{
    if (msg == BFFM_INITIALIZED && data) {
        const auto* start = reinterpret_cast<const char*>(data);
        if (*start)
            ::SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, data);
    }
    return 0;
}
} // namespace

int EditBrowse::ButtonWidth() const noexcept
{
    return ::GetSystemMetrics(SM_CXVSCROLL) + 4;
}

void EditBrowse::EnableFolderBrowseButton(const std::string& title, bool on) noexcept
{
    m_title = title;
    m_browse = on;
    if (m_hwnd)
        ::SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

RECT EditBrowse::ButtonRect() const noexcept
{
    RECT r{};
    if (!m_browse || !m_hwnd)
        return r;
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    RECT client;
    ::GetClientRect(m_hwnd, &client);
    POINT origin{0, 0};
    ::ClientToScreen(m_hwnd, &origin);
    // Client area in window coordinates; the button sits just right of it.
    const int left = origin.x - window.left + client.right;
    const int top = origin.y - window.top;
    return RECT{left, top, left + ButtonWidth(), top + client.bottom};
}

void EditBrowse::DrawButton(HDC hdc) const noexcept
{
    RECT r = ButtonRect();
    if (r.right <= r.left)
        return;
    ::DrawFrameControl(hdc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (m_pressed ? DFCS_PUSHED : 0));
    SelectGuard font(hdc, reinterpret_cast<HFONT>(::SendMessageA(m_hwnd, WM_GETFONT, 0, 0)));
    ::SetBkMode(hdc, TRANSPARENT);
    ::SetTextColor(hdc, ::GetSysColor(COLOR_BTNTEXT));
    if (m_pressed)
        ::OffsetRect(&r, 1, 1);
    ::DrawTextA(hdc, "...", 3, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

bool EditBrowse::OnBrowse()
{
    const std::string start = WindowRef(m_hwnd).GetText();
    char chosen[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = ::GetParent(m_hwnd);
    info.pszDisplayName = chosen;
    info.lpszTitle = m_title.empty() ? nullptr : m_title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = &BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE pidl = ::SHBrowseForFolderA(&info);
    if (!pidl)
        return false;
    char path[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListA(pidl, path) != FALSE && path[0] != '\0';
    ::CoTaskMemFree(pidl);
    if (!ok)
        return false;
    ::SetWindowTextA(m_hwnd, path);
    // The parent hears of the change as if the user had typed it.
    ::SendMessageA(::GetParent(m_hwnd), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(m_hwnd), EN_CHANGE),
                   reinterpret_cast<LPARAM>(m_hwnd));
    return true;
}

LRESULT EditBrowse::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    if (!m_browse)
        return Window::WindowProc(msg, w, l);
    switch (msg) {
    case WM_NCCALCSIZE: {
        const LRESULT result = Default(msg, w, l);
        RECT* client = w ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(l)->rgrc[0] : reinterpret_cast<RECT*>(l);
        client->right -= ButtonWidth();
        if (client->right < client->left)
            client->right = client->left;
        return result;
    }
    case WM_NCPAINT: {
        const LRESULT result = Default(msg, w, l);
        WindowDC dc(m_hwnd, true);
        DrawButton(dc);
        return result;
    }
    case WM_NCHITTEST: {
        POINT p{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
        RECT window;
        ::GetWindowRect(m_hwnd, &window);
        p.x -= window.left;
        p.y -= window.top;
        const RECT button = ButtonRect();
        if (::PtInRect(&button, p))
            return HTBORDER; // ours: handled in WM_NCLBUTTONDOWN
        break;
    }
    case WM_NCLBUTTONDOWN: {
        POINT p{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
        RECT window;
        ::GetWindowRect(m_hwnd, &window);
        p.x -= window.left;
        p.y -= window.top;
        const RECT button = ButtonRect();
        if (::PtInRect(&button, p)) {
            m_pressed = true;
            {
                WindowDC dc(m_hwnd, true);
                DrawButton(dc);
            }
            ::SetFocus(m_hwnd);
            OnBrowse();
            m_pressed = false;
            WindowDC dc(m_hwnd, true);
            DrawButton(dc);
            return 0;
        }
        break;
    }
    case WM_KEYDOWN:
        // Alt+Down or F4 open the picker from the keyboard.
        if (w == VK_F4 || (w == VK_DOWN && (::GetKeyState(VK_MENU) & 0x8000))) {
            OnBrowse();
            return 0;
        }
        break;
    case WM_SYSKEYDOWN:
        if (w == VK_DOWN) {
            OnBrowse();
            return 0;
        }
        break;
    default:
        break;
    }
    return Window::WindowProc(msg, w, l);
}
