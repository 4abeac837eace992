// Controls of the multiple download page (template 131).
#pragma once
#define IDC_DELETE_TASK 1026
#define IDC_OPEN_FOLDER 1027
#define IDC_TASK_LIST 1085
