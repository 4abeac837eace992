#include "controls/DropScrollBar.h"

#include "controls/ComboItems.h"
#include "controls/DropListBox.h"

#include <windowsx.h>

#include <algorithm>

bool CDropScrollBar::Create(const RECT& rect, HWND parent, int id)
{
    return Window::Create(0, "SCROLLBAR", "", WS_CHILD | SBS_VERT | SBS_RIGHTALIGN, rect, parent,
                          static_cast<UINT_PTR>(id));
}

void CDropScrollBar::SetListBox(CDropListBox* listBox) noexcept
{
    m_listBox = listBox;
    if (!m_listBox)
        return;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    si.nMin = 0;
    si.nMax = m_listBox->Count() - 1;
    si.nPage = static_cast<UINT>(std::max(m_listBox->GetLastVisibleRow() - m_listBox->TopRow(), 0));
    si.nPos = 0;
    ::SetScrollInfo(m_hwnd, SB_CTL, &si, TRUE);
}

void CDropScrollBar::SetPosition(int position) noexcept
{
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    if (!::GetScrollInfo(m_hwnd, SB_CTL, &si))
        return;
    si.fMask = SIF_POS;
    si.nPos = position;
    ::SetScrollInfo(m_hwnd, SB_CTL, &si, TRUE);
}

void CDropScrollBar::SetPage(int page) noexcept
{
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_PAGE;
    si.nPage = static_cast<UINT>(std::max(page, 0));
    ::SetScrollInfo(m_hwnd, SB_CTL, &si, TRUE);
}

void CDropScrollBar::OnScroll(int request, int thumbPosition) noexcept
{
    if (!m_listBox)
        return;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (!::GetScrollInfo(m_hwnd, SB_CTL, &si))
        return;
    int position = si.nPos;
    const int page = static_cast<int>(si.nPage);
    switch (request) {
    case SB_LINEUP:
        position = std::max(position - 1, si.nMin);
        break;
    case SB_LINEDOWN:
        position = std::min(position + 1, si.nMax);
        break;
    case SB_PAGEUP:
        position = std::max(position - page, si.nMin);
        break;
    case SB_PAGEDOWN:
        position = std::min(position + page, si.nMax);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        position = thumbPosition;
        break;
    case SB_ENDSCROLL:
        ::ReleaseCapture();
        ::PostMessageA(::GetParent(m_hwnd), WM_DROP_TAKECAPTURE, 0, 0);
        return;
    default:
        return;
    }
    m_listBox->SetTopRow(position, false);
    si.fMask = SIF_POS;
    si.nPos = position;
    ::SetScrollInfo(m_hwnd, SB_CTL, &si, TRUE);
}

bool CDropScrollBar::OnReflect(UINT msg, WPARAM w, LPARAM l, LRESULT& result) noexcept
{
    if (msg != WM_VSCROLL)
        return false;
    OnScroll(LOWORD(w), static_cast<short>(HIWORD(w)));
    result = 0;
    return true;
}

LRESULT CDropScrollBar::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    switch (msg) {
    case WM_DROP_TAKECAPTURE:
        ::SetCapture(m_hwnd);
        return 0;
    case WM_DROP_GIVECAPTURE:
        ::ReleaseCapture();
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: {
        const POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        const RECT client = Ref().ClientRect();
        if (!::PtInRect(&client, pt)) {
            ::ReleaseCapture();
            ::SendMessageA(::GetParent(m_hwnd), WM_DROP_TAKECAPTURE, 0, 0);
        }
        return Default(msg, w, l);
    }
    default:
        return Default(msg, w, l);
    }
}
