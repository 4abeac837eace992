// PLACEHOLDER: minimal body so that everything links; its owner replaces this whole file.
#include "app/CorvaneDlg.h"

#include "controls/Hyperlink.h"
#include "download/DownloaderPage.h"
#include "multi/MultipleDownPage.h"
#include "res/MainDialog.h"
#include "res/resource.h"

LRESULT CSheet::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept { return PageSheet::WindowProc(msg, w, l); }

CCorvaneDlg::CCorvaneDlg()
    : DialogEx(IDD_TASVRIN_DIALOG), m_downloadPage(std::make_unique<CDownloaderPage>()),
      m_converterPage(std::make_unique<PropertyPage>(IDD_CONVERTER)), m_multiPage(std::make_unique<MultipleDownPage>())
{
}

CCorvaneDlg::~CCorvaneDlg() = default;

BOOL CCorvaneDlg::OnInitDialog() noexcept
{
    m_sheet.AddPage(m_downloadPage.get());
    m_sheet.AddPage(m_multiPage.get());
    m_sheet.AddPage(m_converterPage.get());
    const RECT place = Item(IDC_SHEET_PLACE).RectIn(m_hwnd);
    m_sheet.Create(m_hwnd, WS_VISIBLE | WS_TABSTOP, 0, place.left - 7, place.top - 7);
    m_sheet.SetActivePage(1);
    m_sheet.SetActivePage(0);
    return TRUE;
}

INT_PTR CCorvaneDlg::DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept { return DialogEx::DialogProc(msg, w, l); }

void CCorvaneDlg::OnCancel() noexcept { EndDialog(IDCANCEL); }
