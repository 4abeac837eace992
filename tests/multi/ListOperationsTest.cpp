// The list's operations on good and bad indexes, its records and its cell rectangles.
#include "ListFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace
{
// Three rows by three columns, cell texts "r<row>c<col>".
void Fill3x3(CXListCtrl& list)
{
    for (int r = 0; r < 3; ++r) {
        list.InsertItem(r, ("r" + std::to_string(r) + "c0").c_str());
        for (int c = 1; c < 3; ++c)
            list.SetItemText(r, c, ("r" + std::to_string(r) + "c" + std::to_string(c)).c_str());
    }
}

struct OpCase {
    const char* name;
    bool rowOnly;                                        // only the row index matters
    std::function<long long(CXListCtrl&, int, int)> run; // performs the operation, returns its result
    long long good;                                      // result at row 1, column 1
    long long bad;                                       // neutral result for a bad index
};

const OpCase kCases[] = {
    {"SetItemText", false, [](CXListCtrl& l, int r, int c) { return l.SetItemText(r, c, "x"); }, TRUE, FALSE},
    {"SetItemTextColours", false,
     [](CXListCtrl& l, int r, int c) { return l.SetItemText(r, c, "x", RGB(1, 2, 3), RGB(4, 5, 6)); }, TRUE, FALSE},
    {"GetItemText", false, [](CXListCtrl& l, int r, int c) { return (long long)l.GetItemText(r, c).size(); }, 4, 0},
    {"GetCellColors", false,
     [](CXListCtrl& l, int r, int c) {
         COLORREF t = 7, b = 7;
         const BOOL ok = l.GetCellColors(r, c, t, b);
         return ok ? 1LL : (t == 0 && b == 0 ? 0LL : 99LL);
     },
     1, 0},
    {"Bold", false, [](CXListCtrl& l, int r, int c) { return l.SetCellBold(r, c, TRUE) * 10LL + l.IsCellBold(r, c); },
     11, 0},
    {"SetCellImage", false, [](CXListCtrl& l, int r, int c) { return l.SetCellImage(r, c, 2); }, TRUE, FALSE},
    {"Modified", false,
     [](CXListCtrl& l, int r, int c) {
         l.SetCellModified(r, c, TRUE);
         return (long long)l.IsCellModified(r, c);
     },
     1, 0},
    {"Tooltip", false,
     [](CXListCtrl& l, int r, int c) {
         return l.SetCellTooltip(r, c, "tip") * 10LL + (long long)l.GetCellTooltip(r, c).size();
     },
     13, 0},
    {"SetCellProgress", false, [](CXListCtrl& l, int r, int c) { return l.SetCellProgress(r, c); }, TRUE, FALSE},
    {"Check", false, [](CXListCtrl& l, int r, int c) { return l.SetCellCheck(r, c, 1) * 10LL + l.GetCellCheck(r, c); },
     11, -1},
    {"GetCellRect", false,
     [](CXListCtrl& l, int r, int c) {
         RECT rect{};
         return l.GetCellRect(r, c, LVIR_BOUNDS, rect);
     },
     TRUE, FALSE},
    {"SetItemData", true, [](CXListCtrl& l, int r, int) { return l.SetItemData(r, 77) * 1000LL + l.GetItemData(r); },
     1077, 0},
    {"EnableRow", true, [](CXListCtrl& l, int r, int) { return l.EnableRow(r, TRUE) * 10LL + l.IsRowEnabled(r); }, 11,
     0},
    {"SelectRow", true, [](CXListCtrl& l, int r, int) { return l.SelectRow(r, TRUE); }, TRUE, FALSE},
    {"DeleteItem", true, [](CXListCtrl& l, int r, int) { return l.DeleteItem(r) * 10LL + l.GetItemCount(); }, 12, 3},
    {"HeaderCheck", false,
     [](CXListCtrl& l, int, int c) { return l.SetHeaderCheck(c, 1) * 10LL + l.GetHeaderCheck(c); }, 11, -1},
    {"CountChecked", false,
     [](CXListCtrl& l, int, int c) {
         l.SetCellCheck(0, 1, 1);
         l.SetCellCheck(2, 1, 1);
         return (long long)l.CountCheckedInColumn(c);
     },
     2, 0},
    {"SetColumnWidthPadded", false, [](CXListCtrl& l, int, int c) { return (long long)l.SetColumnWidthPadded(c, 50); },
     TRUE, FALSE},
};

class ListOperation : public ::testing::TestWithParam<OpCase>
{
};
} // namespace

TEST_P(ListOperation, GoodIndexActsAndBadIndexGivesNeutralResult)
{
    const OpCase& op = GetParam();
    {
        ListFixture f;
        Fill3x3(f.list);
        EXPECT_EQ(op.run(f.list, 1, 1), op.good) << op.name << " at (1, 1)";
    }
    const int badRows[] = {-1, 3, 1000};
    const int badCols[] = {-1, 3};
    for (int r : badRows) {
        ListFixture f;
        Fill3x3(f.list);
        if (op.name == std::string("HeaderCheck") || op.name == std::string("CountChecked") ||
            op.name == std::string("SetColumnWidthPadded"))
            break; // column operations: no row index
        EXPECT_EQ(op.run(f.list, r, 1), op.bad) << op.name << " at row " << r;
        EXPECT_EQ(f.list.GetItemCount(), 3) << op.name;
    }
    if (op.rowOnly)
        return;
    for (int c : badCols) {
        ListFixture f;
        Fill3x3(f.list);
        EXPECT_EQ(op.run(f.list, 1, c), op.bad) << op.name << " at column " << c;
        EXPECT_EQ(f.list.GetItemText(1, 1), "r1c1") << op.name << " changed a good cell";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ListOperation, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<OpCase>& info) { return std::string(info.param.name); });

TEST(XList, InsertAtNegativeRowFailsAndBadInsertsLeaveNoRow)
{
    ListFixture f;
    EXPECT_EQ(f.list.InsertItem(-1, "x"), -1);
    EXPECT_EQ(f.list.InsertItem(-3, "x", 0, 0), -1);
    EXPECT_EQ(f.list.GetItemCount(), 0);
    EXPECT_EQ(f.list.InsertItem(5, "end"), 0); // past the end appends
    EXPECT_EQ(f.list.GetSelectedRow(), -1);
    EXPECT_EQ(f.list.FindRowByData(0), 0); // new rows carry 0
}

TEST(XList, FindRowByDataGivesTheLowerOfTwoRows)
{
    ListFixture f;
    Fill3x3(f.list);
    f.list.InsertItem(3, "r3c0");
    f.list.SetItemData(0, 11);
    f.list.SetItemData(1, 42);
    f.list.SetItemData(2, 5);
    f.list.SetItemData(3, 42);
    EXPECT_EQ(f.list.FindRowByData(42), 1);
    EXPECT_EQ(f.list.FindRowByData(5), 2);
    EXPECT_EQ(f.list.FindRowByData(99), -1);
    f.list.DeleteItem(1);
    EXPECT_EQ(f.list.FindRowByData(42), 2); // the value moved with its row
}

TEST(XList, RowWithoutRecordsReadsNeutral)
{
    ListFixture f;
    Fill3x3(f.list);
    // Inserted through the list view directly: no records behind it.
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = 3;
    item.pszText = const_cast<char*>("raw");
    item.lParam = 0x5A5A5A; // an application value, not records: never read as records
    ASSERT_EQ(::SendMessageA(f.list.Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)), 3);
    EXPECT_EQ(f.list.GetItemData(3), 0u);
    EXPECT_FALSE(f.list.SetItemData(3, 5));
    EXPECT_EQ(f.list.IsRowEnabled(3), 0);
    EXPECT_EQ(f.list.GetCellCheck(3, 0), -1);
    EXPECT_EQ(f.list.GetItemText(3, 0), "raw");
    for (int r = 0; r < 3; ++r)
        f.list.SetItemData(r, 100 + r);
    EXPECT_EQ(f.list.FindRowByData(0), -1) << "a row without records holds no value";
}

TEST(XList, SetItemTextWithDefaultColoursAndWithNullText)
{
    ListFixture f;
    Fill3x3(f.list);
    COLORREF t = 0, b = 0;
    ASSERT_TRUE(f.list.SetItemText(1, 2, "new", RGB(200, 0, 0), RGB(0, 0, 200)));
    f.list.GetCellColors(1, 2, t, b);
    EXPECT_EQ(t, RGB(200, 0, 0));
    EXPECT_EQ(b, RGB(0, 0, 200));

    EXPECT_TRUE(f.list.SetItemText(1, 2, nullptr, RGB(9, 9, 9), RGB(8, 8, 8)));
    EXPECT_EQ(f.list.GetItemText(1, 2), "new");
    f.list.GetCellColors(1, 2, t, b);
    EXPECT_EQ(t, RGB(9, 9, 9));
    EXPECT_EQ(b, RGB(8, 8, 8));

    EXPECT_TRUE(f.list.SetItemText(1, 2, "again", static_cast<COLORREF>(-1), static_cast<COLORREF>(-1)));
    f.list.GetCellColors(1, 2, t, b);
    EXPECT_EQ(t, ::GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(b, ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(f.list.GetItemText(1, 2), "again");
}

TEST(XList, FourArgumentInsertColoursOnlyColumnZero)
{
    ListFixture f;
    ASSERT_EQ(f.list.InsertItem(0, "title", RGB(0, 0, 0), RGB(244, 221, 210)), 0);
    COLORREF t = 0, b = 0;
    f.list.GetCellColors(0, 0, t, b);
    EXPECT_EQ(t, RGB(0, 0, 0));
    EXPECT_EQ(b, RGB(244, 221, 210));
    for (int c = 1; c < 3; ++c) {
        f.list.GetCellColors(0, c, t, b);
        EXPECT_EQ(t, ::GetSysColor(COLOR_WINDOWTEXT)) << c;
        EXPECT_EQ(b, ::GetSysColor(COLOR_WINDOW)) << c;
    }
}

TEST(XList, ItemDescriptionInsertAndSetKeepTheRecords)
{
    ListFixture f;
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = 0;
    item.pszText = const_cast<char*>("desc");
    item.iImage = 3;
    item.lParam = 1234;
    ASSERT_EQ(f.list.InsertItem(&item), 0);
    EXPECT_EQ(f.list.GetItemData(0), 1234u);

    // Setting an item with a parameter must not lose the row's records.
    LVITEMA set{};
    set.mask = LVIF_PARAM | LVIF_IMAGE;
    set.iItem = 0;
    set.iImage = 1;
    set.lParam = 99;
    EXPECT_TRUE(f.list.SetItem(&set));
    EXPECT_EQ(f.list.GetItemData(0), 99u);
    EXPECT_TRUE(f.list.SetCellBold(0, 0, TRUE));
    set.iItem = -1;
    EXPECT_EQ(f.list.SetItem(&set), -1);
}

TEST(XList, ColumnZeroRectangleEndsAtTheNextVisibleColumn)
{
    ListFixture f(3, 100);
    Fill3x3(f.list);
    RECT r0{}, r1{}, r2{};
    ASSERT_TRUE(f.list.GetCellRect(1, 0, LVIR_BOUNDS, r0));
    f.list.GetCellRect(1, 1, LVIR_BOUNDS, r1);
    EXPECT_EQ(r0.right, r1.left);
    EXPECT_EQ(r0.right - r0.left, 100);

    f.list.SetColumnWidth(1, 0);
    f.list.GetCellRect(1, 2, LVIR_BOUNDS, r2);
    ASSERT_TRUE(f.list.GetCellRect(1, 0, LVIR_BOUNDS, r0));
    EXPECT_EQ(r0.right, r2.left);
}

TEST(XList, PaddedColumnWidthAddsTwiceTheHeaderSpacing)
{
    ListFixture f;
    ASSERT_TRUE(f.list.SetColumnWidthPadded(1, 70));
    EXPECT_EQ(f.list.GetColumnWidth(1), 70 + 2 * 6);
}

TEST(XList, ToolIdIsRowTimesThousandPlusColumnPlusOne)
{
    ListFixture f(3, 100);
    for (int r = 0; r < 5; ++r)
        f.list.InsertItem(r, "row");
    RECT cell{};
    ASSERT_TRUE(f.list.GetCellRect(3, 2, LVIR_BOUNDS, cell));
    TOOLINFOA info{};
    EXPECT_EQ(f.list.OnToolHitTest(POINT{cell.left + 5, cell.top + 2}, &info), 3003);
    EXPECT_EQ(info.uId, 3003u);
    EXPECT_EQ(info.hwnd, f.list.Handle());
    RECT client{};
    ::GetClientRect(f.list.Handle(), &client);
    EXPECT_TRUE(::EqualRect(&info.rect, &client));
    f.list.GetCellRect(0, 0, LVIR_BOUNDS, cell);
    EXPECT_EQ(f.list.OnToolHitTest(POINT{cell.left + 5, cell.top + 2}, nullptr), 1);
    EXPECT_EQ(f.list.OnToolHitTest(POINT{5, 340}, nullptr), -1); // below the rows
}

TEST(XList, DeleteAllItemsAndDestroyFreeTheRecords)
{
    ListFixture f;
    Fill3x3(f.list);
    f.list.SetCellTooltip(0, 0, "a");
    EXPECT_TRUE(f.list.DeleteAllItems());
    EXPECT_EQ(f.list.GetItemCount(), 0);
    EXPECT_EQ(f.list.GetCellTooltip(0, 0), "");
    Fill3x3(f.list);
    EXPECT_TRUE(f.list.DestroyWindow());
    EXPECT_FALSE(f.list.HeaderAttached());
    EXPECT_EQ(f.list.Handle(), nullptr);
}

namespace
{
int CALLBACK ByTextDescending(LPARAM a, LPARAM b, LPARAM list)
{
    char ta[32] = {}, tb[32] = {};
    ListView_GetItemText(reinterpret_cast<HWND>(list), static_cast<int>(a), 0, ta, sizeof(ta));
    ListView_GetItemText(reinterpret_cast<HWND>(list), static_cast<int>(b), 0, tb, sizeof(tb));
    return -lstrcmpA(ta, tb);
}
} // namespace

TEST(XList, RecordsMoveWithTheirRowsWhenTheListIsSorted)
{
    ListFixture f;
    Fill3x3(f.list);
    for (int r = 0; r < 3; ++r)
        f.list.SetItemData(r, 100 + r);
    f.list.SetCellBold(0, 1, TRUE);
    ASSERT_TRUE(::SendMessageA(f.list.Handle(), LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(f.list.Handle()),
                               reinterpret_cast<LPARAM>(&ByTextDescending)));
    EXPECT_EQ(f.list.GetItemText(0, 0), "r2c0");
    EXPECT_EQ(f.list.GetItemData(0), 102u);
    EXPECT_EQ(f.list.GetItemData(2), 100u);
    EXPECT_TRUE(f.list.IsCellBold(2, 1));
    EXPECT_EQ(f.list.FindRowByData(100), 2);
}

TEST(XList, TooltipTextOfTheCellUnderTheCursor)
{
    ListFixture f(3, 100);
    for (int r = 0; r < 3; ++r)
        f.list.InsertItem(r, "row");
    const std::string longText(120, 'x');
    f.list.SetCellTooltip(1, 2, longText.c_str());
    f.list.SetCellTooltip(2, 1, "short tip");
    f.list.EnableToolTips(true);
    ASSERT_TRUE(f.list.ToolTipWindow());

    // The text request reads the cursor position recorded with the message being processed.
    auto askAt = [&](int row, int col, UINT code, UINT_PTR id) {
        RECT cell{};
        f.list.GetCellRect(row, col, LVIR_BOUNDS, cell);
        POINT at{cell.left + 10, (cell.top + cell.bottom) / 2};
        ::ClientToScreen(f.list.Handle(), &at);
        // The position recorded with a message comes from the cursor; inside a Wine desktop the
        // pointer may still be moving back and forth, so retry until the message carries `at`.
        for (int attempt = 0; attempt < 200; ++attempt) {
            ::SetCursorPos(at.x, at.y);
            ::PostMessageA(f.host.Handle(), WM_NULL, 0, 0);
            MSG msg;
            ::PeekMessageA(&msg, f.host.Handle(), WM_NULL, WM_NULL, PM_REMOVE);
            const DWORD pos = ::GetMessagePos();
            if (static_cast<short>(LOWORD(pos)) == at.x && static_cast<short>(HIWORD(pos)) == at.y)
                break;
            ::Sleep(10);
        }
        NMTTDISPINFOW info{}; // the larger of the two forms
        info.hdr.hwndFrom = f.list.ToolTipWindow();
        info.hdr.idFrom = id;
        info.hdr.code = code;
        ::SendMessageA(f.list.Handle(), WM_NOTIFY, id, reinterpret_cast<LPARAM>(&info));
        return info;
    };
    NMTTDISPINFOW wide = askAt(1, 2, TTN_NEEDTEXTW, 2003);
    EXPECT_EQ(std::wstring(wide.szText), std::wstring(79, L'x'));
    NMTTDISPINFOW narrow = askAt(2, 1, TTN_NEEDTEXTA, 3002);
    EXPECT_STREQ(reinterpret_cast<NMTTDISPINFOA*>(&narrow)->szText, "short tip");
    NMTTDISPINFOW none = askAt(0, 0, TTN_NEEDTEXTA, 1);
    EXPECT_STREQ(reinterpret_cast<NMTTDISPINFOA*>(&none)->szText, "") << "a cell without tooltip text";
    NMTTDISPINFOW zero = askAt(2, 1, TTN_NEEDTEXTA, 0);
    EXPECT_STREQ(reinterpret_cast<NMTTDISPINFOA*>(&zero)->szText, "") << "control id 0: no text";
}
