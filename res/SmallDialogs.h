// Controls of the About box (template 100) and the URL help (template 141).
#pragma once
#define IDC_ABOUT_TEXT 1055
#define IDC_ABOUT_LINK 1080
#define IDC_URLMSG_EMPTY 1072
#define IDC_URLMSG_PLEASE 1073
#define IDC_URLMSG_OPTION1 1074
#define IDC_URLMSG_PASTE 1075
#define IDC_URLMSG_COPY 1076
#define IDC_URLMSG_OPTION2 1077
#define IDC_URLMSG_KEYWORDS 1078
#define IDC_URLMSG_SEARCH 1079
