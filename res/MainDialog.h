// Controls of the main window (template 102).
#pragma once
#define IDC_HELP_BUTTON 1010
#define IDC_UPDATE 1011
#define IDC_PROMO_LINK 1012
#define IDC_BANNER 1014
#define IDC_SKIN 1015
#define IDC_SHEET_PLACE 1023
#define IDM_ABOUTBOX 16
