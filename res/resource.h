// Resource ids shared by the templates and the code. Each dialog's control ids are kept with its
// template in res/<Dialog>.h.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDI_TASVRIN 128
#define IDB_BANNER 129

#define IDD_ABOUTBOX 100
#define IDD_TASVRIN_DIALOG 102
#define IDD_THEME 130
#define IDD_MULTIPLE_DOWN 131
#define IDD_DOWNLOADER 132
#define IDD_CONVERTER 133
#define IDD_URLMSG 141
