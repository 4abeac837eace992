// Mouse and keys on the list and its header, driven with posted input messages.
#include "ListFixture.h"

#include "support/Harness.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace
{
RECT Cell(CXListCtrl& list, int row, int col)
{
    RECT r{};
    list.GetCellRect(row, col, LVIR_BOUNDS, r);
    return r;
}

void ClickCell(CXListCtrl& list, int row, int col, int dx = 12)
{
    const RECT c = Cell(list, row, col);
    harness::MouseClick(list.Handle(), c.left + dx, (c.top + c.bottom) / 2);
    harness::PumpFor(50);
}
} // namespace

TEST(XListInput, CheckBoxClickFlipsNotifiesAndSetsTheHeaderBox)
{
    ListFixture f;
    f.list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    for (int r = 0; r < 2; ++r) {
        f.list.InsertItem(r, "row");
        f.list.SetCellCheck(r, 1, 0);
    }
    ASSERT_TRUE(f.list.SetHeaderCheck(1, 1));

    ClickCell(f.list, 1, 1);
    EXPECT_EQ(f.list.GetCellCheck(1, 1), 1);
    EXPECT_TRUE(f.list.IsCellModified(1, 1));
    EXPECT_FALSE(f.list.IsCellModified(0, 1));
    EXPECT_EQ(f.host.checkClicks, (std::vector<std::pair<int, int>>{{1, 1}}));
    EXPECT_EQ(f.list.GetHeaderCheck(1), 1) << "one of two checked";

    ClickCell(f.list, 0, 1);
    EXPECT_EQ(f.list.GetCellCheck(0, 1), 1);
    EXPECT_EQ(f.list.GetHeaderCheck(1), 2) << "all checked";
    EXPECT_EQ(f.list.GetSelectedRow(), 0) << "the default click handling still selects";

    ClickCell(f.list, 0, 1);
    EXPECT_EQ(f.list.GetCellCheck(0, 1), 0);
    EXPECT_EQ(f.list.GetHeaderCheck(1), 1);
    EXPECT_EQ(f.host.checkClicks.size(), 3u);

    // A plain cell click selects and notifies nothing special; NM_CLICK reaches the parent.
    ClickCell(f.list, 1, 0);
    EXPECT_EQ(f.host.checkClicks.size(), 3u);
    EXPECT_EQ(f.list.GetCellCheck(1, 0), -1);
    EXPECT_GT(f.host.clicks, 0);
}

TEST(XListInput, DisabledRowTakesNoClick)
{
    ListFixture f;
    for (int r = 0; r < 3; ++r)
        f.list.InsertItem(r, "row");
    f.list.SetCellCheck(1, 1, 0);
    f.list.EnableRow(1, FALSE);

    ClickCell(f.list, 1, 0);
    ClickCell(f.list, 1, 1);
    EXPECT_EQ(f.list.GetSelectedRow(), -1);
    EXPECT_EQ(f.list.GetCellCheck(1, 1), 0);
    EXPECT_TRUE(f.host.checkClicks.empty());
    EXPECT_EQ(f.host.clicks, 0);

    const RECT c = Cell(f.list, 1, 0);
    ::PostMessageA(f.list.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(c.left + 5, c.top + 3));
    ::PostMessageA(f.list.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(c.left + 5, c.top + 3));
    harness::PumpFor(50);
    EXPECT_EQ(f.list.GetSelectedRow(), -1);

    f.list.EnableRow(1, TRUE);
    ClickCell(f.list, 1, 0);
    EXPECT_EQ(f.list.GetSelectedRow(), 1);
}

namespace
{
struct KeyCase {
    const char* name;
    std::set<int> disabled;
    int start;
    UINT key;
    int expected; // the only selected row afterwards
};
} // namespace

TEST(XListInput, KeysSkipDisabledRows)
{
    const KeyCase cases[] = {
        {"Down onto a disabled last row", {3}, 2, VK_DOWN, 2},
        {"Down over one disabled row", {2}, 1, VK_DOWN, 3},
        {"Down over two disabled rows at the end turns back", {2, 3}, 1, VK_DOWN, 1},
        {"Up over a disabled row", {1}, 2, VK_UP, 0},
        {"Up onto a disabled first row turns back from row 1", {0}, 1, VK_UP, 1},
        {"Up onto disabled first rows turns back to the next enabled", {0, 1}, 2, VK_UP, 2},
        {"Home onto a disabled row keeps the old row", {0}, 2, VK_HOME, 2},
        {"Down onto an enabled row", {}, 1, VK_DOWN, 2},
        {"Nothing selected before and every row disabled: nothing stays selected", {0, 1, 2, 3}, -1, VK_DOWN, -1},
    };
    for (const KeyCase& c : cases) {
        ListFixture f;
        for (int r = 0; r < 4; ++r)
            f.list.InsertItem(r, ("row " + std::to_string(r)).c_str());
        for (int r : c.disabled)
            f.list.EnableRow(r, FALSE);
        if (c.start >= 0)
            f.list.SelectRow(c.start, TRUE);
        ::SetFocus(f.list.Handle());
        harness::PressKey(f.list.Handle(), c.key);
        harness::PumpFor(50);
        EXPECT_EQ(f.list.GetSelectedRow(), c.expected) << c.name;
        EXPECT_EQ(::SendMessageA(f.list.Handle(), LVM_GETSELECTEDCOUNT, 0, 0), c.expected >= 0 ? 1 : 0) << c.name;
    }
}

TEST(XHeaderInput, DoubleClickGivesTwoColumnClicks)
{
    ListFixture f;
    f.list.InsertItem(0, "row");
    const HWND header = f.list.Header().Handle();
    RECT item{};
    ::SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    const int width = f.list.GetColumnWidth(1);
    harness::MouseClick(header, item.left + 30, (item.top + item.bottom) / 2, true);
    harness::PumpFor(100);
    EXPECT_EQ(f.host.columnClicks, (std::vector<int>{1, 1}));

    // On the divider a double-click does not size the column to its content.
    f.host.Reset();
    harness::MouseClick(header, item.right - 1, (item.top + item.bottom) / 2, true);
    harness::PumpFor(100);
    EXPECT_EQ(f.list.GetColumnWidth(1), width);
}

TEST(XHeaderInput, HeaderCheckBoxClickChecksTheColumn)
{
    ListFixture f;
    for (int r = 0; r < 3; ++r)
        f.list.InsertItem(r, "row");
    f.list.SetCellCheck(0, 1, 0);
    f.list.SetCellCheck(2, 1, 1);
    ASSERT_TRUE(f.list.SetHeaderCheck(1, 1));
    const HWND header = f.list.Header().Handle();
    RECT item{};
    ::SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    harness::MouseClick(header, item.left + 10, (item.top + item.bottom) / 2);
    harness::PumpFor(100);
    EXPECT_EQ(f.list.GetHeaderCheck(1), 2);
    EXPECT_EQ(f.list.GetCellCheck(0, 1), 1);
    EXPECT_EQ(f.list.GetCellCheck(1, 1), -1) << "a cell without a box stays without";
    EXPECT_EQ(f.list.GetCellCheck(2, 1), 1);
    EXPECT_TRUE(f.list.IsCellModified(0, 1));
    EXPECT_EQ(f.host.columnClicks, (std::vector<int>{1})) << "the parent sees the click too";

    harness::MouseClick(header, item.left + 10, (item.top + item.bottom) / 2);
    harness::PumpFor(100);
    EXPECT_EQ(f.list.GetHeaderCheck(1), 1);
    EXPECT_EQ(f.list.GetCellCheck(0, 1), 0);
    EXPECT_EQ(f.list.GetCellCheck(2, 1), 0);

    // A column without a header box is left alone.
    ::SendMessageA(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    f.list.SetCellCheck(0, 0, 1);
    harness::MouseClick(header, item.left + 10, (item.top + item.bottom) / 2);
    harness::PumpFor(100);
    EXPECT_EQ(f.list.GetCellCheck(0, 0), 1);
    EXPECT_EQ(f.list.GetHeaderCheck(0), 0);
}
