// The window layer: a non-owning view of any window (WindowRef) and the object-bound window
// (Window) whose C++ object lives in the window's user data and receives every message through one
// noexcept message switch. Notifications that a child sends to its parent (WM_COMMAND, WM_NOTIFY,
// WM_CTLCOLOR*, WM_DRAWITEM, WM_MEASUREITEM, WM_HSCROLL, WM_VSCROLL) are first offered to the
// child's own object (OnReflect); the parent sees them only when the child does not take them.
#pragma once

#include "framework/Handles.h"

#include <windows.h>

#include <string>

// A plain window handle with conveniences. It owns nothing.
class WindowRef {
public:
    WindowRef(HWND hwnd = nullptr) noexcept : m_hwnd(hwnd) {}
    HWND Handle() const noexcept { return m_hwnd; }
    operator HWND() const noexcept { return m_hwnd; }
    bool Exists() const noexcept { return m_hwnd && ::IsWindow(m_hwnd); }

    WindowRef Item(int id) const noexcept { return WindowRef(::GetDlgItem(m_hwnd, id)); }
    std::string GetText() const;
    void SetText(const std::string& text) const noexcept { ::SetWindowTextA(m_hwnd, text.c_str()); }
    LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const noexcept { return ::SendMessageA(m_hwnd, msg, w, l); }
    BOOL Post(UINT msg, WPARAM w = 0, LPARAM l = 0) const noexcept { return ::PostMessageA(m_hwnd, msg, w, l); }
    RECT ClientRect() const noexcept;
    RECT WindowRect() const noexcept;
    // The window rectangle in the client coordinates of another window (normally the parent).
    RECT RectIn(HWND other) const noexcept;
    void Show(bool show) const noexcept { ::ShowWindow(m_hwnd, show ? SW_SHOW : SW_HIDE); }
    void Enable(bool enable) const noexcept { ::EnableWindow(m_hwnd, enable ? TRUE : FALSE); }
    bool IsVisible() const noexcept { return ::IsWindowVisible(m_hwnd) != FALSE; }
    bool IsEnabled() const noexcept { return ::IsWindowEnabled(m_hwnd) != FALSE; }
    int Id() const noexcept { return ::GetDlgCtrlID(m_hwnd); }
    WindowRef Parent() const noexcept { return WindowRef(::GetParent(m_hwnd)); }
    void Invalidate(bool erase = true) const noexcept { ::InvalidateRect(m_hwnd, nullptr, erase); }
    void Update() const noexcept { ::UpdateWindow(m_hwnd); }
    HFONT GetFont() const noexcept { return reinterpret_cast<HFONT>(Send(WM_GETFONT)); }
    void SetFont(HFONT font, bool redraw = true) const noexcept
    {
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    }

protected:
    HWND m_hwnd;
};

// A C++ object bound to one window. Bind it by creating a window through it (Create), or by
// attaching it to a window that exists (Subclass). Destroying the object destroys a window it
// created and detaches from a window it subclassed.
class Window {
public:
    Window() noexcept = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const noexcept { return m_hwnd; }
    WindowRef Ref() const noexcept { return WindowRef(m_hwnd); }
    operator HWND() const noexcept { return m_hwnd; }

    // Creates a window of any class; the object is bound before the window's first message, so
    // WM_NCCREATE and WM_CREATE already reach WindowProc.
    bool Create(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                HWND parent, UINT_PTR idOrMenu);
    // Binds the object to an existing window (a dialog control, for example) by replacing its
    // window procedure.
    bool Subclass(HWND hwnd);
    bool SubclassDlgItem(int id, HWND parent) { return Subclass(::GetDlgItem(parent, id)); }
    void Detach() noexcept;
    BOOL DestroyWindow() noexcept;

    static Window* FromHandle(HWND hwnd) noexcept;

    // Offers a child notification to the child's object. Parents call this (Window and Dialog do it
    // by default); true means the child handled it and `result` is the answer.
    static bool ReflectToChild(HWND parent, UINT msg, WPARAM w, LPARAM l, LRESULT& result) noexcept;

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept;
    // Reflected notification from this window's parent. `msg` is the original message.
    virtual bool OnReflect(UINT msg, WPARAM w, LPARAM l, LRESULT& result) noexcept { return false; }
    // Runs once the object is bound (after Subclass, or at WM_NCCREATE of Create).
    virtual void OnAttached() noexcept {}
    // Runs after the window is gone (WM_NCDESTROY); the object is already unbound.
    virtual void OnFinalDestroy() noexcept {}
    // The processing the window would have had without this object.
    LRESULT Default(UINT msg, WPARAM w, LPARAM l) noexcept;

    HWND m_hwnd = nullptr;

private:
    friend class Dialog;
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) noexcept;
    static LRESULT CALLBACK CbtHook(int code, WPARAM w, LPARAM l) noexcept;
    void Bind(HWND hwnd) noexcept;

    WNDPROC m_oldProc = nullptr;
    bool m_created = false; // the window was made by Create and dies with the object
};

// Registers a window class whose windows are bound to objects through Window::Create. Returns the
// class atom (0 when registration failed and the class does not exist either).
ATOM RegisterWindowClass(const char* className, UINT classStyle, HBRUSH background, HCURSOR cursor);

// Answers WM_PAINT: paints into the DC the message carries in wParam when there is one (rendering
// into a memory DC, as WM_PRINTCLIENT does), else between BeginPaint and EndPaint.
template <typename PaintFn> LRESULT PaintFromMessage(HWND hwnd, WPARAM w, PaintFn&& paint) noexcept
{
    if (w) {
        paint(reinterpret_cast<HDC>(w));
    } else {
        PaintDC dc(hwnd);
        paint(dc.Get());
    }
    return 0;
}

// Pumps this thread's messages until the queue is empty.
void PumpPendingMessages() noexcept;
