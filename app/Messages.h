// Messages that download workers post to the download page (wParam and lParam as noted).
#pragma once

#include <windows.h>

constexpr UINT WM_GRAB_STATUS = WM_USER + 160;  // wParam: the CWebGrab that queued a record
constexpr UINT WM_JOB_FINISHED = WM_USER + 161; // wParam: slot
constexpr UINT WM_JOB_PROGRESS = WM_USER + 162; // wParam: -1, 0..1000 or const char*; lParam: slot
constexpr UINT WM_JOB_STARTED = WM_USER + 163;  // lParam: slot
