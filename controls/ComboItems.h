// What the advanced combo box and its drop-down parts share: the item record, the look flags and
// the private messages they exchange.
#pragma once

#include <windows.h>

#include <list>
#include <string>

// One entry of a combo box's list.
struct ComboItem {
    std::string text;
    int disabled = 0; // skipped by keyboard and mouse selection and by previous/next
    int check = 0;    // stored and returned only
    ULONGLONG data = 0;
};
using ComboItemList = std::list<ComboItem>;

// Look flags.
constexpr DWORD CBX_FLUSHEDIT = 0x1;
constexpr DWORD CBX_INSETEDIT = 0x2;
constexpr DWORD CBX_CHECKROOM = 0x4; // each drop-down row is measured 14 pixels wider
constexpr DWORD CBX_AUTOAPPEND = 0x8;
constexpr DWORD CBX_AUTOSUGGEST = 0x10;

// Private messages between the combo and its drop-down window, list and scroll bar.
constexpr UINT WM_DROP_PICK = WM_USER + 1;        // wParam: row of the drop-down list chosen
constexpr UINT WM_DROP_CLOSE = WM_USER + 2;       // close the drop-down
constexpr UINT WM_DROP_TAKECAPTURE = WM_USER + 3; // the receiver captures the mouse
constexpr UINT WM_DROP_GIVECAPTURE = WM_USER + 4; // the receiver releases the capture
constexpr UINT WM_DROP_TOGGLE = WM_USER + 101;    // open when closed, close when open

// Child ids of the drop-down window.
constexpr int kDropScrollBarId = 100;
constexpr int kDropListBoxId = 101;
constexpr int kDropWindowId = 6;
