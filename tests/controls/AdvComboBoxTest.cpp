#include "ComboFixture.h"

#include <windowsx.h>

using namespace combotest;

namespace
{

class AdvCombo : public ComboTest
{
};

TEST_F(AdvCombo, SelectionSetOnAnEmptyListTakesEffectOnceItemsExist)
{
    Make(CBS_DROPDOWNLIST);
    EXPECT_EQ(combo.Ref().Send(CB_SETCURSEL, 2), -1);
    Add({"a", "b", "c"});
    EXPECT_EQ(combo.GetText(), ""); // not yet: the next paint applies it
    auto pic = harness::RenderPaint(combo.Handle());
    EXPECT_EQ(combo.GetText(), "c");
    EXPECT_EQ(combo.Ref().Send(CB_GETCURSEL), 2);
    // The face shows the text: some pixels of the text colour inside the text area.
    EXPECT_GT(pic->Count(::GetSysColor(COLOR_HIGHLIGHTTEXT), RECT{2, 2, 150, 22}), 0);
    EXPECT_TRUE(host.log.empty()); // no notification for a programmatic selection
}

TEST_F(AdvCombo, SelectStringWithoutMatchClearsSelectionAndText)
{
    Make(CBS_DROPDOWNLIST);
    Add({"alpha", "beta"});
    ASSERT_EQ(combo.SetCurSel(1), 1);
    EXPECT_EQ(combo.Ref().Send(CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Beta")), -1);
    EXPECT_EQ(combo.GetText(), "");
    EXPECT_EQ(combo.GetCurSel(), -1);
    // A match includes the start item and is case-sensitive.
    EXPECT_EQ(combo.Ref().Send(CB_SELECTSTRING, 1, reinterpret_cast<LPARAM>("beta")), 1);
    EXPECT_EQ(combo.GetText(), "beta");
}

TEST_F(AdvCombo, CurrentSelectionIsTheFirstItemWithTheText)
{
    Make(CBS_DROPDOWNLIST);
    struct Case {
        std::vector<const char*> items;
        int select;
        int expected;
    };
    const Case cases[] = {{{"a", "b", "b"}, 1, 1}, {{"b", "b"}, 1, 0}, {{"x", "y"}, 5, -1}, {{"x"}, -1, -1}};
    for (const Case& c : cases) {
        combo.Ref().Send(CB_RESETCONTENT);
        for (const char* t : c.items)
            combo.AddString(t);
        combo.SetCurSel(c.select);
        EXPECT_EQ(combo.Ref().Send(CB_GETCURSEL), c.expected) << "items " << c.items.size() << " select " << c.select;
    }
}

TEST_F(AdvCombo, ItemTextLengthsCountTheTerminator)
{
    Make(CBS_DROPDOWNLIST);
    Add({"abc", ""});
    char buffer[16] = {};
    EXPECT_EQ(combo.Ref().Send(CB_GETLBTEXTLEN, 0), 4);
    EXPECT_EQ(combo.Ref().Send(CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 4);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(combo.Ref().Send(CB_GETLBTEXTLEN, 1), 1);
    EXPECT_EQ(combo.Ref().Send(CB_GETLBTEXTLEN, 2), CB_ERR);
    EXPECT_EQ(combo.Ref().Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(-1)), CB_ERR);
    EXPECT_EQ(combo.Ref().Send(CB_GETCOUNT), 2);
}

TEST_F(AdvCombo, ListOperationsKeepIndexesConsistent)
{
    Make(CBS_DROPDOWNLIST);
    Add({"a", "b", "c"});
    combo.SetCurSel(1);
    EXPECT_EQ(combo.InsertString(0, "z"), 0); // before the selection: the selection moves up
    EXPECT_EQ(combo.GetLBText(2), "b");
    EXPECT_EQ(combo.InsertString(-2, "bad"), -1);
    EXPECT_EQ(combo.InsertString(99, "end"), 4);
    EXPECT_EQ(combo.DeleteString(7), -1);
    EXPECT_EQ(combo.DeleteString(4), 4);
    EXPECT_EQ(combo.FindString(-1, "b"), 2);
    EXPECT_EQ(combo.FindString(3, "b"), -1);
    EXPECT_EQ(combo.FindStringExact(5, "a"), -1);
    EXPECT_EQ(combo.SetItemData64(1, 0x1'2345'6789ULL), 0);
    EXPECT_EQ(combo.GetItemData64(1), 0x1'2345'6789ULL);
    EXPECT_EQ(combo.GetItemData(1), 0x2345'6789u); // the 32-bit form gives the low half
    EXPECT_EQ(combo.SetItemData(9, 1), -1);
    EXPECT_EQ(combo.GetItemDisabled(9), -1);
    EXPECT_EQ(combo.GetLBText(-1), "");
}

// Keyboard and wheel moves while closed: the index reached and the notifications sent.
TEST_F(AdvCombo, MovesWhileClosed)
{
    struct Case {
        const char* name;
        int items;
        std::vector<int> disabled;
        int start;
        std::vector<int> wheel; // wheel deltas, sent in order
        std::vector<UINT> keys;
        int expected;
        bool notified;
    };
    const Case cases[] = {
        {"wheel 60+60 moves once", 5, {}, 2, {60, 60}, {}, 1, true},
        {"wheel -60-60 moves once", 5, {}, 2, {-60, -60}, {}, 3, true},
        {"wheel 60-60 does not move", 5, {}, 2, {60, -60}, {}, 2, false},
        {"wheel 60 accumulates only", 5, {}, 2, {60}, {}, 2, false},
        {"page down from 3 of 8", 8, {}, 3, {}, {VK_NEXT}, 7, true},
        {"page up from 3 of 8", 8, {}, 3, {}, {VK_PRIOR}, 0, true},
        {"page down ignores disabled", 8, {7}, 3, {}, {VK_NEXT}, 7, true},
        {"next skips disabled", 5, {2}, 1, {}, {VK_DOWN}, 3, true},
        {"next from the last enabled", 5, {3, 4}, 2, {}, {VK_DOWN}, 2, false},
        {"previous from the first", 3, {}, 0, {}, {VK_UP}, 0, false},
        {"next from no selection", 3, {0}, -1, {}, {VK_DOWN}, 1, true},
        {"previous from no selection", 3, {}, -1, {}, {VK_UP}, 0, true},
    };
    Make(CBS_DROPDOWNLIST);
    for (const Case& c : cases) {
        combo.Ref().Send(CB_RESETCONTENT);
        AddNumbered(c.items);
        for (int d : c.disabled)
            combo.SetItemDisabled(d, 1);
        combo.SetCurSel(c.start);
        host.log.clear();
        for (int delta : c.wheel)
            combo.Ref().Send(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(50, 50));
        for (UINT vk : c.keys)
            Key(vk);
        EXPECT_EQ(combo.GetCurSel(), c.expected) << c.name;
        if (c.expected >= 0)
            EXPECT_EQ(combo.GetText(), combo.GetLBText(c.expected)) << c.name; // what is shown is what is kept
        const Log expectedLog = c.notified ? Log{CBN_SELENDOK, CBN_SELCHANGE} : Log{};
        EXPECT_EQ(host.log, expectedLog) << c.name;
        EXPECT_EQ(combo.DropWindow(), nullptr) << c.name;
    }
}

TEST_F(AdvCombo, EscapeWhileClosedCancelsTheChoiceOnce)
{
    Make(CBS_DROPDOWNLIST);
    Add({"a", "b"});
    Key(VK_ESCAPE);
    EXPECT_EQ(host.log, (Log{kCancelHook}));
}

TEST_F(AdvCombo, EscapeWhileOpenOnlyCloses)
{
    Make(CBS_DROPDOWNLIST);
    Add({"a", "b"});
    Key(VK_F4);
    ASSERT_NE(Drop(), nullptr);
    EXPECT_TRUE(combo.GetDroppedState());
    EXPECT_EQ(host.log, (Log{CBN_DROPDOWN}));
    host.log.clear();
    Key(VK_ESCAPE);
    EXPECT_EQ(Drop(), nullptr);
    EXPECT_FALSE(combo.GetDroppedState());
    EXPECT_EQ(host.log, (Log{CBN_SELENDCANCEL, CBN_CLOSEUP}));
}

TEST_F(AdvCombo, EnterOnTheOpenListPicksItsRow)
{
    Make(CBS_DROPDOWNLIST);
    Add({"a", "b", "c"});
    combo.SetCurSel(0);
    Key(VK_F4);
    ASSERT_NE(Drop(), nullptr);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(Drop()->ListBox().CurSel(), 2);
    host.log.clear();
    Key(VK_RETURN);
    EXPECT_EQ(Drop(), nullptr);
    EXPECT_EQ(combo.GetCurSel(), 2);
    EXPECT_EQ(host.log, (Log{CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE, kCompleteHook}));
}

TEST_F(AdvCombo, AltDownAndF4Toggle)
{
    Make(CBS_DROPDOWNLIST);
    Add({"a", "b"});
    const UINT scan = ::MapVirtualKeyA(VK_DOWN, MAPVK_VK_TO_VSC);
    ::PostMessageA(combo.Handle(), WM_SYSKEYDOWN, VK_DOWN, 1 | (scan << 16) | (1 << 29));
    harness::PumpFor(20);
    EXPECT_NE(Drop(), nullptr);
    Key(VK_F4);
    EXPECT_EQ(Drop(), nullptr);
}

TEST_F(AdvCombo, OpenListMovesSkipDisabledRowsAndPageDown)
{
    Make(CBS_DROPDOWNLIST);
    AddNumbered(30);
    combo.SetItemDisabled(1, 1);
    combo.SetMaxDropRows(10);
    combo.SetCurSel(0);
    Open();
    ASSERT_NE(Drop(), nullptr);
    CDropListBox& list = Drop()->ListBox();
    Key(VK_DOWN);
    EXPECT_EQ(list.CurSel(), 2);
    Key(VK_UP);
    EXPECT_EQ(list.CurSel(), 0);
    const int visible = list.GetVisibleRows();
    ASSERT_GT(visible, 2);
    Key(VK_NEXT); // to the bottom visible row
    EXPECT_EQ(list.CurSel(), visible - 1);
    EXPECT_EQ(harness::Text(combo.Handle()), combo.GetLBText(visible - 1));
    Key(VK_NEXT); // a page further
    EXPECT_EQ(list.CurSel(), list.TopRow() + visible - 1);
    EXPECT_EQ(combo.GetCurSel(), 0); // the control's own selection is untouched until a pick
}

TEST_F(AdvCombo, MousePickNotifiesInOrder)
{
    Make(CBS_DROPDOWNLIST);
    Add({"red", "green", "blue"});
    const RECT client = combo.Ref().ClientRect();
    harness::MouseClick(combo.Handle(), client.right / 2, client.bottom / 2);
    harness::PumpFor(30);
    ASSERT_NE(Drop(), nullptr);
    EXPECT_TRUE(combo.GetDroppedState());
    host.log.clear();
    const HWND list = Drop()->ListBox().Handle();
    const POINT at = RowPoint(2);
    ::PostMessageA(list, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    ::PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    harness::PumpFor(50);
    EXPECT_EQ(Drop(), nullptr);
    EXPECT_EQ(combo.GetText(), "blue");
    EXPECT_EQ(combo.GetCurSel(), 2);
    EXPECT_EQ(host.log, (Log{CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE, kCompleteHook}));
}

TEST_F(AdvCombo, SimpleStyleHasNoEditAndDoesNotOpen)
{
    Make(CBS_SIMPLE);
    Add({"a", "b"});
    EXPECT_EQ(combo.Edit(), nullptr);
    const RECT client = combo.Ref().ClientRect();
    harness::MouseClick(combo.Handle(), client.right - 5, client.bottom / 2);
    harness::MouseClick(combo.Handle(), 10, client.bottom / 2);
    harness::PumpFor(30);
    EXPECT_EQ(Drop(), nullptr);
    EXPECT_FALSE(combo.GetDroppedState());
}

TEST_F(AdvCombo, DropDownKindClickOnTheButtonOnlyOpens)
{
    Make(CBS_DROPDOWN);
    Add({"a", "b"});
    ASSERT_NE(combo.Edit(), nullptr);
    EXPECT_EQ(::GetDlgCtrlID(combo.Edit()->Handle()), CAdvComboBox::kEditId);
    const RECT client = combo.Ref().ClientRect();
    const RECT button = combo.ButtonRect();
    EXPECT_EQ(button.left, client.right - ::GetSystemMetrics(SM_CXHSCROLL));
    // A click on the text area (outside the button) opens nothing.
    ::PostMessageA(combo.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, client.bottom / 2));
    harness::PumpFor(20);
    EXPECT_EQ(Drop(), nullptr);
    ::PostMessageA(combo.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.left + 3, client.bottom / 2));
    harness::PumpFor(20);
    EXPECT_NE(Drop(), nullptr);
}

// Typing into the edit: auto-append completes, auto-suggest opens a list of the other matches.
TEST_F(AdvCombo, TypingCompletesAndSuggests)
{
    struct Case {
        const char* name;
        DWORD flags;
        const char* typed;
        const char* editText;
        bool list;
        bool editUpdate;
    };
    const Case cases[] = {
        {"suggest, one match", CBX_AUTOSUGGEST, "a", "a", false, true},
        {"suggest, two matches", CBX_AUTOSUGGEST, "b", "b", true, false},
        {"suggest, exact text only", CBX_AUTOSUGGEST, "apple", "apple", false, true},
        {"append", CBX_AUTOAPPEND, "ba", "banana", false, true},
        {"append, no match", CBX_AUTOAPPEND, "q", "q", false, true},
        {"neither", 0, "b", "b", false, true},
    };
    Make(CBS_DROPDOWN);
    Add({"apple", "banana", "blueberry"});
    const HWND edit = combo.Edit()->Handle();
    for (const Case& c : cases) {
        combo.ModifyLookFlags(CBX_AUTOAPPEND | CBX_AUTOSUGGEST, c.flags);
        if (combo.DropWindow())
            combo.Ref().Send(WM_DROP_CLOSE);
        combo.SetText("");
        ::SetFocus(edit);
        harness::PumpFor(10);
        ASSERT_EQ(::GetFocus(), edit) << c.name;
        host.log.clear();
        for (const char* p = c.typed; *p; ++p) {
            ::PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(*p), 1);
            harness::PumpFor(10);
        }
        EXPECT_EQ(harness::Text(edit), c.editText) << c.name;
        EXPECT_EQ(combo.DropWindow() != nullptr, c.list) << c.name;
        EXPECT_FALSE(combo.GetDroppedState()) << c.name; // a suggestion list does not set the open flag
        const bool sawUpdate = std::count(host.log.begin(), host.log.end(), CBN_EDITUPDATE) > 0;
        EXPECT_EQ(sawUpdate, c.editUpdate) << c.name;
    }
    // The appended part is selected.
    combo.ModifyLookFlags(CBX_AUTOSUGGEST, CBX_AUTOAPPEND);
    combo.SetText("");
    ::PostMessageA(edit, WM_CHAR, 'b', 1);
    ::PostMessageA(edit, WM_CHAR, 'l', 1);
    harness::PumpFor(20);
    DWORD start = 0, end = 0;
    ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(harness::Text(edit), "blueberry");
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 9u);
}

TEST_F(AdvCombo, SuggestionPickMapsBackToTheFullList)
{
    Make(CBS_DROPDOWN);
    Add({"apple", "banana", "blueberry"});
    combo.ModifyLookFlags(0, CBX_AUTOSUGGEST);
    const HWND edit = combo.Edit()->Handle();
    ::SetFocus(edit);
    ::PostMessageA(edit, WM_CHAR, 'b', 1);
    harness::PumpFor(30);
    ASSERT_NE(Drop(), nullptr);
    EXPECT_EQ(Drop()->ListBox().Count(), 2);
    Key(VK_DOWN, edit);
    Key(VK_RETURN, edit);
    EXPECT_EQ(Drop(), nullptr);
    EXPECT_EQ(harness::Text(edit), "blueberry");
    EXPECT_EQ(combo.GetCurSel(), 2);
}

TEST_F(AdvCombo, FocusNotificationsOfTheDropListKind)
{
    Make(CBS_DROPDOWNLIST);
    HWND other = ::CreateWindowExA(0, "BUTTON", "x", WS_CHILD | WS_VISIBLE, 250, 10, 40, 20, host.Handle(), nullptr,
                                   nullptr, nullptr);
    ::SetFocus(other);
    harness::PumpFor(10);
    host.log.clear();
    ::SetFocus(combo.Handle());
    harness::PumpFor(10);
    EXPECT_EQ(host.log, (Log{CBN_SETFOCUS}));
    host.log.clear();
    ::SetFocus(other);
    harness::PumpFor(10);
    EXPECT_EQ(host.log, (Log{kCancelHook})); // a focus loss cancels the choice
}

TEST_F(AdvCombo, ResetContentEmptiesEverythingButLeavesAnOpenListOpen)
{
    Make(CBS_DROPDOWN);
    Add({"a", "b"});
    combo.SetCurSel(1);
    harness::RenderPaint(combo.Handle());
    EXPECT_EQ(harness::Text(combo.Edit()->Handle()), "b");
    Open();
    ASSERT_NE(Drop(), nullptr);
    EXPECT_EQ(combo.Ref().Send(CB_RESETCONTENT), 0);
    EXPECT_EQ(combo.GetCount(), 0);
    EXPECT_EQ(combo.GetText(), "");
    EXPECT_EQ(combo.GetCurSel(), -1);
    EXPECT_NE(Drop(), nullptr);
}

TEST_F(AdvCombo, WindowsMadeWithTheClassNameBecomeAdvancedCombos)
{
    Make(CBS_DROPDOWNLIST);
    const HWND raw = ::CreateWindowExA(0, CAdvComboBox::kClassName, "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 10, 50,
                                       150, 24, host.Handle(), reinterpret_cast<HMENU>(77), nullptr, nullptr);
    ASSERT_NE(raw, nullptr);
    auto* bound = dynamic_cast<CAdvComboBox*>(Window::FromHandle(raw));
    ASSERT_NE(bound, nullptr);
    EXPECT_NE(bound->Edit(), nullptr);
    EXPECT_EQ(::SendMessageA(raw, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one")), 0);
    EXPECT_EQ(::SendMessageA(raw, CB_SETCURSEL, 0, 0), 0);
    EXPECT_EQ(harness::Text(bound->Edit()->Handle()), "one");
    WNDCLASSEXA wc{sizeof(wc)};
    ASSERT_TRUE(::GetClassInfoExA(::GetModuleHandleA(nullptr), CAdvComboBox::kClassName, &wc));
    EXPECT_EQ(wc.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
    EXPECT_EQ(wc.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_MENU + 1));
    ::DestroyWindow(raw); // the object goes with its window
    EXPECT_EQ(Window::FromHandle(raw), nullptr);
}

TEST_F(AdvCombo, DisabledDropListFaceIsGrey)
{
    Make(CBS_DROPDOWNLIST);
    Add({"text"});
    combo.SetCurSel(0);
    combo.Ref().Enable(false);
    auto pic = harness::RenderPaint(combo.Handle());
    EXPECT_EQ(pic->Pixel(20, 3), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_GT(pic->Count(::GetSysColor(COLOR_GRAYTEXT), RECT{2, 2, 150, 22}), 0);
    EXPECT_EQ(pic->Count(::GetSysColor(COLOR_HIGHLIGHT), RECT{2, 2, 150, 22}), 0);
}

TEST_F(AdvCombo, HotTrackingFollowsThePointer)
{
    Make(CBS_DROPDOWN);
    const RECT button = combo.ButtonRect();
    POINT inside{button.left + 3, 10};
    ::ClientToScreen(combo.Handle(), &inside);
    ::SetCursorPos(inside.x, inside.y);
    combo.Ref().Send(WM_MOUSEMOVE, 0, MAKELPARAM(button.left + 3, 10));
    EXPECT_TRUE(combo.IsHot());
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 2, 1); // the timer sees the pointer leave
    EXPECT_TRUE(harness::PumpUntil([&] { return !combo.IsHot(); }, 2000));
}

} // namespace

namespace
{

TEST_F(AdvCombo, ItemsComeFromTheStringWithTheControlId)
{
    ASSERT_TRUE(host.Make(RECT{100, 100, 500, 300}));
    CAdvComboBox made;
    ASSERT_TRUE(made.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, RECT{10, 10, 200, 34}, host.Handle(), 4242));
    ASSERT_EQ(made.GetCount(), 3); // empty pieces are left out
    EXPECT_EQ(made.GetLBText(0), "one");
    EXPECT_EQ(made.GetLBText(2), "three");
    EXPECT_TRUE(made.GetLookFlags() & CBX_INSETEDIT);
    EXPECT_NE(made.Edit(), nullptr);
    // A control without such a string starts empty.
    EXPECT_EQ(combo.GetCount(), 0);
}

} // namespace

namespace
{

TEST_F(AdvCombo, EditFocusNotifiesOnceUntilTheFocusLeavesTheControl)
{
    Make(CBS_DROPDOWN);
    Add({"a", "b"});
    const HWND edit = combo.Edit()->Handle();
    HWND other = ::CreateWindowExA(0, "BUTTON", "x", WS_CHILD | WS_VISIBLE, 250, 10, 40, 20, host.Handle(), nullptr,
                                   nullptr, nullptr);
    ASSERT_EQ(::GetFocus(), edit); // the control hands its focus on to the edit
    ::SetFocus(other);
    harness::PumpFor(10);
    EXPECT_EQ(host.log, (Log{CBN_SELENDCANCEL, CBN_KILLFOCUS}));
    host.log.clear();
    ::SetFocus(combo.Handle()); // back: notified once
    harness::PumpFor(10);
    EXPECT_EQ(::GetFocus(), edit);
    ::SetFocus(combo.Handle()); // from the edit to the control and on to the edit: no news
    harness::PumpFor(10);
    EXPECT_EQ(host.log, (Log{CBN_SETFOCUS}));
}

} // namespace
