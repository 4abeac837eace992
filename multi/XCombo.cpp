#include "multi/XCombo.h"

#include "controls/DropWnd.h"

const UINT WM_XCOMBOLIST_COMPLETE = ::RegisterWindowMessageA("WM_XCOMBOLIST_COMPLETE");
const UINT WM_XCOMBOLIST_VK_ESCAPE = ::RegisterWindowMessageA("WM_XCOMBOLIST_VK_ESCAPE");

void CXCombo::Tell(UINT msg) noexcept
{
    if (m_notify && ::IsWindow(m_notify))
        ::SendMessageA(m_notify, msg, 0, 0);
}

void CXCombo::OnCancelChoice()
{
    Tell(WM_XCOMBOLIST_VK_ESCAPE);
}

void CXCombo::OnCompleteChoice()
{
    Tell(WM_XCOMBOLIST_COMPLETE);
}

LRESULT CXCombo::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    if (msg != WM_KILLFOCUS)
        return CAdvComboBox::WindowProc(msg, w, l);
    const LRESULT result = CAdvComboBox::WindowProc(msg, w, l);
    // Focus moving into the combo's own drop-down (its window or its list) is no loss.
    if (!FocusStaysInside(reinterpret_cast<HWND>(w)))
        Tell(WM_XCOMBOLIST_COMPLETE);
    return result;
}
