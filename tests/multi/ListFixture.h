// A top-level host window with one extended list as its child, recording what the list tells it.
#pragma once

#include "framework/Window.h"
#include "multi/XListCtrl.h"

#include <commctrl.h>

#include <memory>
#include <utility>
#include <vector>

class ListHost : public Window
{
public:
    std::vector<std::pair<int, int>> checkClicks; // (row, column) of WM_XLISTCTRL_CHECKBOX_CLICKED
    std::vector<int> columnClicks;                // columns of LVN_COLUMNCLICK
    int clicks = 0;                               // NM_CLICK

    void Reset()
    {
        checkClicks.clear();
        columnClicks.clear();
        clicks = 0;
    }
    // One host for the whole program: destroying a top-level window takes seconds under Wine.
    static ListHost& Shared()
    {
        static ListHost* host = [] {
            auto* h = new ListHost;
            h->Open();
            return h;
        }();
        host->Reset();
        return *host;
    }
    bool Open(int width = 640, int height = 400)
    {
        RegisterWindowClass("TasvrinTestListHost", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
        return Create(0, "TasvrinTestListHost", "list host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                      RECT{0, 0, width, height}, nullptr, 0);
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override
    {
        if (msg == WM_XLISTCTRL_CHECKBOX_CLICKED) {
            checkClicks.emplace_back(static_cast<int>(w), static_cast<int>(l));
            return 0;
        }
        if (msg == WM_NOTIFY) {
            LRESULT reflected = 0;
            if (ReflectToChild(m_hwnd, msg, w, l, reflected))
                return reflected;
            const auto* header = reinterpret_cast<const NMHDR*>(l);
            if (header->code == LVN_COLUMNCLICK)
                columnClicks.push_back(reinterpret_cast<const NMLISTVIEW*>(l)->iSubItem);
            if (header->code == NM_CLICK)
                ++clicks;
            return 0;
        }
        return Window::WindowProc(msg, w, l);
    }
};

// A host with a list of `columns` columns of `width` pixels each, in report view.
struct ListFixture {
    ListHost& host = ListHost::Shared();
    CXListCtrl list;

    explicit ListFixture(int columns = 3, int width = 120, DWORD style = LVS_SHOWSELALWAYS, DWORD exStyle = 0)
    {
        list.Create(WS_CHILD | WS_VISIBLE | style, RECT{0, 0, 600, 360}, host.Handle(), 1085, exStyle);
        list.Ref().SetFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
        static const char* titles[] = {"First", "Second", "Third", "Fourth", "Fifth"};
        for (int c = 0; c < columns; ++c)
            list.InsertColumn(c, titles[c % 5], LVCFMT_LEFT, width);
    }
    ~ListFixture() { list.DestroyWindow(); }
};
