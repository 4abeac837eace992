#include "ComboFixture.h"

#include "StylesFake.h"

#include <cstdlib>

using namespace combotest;

namespace
{

class DropDown : public ComboTest
{
protected:
    int ScreenHeight() const { return ::GetSystemMetrics(SM_CYSCREEN); }
    int ScreenWidth() const { return ::GetSystemMetrics(SM_CXSCREEN); }
    // A host placed so that the combo's bottom edge lies `above` pixels over the screen's bottom.
    void MakeAbove(int above)
    {
        const int comboBottomInHost = 34;
        const int top = ScreenHeight() - above - comboBottomInHost;
        Make(CBS_DROPDOWNLIST, RECT{100, top, 500, top + 40});
        ASSERT_EQ(ComboRect().bottom, ScreenHeight() - above);
    }
};

TEST_F(DropDown, OpensDownwardOrUpwardByTheRowsBelow)
{
    struct Case {
        int above;
        bool downward;
    };
    for (const Case c : {Case{100, true}, Case{70, false}}) {
        SCOPED_TRACE(c.above);
        MakeAbove(c.above);
        Add({"one", "two", "three"});
        Open();
        ASSERT_NE(Drop(), nullptr);
        ASSERT_EQ(Drop()->ListBox().RowHeight(), 16);
        const RECT drop = DropRect();
        const RECT box = ComboRect();
        EXPECT_EQ(drop.bottom - drop.top, 3 * 16 + 2);
        if (c.downward)
            EXPECT_EQ(drop.top, box.bottom);
        else
            EXPECT_EQ(drop.bottom, box.top);
        combo.ShowDropDown(FALSE);
        ::DestroyWindow(combo.Handle());
    }
}

TEST_F(DropDown, RowLimitAndWidthRules)
{
    struct Case {
        const char* name;
        int items;
        int maxRows;
        std::string longText;
        int height; // expected window height, 0: not checked
        int width;  // expected width, -1: the combo's width
        int left;   // expected left edge, -1: the combo's left edge
    };
    const std::string huge(300, 'W');
    const Case cases[] = {
        {"limited to 10 rows", 25, 10, "", 10 * 16 + 2, -1, -1},
        {"fewer items than the limit", 9, 10, "", 9 * 16 + 2, -1, -1},
        {"no limit", 12, -1, "", 12 * 16 + 2, -1, -1},
        {"narrow rows widened to the combo", 3, -1, "", 0, -1, -1},
        {"wider than the screen", 3, -1, huge, 0, ScreenWidth(), 0},
    };
    Make(CBS_DROPDOWNLIST, RECT{100, 100, 500, 300});
    for (const Case& c : cases) {
        combo.Ref().Send(CB_RESETCONTENT);
        AddNumbered(c.items);
        if (!c.longText.empty())
            combo.AddString(c.longText.c_str());
        combo.SetMaxDropRows(c.maxRows);
        Open();
        ASSERT_NE(Drop(), nullptr) << c.name;
        const RECT drop = DropRect();
        const RECT box = ComboRect();
        if (c.height)
            EXPECT_EQ(drop.bottom - drop.top, c.height) << c.name;
        EXPECT_EQ(drop.right - drop.left, c.width == -1 ? box.right - box.left : c.width) << c.name;
        EXPECT_EQ(drop.left, c.left == -1 ? box.left : c.left) << c.name;
        combo.ShowDropDown(FALSE);
        EXPECT_EQ(Drop(), nullptr) << c.name;
    }
}

TEST_F(DropDown, GripDragStaysWithinItsLimits)
{
    Make(CBS_DROPDOWNLIST, RECT{100, 100, 500, 300});
    AddNumbered(5);
    Open();
    ASSERT_NE(Drop(), nullptr);
    const HWND drop = Drop()->Handle();
    const RECT opened = DropRect();
    const int openWidth = opened.right - opened.left, openHeight = opened.bottom - opened.top;
    const RECT grip = Drop()->GripRect();
    const POINT g{(grip.left + grip.right) / 2, (grip.top + grip.bottom) / 2};
    ::SendMessageA(drop, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(g.x, g.y));
    ASSERT_TRUE(Drop()->Resizing());

    ::SendMessageA(drop, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(3000, 3000)); // far beyond
    RECT r = DropRect();
    EXPECT_EQ(r.right - r.left, openWidth + 100);
    EXPECT_EQ(r.bottom - r.top, openHeight + 100);
    EXPECT_EQ(r.left, opened.left);
    EXPECT_EQ(r.top, opened.top);

    ::SendMessageA(drop, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1, 1)); // far inside
    r = DropRect();
    EXPECT_EQ(r.right - r.left, ComboRect().right - ComboRect().left);
    EXPECT_EQ(r.bottom - r.top, ::GetSystemMetrics(SM_CXVSCROLL) + 1);

    ::SendMessageA(drop, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(g.x + 20, g.y + 30)); // in between
    r = DropRect();
    EXPECT_EQ(r.right - r.left, openWidth + 20);
    EXPECT_EQ(r.bottom - r.top, openHeight + 30 + 2);

    ::SendMessageA(drop, WM_LBUTTONUP, 0, MAKELPARAM(g.x + 20, g.y + 30));
    EXPECT_FALSE(Drop()->Resizing());
    EXPECT_NE(Drop(), nullptr); // resizing closes nothing
}

TEST_F(DropDown, ReleaseOverADisabledRowKeepsItOpen)
{
    Make(CBS_DROPDOWNLIST);
    Add({"a", "b", "c", "d"});
    combo.SetItemDisabled(2, 1);
    combo.SetCurSel(0);
    Open();
    ASSERT_NE(Drop(), nullptr);
    const HWND list = Drop()->ListBox().Handle();
    const POINT at = RowPoint(2);
    ::PostMessageA(list, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ::PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    harness::PumpFor(50);
    ASSERT_NE(Drop(), nullptr);
    EXPECT_NE(Drop()->ListBox().CurSel(), 2); // a disabled row is never selected
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), CBN_SELENDOK), 0);
    EXPECT_EQ(combo.GetCurSel(), 0);
}

TEST_F(DropDown, SelectEnabledRowSkipsDisabledRowsInTheDirectionOfTravel)
{
    Make(CBS_DROPDOWNLIST);
    Add({"0", "1", "2", "3", "4"});
    for (int d : {1, 3, 4})
        combo.SetItemDisabled(d, 1);
    combo.SetCurSel(2);
    Open();
    ASSERT_NE(Drop(), nullptr);
    CDropListBox& list = Drop()->ListBox();
    ASSERT_EQ(list.CurSel(), 2);
    list.SelectEnabledRow(1); // up: past 1 to 0
    EXPECT_EQ(list.CurSel(), 0);
    list.SelectEnabledRow(3); // down: 3 and 4 disabled, the row stays
    EXPECT_EQ(list.CurSel(), 0);
    EXPECT_EQ(list.SelectEnabledRow(2), 2);
    EXPECT_EQ(list.CurSel(), 2);
}

TEST_F(DropDown, ScrollRequestsMoveTheListAndTheBar)
{
    Make(CBS_DROPDOWNLIST);
    AddNumbered(40);
    combo.SetMaxDropRows(8);
    Open();
    ASSERT_NE(Drop(), nullptr);
    CDropListBox& list = Drop()->ListBox();
    const HWND bar = Drop()->ScrollBar().Handle();
    SCROLLINFO si{sizeof(si), SIF_ALL};
    ASSERT_TRUE(::GetScrollInfo(bar, SB_CTL, &si));
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 39);
    EXPECT_EQ(static_cast<int>(si.nPage), list.GetVisibleRows());
    struct Step {
        WORD request;
        WORD thumb;
        int top;
    };
    const int page = static_cast<int>(si.nPage);
    const Step steps[] = {{SB_LINEDOWN, 0, 1},     {SB_PAGEDOWN, 0, 1 + page}, {SB_LINEUP, 0, page},
                          {SB_THUMBTRACK, 20, 20}, {SB_PAGEUP, 0, 20 - page},  {SB_TOP, 0, 20 - page}};
    for (const Step& s : steps) {
        ::SendMessageA(Drop()->Handle(), WM_VSCROLL, MAKEWPARAM(s.request, s.thumb), reinterpret_cast<LPARAM>(bar));
        EXPECT_EQ(list.TopRow(), s.top) << s.request;
        EXPECT_EQ(::GetScrollPos(bar, SB_CTL), s.top) << s.request;
    }
    // The wheel over an open list scrolls it by three rows.
    combo.Ref().Send(WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    EXPECT_EQ(list.TopRow(), 20 - page + 3);
    EXPECT_EQ(::GetScrollPos(bar, SB_CTL), 20 - page + 3);
}

TEST_F(DropDown, AnotherApplicationActivatedCloses)
{
    Make(CBS_DROPDOWNLIST);
    Add({"a", "b"});
    Open();
    ASSERT_NE(Drop(), nullptr);
    host.log.clear();
    ::SendMessageA(Drop()->Handle(), WM_ACTIVATEAPP, FALSE, 0);
    harness::PumpFor(30);
    EXPECT_EQ(Drop(), nullptr);
    EXPECT_EQ(host.log, (Log{CBN_SELENDCANCEL, CBN_CLOSEUP}));
}

TEST_F(DropDown, ClicksOutsideCloseTheListTheComboIncluded)
{
    struct Case {
        const char* name;
        bool onCombo;
        bool besideAShortList; // the point, taken in the list's coordinates, also lies in the combo
    };
    Make(CBS_DROPDOWNLIST);
    Add({"a", "b"});
    for (const Case c : {Case{"on the combo", true, false}, Case{"elsewhere", false, false},
                         Case{"just below a one-row list", false, true}}) {
        combo.Ref().Send(CB_RESETCONTENT);
        Add({"a"});
        if (!c.besideAShortList)
            Add({"b"});
        Open();
        ASSERT_NE(Drop(), nullptr) << c.name;
        const HWND drop = Drop()->Handle();
        EXPECT_EQ(::GetCapture(), drop) << c.name;
        // The drop-down holds the capture, so the click arrives there, outside its client area.
        POINT at{};
        if (c.onCombo) {
            const RECT box = ComboRect();
            at = POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
        } else if (c.besideAShortList) {
            const RECT drop = DropRect();
            ASSERT_LT(drop.bottom - drop.top, ComboRect().bottom - ComboRect().top - 2);
            at = POINT{drop.left + 20, drop.bottom + 2}; // the combo takes it as a click on itself
        } else {
            at = POINT{5, 5};
        }
        ::ScreenToClient(drop, &at);
        ::PostMessageA(drop, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        ::PostMessageA(drop, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        harness::PumpFor(50);
        EXPECT_EQ(Drop(), nullptr) << c.name;
        EXPECT_FALSE(combo.GetDroppedState()) << c.name;
    }
}

TEST_F(DropDown, CaptureFollowsThePointerAcrossTheParts)
{
    Make(CBS_DROPDOWNLIST);
    AddNumbered(30);
    combo.SetMaxDropRows(6);
    Open();
    ASSERT_NE(Drop(), nullptr);
    const HWND drop = Drop()->Handle();
    const HWND list = Drop()->ListBox().Handle();
    const HWND bar = Drop()->ScrollBar().Handle();
    const RECT client = Drop()->Ref().ClientRect();
    ::SendMessageA(drop, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(::GetCapture(), list);
    ::SendMessageA(list, WM_MOUSEMOVE, 0, MAKELPARAM(5, -20)); // left the list: back to the drop-down
    EXPECT_EQ(::GetCapture(), drop);
    ::SendMessageA(drop, WM_MOUSEMOVE, 0, MAKELPARAM(client.right - 3, 5));
    EXPECT_EQ(::GetCapture(), bar);
    ::SendMessageA(bar, WM_MOUSEMOVE, 0, MAKELPARAM(-50, 5));
    EXPECT_EQ(::GetCapture(), drop);
}

TEST_F(DropDown, FocusHandedToTheListIsNoFocusLossAndComesBack)
{
    Make(CBS_DROPDOWNLIST);
    AddNumbered(5);
    Open();
    ASSERT_NE(Drop(), nullptr);
    host.log.clear();
    ::SendMessageA(Drop()->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)); // the pointer enters the list
    harness::PumpFor(20);
    // The list asks for the focus; whether the system hands it over to a window of the desktop or
    // leaves it with the combo, the combo has not lost it and stays open.
    const HWND focus = ::GetFocus();
    EXPECT_TRUE(focus == Drop()->ListBox().Handle() || focus == combo.Handle());
    ASSERT_NE(Drop(), nullptr);
    Key(VK_ESCAPE, focus); // keys typed there reach the combo's key handling
    EXPECT_EQ(Drop(), nullptr);
    EXPECT_EQ(::GetFocus(), combo.Handle());
    EXPECT_EQ(host.log, (Log{CBN_SELENDCANCEL, CBN_CLOSEUP})); // no cancel hook, no second CBN_SETFOCUS
}

// Draws an open drop-down in both looks: pictures to look at, and the grip's pixels.
TEST_F(DropDown, GripAndFaceInBothLooks)
{
    Make(CBS_DROPDOWNLIST, RECT{100, 100, 500, 400});
    AddNumbered(12);
    combo.SetMaxDropRows(8);
    combo.SetCurSel(3);
    struct Look {
        const char* name;
        bool themed;
    };
    for (const Look look : {Look{"classic", false}, Look{"themed", true}}) {
        stylesfake::Current() = stylesfake::Answers{};
        stylesfake::Scope scope(stylesfake::Make(6, look.themed ? 0 : 10));
        const bool active = scope.Styles().IsVisualStylesActive() != FALSE;
        EXPECT_EQ(active, look.themed) << look.name;
        Open();
        ASSERT_NE(Drop(), nullptr);
        ::RedrawWindow(Drop()->Handle(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::RedrawWindow(combo.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        auto face = harness::RenderPaint(combo.Handle());
        auto drop = harness::RenderClient(Drop()->Handle());
        face->SaveBmp(harness::ShotPath(std::string("combo-face-") + look.name + ".bmp"));
        drop->SaveBmp(harness::ShotPath(std::string("combo-grip-") + look.name + ".bmp"));
        if (const char* hold = std::getenv("TASVRIN_HOLD_MS"))
            harness::PumpFor(static_cast<DWORD>(std::atoi(hold))); // time for an X screenshot
        const RECT grip = Drop()->GripRect();
        const int shadowInGrip = drop->Count(::GetSysColor(COLOR_BTNSHADOW), grip);
        const int h = face->Height();
        if (!active) {
            // Classic: the sunken double frame and the frame-control grip.
            EXPECT_EQ(face->Pixel(0, h / 2), ::GetSysColor(COLOR_BTNSHADOW));
            EXPECT_EQ(face->Pixel(1, h / 2), ::GetSysColor(COLOR_3DDKSHADOW));
            EXPECT_GT(shadowInGrip, 0);
        } else {
            // Themed: a one-pixel border with white inside it.
            EXPECT_EQ(face->Pixel(1, h / 2), RGB(255, 255, 255));
            EXPECT_NE(face->Pixel(0, h / 2), RGB(255, 255, 255));
        }
        // Both looks draw the frame of the drop-down.
        EXPECT_EQ(drop->Pixel(0, 0), ::GetSysColor(COLOR_3DDKSHADOW));
        combo.ShowDropDown(FALSE);
    }
}

} // namespace
