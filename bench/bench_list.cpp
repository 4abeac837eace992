// Paint cost of the task list: the multiple download page's self-drawn list against the platform's
// own list view holding the same rows, same size and font, in the same run. Measures a full repaint
// (invalidate everything, update) and one status update (the page's SetTaskStatus against finding
// the row by its value and setting the text in the platform list), for 1,000 and 10,000 rows.
// Prints milliseconds per operation and the ratio self-drawn / platform.
#include "bench/BenchClock.h"
#include "framework/Window.h"
#include "multi/MultipleDownPage.h"
#include "multi/XListCtrl.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

class Host : public Window
{
public:
    bool Open()
    {
        RegisterWindowClass("TasvrinBenchListHost", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
        return Create(0, "TasvrinBenchListHost", "bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                      RECT{0, 0, 1250, 700}, nullptr, 0);
    }
};

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

double FullRepaint(HWND list, int times)
{
    std::vector<double> samples;
    for (int i = 0; i < times; ++i) {
        const double t0 = Now();
        ::InvalidateRect(list, nullptr, TRUE);
        ::UpdateWindow(list);
        samples.push_back(Now() - t0);
    }
    return Median(samples) * 1000.0;
}

struct Result {
    double fullSelf, fullPlatform, statusFirstSelf, statusFirstPlatform, statusLastSelf, statusLastPlatform;
};

Result Run(Host& host, int rows)
{
    MultipleDownPage page;
    page.CreateModeless(host.Handle());
    ::SetWindowPos(page.Handle(), nullptr, 0, 0, 620, 700, SWP_NOZORDER | SWP_SHOWWINDOW);
    CXListCtrl& self = *page.List();
    const RECT at = self.Ref().RectIn(page.Handle());

    // The platform's list: same size, style, columns, font and texts, no custom drawing.
    const HWND plain = ::CreateWindowExA(
        0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_ALIGNLEFT, 625, at.top,
        at.right - at.left, at.bottom - at.top, host.Handle(), nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(plain, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    ::SendMessageA(plain, WM_SETFONT, reinterpret_cast<WPARAM>(self.Ref().GetFont()), TRUE);
    const char* titles[] = {"Video", "Speed"};
    const int widths[] = {399, 800};
    for (int c = 0; c < 2; ++c) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = const_cast<char*>(titles[c]);
        column.cx = widths[c];
        ::SendMessageA(plain, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }

    ::SendMessageA(self.Handle(), WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(plain, WM_SETREDRAW, FALSE, 0);
    for (int r = 0; r < rows; ++r) {
        const std::string title = (r % 2 ? "MP3:  Song number " : "Video:  Clip number ") + std::to_string(r);
        const std::string status = "Download Video: " + std::to_string(r % 100) + ".0%";
        page.AddTaskRow(title, static_cast<DWORD>(1000 + r));
        page.SetTaskStatus(status, static_cast<DWORD>(1000 + r));
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = r;
        item.pszText = const_cast<char*>(title.c_str());
        item.lParam = 1000 + r;
        ::SendMessageA(plain, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = const_cast<char*>(status.c_str());
        ::SendMessageA(plain, LVM_SETITEMTEXTA, r, reinterpret_cast<LPARAM>(&item));
    }
    ::SendMessageA(self.Handle(), WM_SETREDRAW, TRUE, 0);
    ::SendMessageA(plain, WM_SETREDRAW, TRUE, 0);
    Pump();

    Result out{};
    FullRepaint(self.Handle(), 3); // warm both up
    FullRepaint(plain, 3);
    out.fullSelf = FullRepaint(self.Handle(), 25);
    out.fullPlatform = FullRepaint(plain, 25);

    auto statusSelf = [&](DWORD pid, int times) {
        std::vector<double> samples;
        for (int i = 0; i < times; ++i) {
            const std::string text =
                "Download Video: " + std::to_string(i % 1000 / 10) + "." + std::to_string(i % 10) + "%";
            const double t0 = Now();
            page.SetTaskStatus(text, pid);
            samples.push_back(Now() - t0);
        }
        return Median(samples) * 1000.0;
    };
    auto statusPlatform = [&](LPARAM pid, int times) {
        std::vector<double> samples;
        for (int i = 0; i < times; ++i) {
            const std::string text =
                "Download Video: " + std::to_string(i % 1000 / 10) + "." + std::to_string(i % 10) + "%";
            const double t0 = Now();
            LVFINDINFOA find{};
            find.flags = LVFI_PARAM;
            find.lParam = pid;
            const int row = static_cast<int>(
                ::SendMessageA(plain, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
            LVITEMA item{};
            item.iSubItem = 1;
            item.pszText = const_cast<char*>(text.c_str());
            ::SendMessageA(plain, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            ::UpdateWindow(plain);
            samples.push_back(Now() - t0);
        }
        return Median(samples) * 1000.0;
    };
    out.statusFirstSelf = statusSelf(1000, 100);
    out.statusFirstPlatform = statusPlatform(1000, 100);
    out.statusLastSelf = statusSelf(static_cast<DWORD>(1000 + rows - 1), 100);
    out.statusLastPlatform = statusPlatform(1000 + rows - 1, 100);

    ::DestroyWindow(plain);
    page.DestroyWindow();
    Pump();
    return out;
}

} // namespace

int main()
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    Host host;
    if (!host.Open()) {
        std::printf("bench_list: no window\n");
        return 1;
    }
    Pump();
    std::printf("list paint: self-drawn task list / platform list view, same rows, same run (ms, median)\n");
    for (int rows : {1000, 10000}) {
        const Result r = Run(host, rows);
        std::printf("rows %5d  full repaint      %8.3f / %8.3f  ratio %.2f\n", rows, r.fullSelf, r.fullPlatform,
                    r.fullSelf / r.fullPlatform);
        std::printf("rows %5d  status, first row %8.3f / %8.3f  ratio %.2f\n", rows, r.statusFirstSelf,
                    r.statusFirstPlatform, r.statusFirstSelf / r.statusFirstPlatform);
        std::printf("rows %5d  status, last row  %8.3f / %8.3f  ratio %.2f\n", rows, r.statusLastSelf,
                    r.statusLastPlatform, r.statusLastSelf / r.statusLastPlatform);
        std::fflush(stdout);
    }
    host.DestroyWindow();
    return 0;
}
