// The multiple download page on a test window: its list, its rows and its commands.
#include "ListFixture.h"

#include "app/Globals.h"
#include "download/DownloadSlots.h"
#include "multi/MultipleDownPage.h"
#include "res/MultipleDownPage.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
constexpr COLORREF kTitleBack = RGB(210, 221, 244);
constexpr COLORREF kStatusBack = RGB(255, 230, 162);

// Puts the slot table back as it was when the test ends.
class SlotsGuard
{
public:
    SlotsGuard()
    {
        for (int i = 0; i < kDownloadSlotCount; ++i) {
            m_saved[i] = {g_DownloadSlots[i].m_bInUse.load(), g_DownloadSlots[i].m_dwEnginePid.load(),
                          g_DownloadSlots[i].GetStopFlag()};
            g_DownloadSlots[i].m_bInUse = 0;
            g_DownloadSlots[i].m_dwEnginePid = 0;
            g_DownloadSlots[i].SetStopFlag(0);
        }
        m_current = g_nCurrentSlot.load();
    }
    ~SlotsGuard()
    {
        for (int i = 0; i < kDownloadSlotCount; ++i) {
            g_DownloadSlots[i].m_bInUse = m_saved[i].inUse;
            g_DownloadSlots[i].m_dwEnginePid = m_saved[i].pid;
            g_DownloadSlots[i].SetStopFlag(m_saved[i].stop);
        }
        g_nCurrentSlot = m_current;
    }

private:
    struct Saved {
        LONG inUse;
        DWORD pid;
        LONG stop;
    } m_saved[kDownloadSlotCount];
    LONG m_current;
};

struct PageFixture {
    ListHost& host = ListHost::Shared();
    SlotsGuard slots;
    MultipleDownPage page;
    PageFixture() { page.CreateModeless(host.Handle()); }
    ~PageFixture() { page.DestroyWindow(); }
    CXListCtrl& List() { return *page.List(); }
    std::vector<std::string> Column(int col)
    {
        std::vector<std::string> texts;
        for (int r = 0; r < List().GetItemCount(); ++r)
            texts.push_back(List().GetItemText(r, col));
        return texts;
    }
    void Select(std::initializer_list<int> rows)
    {
        for (int r : rows)
            ListView_SetItemState(List().Handle(), r, LVIS_SELECTED, LVIS_SELECTED);
    }
};

void UseSlot(int index, DWORD pid, bool inUse)
{
    g_DownloadSlots[index].m_dwEnginePid = pid;
    g_DownloadSlots[index].m_bInUse = inUse ? 1 : 0;
}
} // namespace

TEST(MultiPage, ListLayoutColumnsAndFont)
{
    PageFixture f;
    ASSERT_TRUE(f.page.List() && f.List().Handle());
    EXPECT_TRUE(f.List().HeaderAttached());
    EXPECT_EQ(f.List().GetColumnCount(), 2);
    EXPECT_EQ(f.List().GetColumnWidth(0), 399);
    EXPECT_EQ(f.List().GetColumnWidth(1), 800);
    char title[32] = {};
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = title;
    column.cchTextMax = sizeof(title);
    ListView_GetColumn(f.List().Handle(), 0, &column);
    EXPECT_STREQ(title, "Video");
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    ListView_GetColumn(f.List().Handle(), 1, &column);
    EXPECT_STREQ(title, "Speed");

    const RECT button = f.page.Item(IDC_DELETE_TASK).RectIn(f.page.Handle());
    const RECT list = f.List().Ref().RectIn(f.page.Handle());
    EXPECT_EQ(list.left, 0);
    EXPECT_EQ(list.top, button.bottom + 12);
    EXPECT_EQ(f.List().GetExtendedStyle() & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES),
              static_cast<DWORD>(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES));
    EXPECT_TRUE(f.List().ToolTipWindow());

    LOGFONTA pageFont{}, listFont{};
    ::GetObjectA(f.page.Ref().GetFont(), sizeof(pageFont), &pageFont);
    ::GetObjectA(f.List().Ref().GetFont(), sizeof(listFont), &listFont);
    EXPECT_NE(pageFont.lfHeight, 0);
    EXPECT_EQ(listFont.lfHeight, pageFont.lfHeight * 2);
    EXPECT_STREQ(listFont.lfFaceName, pageFont.lfFaceName);
}

TEST(MultiPage, RowsCarryTitleAndStatusInTheirColours)
{
    PageFixture f;
    f.page.AddTaskRow("MP3:  First song", 101);
    f.page.AddTaskRow("Video:  Second clip", 202);
    EXPECT_EQ(f.Column(0), (std::vector<std::string>{"MP3:  First song", "Video:  Second clip"}));
    EXPECT_EQ(f.List().GetItemData(0), 101u);
    EXPECT_EQ(f.List().GetItemData(1), 202u);
    COLORREF t = 1, b = 1;
    f.List().GetCellColors(1, 0, t, b);
    EXPECT_EQ(t, RGB(0, 0, 0));
    EXPECT_EQ(b, kTitleBack);
    f.List().GetCellColors(1, 1, t, b);
    EXPECT_EQ(b, ::GetSysColor(COLOR_WINDOW)) << "no status yet";

    f.page.SetTaskStatus("Download Video: 42.0%", 202);
    EXPECT_EQ(f.Column(1), (std::vector<std::string>{"", "Download Video: 42.0%"}));
    f.List().GetCellColors(1, 1, t, b);
    EXPECT_EQ(t, RGB(0, 0, 0));
    EXPECT_EQ(b, kStatusBack);

    auto pic = harness::RenderClient(f.List().Handle());
    pic->SaveBmp(harness::ShotPath("multipage_rows.bmp"));
    RECT c0{}, c1{};
    f.List().GetCellRect(1, 0, LVIR_BOUNDS, c0);
    f.List().GetCellRect(1, 1, LVIR_BOUNDS, c1);
    EXPECT_EQ(pic->Pixel(c0.right - 3, c0.top + 2), kTitleBack);
    EXPECT_EQ(pic->Pixel(c1.left + 3, c1.top + 2), kStatusBack);
    RECT text1 = c1;
    text1.right = std::min<LONG>(text1.right, text1.left + 120);
    int dark = 0; // the large font is smoothed: count near-black pixels
    for (int y = text1.top; y < text1.bottom; ++y)
        for (int x = text1.left; x < text1.right; ++x) {
            const COLORREF p = pic->Pixel(x, y);
            dark += GetRValue(p) < 0x50 && GetGValue(p) < 0x50 && GetBValue(p) < 0x50;
        }
    EXPECT_GT(dark, 30) << "black status text";
    RECT other{};
    f.List().GetCellRect(0, 1, LVIR_BOUNDS, other);
    EXPECT_EQ(pic->Count(kStatusBack, other), 0);

    f.page.SetTaskStatus("Download Finished.", 999); // no such row
    EXPECT_EQ(f.Column(1), (std::vector<std::string>{"", "Download Video: 42.0%"}));
}

TEST(MultiPage, DeleteWithoutSelectionAsksAndChangesNothing)
{
    PageFixture f;
    f.page.AddTaskRow("MP3:  a", 11);
    UseSlot(0, 11, true);
    harness::BoxResponder responder;
    responder.SetFallback(IDOK);
    f.page.OnDelete();
    ASSERT_TRUE(responder.WaitForCount(1));
    const auto seen = responder.Seen();
    EXPECT_EQ(seen[0].text, "Plesae select a downloading task.");
    EXPECT_EQ(seen[0].caption, g_strAppName);
    EXPECT_EQ(seen[0].owner, ::GetAncestor(f.page.Handle(), GA_ROOT));
    EXPECT_EQ(f.List().GetItemCount(), 1);
    EXPECT_EQ(g_DownloadSlots[0].GetStopFlag(), 0);
}

TEST(MultiPage, DeleteStopsAndRemovesOnlyTheLowestSelectedRow)
{
    PageFixture f;
    f.page.AddTaskRow("MP3:  a", 11);
    f.page.AddTaskRow("Video:  b", 22);
    f.page.AddTaskRow("Video:  c", 33);
    UseSlot(3, 11, true);
    UseSlot(5, 22, true);
    UseSlot(7, 33, true);
    UseSlot(8, 22, true); // a second slot with the same id: only the first is stopped
    f.Select({1, 2});
    f.page.Item(IDC_DELETE_TASK).Send(BM_CLICK);
    EXPECT_EQ(f.Column(0), (std::vector<std::string>{"MP3:  a", "Video:  c"}));
    EXPECT_EQ(g_DownloadSlots[5].GetStopFlag(), 1);
    EXPECT_EQ(g_DownloadSlots[8].GetStopFlag(), 0);
    EXPECT_EQ(g_DownloadSlots[3].GetStopFlag(), 0);
    EXPECT_EQ(g_DownloadSlots[7].GetStopFlag(), 0);

    // Reports for the deleted task change no row.
    f.page.SetTaskStatus("Download Video: 50.0%", 22);
    f.page.SetTaskStatus("Download Finished.", 22);
    EXPECT_EQ(f.Column(1), (std::vector<std::string>{"", ""}));
}

TEST(MultiPage, DeleteOnAFinishedTaskStopsNothing)
{
    PageFixture f;
    f.page.AddTaskRow("MP3:  done", 44);
    f.page.SetTaskStatus("Download Finished.", 44);
    UseSlot(2, 44, false); // the worker has freed its slot
    f.Select({0});
    f.page.OnDelete();
    EXPECT_EQ(f.List().GetItemCount(), 0);
    for (int i = 0; i < kDownloadSlotCount; ++i)
        EXPECT_EQ(g_DownloadSlots[i].GetStopFlag(), 0) << i;
}

TEST(MultiPage, RemoveCurrentTaskRowFollowsTheCurrentSlot)
{
    PageFixture f;
    f.page.AddTaskRow("MP3:  a", 11);
    f.page.AddTaskRow("MP3:  b", 22);
    UseSlot(6, 22, true);
    g_nCurrentSlot = 6;
    f.page.RemoveCurrentTaskRow();
    EXPECT_EQ(f.Column(0), (std::vector<std::string>{"MP3:  a"}));
    f.page.RemoveCurrentTaskRow(); // no such row any more
    EXPECT_EQ(f.List().GetItemCount(), 1);
}

TEST(MultiPage, ActivationAndThemeBackground)
{
    PageFixture f;
    g_nLastActivePage = 0;
    EXPECT_TRUE(f.page.OnSetActive());
    EXPECT_EQ(g_nLastActivePage.load(), 1);

    const int saved[] = {g_nR, g_nG, g_nB};
    g_nR = 0x112; // only the low bytes count
    g_nG = 0x34;
    g_nB = 0x56;
    RECT client{};
    ::GetClientRect(f.page.Handle(), &client);
    harness::Picture pic(client.right, client.bottom);
    EXPECT_TRUE(::SendMessageA(f.page.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(pic.DC()), 0));
    EXPECT_EQ(pic.Pixel(client.right / 2, client.bottom - 2), RGB(0x12, 0x34, 0x56));
    g_nR = saved[0];
    g_nG = saved[1];
    g_nB = saved[2];
}
