// tasvrin-demo: drives one download in a running program from outside, as a user would: MP3 mode,
// "Also Download Video!" off, the address and the save folder typed in, Download pressed. It then
// waits for the completion question, creates MARKER, keeps the question open for a few seconds (for a
// screenshot) and answers No. The provisioning notices on the way ("Important Notice", such as the
// runtime being installed on the first run) are confirmed with OK.
//   tasvrin-demo WINDOW-TITLE-START URL SAVE-FOLDER SECONDS MARKER
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
struct Find {
    std::string prefix;
    HWND found = nullptr;
};

BOOL CALLBACK ByTitle(HWND hwnd, LPARAM l)
{
    auto* find = reinterpret_cast<Find*>(l);
    char title[512] = {};
    ::GetWindowTextA(hwnd, title, sizeof(title));
    if (::IsWindowVisible(hwnd) && std::string(title).rfind(find->prefix, 0) == 0) {
        find->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct Child {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK ById(HWND hwnd, LPARAM l)
{
    auto* child = reinterpret_cast<Child*>(l);
    if (::GetDlgCtrlID(hwnd) == child->id) {
        child->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND Control(HWND top, int id)
{
    Child child{id};
    ::EnumChildWindows(top, &ById, reinterpret_cast<LPARAM>(&child));
    return child.found;
}

HWND WaitWindow(const std::string& prefix, DWORD ms)
{
    for (DWORD waited = 0; waited < ms; waited += 100) {
        Find find{prefix};
        ::EnumWindows(&ByTitle, reinterpret_cast<LPARAM>(&find));
        if (find.found)
            return find.found;
        ::Sleep(100);
    }
    return nullptr;
}

struct Box {
    std::string text;
    HWND found = nullptr;
    std::string caption; // when set, a box with this caption matches whatever its text
};

BOOL CALLBACK BoxWithText(HWND hwnd, LPARAM l)
{
    auto* box = reinterpret_cast<Box*>(l);
    char cls[64] = {};
    ::GetClassNameA(hwnd, cls, sizeof(cls));
    if (std::string(cls) != "#32770" || !::IsWindowVisible(hwnd))
        return TRUE;
    char text[1024] = {};
    ::GetDlgItemTextA(hwnd, 0xFFFF, text, sizeof(text)); // the message text of a message box
    char caption[256] = {};
    ::GetWindowTextA(hwnd, caption, sizeof(caption));
    if (box->caption.empty() ? std::string(text).find(box->text) != std::string::npos : box->caption == caption) {
        box->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: tasvrin-demo WINDOW-TITLE-START URL SAVE-FOLDER SECONDS MARKER\n");
        return 2;
    }
    const DWORD ms = static_cast<DWORD>(std::atoi(argv[4])) * 1000;
    HWND main = WaitWindow(argv[1], ms);
    if (!main)
        return 1;
    HWND mp3 = Control(main, 1021), also = Control(main, 1019), url = Control(main, 1002), save = Control(main, 1003),
         download = Control(main, 1004);
    if (!url || !download)
        return 1;
    ::SendMessageA(mp3, BM_CLICK, 0, 0);
    if (::SendMessageA(also, BM_GETCHECK, 0, 0) == BST_CHECKED)
        ::SendMessageA(also, BM_CLICK, 0, 0);
    ::SendMessageA(url, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
    ::SendMessageA(save, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
    ::PostMessageA(download, BM_CLICK, 0, 0);
    for (DWORD waited = 0; waited < ms; waited += 100) {
        Box notice{{}, nullptr, "Important Notice"};
        ::EnumWindows(&BoxWithText, reinterpret_cast<LPARAM>(&notice));
        if (notice.found)
            ::PostMessageA(notice.found, WM_COMMAND, IDOK, 0);
        Box box{"Job completed successfully. Open the directory?"};
        ::EnumWindows(&BoxWithText, reinterpret_cast<LPARAM>(&box));
        if (box.found) {
            if (HANDLE marker = ::CreateFileA(argv[5], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
                marker != INVALID_HANDLE_VALUE)
                ::CloseHandle(marker);
            ::Sleep(3000);
            ::PostMessageA(box.found, WM_COMMAND, IDNO, 0);
            return 0;
        }
        ::Sleep(100);
    }
    return 1;
}
