// The list's cell drawing, read back from pictures rendered through WM_PRINTCLIENT.
#include "ListFixture.h"

#include "framework/Handles.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using harness::Picture;
using harness::RenderClient;

namespace
{
constexpr COLORREF kFrame = RGB(51, 102, 153);
constexpr COLORREF kMark = RGB(51, 153, 51);
constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kGreen = RGB(0, 200, 0);

RECT Cell(CXListCtrl& list, int row, int col)
{
    RECT r{};
    list.GetCellRect(row, col, LVIR_BOUNDS, r);
    return r;
}

// Leftmost x in `area` holding `colour`, or -1.
int LeftmostOf(const Picture& p, COLORREF colour, const RECT& area)
{
    for (int x = area.left; x < area.right; ++x)
        for (int y = area.top; y < area.bottom; ++y)
            if (p.Pixel(x, y) == colour)
                return x;
    return -1;
}

void AddRows(CXListCtrl& list, int rows)
{
    for (int r = 0; r < rows; ++r)
        list.InsertItem(r, ("row " + std::to_string(r)).c_str());
}
} // namespace

TEST(XListDrawing, TextCellInItsColoursWithTheMargin)
{
    ListFixture f;
    AddRows(f.list, 2);
    f.list.SetItemText(0, 1, "Hello", kRed, kGreen);
    auto pic = RenderClient(f.list.Handle());
    pic->SaveBmp(harness::ShotPath("xlist_text.bmp"));
    const RECT cell = Cell(f.list, 0, 1);
    RECT inner = cell;
    ::InflateRect(&inner, 0, -1);
    EXPECT_EQ(pic->Pixel(cell.left + 2, (cell.top + cell.bottom) / 2), kGreen);
    EXPECT_EQ(pic->Pixel(cell.right - 2, (cell.top + cell.bottom) / 2), kGreen);
    EXPECT_GT(pic->Count(kRed, inner), 10);
    const int first = LeftmostOf(*pic, kRed, inner);
    EXPECT_GE(first, cell.left + 5);
    EXPECT_LE(first, cell.left + 5 + 2);
    // Column 2 of the same row keeps the defaults; column 0 was never coloured either.
    EXPECT_EQ(pic->Pixel(Cell(f.list, 0, 2).left + 2, cell.top + 2), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(pic->Count(kGreen, Cell(f.list, 1, 1)), 0);
}

TEST(XListDrawing, RowWithoutRecordsAndFourArgumentRowDrawDefaultsOutsideColumnZero)
{
    ListFixture f;
    f.list.InsertItem(0, "title", kRed, kGreen);
    f.list.SetItemText(0, 1, "status");
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = 1;
    item.pszText = const_cast<char*>("raw");
    ::SendMessageA(f.list.Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    auto pic = RenderClient(f.list.Handle());
    const RECT c0 = Cell(f.list, 0, 0), c1 = Cell(f.list, 0, 1), raw = Cell(f.list, 1, 0);
    EXPECT_EQ(pic->Pixel(c0.left + 2, c0.top + 2), kGreen);
    EXPECT_GT(pic->Count(kRed, c0), 10);
    EXPECT_EQ(pic->Pixel(c1.left + 2, c1.top + 2), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(pic->Count(kRed, c1), 0);
    EXPECT_EQ(pic->Pixel(raw.left + 2, raw.top + 2), ::GetSysColor(COLOR_WINDOW));
    EXPECT_GT(pic->Count(::GetSysColor(COLOR_WINDOWTEXT), raw), 10);
}

TEST(XListDrawing, BoldTextHasMoreInk)
{
    ListFixture f;
    AddRows(f.list, 2);
    f.list.SetItemText(0, 1, "Weighty", kRed, kGreen);
    f.list.SetItemText(1, 1, "Weighty", kRed, kGreen);
    f.list.SetCellBold(1, 1, TRUE);
    auto pic = RenderClient(f.list.Handle());
    pic->SaveBmp(harness::ShotPath("xlist_bold.bmp"));
    // ink = every pixel that is not the cell background (bold text may be smoothed)
    const RECT c0 = Cell(f.list, 0, 1), c1 = Cell(f.list, 1, 1);
    const int area = (c0.right - c0.left) * (c0.bottom - c0.top);
    const int plain = area - pic->Count(kGreen, c0);
    const int bold = area - pic->Count(kGreen, c1);
    EXPECT_GT(plain, 10);
    EXPECT_GT(bold, plain + plain / 5);
}

namespace
{
struct BoxPlace {
    int left;
    int top;
    int side;
};

BoxPlace ExpectedBox(const RECT& cell, bool withText)
{
    const int side = cell.bottom - 1 - cell.top;
    const int left = withText ? cell.left + 9 : cell.left - 1 + ((cell.right - cell.left) / 2 - side / 2);
    return {left, static_cast<int>(cell.top), side};
}

// The seven 3-pixel strokes of the check mark, relative to the box's top-left corner.
const POINT kStrokes[] = {{9, 3}, {8, 4}, {7, 5}, {6, 6}, {5, 7}, {4, 6}, {3, 5}};
} // namespace

TEST(XListDrawing, CheckBoxPlacedAtNineOrCentredWithSevenStrokes)
{
    ListFixture f(3, 120);
    AddRows(f.list, 3);
    f.list.SetItemText(0, 1, "label");
    f.list.SetCellCheck(0, 1, 1);
    f.list.SetCellCheck(1, 1, 1); // no text: centred
    f.list.SetCellCheck(2, 1, 0);
    f.list.SetItemText(2, 1, "off");
    auto pic = RenderClient(f.list.Handle());
    pic->SaveBmp(harness::ShotPath("xlist_check.bmp"));

    struct Case {
        int row;
        bool text;
        bool checked;
    };
    for (const Case& c : {Case{0, true, true}, Case{1, false, true}, Case{2, true, false}}) {
        const RECT cell = Cell(f.list, c.row, 1);
        const BoxPlace box = ExpectedBox(cell, c.text);
        const int midY = box.top + box.side / 2;
        EXPECT_EQ(pic->Pixel(box.left, midY), kFrame) << "row " << c.row;
        EXPECT_EQ(pic->Pixel(box.left + box.side - 1, midY), kFrame) << "row " << c.row;
        EXPECT_NE(pic->Pixel(box.left - 1, midY), kFrame) << "row " << c.row;
        EXPECT_EQ(pic->Pixel(box.left + box.side / 2, box.top), kFrame) << "row " << c.row;
        const RECT boxArea{box.left, box.top, box.left + box.side, box.top + box.side};
        EXPECT_EQ(pic->Count(kMark, boxArea), c.checked ? 21 : 0) << "row " << c.row;
        if (c.checked)
            for (const POINT& s : kStrokes)
                for (int dy = 0; dy < 3; ++dy)
                    EXPECT_EQ(pic->Pixel(box.left + s.x, box.top + s.y + dy), kMark)
                        << "row " << c.row << " stroke " << s.x << "," << s.y + dy;
    }
}

TEST(XListDrawing, CheckMarkOfADisabledRowIsGrey)
{
    ListFixture f;
    AddRows(f.list, 1);
    f.list.SetItemText(0, 1, "label");
    f.list.SetCellCheck(0, 1, 1);
    f.list.EnableRow(0, FALSE);
    auto pic = RenderClient(f.list.Handle());
    const RECT cell = Cell(f.list, 0, 1);
    const BoxPlace box = ExpectedBox(cell, true);
    const RECT boxArea{box.left, box.top, box.left + box.side, box.top + box.side};
    EXPECT_EQ(pic->Count(kMark, boxArea), 0);
    EXPECT_EQ(pic->Count(::GetSysColor(COLOR_GRAYTEXT), boxArea), 21);
}

namespace
{
struct Bar {
    RECT frame; // the progress rectangle after its 1-pixel insets
    RECT inner;
    int barRight;
};

Bar ExpectedBar(const RECT& cell, int percent)
{
    Bar b{};
    b.frame = cell;
    b.frame.bottom -= 1;
    b.frame.left += 1;
    b.inner = RECT{b.frame.left + 1, b.frame.top + 1, b.frame.right, b.frame.bottom - 1};
    b.barRight = b.inner.left - 1 + (b.inner.right - b.inner.left) * percent / 100;
    return b;
}
} // namespace

TEST(XListDrawing, ProgressAtZeroFortyTwoAndHundred)
{
    ListFixture f(3, 150);
    AddRows(f.list, 3);
    const int percents[] = {0, 42, 100};
    for (int r = 0; r < 3; ++r) {
        f.list.SetCellProgress(r, 1);
        f.list.SetCellProgressPercent(r, 1, percents[r]);
    }
    f.list.SelectRow(2, FALSE); // a selected progress cell is drawn like any other
    auto pic = RenderClient(f.list.Handle());
    pic->SaveBmp(harness::ShotPath("xlist_progress.bmp"));
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF shadow = ::GetSysColor(COLOR_3DSHADOW);
    const COLORREF text = ::GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF highText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);

    for (int r = 0; r < 3; ++r) {
        const Bar b = ExpectedBar(Cell(f.list, r, 1), percents[r]);
        const int midY = (b.frame.top + b.frame.bottom) / 2;
        EXPECT_EQ(pic->Pixel(b.frame.left, midY), RGB(0, 0, 0)) << r;
        EXPECT_EQ(pic->Pixel(b.frame.left + 20, b.frame.top), RGB(0, 0, 0)) << r;
        EXPECT_EQ(pic->Pixel(b.frame.right - 1, midY), shadow) << r;
        EXPECT_EQ(pic->Pixel(b.frame.left + 20, b.frame.bottom - 1), shadow) << r;
        if (percents[r] == 0) {
            EXPECT_EQ(pic->Count(highlight, b.inner), 0);
            EXPECT_EQ(pic->Count(text, b.inner), 0) << "an empty bar shows no text";
            EXPECT_EQ(pic->Pixel(b.inner.left + 3, b.inner.top + 1), RGB(224, 224, 224));
        } else {
            EXPECT_EQ(pic->Pixel(b.inner.left, b.inner.top + 1), highlight) << r;
            EXPECT_EQ(pic->Pixel(b.barRight - 1, b.inner.top + 1), highlight) << r;
            if (percents[r] < 100)
                EXPECT_EQ(pic->Pixel(b.barRight, b.inner.top + 1), RGB(224, 224, 224)) << r;
            const RECT barArea{b.inner.left, b.inner.top, b.barRight, b.inner.bottom};
            const RECT restArea{b.barRight, b.inner.top, b.inner.right, b.inner.bottom};
            EXPECT_GT(pic->Count(highText, barArea) + pic->Count(text, restArea), 10) << "percent text " << r;
        }
    }
    // At 100 the bar ends right before the frame's right edge.
    const Bar full = ExpectedBar(Cell(f.list, 2, 1), 100);
    EXPECT_EQ(full.barRight, full.frame.right - 1);
}

TEST(XListDrawing, ProgressTextFormats)
{
    // Same cell width, same percent: the default format and a plain word that reads the same
    // draw the same picture; a different word draws a different one; a format asking for a
    // string is shown as written.
    ListFixture f(2, 150);
    AddRows(f.list, 4);
    const char* texts[] = {nullptr, "42%", "Done", "%s"};
    for (int r = 0; r < 4; ++r) {
        f.list.SetCellProgress(r, 1, TRUE, texts[r]);
        f.list.SetCellProgressPercent(r, 1, 42);
    }
    auto pic = RenderClient(f.list.Handle());
    auto rowPixels = [&](int r) {
        const RECT c = Cell(f.list, r, 1);
        std::string s;
        for (int y = c.top; y < c.bottom; ++y)
            for (int x = c.left; x < c.right; ++x)
                s += std::to_string(pic->Pixel(x, y)) + ",";
        return s;
    };
    EXPECT_EQ(rowPixels(0), rowPixels(1));
    EXPECT_NE(rowPixels(0), rowPixels(2));
    EXPECT_NE(rowPixels(0), rowPixels(3));
    EXPECT_NE(rowPixels(2), rowPixels(3));
}

namespace
{
struct SelectionCase {
    const char* name;
    bool fullRow;
    bool focus;
    bool showAlways;
    COLORREF col0Back;
    COLORREF col1Back;
};
} // namespace

TEST(XListDrawing, SelectionColours)
{
    const COLORREF high = ::GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const SelectionCase cases[] = {
        {"full row, focus", true, true, true, high, high},
        {"column 0 only, focus", false, true, true, high, kGreen},
        {"full row, no focus, show always", true, false, true, face, face},
        {"full row, no focus", true, false, false, kGreen, kGreen},
    };
    for (const SelectionCase& c : cases) {
        ListFixture f(3, 120, c.showAlways ? LVS_SHOWSELALWAYS : 0);
        if (c.fullRow)
            f.list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
        f.list.InsertItem(0, "a", kRed, kGreen);
        f.list.SetItemText(0, 1, "b", kRed, kGreen);
        f.list.InsertItem(1, "c");
        f.list.SelectRow(0, FALSE);
        if (c.focus)
            ::SetFocus(f.list.Handle());
        else
            ::SetFocus(f.host.Handle());
        ASSERT_EQ(::GetFocus() == f.list.Handle(), c.focus) << c.name;
        auto pic = RenderClient(f.list.Handle());
        const RECT c0 = Cell(f.list, 0, 0), c1 = Cell(f.list, 0, 1);
        EXPECT_EQ(pic->Pixel(c0.left + 2, c0.top + 2), c.col0Back) << c.name;
        EXPECT_EQ(pic->Pixel(c1.left + 2, c1.top + 2), c.col1Back) << c.name;
    }
}

TEST(XListDrawing, EmptyListMessageTenPixelsBelowTheHeader)
{
    ListFixture f;
    const COLORREF back = RGB(10, 20, 30);
    ::SendMessageA(f.list.Handle(), LVM_SETBKCOLOR, 0, back);
    auto pic = RenderClient(f.list.Handle());
    pic->SaveBmp(harness::ShotPath("xlist_empty.bmp"));
    RECT item{};
    ::SendMessageA(f.list.Header().Handle(), HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const RECT header = f.list.Header().Ref().RectIn(f.list.Handle());
    ASSERT_GT(item.bottom, 0);
    const int top = static_cast<int>(f.list.Ref().RectIn(f.list.Handle()).top) + item.bottom + 10;
    EXPECT_EQ(pic->Pixel(300, top - 1), back);
    EXPECT_EQ(pic->Pixel(300, top), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(pic->Pixel(5, top + 40), ::GetSysColor(COLOR_WINDOW));
    const RECT textBand{0, top, 600, top + 30};
    EXPECT_GT(pic->Count(::GetSysColor(COLOR_WINDOWTEXT), textBand), 30);
    // centred: ink on both halves, none at the far edges
    EXPECT_GT(pic->Count(::GetSysColor(COLOR_WINDOWTEXT), RECT{0, top, 300, top + 30}), 10);
    EXPECT_GT(pic->Count(::GetSysColor(COLOR_WINDOWTEXT), RECT{300, top, 600, top + 30}), 10);
    EXPECT_EQ(pic->Count(::GetSysColor(COLOR_WINDOWTEXT), RECT{0, top, 60, top + 30}), 0);
    (void)header;

    f.list.InsertItem(0, "now a row");
    auto withRow = RenderClient(f.list.Handle());
    EXPECT_EQ(withRow->Count(::GetSysColor(COLOR_WINDOW), RECT{0, top, 600, top + 1}), 600)
        << "the message goes once there are rows";
}

TEST(XListDrawing, EraseLeavesRowsAlone)
{
    ListFixture f(2, 120);
    AddRows(f.list, 3);
    RECT client{};
    ::GetClientRect(f.list.Handle(), &client);
    Picture pic(client.right, client.bottom);
    const RECT all{0, 0, client.right, client.bottom};
    UniqueBrush marker(::CreateSolidBrush(kRed));
    ::FillRect(pic.DC(), &all, marker.Get());
    ::SendMessageA(f.list.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(pic.DC()), 0);
    const RECT row0 = Cell(f.list, 0, 0), row2 = Cell(f.list, 2, 1);
    EXPECT_EQ(pic.Pixel(row0.left + 3, row0.top + 3), kRed) << "under a row nothing is erased";
    EXPECT_EQ(pic.Pixel(row2.right - 3, row2.bottom - 3), kRed);
    EXPECT_EQ(pic.Pixel(row2.right + 5, row0.top + 3), ::GetSysColor(COLOR_WINDOW)) << "right of the rows";
    EXPECT_EQ(pic.Pixel(10, row2.bottom + 5), ::GetSysColor(COLOR_WINDOW)) << "below the rows";
    EXPECT_EQ(pic.Pixel(10, row0.top - 1), ::GetSysColor(COLOR_WINDOW)) << "above the rows";
}

TEST(XHeaderDrawing, CheckBoxSixInsideAndTitleTwentyFiveInside)
{
    ListFixture f(3, 150);
    AddRows(f.list, 1);
    const HWND header = f.list.Header().Handle();
    ASSERT_TRUE(f.list.SetHeaderCheck(1, 2));
    ASSERT_TRUE(f.list.SetHeaderCheck(2, 0));
    auto pic = harness::RenderPaint(header);
    pic->SaveBmp(harness::ShotPath("xheader_check.bmp"));
    RECT item1{}, item2{};
    ::SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item1));
    ::SendMessageA(header, HDM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item2));
    const int boxTop = static_cast<int>(item1.top) + (item1.bottom - item1.top - 13) / 2;
    const int boxLeft = item1.left + 6;
    EXPECT_EQ(pic->Pixel(boxLeft, boxTop + 6), kFrame);
    EXPECT_EQ(pic->Pixel(boxLeft + 12, boxTop + 6), kFrame);
    EXPECT_EQ(pic->Pixel(boxLeft + 6, boxTop), kFrame);
    EXPECT_EQ(pic->Pixel(boxLeft + 6, boxTop + 12), kFrame);
    EXPECT_NE(pic->Pixel(boxLeft - 1, boxTop + 6), kFrame);
    EXPECT_EQ(pic->Count(kMark, RECT{boxLeft, boxTop, boxLeft + 13, boxTop + 13}), 21);

    const COLORREF ink = ::GetSysColor(COLOR_BTNTEXT);
    const RECT title1{item1.left + 20, item1.top + 2, item1.right - 3, item1.bottom - 2};
    const int first1 = LeftmostOf(*pic, ink, title1);
    EXPECT_GE(first1, item1.left + 25);
    EXPECT_LE(first1, item1.left + 27);
    const RECT title2{item2.left + 1, item2.top + 2, item2.right - 3, item2.bottom - 2};
    const int first2 = LeftmostOf(*pic, ink, title2);
    EXPECT_GE(first2, item2.left + 6);
    EXPECT_LE(first2, item2.left + 8);
    EXPECT_EQ(pic->Count(kFrame, item2), 0);

    // Dividers between items, none after the last; a 3D frame around the items.
    const COLORREF shadow = ::GetSysColor(COLOR_3DSHADOW);
    const int midY = (item1.top + item1.bottom) / 2;
    EXPECT_EQ(pic->Pixel(item1.right - 1, midY), shadow);
    EXPECT_EQ(pic->Pixel(item1.right, midY), ::GetSysColor(COLOR_3DHIGHLIGHT));
    EXPECT_EQ(pic->Pixel(item2.right - 1, midY), shadow) << "frame's right edge";
    EXPECT_EQ(pic->Pixel(item2.right, midY), ::GetSysColor(COLOR_3DFACE)) << "nothing after the last item";
}

TEST(XListDrawing, ImageBeforeTheTextAndGreyTextOfADisabledRow)
{
    ListFixture f(3, 150);
    const COLORREF imageColour = RGB(250, 0, 250);
    UniqueImageList images(::ImageList_Create(16, 16, ILC_COLOR24, 1, 1));
    {
        UniqueMemDC dc(::CreateCompatibleDC(nullptr));
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = 16;
        bi.bmiHeader.biHeight = 16;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        UniqueBitmap bitmap(::CreateDIBSection(dc.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        {
            SelectGuard select(dc.Get(), bitmap.Get());
            const RECT all{0, 0, 16, 16};
            UniqueBrush brush(::CreateSolidBrush(imageColour));
            ::FillRect(dc.Get(), &all, brush.Get());
        }
        ASSERT_EQ(::ImageList_Add(images.Get(), bitmap.Get(), nullptr), 0);
    }
    ::SendMessageA(f.list.Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.Get()));
    AddRows(f.list, 2);
    f.list.SetItemText(0, 1, "Pictured", kRed, kGreen);
    f.list.SetCellImage(0, 1, 0);
    f.list.SetItemText(1, 1, "Greyed", kRed, kGreen);
    f.list.EnableRow(1, FALSE);
    auto pic = RenderClient(f.list.Handle());
    pic->SaveBmp(harness::ShotPath("xlist_image.bmp"));

    const RECT cell = Cell(f.list, 0, 1);
    EXPECT_EQ(LeftmostOf(*pic, imageColour, cell), cell.left + 6);
    EXPECT_EQ(pic->Count(imageColour, cell), 16 * std::min<int>(16, cell.bottom - cell.top));
    const int text = LeftmostOf(*pic, kRed, cell);
    EXPECT_GE(text, cell.left + 16 + 6 + 5);
    EXPECT_LE(text, cell.left + 16 + 6 + 5 + 2);

    const RECT grey = Cell(f.list, 1, 1);
    EXPECT_EQ(pic->Count(kRed, grey), 0);
    EXPECT_GT(pic->Count(::GetSysColor(COLOR_GRAYTEXT), grey), 10);
    EXPECT_EQ(pic->Pixel(grey.left + 2, grey.top + 2), kGreen);
    ::SendMessageA(f.list.Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, 0);
}
