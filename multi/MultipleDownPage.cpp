// PLACEHOLDER: minimal body so that everything links; its owner replaces this whole file.
#include "multi/MultipleDownPage.h"

#include "download/DownloadSlots.h"
#include "res/resource.h"

class CXListCtrl {};

MultipleDownPage::MultipleDownPage() : PropertyPage(IDD_MULTIPLE_DOWN) {}
MultipleDownPage::~MultipleDownPage() = default;
void MultipleDownPage::AddTaskRow(const std::string&, DWORD) {}
void MultipleDownPage::SetTaskStatus(const std::string&, DWORD) {}
void MultipleDownPage::RemoveCurrentTaskRow() {}
void MultipleDownPage::OnDelete() {}
void MultipleDownPage::OnOpen() {}
bool MultipleDownPage::OnSetActive() noexcept
{
    g_nLastActivePage = 1;
    return true;
}
BOOL MultipleDownPage::OnInitDialog() noexcept { return TRUE; }
INT_PTR MultipleDownPage::DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept { return PropertyPage::DialogProc(msg, w, l); }
