// The list's in-cell editors, driven through the list with real clicks and keys.
#include "multi/XCombo.h"
#include "multi/XEdit.h"
#include "multi/XListCtrl.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{

using Cell = std::pair<int, int>;

class EditorHost : public Window
{
public:
    std::vector<Cell> comboSelections; // WM_XLISTCTRL_COMBO_SELECTION
    std::vector<Cell> editEnds;        // WM_XLISTCTRL_EDIT_END

    // Made once and kept: destroying a top-level window costs seconds without a window manager.
    static EditorHost& Shared()
    {
        static EditorHost* host = new EditorHost;
        return *host;
    }
    bool Open()
    {
        comboSelections.clear();
        editEnds.clear();
        if (Handle())
            return true;
        RegisterWindowClass("TasvrinEditorTestHost", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
        return Create(0, "TasvrinEditorTestHost", "editor host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                      RECT{50, 50, 650, 450}, nullptr, 0);
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override
    {
        if (msg == WM_XLISTCTRL_COMBO_SELECTION) {
            comboSelections.emplace_back(static_cast<int>(w), static_cast<int>(l));
            return 0;
        }
        if (msg == WM_XLISTCTRL_EDIT_END) {
            editEnds.emplace_back(static_cast<int>(w), static_cast<int>(l));
            return 0;
        }
        return Window::WindowProc(msg, w, l);
    }
};

BOOL CALLBACK FindCombo(HWND hwnd, LPARAM l)
{
    char cls[64] = {};
    ::GetClassNameA(hwnd, cls, sizeof(cls));
    if (std::string(cls) == CAdvComboBox::kClassName && ::IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(l) = hwnd;
        return FALSE;
    }
    return TRUE;
}

class InCellEditors : public ::testing::Test
{
protected:
    EditorHost& host = EditorHost::Shared();
    CXListCtrl list;
    std::vector<std::string> choices{"red", "green", "blue"};

    void SetUp() override
    {
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 2, 1);
        ASSERT_TRUE(host.Open());
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, RECT{0, 0, 600, 360},
                                host.Handle(), 1085));
        list.Ref().SetFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
        list.InsertColumn(0, "Name", LVCFMT_LEFT, 120);
        list.InsertColumn(1, "Value", LVCFMT_LEFT, 150);
        list.InsertColumn(2, "Narrow", LVCFMT_LEFT, 150);
        for (int row = 0; row < 3; ++row) {
            list.InsertItem(row, ("row " + std::to_string(row)).c_str());
            list.SetItemText(row, 1, "hello");
            list.SetItemText(row, 2, "x");
        }
        ::SetForegroundWindow(host.Handle());
        harness::PumpFor(30);
    }
    void TearDown() override
    {
        list.DestroyWindow();
        harness::PumpFor(20);
    }

    void ClickCell(int row, int col)
    {
        RECT r{};
        list.GetCellRect(row, col, LVIR_BOUNDS, r);
        harness::MouseClick(list.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        harness::PumpFor(40);
    }
    HWND Edit() const { return ::GetDlgItem(list.Handle(), 99); }
    HWND Combo() const
    {
        HWND found = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindCombo, reinterpret_cast<LPARAM>(&found));
        return found;
    }
    CXCombo* ComboObject() const { return dynamic_cast<CXCombo*>(Window::FromHandle(Combo())); }
    void Key(HWND to, UINT vk)
    {
        harness::PressKey(to, vk);
        harness::PumpFor(20);
    }
    // The combo closes 50 ms after it reports.
    bool WaitComboGone()
    {
        return harness::PumpUntil([&] { return Combo() == nullptr; }, 2000);
    }
};

TEST_F(InCellEditors, TextBoxOutcomes)
{
    struct Case {
        const char* name;
        const char* typed;
        UINT key;
        const char* cellAfter;
        bool modified;
        bool editEnd;
    };
    const Case cases[] = {
        {"escape leaves the cell", "changed", VK_ESCAPE, "hello", false, false},
        {"emptied and return keeps the text", "", VK_RETURN, "hello", false, true},
        {"changed and return", "world", VK_RETURN, "world", true, true},
        {"same text and return", "hello", VK_RETURN, "hello", false, true},
    };
    int row = 0;
    for (const Case& c : cases) {
        list.SetItemText(row, 1, "hello");
        list.SetCellModified(row, 1, FALSE);
        ASSERT_TRUE(list.SetCellEditable(row, 1));
        host.editEnds.clear();
        ClickCell(row, 1);
        const HWND edit = Edit();
        ASSERT_NE(edit, nullptr) << c.name;
        EXPECT_EQ(harness::Text(edit), "hello") << c.name;
        EXPECT_EQ(::GetFocus(), edit) << c.name;
        harness::SetText(edit, c.typed);
        Key(edit, c.key);
        EXPECT_EQ(Edit(), nullptr) << c.name;
        EXPECT_EQ(list.GetItemText(row, 1), c.cellAfter) << c.name;
        EXPECT_EQ(list.IsCellModified(row, 1) != FALSE, c.modified) << c.name;
        const std::vector<Cell> expected = c.editEnd ? std::vector<Cell>{{row, 1}} : std::vector<Cell>{};
        EXPECT_EQ(host.editEnds, expected) << c.name;
        row = (row + 1) % 3;
    }
}

TEST_F(InCellEditors, TextBoxEndsWhenTheFocusGoes)
{
    list.SetCellEditable(1, 1);
    ClickCell(1, 1);
    const HWND edit = Edit();
    ASSERT_NE(edit, nullptr);
    harness::SetText(edit, "typed");
    ::SetFocus(host.Handle());
    harness::PumpFor(20);
    EXPECT_EQ(Edit(), nullptr);
    EXPECT_EQ(list.GetItemText(1, 1), "typed");
    EXPECT_EQ(host.editEnds, (std::vector<Cell>{{1, 1}})); // once, though the edit also lost the focus
}

TEST_F(InCellEditors, ChoiceListAppliesTheChoiceAndTheInitialIndexOnce)
{
    ASSERT_TRUE(list.SetCellCombo(0, 1, TRUE, &choices, 10, 2, FALSE));
    EXPECT_EQ(list.GetItemText(0, 1), "blue");
    list.SetItemText(0, 1, "red"); // the initial index still wins at the first opening

    ClickCell(0, 1);
    ASSERT_NE(ComboObject(), nullptr);
    CXCombo* combo = ComboObject();
    EXPECT_EQ(combo->GetCount(), 3);
    EXPECT_EQ(combo->GetMaxDropRows(), 10);
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(list.GetItemText(0, 1), "blue");
    // The same choice again: reported, not marked modified.
    ::SetFocus(combo->Handle());
    Key(combo->Handle(), VK_RETURN);
    ASSERT_TRUE(WaitComboGone());
    EXPECT_EQ(host.comboSelections, (std::vector<Cell>{{0, 1}}));
    EXPECT_FALSE(list.IsCellModified(0, 1));

    // A different choice through the open list: written and marked modified.
    host.comboSelections.clear();
    ClickCell(0, 1);
    combo = ComboObject();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetCurSel(), 2); // from the cell's text now
    ::SetFocus(combo->Handle());
    Key(combo->Handle(), VK_F4);
    ASSERT_NE(combo->DropWindow(), nullptr);
    Key(combo->Handle(), VK_UP);
    Key(combo->Handle(), VK_UP);
    Key(combo->Handle(), VK_RETURN);
    ASSERT_TRUE(WaitComboGone());
    EXPECT_EQ(list.GetItemText(0, 1), "red");
    EXPECT_TRUE(list.IsCellModified(0, 1));
    EXPECT_EQ(host.comboSelections, (std::vector<Cell>{{0, 1}}));

    // Later openings start from the cell's text, not from the initial index.
    ClickCell(0, 1);
    combo = ComboObject();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetCurSel(), 0);
    ::SetFocus(combo->Handle());
    Key(combo->Handle(), VK_ESCAPE);
    ASSERT_TRUE(WaitComboGone());
}

TEST_F(InCellEditors, EscapeOnTheChoiceListChangesNothing)
{
    list.SetCellCombo(1, 1, TRUE, &choices, 10, 1, FALSE);
    host.comboSelections.clear();
    ClickCell(1, 1);
    CXCombo* combo = ComboObject();
    ASSERT_NE(combo, nullptr);
    ::SetFocus(combo->Handle());
    Key(combo->Handle(), VK_DOWN); // changes the combo's selection...
    EXPECT_EQ(combo->GetCurSel(), 2);
    Key(combo->Handle(), VK_ESCAPE); // ...which the cancel throws away
    ASSERT_TRUE(WaitComboGone());
    EXPECT_EQ(list.GetItemText(1, 1), "green");
    EXPECT_FALSE(list.IsCellModified(1, 1));
    EXPECT_TRUE(host.comboSelections.empty());
}

TEST_F(InCellEditors, FocusLossAcceptsTheChoice)
{
    list.SetCellCombo(2, 1, TRUE, &choices, 10, 0, FALSE);
    ClickCell(2, 1);
    CXCombo* combo = ComboObject();
    ASSERT_NE(combo, nullptr);
    ::SetFocus(combo->Handle());
    Key(combo->Handle(), VK_DOWN);
    host.comboSelections.clear();
    ::SetFocus(host.Handle()); // reports both cancel and complete: the complete wins
    ASSERT_TRUE(WaitComboGone());
    EXPECT_EQ(list.GetItemText(2, 1), "green");
    EXPECT_EQ(host.comboSelections, (std::vector<Cell>{{2, 1}}));
}

TEST_F(InCellEditors, CellsNarrowerThanFivePixelsOpenNothing)
{
    struct Case {
        const char* name;
        int width;
        bool opens;
    };
    list.SetCellCombo(0, 2, TRUE, &choices, 10, 0, FALSE);
    list.SetCellEditable(1, 2);
    for (const Case c : {Case{"4 px", 4, false}, Case{"5 px", 5, true}}) {
        list.SetColumnWidth(2, c.width);
        ClickCell(0, 2);
        EXPECT_EQ(Combo() != nullptr, c.opens) << c.name;
        if (Combo()) {
            ::SetFocus(Combo());
            Key(Combo(), VK_ESCAPE);
            ASSERT_TRUE(WaitComboGone());
        }
        ClickCell(1, 2);
        EXPECT_EQ(Edit() != nullptr, c.opens) << c.name;
        if (Edit())
            Key(Edit(), VK_ESCAPE);
    }
}

TEST_F(InCellEditors, ChoiceListsRejectBadCellsAndSortWhenAsked)
{
    std::vector<std::string> mixed{"beta", "Alpha", "gamma", "alpha2"};
    EXPECT_FALSE(list.SetCellCombo(9, 1, TRUE, &choices, 10, 0, FALSE));
    EXPECT_FALSE(list.SetCellCombo(0, 1, TRUE, nullptr, 10, 0, FALSE));
    EXPECT_FALSE(list.SetCellEditable(0, 7));
    ASSERT_TRUE(list.SetCellCombo(0, 1, TRUE, &mixed, 10, 99, TRUE)); // a bad index becomes 0
    EXPECT_EQ(mixed, (std::vector<std::string>{"Alpha", "alpha2", "beta", "gamma"}));
    EXPECT_EQ(list.GetItemText(0, 1), "Alpha");
    const XListCell* cell = list.GetCell(0, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->comboInitialIndex, 0);
    EXPECT_EQ(cell->sortComboItems, 1);
}

} // namespace
