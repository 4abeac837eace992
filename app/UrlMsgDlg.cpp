#include "app/UrlMsgDlg.h"

#include "res/SmallDialogs.h"
#include "res/resource.h"

#include <string>

const char* const kExampleWatchUrl = "https://www.youtube.com/watch?v=dQw4w9WgXcQ";
const char* const kVideoSiteDomain = "youtube.com";

UrlMsgDlg::UrlMsgDlg() noexcept : DialogEx(IDD_URLMSG) {}

BOOL UrlMsgDlg::OnInitDialog() noexcept
{
    SetItemText(IDC_URLMSG_PASTE, std::string("Paste url like: ") + kExampleWatchUrl);
    SetItemText(IDC_URLMSG_EMPTY, "Video URL box is Empty!");
    SetItemText(IDC_URLMSG_PLEASE, "Please either Paste an Url or Input a keyword in the Video URL box:");
    SetItemText(IDC_URLMSG_OPTION1, "Option1:");
    SetItemText(IDC_URLMSG_COPY,
                std::string("You can copy such URLs from your Browser when you visit ") + kVideoSiteDomain + ".");
    SetItemText(IDC_URLMSG_OPTION2, "Option2:");
    SetItemText(IDC_URLMSG_KEYWORDS, "Input keywords like: best song, Quillon, traditional music, etc.");
    SetItemText(IDC_URLMSG_SEARCH, "Then our software will search youtube with such keywords, then download the "
                                   "video/music best matches.");
    return TRUE;
}
