#include "app/UrlMsgDlg.h"
#include "download/DownloaderPage.h"
#include "framework/EditBrowse.h"
#include "res/DownloaderPage.h"
#include "res/SmallDialogs.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

TEST(UrlHelp, ShowsItsEightTexts)
{
    UrlMsgDlg help;
    ASSERT_TRUE(help.CreateModeless(nullptr));
    struct Text {
        int id;
        std::string text;
    } texts[] = {
        {IDC_URLMSG_EMPTY, "Video URL box is Empty!"},
        {IDC_URLMSG_PLEASE, "Please either Paste an Url or Input a keyword in the Video URL box:"},
        {IDC_URLMSG_OPTION1, "Option1:"},
        {IDC_URLMSG_PASTE, std::string("Paste url like: ") + kExampleWatchUrl},
        {IDC_URLMSG_COPY,
         std::string("You can copy such URLs from your Browser when you visit ") + kVideoSiteDomain + "."},
        {IDC_URLMSG_OPTION2, "Option2:"},
        {IDC_URLMSG_KEYWORDS, "Input keywords like: best song, Quillon, traditional music, etc."},
        {IDC_URLMSG_SEARCH,
         "Then our software will search youtube with such keywords, then download the video/music best matches."},
    };
    for (const Text& t : texts)
        EXPECT_EQ(harness::Text(::GetDlgItem(help.Handle(), t.id)), t.text) << t.id;
    EXPECT_EQ(harness::Text(help.Handle()), "Input a correct URL or Keyword");
    EXPECT_EQ(harness::Text(::GetDlgItem(help.Handle(), IDOK)), "OK");
    ::DestroyWindow(help.Handle());
}

TEST(EditBrowse, BrowseButtonTakesTheRightEndOfTheBox)
{
    HWND edit = ::CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "C:\\Video", WS_POPUP | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0,
                                  300, 24, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    RECT before;
    ::GetClientRect(edit, &before);
    EditBrowse box;
    ASSERT_TRUE(box.Subclass(edit));
    const RECT off = box.ButtonRect();
    EXPECT_TRUE(::IsRectEmpty(&off));
    box.EnableFolderBrowseButton();
    RECT after;
    ::GetClientRect(edit, &after);
    const RECT button = box.ButtonRect();
    EXPECT_EQ(before.right - after.right, button.right - button.left);
    EXPECT_GT(button.right - button.left, 0);
    EXPECT_EQ(after.bottom, before.bottom);
    EXPECT_EQ(harness::Text(edit), "C:\\Video"); // the text is untouched
    // A click on the button is the box's own, not a click into the text.
    RECT window;
    ::GetWindowRect(edit, &window);
    const LRESULT hit = ::SendMessageA(
        edit, WM_NCHITTEST, 0,
        MAKELPARAM(window.left + (button.left + button.right) / 2, window.top + (button.top + button.bottom) / 2));
    EXPECT_EQ(hit, HTBORDER);
    box.EnableFolderBrowseButton({}, false);
    ::GetClientRect(edit, &after);
    EXPECT_EQ(after.right, before.right);
    box.Detach();
    ::DestroyWindow(edit);
}

} // namespace
