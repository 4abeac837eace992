#include "download/DownloaderPage.h"

#include "app/Globals.h"
#include "app/Messages.h"
#include "app/ShellOpen.h"
#include "app/UrlMsgDlg.h"
#include "download/DownloadSlots.h"
#include "framework/EditBrowse.h"
#include "framework/Handles.h"
#include "res/DownloaderPage.h"
#include "res/resource.h"

#include <commctrl.h>
#include <shlobj.h>

#include <new>
#include <string>

namespace
{
const char* const kVideoQualities[] = {
    "240p (400*240,22KHz - if available)",
    "360p (640*360,44KHz - if available)",
    "480p HQ (854*480,44KHz - if available)",
    "720p HD (1280*720,44KHz - if available)",
    "1080p Full HD (1920*1080,44KHz - if available)",
    "3072p Super HD (4906*3072,44KHz - if available)",
    "Best Available",
};
const char* const kAudioQualities[] = {
    "44KHz MP3 (128kbps - if available)",        "44KHz MP3 (320kbps - if available)",
    "44KHz AAC (96kbps - if available)",         "44KHz Vorbis/ogg (128kbps - if available)",
    "44KHz AAC (128kbps - if available)",        "44KHz AAC (192kbps - if available)",
    "44KHz Vorbis/ogg (192kpbs - if available)",
};

// The colour the page brush was made with, shared by every download page.
COLORREF g_pageBrushColour = static_cast<COLORREF>(-1);

// Visual styles off for a control, so that its text takes the colour the page gives it. The
// function is looked up at run time: without visual styles there is nothing to switch off.
void ThemeOff(HWND control) noexcept
{
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static const auto setTheme = []() -> SetWindowThemeFn {
        HMODULE uxtheme = ::LoadLibraryA("uxtheme.dll");
        return uxtheme ? reinterpret_cast<SetWindowThemeFn>(::GetProcAddress(uxtheme, "SetWindowTheme")) : nullptr;
    }();
    if (setTheme && control)
        setTheme(control, L"", L"");
}

bool IsThemedTextControl(int id) noexcept
{
    return id == IDC_MP3 || id == IDC_VIDEO || id == IDC_ALSO_VIDEO || id == IDC_TV_VIDEO || id == IDC_STATUS_GROUP;
}

// The "Status:" group box drawn by the page's own rule: Wine's group box ignores the text colour
// that the control-colour answer sets. Frame etched, caption in the colours the parent gives.
class StatusGroup : public Window
{
protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override
    {
        switch (msg) {
        case WM_PAINT:
            return PaintFromMessage(m_hwnd, w, [this](HDC hdc) { Paint(hdc); });
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(w));
            return 0;
        case WM_ERASEBKGND:
            return TRUE; // the page behind shows through
        case WM_SETTEXT:
        case WM_ENABLE: {
            const LRESULT result = Default(msg, w, l);
            ::InvalidateRect(m_hwnd, nullptr, TRUE);
            return result;
        }
        default:
            break;
        }
        return Window::WindowProc(msg, w, l);
    }
    void OnFinalDestroy() noexcept override { delete this; }

private:
    void Paint(HDC hdc) noexcept
    {
        RECT client;
        ::GetClientRect(m_hwnd, &client);
        SelectGuard font(hdc, reinterpret_cast<HFONT>(::SendMessageA(m_hwnd, WM_GETFONT, 0, 0)));
        TEXTMETRICA tm{};
        ::GetTextMetricsA(hdc, &tm);
        RECT frame = client;
        frame.top += tm.tmHeight / 2;
        ::DrawEdge(hdc, &frame, EDGE_ETCHED, BF_RECT);
        char text[128] = {};
        const int length = ::GetWindowTextA(m_hwnd, text, sizeof(text));
        if (length <= 0)
            return;
        const auto brush = reinterpret_cast<HBRUSH>(::SendMessageA(
            ::GetParent(m_hwnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(m_hwnd)));
        RECT label{client.left + 8, client.top, client.right - 8, client.top + tm.tmHeight};
        ::DrawTextA(hdc, text, length, &label, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_CALCRECT);
        ::InflateRect(&label, 2, 0);
        if (brush)
            ::FillRect(hdc, &label, brush);
        ::InflateRect(&label, -2, 0);
        ::DrawTextA(hdc, text, length, &label, DT_SINGLELINE | DT_LEFT | DT_TOP);
    }
};

void FillList(HWND list, const char* const* items, size_t count, int selection) noexcept
{
    ::SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < count; ++i)
        ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i]));
    ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}
} // namespace

CDownloaderPage::CDownloaderPage() : PropertyPage(IDD_DOWNLOADER)
{
    g_bToolsReady = 0;
}

CDownloaderPage::~CDownloaderPage()
{
    delete m_saveTo;
    if (m_brush)
        ::DeleteObject(m_brush);
}

bool CDownloaderPage::OnSetActive() noexcept
{
    g_nLastActivePage = 0;
    return true;
}

BOOL CDownloaderPage::OnInitDialog() noexcept
{
    ::CheckRadioButton(m_hwnd, IDC_MP3, IDC_VIDEO, g_nType.load() == 1 ? IDC_VIDEO : IDC_MP3);

    SetItemText(IDC_DOWNLOAD, "Download and Convert!");
    SetItemText(IDC_ALSO_VIDEO, "Also Download Video!");
    SetItemText(IDC_TV_VIDEO, "Compatible with TV/IPhone");
    SetItemText(IDC_CUE, std::string("paste url like: ") + kExampleWatchUrl);

    if (!m_saveTo)
        m_saveTo = new (std::nothrow) EditBrowse;
    if (m_saveTo && m_saveTo->SubclassDlgItem(IDC_SAVE_TO, m_hwnd))
        m_saveTo->EnableFolderBrowseButton();
    SetItemText(IDC_SAVE_TO, g_strSavedDir.Get());

    SetChecked(IDC_ALSO_VIDEO, g_bDelVideoCheck.load() != 0);
    SetChecked(IDC_TV_VIDEO, g_bTvVideoCheck.load() != 0);

    Item(IDC_STOP).Enable(false);
    Item(IDC_PROGRESS).Send(PBM_SETRANGE32, 0, 100);

    if (g_nType.load() == 1)
        SwitchToVideoMode();
    else
        SwitchToMp3Mode();

    ::SetFocus(Item(IDC_URL));

    char localAppData[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData)))
        g_strLocalAppData = localAppData;

    for (int id : {IDC_MP3, IDC_VIDEO, IDC_STATUS_GROUP, IDC_ALSO_VIDEO, IDC_TV_VIDEO})
        ThemeOff(Item(id));
    if (auto* group = new (std::nothrow) StatusGroup; group && !group->SubclassDlgItem(IDC_STATUS_GROUP, m_hwnd))
        delete group;
    return FALSE; // the focus is set
}

void CDownloaderPage::SwitchToVideoMode()
{
    Item(IDC_ALSO_VIDEO).Enable(false);
    Item(IDC_ALSO_VIDEO).Show(false);
    Item(IDC_TV_VIDEO).Enable(true);
    Item(IDC_TV_VIDEO).Show(true);
    FillList(Item(IDC_QUALITY), kVideoQualities, std::size(kVideoQualities), 6);
}

void CDownloaderPage::SwitchToMp3Mode()
{
    Item(IDC_ALSO_VIDEO).Enable(true);
    Item(IDC_ALSO_VIDEO).Show(true);
    Item(IDC_TV_VIDEO).Enable(false);
    Item(IDC_TV_VIDEO).Show(false);
    FillList(Item(IDC_QUALITY), kAudioQualities, std::size(kAudioQualities), 1);
}

void CDownloaderPage::OnOpen()
{
    ShellOpen("explore", GetItemText(IDC_SAVE_TO));
}

void CDownloaderPage::SetStatusText(const std::string& text)
{
    const WindowRef status = Item(IDC_STATUS);
    status.SetText(text);
    // The text is transparent: the page background behind it is painted afresh.
    const RECT r = status.RectIn(m_hwnd);
    ::InvalidateRect(m_hwnd, &r, TRUE);
}

HBRUSH CDownloaderPage::ControlColor(HDC hdc, HWND control, UINT msg) noexcept
{
    const COLORREF theme = ThemeColor();
    if (!m_brush || g_pageBrushColour != theme) {
        if (m_brush)
            ::DeleteObject(m_brush);
        m_brush = ::CreateSolidBrush(theme);
        g_pageBrushColour = theme;
    }
    if (IsThemedTextControl(::GetDlgCtrlID(control))) {
        ::SetTextColor(hdc, RGB(255, 255, 255));
        ::SetBkMode(hdc, TRANSPARENT);
        return m_brush;
    }
    if (msg == WM_CTLCOLORSTATIC) {
        ::SetTextColor(hdc, RGB(255, 255, 255));
        ::SetBkMode(hdc, TRANSPARENT);
        return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    }
    return nullptr; // the dialog's own colours
}

INT_PTR CDownloaderPage::DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(w) == BN_CLICKED) {
            switch (LOWORD(w)) {
            case IDC_DOWNLOAD:
                OnDownload();
                return TRUE;
            case IDC_OPEN:
                OnOpen();
                return TRUE;
            case IDC_STOP:
                OnStop();
                return TRUE;
            case IDC_MP3:
            case IDC_VIDEO: {
                const bool video = IsChecked(IDC_VIDEO);
                g_nType = video ? 1 : 0;
                if (video)
                    SwitchToVideoMode();
                else
                    SwitchToMp3Mode();
                return TRUE;
            }
            case IDC_ALSO_VIDEO:
                g_bDelVideoCheck = IsChecked(IDC_ALSO_VIDEO) ? 1 : 0;
                return TRUE;
            case IDC_TV_VIDEO:
                g_bTvVideoCheck = IsChecked(IDC_TV_VIDEO) ? 1 : 0;
                return TRUE;
            default:
                break;
            }
        }
        break;
    case WM_GRAB_STATUS:
        OnGrabStatus(w, l);
        return TRUE;
    case WM_JOB_PROGRESS:
        OnJobProgress(w, l);
        return TRUE;
    case WM_JOB_STARTED:
        OnJobStarted(w, l);
        return TRUE;
    case WM_JOB_FINISHED:
        OnJobFinished(w, l);
        return TRUE;
    case WM_ERASEBKGND: {
        const auto hdc = reinterpret_cast<HDC>(w);
        RECT box;
        if (::GetClipBox(hdc, &box) == ERROR)
            ::GetClientRect(m_hwnd, &box);
        UniqueBrush brush(::CreateSolidBrush(ThemeColor()));
        ::FillRect(hdc, &box, brush.Get());
        SetMsgResult(TRUE);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        if (HBRUSH brush = ControlColor(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l), msg))
            return reinterpret_cast<INT_PTR>(brush);
        break;
    }
    case WM_DESTROY: {
        const INT_PTR result = PropertyPage::DialogProc(msg, w, l);
        g_strSavedDir.Set(GetItemText(IDC_SAVE_TO));
        return result;
    }
    default:
        break;
    }
    return PropertyPage::DialogProc(msg, w, l);
}
