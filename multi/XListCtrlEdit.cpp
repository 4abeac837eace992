// PLACEHOLDER: minimal bodies of the in-cell editors so that everything links; owner: engineer F.
#include "multi/XListCtrl.h"

BOOL CXListCtrl::SetCellCombo(int, int, BOOL, std::vector<std::string>*, int, int, BOOL) { return FALSE; }
BOOL CXListCtrl::SetCellEditable(int, int) { return FALSE; }
void CXListCtrl::OpenCellCombo(int, int) {}
void CXListCtrl::OpenCellEdit(int, int) {}
bool CXListCtrl::HandleEditorMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
void CXListCtrl::EndEditAsKillFocus() {}
void CXListCtrl::CloseComboWithoutChoice() {}
