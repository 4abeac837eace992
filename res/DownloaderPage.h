// Controls of the download page (template 132).
#pragma once
#define IDC_QUALITY 1001
#define IDC_URL 1002
#define IDC_SAVE_TO 1003
#define IDC_DOWNLOAD 1004
#define IDC_OPEN 1005
#define IDC_PROGRESS 1006
#define IDC_STATUS 1007
#define IDC_STOP 1009
#define IDC_ALSO_VIDEO 1019
#define IDC_MP3 1021
#define IDC_VIDEO 1022
#define IDC_CUE 1056
#define IDC_STATUS_GROUP 1083
#define IDC_TV_VIDEO 1086
