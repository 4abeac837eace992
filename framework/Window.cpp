#include "framework/Window.h"

#include <commctrl.h>

#include <utility>
#include <vector>

std::string WindowRef::GetText() const
{
    const int length = ::GetWindowTextLengthA(m_hwnd);
    if (length <= 0)
        return {};
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    const int got = ::GetWindowTextA(m_hwnd, buffer.data(), length + 1);
    return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

RECT WindowRef::ClientRect() const noexcept
{
    RECT r{};
    ::GetClientRect(m_hwnd, &r);
    return r;
}

RECT WindowRef::WindowRect() const noexcept
{
    RECT r{};
    ::GetWindowRect(m_hwnd, &r);
    return r;
}

RECT WindowRef::RectIn(HWND other) const noexcept
{
    RECT r = WindowRect();
    ::MapWindowPoints(HWND_DESKTOP, other, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

namespace {
constexpr const char* kObjectProp = "TasvrinWindowObject";
thread_local Window* t_creating = nullptr;
thread_local HHOOK t_hook = nullptr;
} // namespace

Window::~Window()
{
    if (m_hwnd) {
        const HWND hwnd = m_hwnd;
        const bool created = m_created;
        Detach();
        if (created)
            ::DestroyWindow(hwnd);
    }
}

Window* Window::FromHandle(HWND hwnd) noexcept
{
    if (!hwnd)
        return nullptr;
    // The object pointer lives in the window's user data; the property tells our windows apart from
    // windows whose user data belongs to someone else. A window that runs our procedure is ours,
    // which saves the property lookup (a server round trip under Wine) on the frequent path.
    if (::GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Window::StaticProc)) {
        auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self && self->m_hwnd == hwnd)
            return self;
    }
    if (!::GetPropA(hwnd, kObjectProp))
        return nullptr;
    return reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void Window::Bind(HWND hwnd) noexcept
{
    m_hwnd = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetPropA(hwnd, kObjectProp, reinterpret_cast<HANDLE>(1));
    m_oldProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::StaticProc)));
    if (m_oldProc == &Window::StaticProc)
        m_oldProc = nullptr;
}

LRESULT CALLBACK Window::CbtHook(int code, WPARAM w, LPARAM l) noexcept
{
    if (code == HCBT_CREATEWND && t_creating) {
        Window* self = std::exchange(t_creating, nullptr);
        self->Bind(reinterpret_cast<HWND>(w));
        self->OnAttached();
    }
    return ::CallNextHookEx(t_hook, code, w, l);
}

bool Window::Create(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                    HWND parent, UINT_PTR idOrMenu)
{
    if (m_hwnd)
        return false;
    // A thread hook binds the object at HCBT_CREATEWND, before the window sees any message.
    HHOOK previousHook = t_hook;
    t_hook = ::SetWindowsHookExA(WH_CBT, &Window::CbtHook, nullptr, ::GetCurrentThreadId());
    t_creating = this;
    HWND hwnd = ::CreateWindowExA(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(idOrMenu),
                                  ::GetModuleHandleA(nullptr), this);
    t_creating = nullptr;
    if (t_hook)
        ::UnhookWindowsHookEx(t_hook);
    t_hook = previousHook;
    if (!hwnd) {
        m_hwnd = nullptr;
        return false;
    }
    m_created = true;
    return true;
}

bool Window::Subclass(HWND hwnd)
{
    if (!hwnd || m_hwnd || FromHandle(hwnd))
        return false;
    Bind(hwnd);
    OnAttached();
    return true;
}

void Window::Detach() noexcept
{
    if (!m_hwnd)
        return;
    if (m_oldProc)
        ::SetWindowLongPtrA(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    ::SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
    ::RemovePropA(m_hwnd, kObjectProp);
    m_oldProc = nullptr;
    m_hwnd = nullptr;
    m_created = false;
}

BOOL Window::DestroyWindow() noexcept
{
    if (!m_hwnd)
        return FALSE;
    return ::DestroyWindow(m_hwnd);
}

LRESULT Window::Default(UINT msg, WPARAM w, LPARAM l) noexcept
{
    if (m_oldProc)
        return ::CallWindowProcA(m_oldProc, m_hwnd, msg, w, l);
    return ::DefWindowProcA(m_hwnd, msg, w, l);
}

bool Window::ReflectToChild(HWND parent, UINT msg, WPARAM w, LPARAM l, LRESULT& result) noexcept
{
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(l);
        break;
    case WM_NOTIFY:
        child = reinterpret_cast<const NMHDR*>(l)->hwndFrom;
        break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_HSCROLL:
    case WM_VSCROLL:
        child = reinterpret_cast<HWND>(l);
        break;
    case WM_DRAWITEM:
        child = reinterpret_cast<const DRAWITEMSTRUCT*>(l)->hwndItem;
        break;
    case WM_MEASUREITEM:
        if (w != 0)
            child = ::GetDlgItem(parent, static_cast<int>(w));
        break;
    default:
        return false;
    }
    if (!child || child == parent)
        return false;
    Window* object = FromHandle(child);
    if (!object)
        return false;
    return object->OnReflect(msg, w, l, result);
}

LRESULT Window::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    LRESULT reflected = 0;
    if (ReflectToChild(m_hwnd, msg, w, l, reflected))
        return reflected;
    return Default(msg, w, l);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) noexcept
{
    // Only bound windows run this procedure, so the user data alone names the object: the property
    // lookup of FromHandle is a server round trip under Wine and would be paid on every message.
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || self->m_hwnd != hwnd)
        self = FromHandle(hwnd);
    if (!self)
        return ::DefWindowProcA(hwnd, msg, w, l);
    if (msg == WM_NCDESTROY) {
        const LRESULT result = self->WindowProc(msg, w, l);
        self->Detach();
        self->OnFinalDestroy();
        return result;
    }
    return self->WindowProc(msg, w, l);
}

ATOM RegisterWindowClass(const char* className, UINT classStyle, HBRUSH background, HCURSOR cursor)
{
    WNDCLASSEXA wc{};
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (::GetClassInfoExA(instance, className, &wc))
        return static_cast<ATOM>(1);
    wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = ::DefWindowProcA; // the object binding replaces it for every window made through Window
    wc.hInstance = instance;
    wc.hCursor = cursor ? cursor : ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return ::RegisterClassExA(&wc);
}

void PumpPendingMessages() noexcept
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}
