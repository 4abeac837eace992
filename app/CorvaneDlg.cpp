#include "app/CorvaneDlg.h"

#include "BuildConfig.h"
#include "app/AboutDlg.h"
#include "app/ConverterDlg.h"
#include "app/CorvaneApp.h"
#include "app/Globals.h"
#include "app/ShellOpen.h"
#include "app/VersionText.h"
#include "app/VisualManagerRizevor.h"
#include "controls/Hyperlink.h"
#include "controls/ThemeDialog.h"
#include "download/DownloadSlots.h"
#include "download/DownloaderPage.h"
#include "framework/Handles.h"
#include "multi/MultipleDownPage.h"
#include "net/UpdateCheck.h"
#include "res/DownloaderPage.h"
#include "res/MainDialog.h"
#include "res/resource.h"

#include <algorithm>
#include <string>
#include <vector>

namespace
{
constexpr const char* kPromoText = "Record all sounds (Online Music/Radio/Skype) you can hear in 1 Click..";
constexpr const char* kCloseQuestion = "It seems that there is active downloading, continue exiting?";

std::string TrimSpace(const std::string& text)
{
    const char* space = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(space);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// Characters, not bytes, of UTF-8 text.
size_t CharacterCount(const std::string& text)
{
    return static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string WideToUtf8(const wchar_t* wide)
{
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return {};
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}
} // namespace

bool LooksLikeAddressInput(const std::string& text)
{
    const std::string trimmed = TrimSpace(text);
    if (trimmed.empty())
        return false;
    for (const char* prefix : {"http://", "https://", "www.", "ytsearch:", "ytdate:"})
        if (trimmed.rfind(prefix, 0) == 0)
            return true;
    return CharacterCount(trimmed) >= 10;
}

LRESULT CSheet::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    if (msg == WM_ERASEBKGND) {
        const auto hdc = reinterpret_cast<HDC>(w);
        RECT box;
        if (::GetClipBox(hdc, &box) == ERROR)
            ::GetClientRect(m_hwnd, &box);
        UniqueBrush brush(::CreateSolidBrush(ThemeColor()));
        ::FillRect(hdc, &box, brush.Get());
        return TRUE;
    }
    return PageSheet::WindowProc(msg, w, l);
}

CCorvaneDlg::CCorvaneDlg()
    : DialogEx(IDD_TASVRIN_DIALOG), m_promoLink(std::make_unique<CHyperlink>()),
      m_downloadPage(std::make_unique<CDownloaderPage>()), m_converterPage(std::make_unique<CConverterDlg>()),
      m_multiPage(std::make_unique<MultipleDownPage>())
{
}

CCorvaneDlg::~CCorvaneDlg()
{
    if (m_banner)
        ::DeleteObject(m_banner);
    if (m_icon)
        ::DestroyIcon(m_icon);
    if (m_smallIcon)
        ::DestroyIcon(m_smallIcon);
}

BOOL CCorvaneDlg::OnInitDialog() noexcept
{
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    ::SetWindowTextA(m_hwnd, g_strAppName.c_str());

    if (HMENU menu = ::GetSystemMenu(m_hwnd, FALSE)) {
        ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, "&About Brenvoll...");
    }

    m_icon = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_TASVRIN), IMAGE_ICON,
                                             ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
    m_smallIcon = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_TASVRIN), IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    Ref().Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    Ref().Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon ? m_smallIcon : m_icon));
    m_bannerCtrl = ::GetDlgItem(m_hwnd, IDC_BANNER);
    m_banner = static_cast<HBITMAP>(::LoadImageA(instance, MAKEINTRESOURCEA(IDB_BANNER), IMAGE_BITMAP, 0, 0, 0));

    // Promotional link in the dialog's face, bold.
    m_promoLink->SubclassDlgItem(IDC_PROMO_LINK, m_hwnd);
    LOGFONTA dialogFont{};
    if (HFONT font = Ref().GetFont(); font && ::GetObjectA(font, sizeof(dialogFont), &dialogFont))
        m_promoLink->SetLinkFont(dialogFont.lfFaceName, dialogFont.lfHeight, false, true);
    m_promoLink->SetLinkColours(RGB(220, 220, 255), RGB(255, 220, 120), RGB(200, 200, 255));
    m_promoLink->Ref().SetText(kPromoText);
    m_promoLink->SetURL(TASVRIN_PROMO_URL);
    m_promoLink->SizeToContent(false, false);

    // The sheet, its top-left corner 7 pixels up and left of the placeholder's.
    m_sheet.AddPage(m_downloadPage.get());
    m_sheet.AddPage(m_multiPage.get());
    m_sheet.AddPage(m_converterPage.get());
    const RECT place = Item(IDC_SHEET_PLACE).RectIn(m_hwnd);
    m_sheet.Create(m_hwnd, WS_VISIBLE | WS_TABSTOP, WS_EX_CONTROLPARENT, place.left - 7, place.top - 7);
    m_sheet.SetTabColor(0, RGB(197, 212, 207));
    m_sheet.SetTabColor(1, RGB(255, 220, 120));
    m_sheet.SetTabColor(2, RGB(190, 206, 160));
    m_sheet.SetAutoColors(true);
    m_sheet.RecalcLayout();
    ::RedrawWindow(m_sheet.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);

    // Every page but the converter is created now, so their start-up runs before the user looks.
    for (int i = 0; i < m_sheet.GetPageCount() - 1; ++i)
        m_sheet.SetActivePage(i);
    m_sheet.SetActivePage(0);

    DWORD high = 0, low = 0;
    const std::string version = ReadOwnFileVersion(high, low) ? VersionTitleText(high) : std::string();
    ::SetWindowTextA(m_hwnd, ("Brenvoll, v" + version).c_str());
    Item(IDC_UPDATE).SetText("Update");

    VisualManager::SetInstance(new CMFCVisualManagerRizevor);
    SetBackgroundColor(ThemeColor(), true);

    if (g_nWidth > 500 && g_nHeight > 400)
        ::SetWindowPos(m_hwnd, nullptr, 0, 0, g_nWidth, g_nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    else
        DefaultLayout();

    SelectUpdateServer();
    StartStartupUpdateCheck();
    return FALSE; // the download page has put the focus into its address box
}

void CCorvaneDlg::DefaultLayout() noexcept
{
    const RECT client = Ref().ClientRect();
    const RECT place = Item(IDC_SHEET_PLACE).RectIn(m_hwnd);
    const RECT sheet = m_sheet.Ref().WindowRect();
    LONG right = 0, bottom = 0;
    auto take = [&](HWND control) {
        const RECT r = WindowRef(control).RectIn(m_hwnd);
        right = std::max(right, r.right);
        bottom = std::max(bottom, r.bottom);
    };
    for (int id : {IDC_HELP_BUTTON, IDC_UPDATE, IDC_SKIN, IDC_PROMO_LINK}) {
        const HWND control = ::GetDlgItem(m_hwnd, id);
        if (control && ::IsWindowVisible(control))
            take(control);
    }
    if (const HWND update = ::GetDlgItem(m_hwnd, IDC_UPDATE))
        take(update);
    const LONG sheetLeft = place.left - 7;
    const LONG sheetTop = place.top - 7;
    const LONG sheetRight = sheetLeft + (sheet.right - sheet.left);
    const LONG sheetBottom = sheetTop + (sheet.bottom - sheet.top);
    const LONG marginRight = std::max<LONG>(client.right - right, 10);
    // The bottom margin is what the template leaves below its lowest part, the sheet included:
    // measured below the buttons alone (which sit at the top) it would add most of the template's
    // height as empty space under the sheet.
    const LONG marginBottom = std::max<LONG>(client.bottom - std::max(bottom, sheetBottom), 10);
    const LONG wantW = std::max(right + marginRight, sheetRight + sheetLeft);
    const LONG wantH = std::max(sheetBottom, bottom) + marginBottom;
    const RECT window = Ref().WindowRect();
    const LONG outerW = std::max<LONG>(wantW + (window.right - window.left) - client.right, 680);
    const LONG outerH = std::max<LONG>(wantH + (window.bottom - window.top) - client.bottom, 560);
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, outerW, outerH, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    g_nWidth = outerW;
    g_nHeight = outerH;
    SaveSettings();
}

void CCorvaneDlg::RefreshBanner() noexcept
{
    if (!m_bannerCtrl || !m_banner)
        return;
    RECT client;
    ::GetClientRect(m_bannerCtrl, &client);
    if (client.right <= 0 || client.bottom <= 0)
        return;
    BITMAP source{};
    if (!::GetObjectA(m_banner, sizeof(source), &source))
        return;
    // A section of the bitmap's own colour depth, selectable into any memory DC.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(source.bmBitsPixel >= 16 ? source.bmBitsPixel : 24);
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap image(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!image)
        return;
    {
        UniqueMemDC from(::CreateCompatibleDC(nullptr));
        UniqueMemDC to(::CreateCompatibleDC(nullptr));
        if (!from || !to)
            return;
        SelectGuard selectFrom(from.Get(), m_banner);
        SelectGuard selectTo(to.Get(), image.Get());
        ::SetStretchBltMode(to.Get(), HALFTONE);
        ::StretchBlt(to.Get(), 0, 0, client.right, client.bottom, from.Get(), 0, 0, source.bmWidth, source.bmHeight,
                     SRCCOPY);
    }
    const HBITMAP shown = image.Release();
    const auto previous = reinterpret_cast<HBITMAP>(
        ::SendMessageA(m_bannerCtrl, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown)));
    if (previous && previous != shown && previous != m_banner)
        ::DeleteObject(previous);
}

void CCorvaneDlg::PasteClipboardAddress() noexcept
{
    try {
        if (::IsIconic(m_hwnd) || !m_downloadPage || !m_downloadPage->Handle())
            return;
        const HWND urlBox = ::GetDlgItem(m_downloadPage->Handle(), IDC_URL);
        if (!urlBox || !::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(m_hwnd))
            return;
        std::string text;
        if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* wide = static_cast<const wchar_t*>(::GlobalLock(data))) {
                // The whole program runs in UTF-8, so the text keeps every letter.
                const SIZE_T chars = ::GlobalSize(data) / sizeof(wchar_t);
                std::wstring bounded(wide, wcsnlen(wide, chars));
                ::GlobalUnlock(data);
                text = WideToUtf8(bounded.c_str());
            }
        }
        ::CloseClipboard();
        if (LooksLikeAddressInput(text))
            ::SetWindowTextA(urlBox, text.c_str());
    } catch (...) {
        // Out of memory for a huge clipboard text: nothing is pasted.
    }
}

void CCorvaneDlg::Close() noexcept
{
    if (IsModal())
        EndDialog(IDCANCEL);
    else
        ::DestroyWindow(m_hwnd);
}

void CCorvaneDlg::ConfirmClose() noexcept
{
    if (g_nActiveDownloads.load() != 0) {
        if (::MessageBoxA(nullptr, kCloseQuestion, g_strAppName.c_str(), MB_ICONQUESTION | MB_YESNO) != IDYES)
            return;
        StopAllDownloads();
        // The workers see their stop flags at their next read of engine output.
        ::Sleep(1000);
    }
    Close();
}

// Return in the window (in the address box, say) must not end the program.
void CCorvaneDlg::OnOK() noexcept {}

// Esc and the close box both ask first while downloads run.
void CCorvaneDlg::OnCancel() noexcept
{
    ConfirmClose();
}

INT_PTR CCorvaneDlg::DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    switch (msg) {
    case WM_SYSCOMMAND:
        if ((w & 0xFFF0) == IDM_ABOUTBOX) {
            CAboutDlg about;
            about.DoModal(m_hwnd);
            return TRUE;
        }
        break;
    case WM_PAINT:
        if (::IsIconic(m_hwnd)) {
            PaintDC dc(m_hwnd);
            ::SendMessageA(m_hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
            const RECT r = Ref().ClientRect();
            const int cx = ::GetSystemMetrics(SM_CXICON);
            const int cy = ::GetSystemMetrics(SM_CYICON);
            ::DrawIcon(dc, (r.right - cx + 1) / 2, (r.bottom - cy + 1) / 2, m_icon);
            RefreshBanner();
            return TRUE;
        }
        RefreshBanner();
        break; // default painting
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(m_icon);
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(w) == m_bannerCtrl && m_bannerCtrl) {
            ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
            SetMsgResult(TRUE);
            return TRUE;
        }
        break;
    case WM_COMMAND:
        switch (LOWORD(w)) {
        case IDC_HELP_BUTTON:
            ShellOpen("open", g_strServerBase + "/faqs.html");
            return TRUE;
        case IDC_UPDATE:
            StartInteractiveUpdateCheck();
            return TRUE;
        case IDC_BANNER:
            if (HIWORD(w) == STN_CLICKED) {
                ShellOpen("open", g_strServerBase);
                return TRUE;
            }
            break;
        case IDC_SKIN: {
            ThemeDialog theme;
            theme.DoModal(nullptr);
            return TRUE;
        }
        default:
            break;
        }
        break;
    case WM_ACTIVATE: {
        const INT_PTR result = DialogEx::DialogProc(msg, w, l);
        if (LOWORD(w) != WA_INACTIVE)
            PasteClipboardAddress();
        return result;
    }
    case WM_CLOSE:
        ConfirmClose();
        return TRUE;
    case WM_DESTROY: {
        const RECT r = Ref().WindowRect();
        g_nWidth = r.right - r.left;
        g_nHeight = r.bottom - r.top;
        if (m_bannerCtrl) {
            const auto last = reinterpret_cast<HBITMAP>(::SendMessageA(m_bannerCtrl, STM_SETIMAGE, IMAGE_BITMAP, 0));
            if (last && last != m_banner)
                ::DeleteObject(last);
        }
        break;
    }
    default:
        break;
    }
    return DialogEx::DialogProc(msg, w, l);
}
