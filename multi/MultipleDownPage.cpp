#include "multi/MultipleDownPage.h"

#include "app/CorvaneApp.h"
#include "app/CorvaneDlg.h"
#include "app/Globals.h"
#include "download/DownloadSlots.h"
#include "download/DownloaderPage.h"
#include "multi/XListCtrl.h"
#include "res/MultipleDownPage.h"
#include "res/resource.h"

MultipleDownPage::MultipleDownPage() : PropertyPage(IDD_MULTIPLE_DOWN) {}

MultipleDownPage::~MultipleDownPage()
{
    // The list window goes before the font it uses and before its object.
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
}

BOOL MultipleDownPage::OnInitDialog() noexcept
{
    PropertyPage::OnInitDialog();
    m_list = std::make_unique<CXListCtrl>();
    if (!m_list->SubclassDlgItem(IDC_TASK_LIST, m_hwnd))
        return TRUE;

    // Left edge at the sheet's client left, top 12 pixels below the Delete button; size unchanged.
    RECT sheetClient{};
    if (const HWND sheet = ::GetParent(m_hwnd))
        ::GetClientRect(sheet, &sheetClient);
    const RECT button = Item(IDC_DELETE_TASK).RectIn(m_hwnd);
    ::SetWindowPos(m_list->Handle(), nullptr, sheetClient.left, button.bottom + 12, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_list->EnableToolTips(true);
    m_list->InsertColumn(0, "Video", LVCFMT_LEFT, 399);
    m_list->InsertColumn(1, "Speed", LVCFMT_LEFT, 800);

    LOGFONTA lf{};
    const HFONT dialogFont = reinterpret_cast<HFONT>(::SendMessageA(m_hwnd, WM_GETFONT, 0, 0));
    if (dialogFont && ::GetObjectA(dialogFont, sizeof(lf), &lf)) {
        lf.lfHeight *= 2;
        m_listFont.Reset(::CreateFontIndirectA(&lf));
        if (m_listFont)
            m_list->Ref().SetFont(m_listFont.Get());
    }
    return TRUE;
}

void MultipleDownPage::AddTaskRow(const std::string& text, DWORD enginePid)
{
    if (!m_list || !m_list->Handle())
        return;
    const int row = m_list->InsertItem(m_list->GetItemCount(), text.c_str(), kTitleText, kTitleBack);
    if (row >= 0)
        m_list->SetItemData(row, enginePid);
}

void MultipleDownPage::SetTaskStatus(const std::string& text, DWORD enginePid)
{
    if (!m_list || !m_list->Handle())
        return;
    const int row = m_list->FindRowByData(enginePid);
    if (row >= 0)
        m_list->SetItemText(row, 1, text.c_str(), kStatusText, kStatusBack);
}

void MultipleDownPage::RemoveCurrentTaskRow()
{
    if (!m_list || !m_list->Handle())
        return;
    const LONG slot = g_nCurrentSlot.load();
    if (slot < 0 || slot >= kDownloadSlotCount)
        return;
    const int row = m_list->FindRowByData(g_DownloadSlots[slot].m_dwEnginePid.load());
    if (row >= 0)
        m_list->DeleteItem(row);
}

void MultipleDownPage::OnDelete()
{
    if (!m_list || !m_list->Handle())
        return;
    const int row = m_list->GetSelectedRow();
    if (row < 0) {
        ::MessageBoxA(m_hwnd, "Plesae select a downloading task.", g_strAppName.c_str(), MB_OK);
        return;
    }
    const DWORD pid = m_list->GetItemData(row);
    for (CWebGrab& slot : g_DownloadSlots) {
        if (slot.m_bInUse.load() && slot.m_dwEnginePid.load() == pid) {
            slot.SetStopFlag(1);
            break;
        }
    }
    m_list->DeleteItem(row);
}

void MultipleDownPage::OnOpen()
{
    if (CCorvaneDlg* main = MainDialog())
        if (CDownloaderPage* page = main->GetDownloaderPage())
            page->OnOpen();
}

bool MultipleDownPage::OnSetActive() noexcept
{
    g_nLastActivePage = 1;
    return PropertyPage::OnSetActive();
}

INT_PTR MultipleDownPage::DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(w) == BN_CLICKED && LOWORD(w) == IDC_DELETE_TASK) {
            OnDelete();
            return TRUE;
        }
        if (HIWORD(w) == BN_CLICKED && LOWORD(w) == IDC_OPEN_FOLDER) {
            OnOpen();
            return TRUE;
        }
        break;
    case WM_ERASEBKGND: {
        const HDC hdc = reinterpret_cast<HDC>(w);
        RECT clip{};
        ::GetClipBox(hdc, &clip);
        UniqueBrush brush(::CreateSolidBrush(ThemeColor()));
        ::FillRect(hdc, &clip, brush.Get());
        SetMsgResult(TRUE);
        return TRUE;
    }
    default:
        break;
    }
    return PropertyPage::DialogProc(msg, w, l);
}
