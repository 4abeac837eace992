// A push button that shows itself as a text link: owner-drawn, hand cursor, hover tracking, a
// visited flag, Enter released on the focused link clicks it, and a click opens the target
// address with the shell's "open" verb and marks the link visited.
#pragma once

#include "framework/Window.h"

#include <string>

class LinkButton : public Window
{
public:
    LinkButton() noexcept = default;

    void SetURL(const std::string& url) { m_url = url; }
    const std::string& GetURL() const noexcept { return m_url; }
    bool IsVisited() const noexcept { return m_visited; }
    void SetVisited(bool visited = true) noexcept;
    bool IsHovering() const noexcept { return m_hover; }
    void SetAlwaysUnderline(bool on = true) noexcept;
    bool IsAlwaysUnderline() const noexcept { return m_alwaysUnderline; }
    void SetMultiline(bool on = true) noexcept { m_multiline = on; }
    bool IsMultiline() const noexcept { return m_multiline; }

    // Draws the link into `hdc` over `rect` (client coordinates). The parent's background is
    // already there.
    virtual void DrawLink(HDC hdc, const RECT& rect) noexcept;
    // Multi-line sizing: the caption broken into lines inside the current width, plus a margin.
    virtual SIZE SizeToContent(bool centreVertically = false, bool centreHorizontally = false) noexcept;

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;
    bool OnReflect(UINT msg, WPARAM w, LPARAM l, LRESULT& result) noexcept override;
    void OnAttached() noexcept override;
    // The click: opens the address and marks the link visited.
    virtual void OnClicked() noexcept;
    // Paints the parent's background behind the control, so the link looks transparent.
    void PaintParentBackground(HDC hdc) const noexcept;
    void PaintInto(HDC hdc, bool erase) noexcept;

    std::string m_url;
    bool m_visited = false;
    bool m_hover = false;
    bool m_alwaysUnderline = false;
    bool m_multiline = false;
};
