// A host window for advanced combo boxes: a top-level window placed where a test needs it, which
// records the combo's notifications and choice hooks in one log, in order.
#pragma once

#include "controls/AdvComboBox.h"
#include "controls/DropWnd.h"
#include "framework/Handles.h"
#include "framework/Window.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace combotest
{

constexpr int kCancelHook = -1;   // OnCancelChoice ran
constexpr int kCompleteHook = -2; // OnCompleteChoice ran
constexpr int kComboId = 1001;

using Log = std::vector<int>;

class Host : public Window
{
public:
    Log log;
    // Places the host (made once and kept: destroying a top-level window costs seconds under a
    // display without a window manager) and empties its log.
    bool Make(const RECT& screenRect)
    {
        log.clear();
        const RECT now = Ref().WindowRect();
        if (Handle() && ::EqualRect(&screenRect, &now))
            return true;
        if (Handle())
            return ::SetWindowPos(Handle(), nullptr, screenRect.left, screenRect.top,
                                  screenRect.right - screenRect.left, screenRect.bottom - screenRect.top,
                                  SWP_NOZORDER | SWP_SHOWWINDOW) != FALSE;
        RegisterWindowClass("TasvrinComboTestHost", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
        return Create(0, "TasvrinComboTestHost", "combo host", WS_POPUP | WS_VISIBLE, screenRect, nullptr, 0);
    }
    // Destroys what a test left on the host.
    void Clear()
    {
        while (HWND child = ::GetWindow(Handle(), GW_CHILD))
            ::DestroyWindow(child);
        log.clear();
    }
    static Host& Shared()
    {
        static Host* host = new Host; // never destroyed: the process ends with it
        return *host;
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override
    {
        LRESULT r = 0;
        if (ReflectToChild(m_hwnd, msg, w, l, r))
            return r;
        if (msg == WM_COMMAND && LOWORD(w) == kComboId)
            log.push_back(HIWORD(w));
        return Default(msg, w, l);
    }
};

// A combo whose choice hooks write into the host's log.
class LoggingCombo : public CAdvComboBox
{
public:
    Log* log = nullptr;
    void OnCancelChoice() override
    {
        if (log)
            log->push_back(kCancelHook);
    }
    void OnCompleteChoice() override
    {
        if (log)
            log->push_back(kCompleteHook);
    }
};

// A font whose list rows are 16 pixels high.
inline HFONT SixteenPixelFont()
{
    return ::CreateFontA(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         DEFAULT_QUALITY, DEFAULT_PITCH, "MS Shell Dlg");
}

class ComboTest : public ::testing::Test
{
protected:
    Host host;
    LoggingCombo combo;
    UniqueFont font{SixteenPixelFont()};

    void SetUp() override
    {
        // The real pointer stays out of the way of the drop-downs.
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 2, 1);
        combo.log = &host.log;
    }
    void TearDown() override
    {
        if (combo.Handle())
            ::DestroyWindow(combo.Handle());
        host.Clear();
        harness::PumpFor(20);
    }

    // A host at `hostRect` (screen) with the combo at (10, 10), 200 x 24 inside it.
    void Make(DWORD kind, const RECT& hostRect = RECT{100, 100, 500, 300}, int width = 200)
    {
        ASSERT_TRUE(host.Make(hostRect));
        ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | kind, RECT{10, 10, 10 + width, 34}, host.Handle(), kComboId));
        combo.Ref().SetFont(font.Get(), true);
        ::SetForegroundWindow(host.Handle());
        ::SetFocus(combo.Handle());
        harness::PumpFor(30);
        host.log.clear();
    }
    void Add(std::initializer_list<const char*> texts)
    {
        for (const char* t : texts)
            combo.AddString(t);
    }
    void AddNumbered(int count)
    {
        for (int i = 0; i < count; ++i)
            combo.AddString(("item " + std::to_string(i)).c_str());
    }
    void Key(UINT vk, HWND to = nullptr)
    {
        harness::PressKey(to ? to : combo.Handle(), vk);
        harness::PumpFor(20);
    }
    CDropWnd* Drop() const { return combo.DropWindow(); }
    RECT DropRect() const { return Drop() ? Drop()->Ref().WindowRect() : RECT{}; }
    RECT ComboRect() const { return combo.Ref().WindowRect(); }
    void Open()
    {
        combo.ShowDropDown(TRUE);
        harness::PumpFor(20);
    }
    // The point of a row of the open list, in the list's client coordinates.
    POINT RowPoint(int row) const
    {
        CDropListBox& list = Drop()->ListBox();
        const int h = list.RowHeight();
        return POINT{10, (row - list.TopRow()) * h + h / 2};
    }
};

} // namespace combotest
