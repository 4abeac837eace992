#include "app/ConverterDlg.h"

#include "BuildConfig.h"
#include "app/ShellOpen.h"
#include "download/DownloadSlots.h"
#include "res/resource.h"

CConverterDlg::CConverterDlg() noexcept : PropertyPage(IDD_CONVERTER) {}

bool CConverterDlg::OnSetActive() noexcept
{
    ShellOpen("open", TASVRIN_CONVERTER_URL);
    // The sheet is told to go back once this refusal has been handled.
    if (PageSheet* sheet = Sheet(); sheet && sheet->Handle())
        ::PostMessageA(sheet->Handle(), PageSheet::kSelectPageMessage, static_cast<WPARAM>(g_nLastActivePage.load()),
                       0);
    return false;
}
