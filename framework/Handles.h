// Typed owners for every kind of system handle the program holds, and the guard that restores a
// device context's selection. Each is move-only and releases its handle with the matching call.
#pragma once

#include <windows.h>
#include <wininet.h>
#include <commctrl.h>

#include <utility>

template <typename H, typename Traits> class UniqueHandleT {
public:
    UniqueHandleT() noexcept = default;
    explicit UniqueHandleT(H h) noexcept : m_h(h) {}
    UniqueHandleT(const UniqueHandleT&) = delete;
    UniqueHandleT& operator=(const UniqueHandleT&) = delete;
    UniqueHandleT(UniqueHandleT&& other) noexcept : m_h(other.Release()) {}
    UniqueHandleT& operator=(UniqueHandleT&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    ~UniqueHandleT() { Reset(); }

    H Get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return Traits::Valid(m_h); }
    H Release() noexcept { return std::exchange(m_h, Traits::Invalid()); }
    void Reset(H h = Traits::Invalid()) noexcept
    {
        if (Traits::Valid(m_h))
            Traits::Close(m_h);
        m_h = h;
    }
    // For APIs that fill a handle through a pointer; any handle held before is released.
    H* Put() noexcept
    {
        Reset();
        return &m_h;
    }

private:
    H m_h = Traits::Invalid();
};

namespace handle_traits {
struct Kernel {
    static HANDLE Invalid() noexcept { return nullptr; }
    static bool Valid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct File {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct RegKey {
    static HKEY Invalid() noexcept { return nullptr; }
    static bool Valid(HKEY h) noexcept { return h != nullptr; }
    static void Close(HKEY h) noexcept { ::RegCloseKey(h); }
};
struct Inet {
    static HINTERNET Invalid() noexcept { return nullptr; }
    static bool Valid(HINTERNET h) noexcept { return h != nullptr; }
    static void Close(HINTERNET h) noexcept { ::InternetCloseHandle(h); }
};
struct Module {
    static HMODULE Invalid() noexcept { return nullptr; }
    static bool Valid(HMODULE h) noexcept { return h != nullptr; }
    static void Close(HMODULE h) noexcept { ::FreeLibrary(h); }
};
template <typename T> struct Gdi {
    static T Invalid() noexcept { return nullptr; }
    static bool Valid(T h) noexcept { return h != nullptr; }
    static void Close(T h) noexcept { ::DeleteObject(h); }
};
struct MemDC {
    static HDC Invalid() noexcept { return nullptr; }
    static bool Valid(HDC h) noexcept { return h != nullptr; }
    static void Close(HDC h) noexcept { ::DeleteDC(h); }
};
struct Icon {
    static HICON Invalid() noexcept { return nullptr; }
    static bool Valid(HICON h) noexcept { return h != nullptr; }
    static void Close(HICON h) noexcept { ::DestroyIcon(h); }
};
struct ImageList {
    static HIMAGELIST Invalid() noexcept { return nullptr; }
    static bool Valid(HIMAGELIST h) noexcept { return h != nullptr; }
    static void Close(HIMAGELIST h) noexcept;
};
} // namespace handle_traits

using UniqueHandle = UniqueHandleT<HANDLE, handle_traits::Kernel>; // processes, threads, events, pipes
using UniqueFile = UniqueHandleT<HANDLE, handle_traits::File>;     // CreateFile results
using UniqueRegKey = UniqueHandleT<HKEY, handle_traits::RegKey>;
using UniqueInternet = UniqueHandleT<HINTERNET, handle_traits::Inet>;
using UniqueModule = UniqueHandleT<HMODULE, handle_traits::Module>;
using UniqueFont = UniqueHandleT<HFONT, handle_traits::Gdi<HFONT>>;
using UniqueBrush = UniqueHandleT<HBRUSH, handle_traits::Gdi<HBRUSH>>;
using UniquePen = UniqueHandleT<HPEN, handle_traits::Gdi<HPEN>>;
using UniqueBitmap = UniqueHandleT<HBITMAP, handle_traits::Gdi<HBITMAP>>;
using UniqueRegion = UniqueHandleT<HRGN, handle_traits::Gdi<HRGN>>;
using UniqueMemDC = UniqueHandleT<HDC, handle_traits::MemDC>; // CreateCompatibleDC results
using UniqueIcon = UniqueHandleT<HICON, handle_traits::Icon>;
using UniqueImageList = UniqueHandleT<HIMAGELIST, handle_traits::ImageList>;

// A device context obtained with GetDC / GetWindowDC, released with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd, bool whole = false) noexcept
        : m_hwnd(hwnd), m_hdc(whole ? ::GetWindowDC(hwnd) : ::GetDC(hwnd))
    {
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC()
    {
        if (m_hdc)
            ::ReleaseDC(m_hwnd, m_hdc);
    }
    HDC Get() const noexcept { return m_hdc; }
    operator HDC() const noexcept { return m_hdc; }

private:
    HWND m_hwnd;
    HDC m_hdc;
};

// BeginPaint / EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) noexcept : m_hwnd(hwnd) { m_hdc = ::BeginPaint(hwnd, &m_ps); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { ::EndPaint(m_hwnd, &m_ps); }
    HDC Get() const noexcept { return m_hdc; }
    operator HDC() const noexcept { return m_hdc; }
    const PAINTSTRUCT& Info() const noexcept { return m_ps; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps{};
    HDC m_hdc;
};

// Selects a GDI object into a DC and selects the previous one back when it goes out of scope.
class SelectGuard {
public:
    SelectGuard(HDC hdc, HGDIOBJ obj) noexcept : m_hdc(hdc), m_old(obj ? ::SelectObject(hdc, obj) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard()
    {
        if (m_old)
            ::SelectObject(m_hdc, m_old);
    }

private:
    HDC m_hdc;
    HGDIOBJ m_old;
};

// SaveDC / RestoreDC.
class SavedDCState {
public:
    explicit SavedDCState(HDC hdc) noexcept : m_hdc(hdc), m_state(::SaveDC(hdc)) {}
    SavedDCState(const SavedDCState&) = delete;
    SavedDCState& operator=(const SavedDCState&) = delete;
    ~SavedDCState()
    {
        if (m_state)
            ::RestoreDC(m_hdc, m_state);
    }

private:
    HDC m_hdc;
    int m_state;
};

// Enters a critical section for the lifetime of the object.
class CriticalSection {
public:
    CriticalSection() noexcept { ::InitializeCriticalSection(&m_cs); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    ~CriticalSection() { ::DeleteCriticalSection(&m_cs); }
    CRITICAL_SECTION* Get() noexcept { return &m_cs; }

private:
    CRITICAL_SECTION m_cs;
};
