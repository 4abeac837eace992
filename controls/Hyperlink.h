// A text link drawn as its caption only, in one of three colours and a font of its own that is
// underlined while the pointer is over it; opens its target address when clicked.
#pragma once

#include "framework/LinkButton.h"

#include <string>

class CHyperlink : public LinkButton
{
public:
    CHyperlink();
    ~CHyperlink() override;

    void SetLinkFont(const std::string& face, int height, bool italic, bool bold) noexcept;
    void SetLinkFontPoints(const std::string& face, int points, bool italic, bool bold) noexcept;
    void SetLinkColours(COLORREF normal, COLORREF hover, COLORREF visited) noexcept;
    BOOL SetTextAlignment(int alignment) noexcept;
    void SetUseParentFont(bool on) noexcept { m_bUseParentFont = on; }
    bool GetUseParentFont() const noexcept { return m_bUseParentFont; }
    void ResetLinkFont() noexcept;
    std::string GetLinkFontFace() const;
    int GetLinkFontPoints() const noexcept;
    bool IsLinkFontBold() const noexcept { return m_linkFont.lfWeight >= FW_BOLD; }
    bool IsLinkFontItalic() const noexcept { return m_linkFont.lfItalic != 0; }
    int GetTextAlignment() const noexcept { return m_nAlignment; }
    const LOGFONTA& GetLinkLogFont() const noexcept { return m_linkFont; }
    HFONT GetLinkFontHandle() const noexcept { return m_hLinkFont; }

    void DrawLink(HDC hdc, const RECT& rect) noexcept override;
    SIZE SizeToContent(bool centreVertically = false, bool centreHorizontally = false) noexcept override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;

private:
    void RebuildUnderlined() noexcept;

    LOGFONTA m_linkFont{};
    HFONT m_hLinkFont = nullptr;
    HFONT m_hUnderlineFont = nullptr;
    bool m_bUnderlineCurrent = false;
    HWND m_hParent = nullptr;
    bool m_bInitialised = false;
    bool m_bUseParentFont = true;
    int m_nAlignment = 0;
    COLORREF m_crNormal;
    COLORREF m_crHover;
    COLORREF m_crVisited;
};
