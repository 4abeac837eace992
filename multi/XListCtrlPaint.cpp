// Cell drawing of the extended list: every cell is painted here from its record, on the reflected
// custom-draw notification; the list view's own cell painting is skipped.
#include "multi/XListCtrl.h"

#include "framework/Handles.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
constexpr COLORREF kCheckFrame = RGB(51, 102, 153);
constexpr COLORREF kCheckMark = RGB(51, 153, 51);
constexpr COLORREF kProgressBack = RGB(224, 224, 224);
constexpr const char* kEmptyMessage = "There are no items to show in this view.";

void Fill(HDC hdc, const RECT& rect, COLORREF colour) noexcept
{
    // ExtTextOut with an opaque rectangle fills without making a brush.
    const COLORREF old = ::SetBkColor(hdc, colour);
    ::ExtTextOutA(hdc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(hdc, old);
}

void Frame3D(HDC hdc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) noexcept
{
    Fill(hdc, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    Fill(hdc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    Fill(hdc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    Fill(hdc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

// The text on a progress bar: the cell's format with the percent as its one integer argument.
// Only integer conversions take the argument; any other conversion is shown as written, so a
// format from the caller can never read arguments that are not there.
std::string FormatProgress(const std::string& format, int percent)
{
    if (format.empty())
        return std::to_string(percent) + "%";
    std::string out;
    bool used = false;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < format.size() && std::strchr("-+ 0#", format[j]))
            ++j;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9' && j - i < 6)
            ++j;
        if (!used && j < format.size() && (format[j] == 'd' || format[j] == 'i' || format[j] == 'u')) {
            std::string conversion = format.substr(i, j - i) + 'd';
            char buffer[64];
            std::snprintf(buffer, sizeof(buffer), conversion.c_str(), percent);
            out += buffer;
            used = true;
            i = j;
            continue;
        }
        out += '%';
    }
    return out;
}
} // namespace

void CXListCtrl::GetDrawColors(int row, int col, COLORREF& text, COLORREF& back) const noexcept
{
    const XListCell* cell = GetCell(row, col);
    const XListCell* first = GetCell(row, 0);
    if (cell && first) {
        text = first->enabled ? cell->textColour : m_crGrayText;
        back = cell->backColour;
    } else {
        text = m_crWindowText;
        back = m_crWindow;
    }
}

LRESULT CXListCtrl::OnCustomDraw(NMLVCUSTOMDRAW& cd) noexcept
{
    switch (cd.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int row = static_cast<int>(cd.nmcd.dwItemSpec);
        const int col = cd.iSubItem;
        COLORREF text = 0, back = 0;
        GetDrawColors(row, col, text, back);
        cd.clrText = text;
        cd.clrTextBk = back;
        RECT rect{};
        if (!GetCellRect(row, col, LVIR_BOUNDS, rect))
            return CDRF_SKIPDEFAULT;
        const HDC hdc = cd.nmcd.hdc;
        // The list view asks for every cell of each row it repaints; cells outside this paint's
        // area would only be clipped away.
        if (!::RectVisible(hdc, &rect))
            return CDRF_SKIPDEFAULT;
        const XListCell* cell = GetCell(row, col);
        if (cell && cell->hasProgress) {
            DrawProgress(hdc, row, col, rect, text, back);
        } else if (cell && cell->checkState != -1) {
            DrawCheckbox(hdc, row, col, rect, text, back);
        } else {
            RECT imageRect = rect;
            rect.left += DrawImage(hdc, row, col, imageRect, text, back);
            DrawText(hdc, row, col, rect, text, back);
        }
        return CDRF_SKIPDEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

namespace
{
struct SelectionLook {
    COLORREF text;
    COLORREF back;
};
} // namespace

// Selection colours for check box, image and text cells.
static SelectionLook ApplySelection(HWND list, int row, int col, COLORREF text, COLORREF back, COLORREF highlight,
                                    COLORREF highlightText, COLORREF face, COLORREF windowText) noexcept
{
    const bool selected = (::SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    const DWORD exStyle = static_cast<DWORD>(::SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    if (!selected || !((exStyle & LVS_EX_FULLROWSELECT) || col == 0))
        return {text, back};
    if (::GetFocus() == list)
        return {highlightText, highlight};
    if (::GetWindowLongA(list, GWL_STYLE) & LVS_SHOWSELALWAYS)
        return {windowText, face};
    return {text, back};
}

void CXListCtrl::DrawText(HDC hdc, int row, int col, RECT& rect, COLORREF text, COLORREF back) noexcept
{
    if (::IsRectEmpty(&rect))
        return;
    const SelectionLook look =
        ApplySelection(m_hwnd, row, col, text, back, m_crHighLight, m_crHighLightText, m_crBtnFace, m_crWindowText);
    Fill(hdc, rect, look.back);
    const std::string label = GetItemText(row, col);
    if (label.empty())
        return;

    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (m_bUseEllipsis)
        format |= DT_END_ELLIPSIS;
    HDITEMA hd{};
    hd.mask = HDI_FORMAT;
    const HWND header = reinterpret_cast<HWND>(::SendMessageA(m_hwnd, LVM_GETHEADER, 0, 0));
    if (header && ::SendMessageA(header, HDM_GETITEMA, col, reinterpret_cast<LPARAM>(&hd))) {
        if ((hd.fmt & HDF_JUSTIFYMASK) == HDF_CENTER)
            format |= DT_CENTER;
        else if ((hd.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT)
            format |= DT_RIGHT;
    }

    UniqueFont bold;
    const XListCell* cell = GetCell(row, col);
    if (cell && cell->bold) {
        LOGFONTA lf{};
        if (::GetObjectA(::GetCurrentObject(hdc, OBJ_FONT), sizeof(lf), &lf)) {
            lf.lfWeight = FW_BOLD;
            bold.Reset(::CreateFontIndirectA(&lf));
        }
    }
    SelectGuard font(hdc, bold.Get());
    const int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    const COLORREF oldText = ::SetTextColor(hdc, look.text);
    RECT area = rect;
    area.left += m_nTextMargin;
    area.right -= m_nTextMargin;
    ::DrawTextA(hdc, label.c_str(), static_cast<int>(label.size()), &area, format);
    ::SetTextColor(hdc, oldText);
    ::SetBkMode(hdc, oldMode);
}

int CXListCtrl::DrawImage(HDC hdc, int row, int col, RECT& rect, COLORREF text, COLORREF back) noexcept
{
    if (::IsRectEmpty(&rect))
        return 0;
    const SelectionLook look =
        ApplySelection(m_hwnd, row, col, text, back, m_crHighLight, m_crHighLightText, m_crBtnFace, m_crWindowText);
    Fill(hdc, rect, look.back);
    const int spacing = m_HeaderCtrl.GetSpacing();
    rect.left += spacing;
    const HIMAGELIST images = GetSmallImageList();
    const XListCell* cell = GetCell(row, col);
    if (!images || !cell || cell->imageIndex == -1)
        return 0;
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(images, &cx, &cy);
    if (rect.right - rect.left <= 0)
        return 0;
    const int top = (rect.top + rect.bottom) / 2 - cy / 2;
    const int width = std::min<int>(cx, rect.right - rect.left);
    const int height = std::min<int>(cy, rect.bottom - rect.top);
    const COLORREF old = ::ImageList_SetBkColor(images, look.back);
    ::ImageList_DrawEx(images, cell->imageIndex, hdc, rect.left, top, width, height, CLR_DEFAULT, CLR_DEFAULT,
                       ILD_NORMAL);
    ::ImageList_SetBkColor(images, old);
    return cx + spacing;
}

void CXListCtrl::DrawCheckbox(HDC hdc, int row, int col, RECT& rect, COLORREF text, COLORREF back) noexcept
{
    if (::IsRectEmpty(&rect))
        return;
    const SelectionLook look =
        ApplySelection(m_hwnd, row, col, text, back, m_crHighLight, m_crHighLightText, m_crBtnFace, m_crWindowText);
    Fill(hdc, rect, look.back);

    const std::string label = GetItemText(row, col);
    const int side = rect.bottom - 1 - rect.top;
    RECT box{rect.left + 9, rect.top, 0, rect.bottom - 1};
    if (label.empty())
        box.left = rect.left - 1 + ((rect.right - rect.left) / 2 - side / 2);
    box.right = box.left + side;

    Fill(hdc, box, m_crWindow);
    UniqueBrush frame(::CreateSolidBrush(kCheckFrame));
    ::FrameRect(hdc, &box, frame.Get());

    const XListCell* cell = GetCell(row, col);
    if (cell && cell->checkState == 1) {
        const bool enabled = IsRowEnabled(row) != 0;
        UniquePen mark(::CreatePen(PS_SOLID, 1, enabled ? kCheckMark : m_crGrayText));
        SelectGuard pen(hdc, mark.Get());
        int x = box.left + 9;
        int y = box.top + 3;
        for (int stroke = 0; stroke < 7; ++stroke) {
            ::MoveToEx(hdc, x, y, nullptr);
            ::LineTo(hdc, x, y + 3);
            --x;
            y += stroke < 4 ? 1 : -1;
        }
    }

    if (!label.empty()) {
        RECT area = rect;
        area.left = box.right + 4;
        UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX;
        if (m_bUseEllipsis)
            format |= DT_END_ELLIPSIS;
        const int oldMode = ::SetBkMode(hdc, TRANSPARENT);
        const COLORREF oldText = ::SetTextColor(hdc, look.text);
        ::DrawTextA(hdc, label.c_str(), static_cast<int>(label.size()), &area, format);
        ::SetTextColor(hdc, oldText);
        ::SetBkMode(hdc, oldMode);
    }
}

void CXListCtrl::DrawProgress(HDC hdc, int row, int col, RECT& rect, COLORREF text, COLORREF) noexcept
{
    if (::IsRectEmpty(&rect))
        return;
    rect.bottom -= 1;
    rect.left += 1;
    Fill(hdc, rect, kProgressBack);
    Frame3D(hdc, rect, RGB(0, 0, 0), m_cr3DShadow);

    const XListCell* cell = GetCell(row, col);
    if (!cell || cell->progressPercent <= 0)
        return;
    const RECT inner{rect.left + 1, rect.top + 1, rect.right, rect.bottom - 1};
    RECT bar = inner;
    bar.right = inner.left - 1 + (inner.right - inner.left) * cell->progressPercent / 100;
    Fill(hdc, bar, m_crHighLight);
    if (!cell->showProgressText)
        return;

    const std::string label = FormatProgress(cell->progressText, cell->progressPercent);
    RECT area = rect;
    ::InflateRect(&area, -1, -1);
    const int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    {
        SavedDCState state(hdc);
        ::IntersectClipRect(hdc, bar.left, bar.top, bar.right, bar.bottom);
        ::SetTextColor(hdc, m_crHighLightText);
        ::DrawTextA(hdc, label.c_str(), static_cast<int>(label.size()), &area, format);
    }
    {
        SavedDCState state(hdc);
        ::IntersectClipRect(hdc, bar.right, inner.top, inner.right, inner.bottom);
        ::SetTextColor(hdc, text);
        ::DrawTextA(hdc, label.c_str(), static_cast<int>(label.size()), &area, format);
    }
    ::SetBkMode(hdc, oldMode);
}

BOOL CXListCtrl::OnEraseBkgnd(HDC hdc) noexcept
{
    RECT clip{};
    const int count = GetItemCount();
    if (!hdc || count == 0 || ::GetClipBox(hdc, &clip) == NULLREGION || ::IsRectEmpty(&clip))
        return FALSE;
    const int top = static_cast<int>(::SendMessageA(m_hwnd, LVM_GETTOPINDEX, 0, 0));
    const int perPage = static_cast<int>(::SendMessageA(m_hwnd, LVM_GETCOUNTPERPAGE, 0, 0));
    const int last = std::min(top + perPage, count - 1);
    RECT first{LVIR_BOUNDS, 0, 0, 0};
    RECT final{LVIR_BOUNDS, 0, 0, 0};
    if (!::SendMessageA(m_hwnd, LVM_GETITEMRECT, top, reinterpret_cast<LPARAM>(&first)) ||
        !::SendMessageA(m_hwnd, LVM_GETITEMRECT, last, reinterpret_cast<LPARAM>(&final)))
        return FALSE;
    // Only what the rows do not cover: above them, below them, and to their right.
    const RECT above{clip.left, clip.top, clip.right, std::min(first.top, clip.bottom)};
    const RECT below{clip.left, std::max(final.bottom, clip.top), clip.right, clip.bottom};
    const RECT right{std::max(final.right, clip.left), first.top, clip.right, final.bottom};
    for (const RECT& band : {above, below, right})
        if (band.right > band.left && band.bottom > band.top)
            Fill(hdc, band, m_crWindow);
    return TRUE;
}

void CXListCtrl::DrawEmptyMessage(HDC hdc) noexcept
{
    if (!hdc)
        return;
    RECT rect = Ref().RectIn(m_hwnd);
    const HWND header = reinterpret_cast<HWND>(::SendMessageA(m_hwnd, LVM_GETHEADER, 0, 0));
    if (header) {
        RECT item{};
        if (::SendMessageA(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)))
            rect.top += item.bottom;
    }
    rect.top += 10;
    SavedDCState state(hdc);
    Fill(hdc, rect, m_crWindow);
    ::SetTextColor(hdc, m_crWindowText);
    ::SetBkColor(hdc, m_crWindow);
    ::SelectObject(hdc, ::GetStockObject(ANSI_VAR_FONT));
    ::DrawTextA(hdc, kEmptyMessage, -1, &rect, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_NOCLIP);
}

void CXListCtrl::PrintClient(HDC hdc, LPARAM options) noexcept
{
    if (!hdc)
        return;
    if ((options & PRF_CHECKVISIBLE) && !::IsWindowVisible(m_hwnd))
        return;
    if (options & PRF_ERASEBKGND) {
        if (!OnEraseBkgnd(hdc))
            Default(WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    }
    if (options & PRF_CLIENT) {
        Default(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(hdc), PRF_CLIENT);
        if (GetItemCount() == 0)
            DrawEmptyMessage(hdc);
    }
    if ((options & PRF_CHILDREN) && m_bHeaderIsSubclassed &&
        (::GetWindowLongA(m_HeaderCtrl.Handle(), GWL_STYLE) & WS_VISIBLE)) {
        const RECT at = m_HeaderCtrl.Ref().RectIn(m_hwnd);
        SavedDCState state(hdc);
        ::IntersectClipRect(hdc, at.left, at.top, at.right, at.bottom);
        POINT origin{};
        ::GetViewportOrgEx(hdc, &origin);
        ::SetViewportOrgEx(hdc, origin.x + at.left, origin.y + at.top, nullptr);
        m_HeaderCtrl.Paint(hdc);
    }
}
