#include "app/AboutDlg.h"
#include "app/Globals.h"
#include "app/ShellOpen.h"
#include "controls/Hyperlink.h"
#include "res/SmallDialogs.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{

constexpr COLORREF kNormal = RGB(220, 220, 255);
constexpr COLORREF kHover = RGB(255, 220, 120);
constexpr COLORREF kVisited = RGB(200, 200, 255);

// The About box hosts a real link bound to its button; shell opens are recorded.
class Hyperlink : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetShellOpenHook([this](const std::string& verb, const std::string& target) {
            opened.emplace_back(verb, target);
            return true;
        });
        ASSERT_TRUE(about.CreateModeless(nullptr));
        ::ShowWindow(about.Handle(), SW_SHOWNOACTIVATE);
        link = ::GetDlgItem(about.Handle(), IDC_ABOUT_LINK);
        ASSERT_EQ(Window::FromHandle(link), &about.Link());
    }
    void TearDown() override
    {
        ::DestroyWindow(about.Handle());
        SetShellOpenHook({});
    }

    int Pixels(COLORREF colour)
    {
        auto picture = harness::RenderPaint(link);
        return picture->Count(colour, RECT{0, 0, picture->Width(), picture->Height()});
    }

    CAboutDlg about;
    HWND link = nullptr;
    std::vector<std::pair<std::string, std::string>> opened;
};

TEST_F(Hyperlink, DrawsInNormalHoverAndVisitedColours)
{
    CHyperlink& l = about.Link();
    l.SetLinkColours(kNormal, kHover, kVisited);
    const int normal = Pixels(kNormal);
    EXPECT_GT(normal, 10);
    EXPECT_EQ(Pixels(kHover), 0);
    EXPECT_EQ(Pixels(kVisited), 0);

    // Pointer over the link: hover colour, underlined (more ink than without the line).
    ::SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(l.IsHovering());
    const int hover = Pixels(kHover);
    EXPECT_GT(hover, normal);
    EXPECT_EQ(Pixels(kNormal), 0);

    // Clicked, then the pointer leaves: visited colour, no underline.
    harness::Click(link);
    ::SendMessageA(link, WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(l.IsVisited());
    EXPECT_EQ(Pixels(kVisited), normal);
    EXPECT_EQ(Pixels(kHover), 0);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], std::make_pair(std::string("open"), g_strSiteBase));

    // The background behind the caption is the dialog's own.
    auto picture = harness::RenderPaint(link);
    EXPECT_EQ(picture->Pixel(0, 0), ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(Hyperlink, SpaceOpensTheLinkLikeEnter)
{
    ::SetFocus(link);
    harness::PressKey(link, VK_SPACE);
    harness::PumpUntil([&] { return !opened.empty(); }, 2000);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(about.Link().IsVisited());
    harness::PressKey(link, VK_RETURN);
    harness::PumpUntil([&] { return opened.size() > 1; }, 2000);
    harness::PumpFor(50);
    ASSERT_EQ(opened.size(), 2u); // one open per key press
    EXPECT_EQ(opened[1].second, g_strSiteBase);
    // Other keys do nothing.
    harness::PressKey(link, 'A');
    harness::PumpFor(50);
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(Hyperlink, FirstDrawTakesTheParentFontAndSizingKeepsTheCorner)
{
    CHyperlink& l = about.Link();
    l.SetLinkFont("Courier New", -30, true, true);
    EXPECT_TRUE(l.IsLinkFontBold());
    EXPECT_TRUE(l.IsLinkFontItalic());
    Pixels(kNormal); // first draw
    LOGFONTA parent{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(about.Handle(), WM_GETFONT, 0, 0)), sizeof(parent), &parent);
    EXPECT_STREQ(l.GetLinkLogFont().lfFaceName, parent.lfFaceName);
    EXPECT_EQ(l.GetLinkLogFont().lfHeight, parent.lfHeight);
    EXPECT_FALSE(l.IsLinkFontBold());
    EXPECT_FALSE(l.IsLinkFontItalic());
    EXPECT_EQ(l.GetLinkFontPoints(), 8);

    // A longer caption: the size follows it, the top-left corner stays.
    const RECT before = WindowRef(link).RectIn(about.Handle());
    harness::SetText(link, "A much longer caption for the link");
    const SIZE size = l.SizeToContent(false, false);
    const RECT after = WindowRef(link).RectIn(about.Handle());
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, size.cx);
    EXPECT_GT(size.cx, before.right - before.left);

    EXPECT_FALSE(l.SetTextAlignment(3));
    EXPECT_EQ(l.GetTextAlignment(), 0);
    EXPECT_TRUE(l.SetTextAlignment(1));
    EXPECT_EQ(l.GetTextAlignment(), 1);
}

TEST_F(Hyperlink, HandCursorOverTheLink)
{
    ::SendMessageA(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_HAND));
}

TEST(HyperlinkFace, ShellDialogFaceIsReportedAsItsSubstitute)
{
    CHyperlink l;
    char value[64] = {};
    DWORD size = sizeof(value);
    const bool known =
        ::RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
                       "MS Shell Dlg", RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS;
    l.SetLinkFont("MS Shell Dlg", -11, false, false);
    EXPECT_EQ(l.GetLinkFontFace(), known ? std::string(value) : std::string("MS Shell Dlg"));
    l.SetLinkFont("Arial", -11, false, false);
    EXPECT_EQ(l.GetLinkFontFace(), "Arial");
    l.SetLinkFont("A face name far longer than thirty-one characters", -11, false, false);
    EXPECT_EQ(std::string(l.GetLinkLogFont().lfFaceName).size(), 31u);
}

} // namespace
