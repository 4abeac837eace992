#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "framework/PageSheet.h"
#include "framework/Window.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

namespace {

// A button subclassed by an object that counts its clicks through reflection.
class CountingButton : public Window {
public:
    int clicks = 0;

protected:
    bool OnReflect(UINT msg, WPARAM w, LPARAM l, LRESULT& result) noexcept override
    {
        if (msg == WM_COMMAND && HIWORD(w) == BN_CLICKED) {
            ++clicks;
            result = 0;
            return true;
        }
        return false;
    }
};

class Host : public Window {
public:
    int parentSawCommand = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override
    {
        LRESULT r = 0;
        if (ReflectToChild(m_hwnd, msg, w, l, r))
            return r;
        if (msg == WM_COMMAND)
            ++parentSawCommand;
        return Default(msg, w, l);
    }
};

TEST(WindowLayer, ObjectIsBoundBeforeFirstMessageAndReflectionReachesTheChild)
{
    RegisterWindowClass("TasvrinTestHost", 0, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
    Host host;
    ASSERT_TRUE(host.Create(0, "TasvrinTestHost", "host", WS_OVERLAPPEDWINDOW, RECT{0, 0, 300, 200}, nullptr, 0));
    EXPECT_EQ(Window::FromHandle(host.Handle()), &host);

    HWND plain = ::CreateWindowExA(0, "BUTTON", "plain", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, host, (HMENU)7,
                                   nullptr, nullptr);
    HWND counted = ::CreateWindowExA(0, "BUTTON", "counted", WS_CHILD | WS_VISIBLE, 60, 0, 50, 20, host,
                                     (HMENU)8, nullptr, nullptr);
    CountingButton button;
    ASSERT_TRUE(button.Subclass(counted));
    harness::Click(counted);
    harness::Click(plain);
    EXPECT_EQ(button.clicks, 1);
    EXPECT_EQ(host.parentSawCommand, 1); // only the plain button's click reached the parent
    button.Detach();
    EXPECT_EQ(Window::FromHandle(counted), nullptr);
}

TEST(WindowLayer, SelectGuardRestoresThePreviousObject)
{
    UniqueMemDC dc(::CreateCompatibleDC(nullptr));
    UniquePen pen(::CreatePen(PS_SOLID, 1, RGB(1, 2, 3)));
    const HGDIOBJ before = ::GetCurrentObject(dc.Get(), OBJ_PEN);
    {
        SelectGuard guard(dc.Get(), pen.Get());
        EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_PEN), pen.Get());
    }
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_PEN), before);
}

} // namespace
