// An edit box with a folder-browse button drawn at its right end, inside its frame. Pressing the
// button opens the shell's folder picker (file-system folders only) and puts the chosen folder in
// the box.
#pragma once

#include "framework/Window.h"

#include <string>

class EditBrowse : public Window
{
public:
    EditBrowse() noexcept = default;

    // Turns the browse button on (or off); an empty title gives the picker's default title.
    void EnableFolderBrowseButton(const std::string& title = {}, bool on = true) noexcept;
    bool HasBrowseButton() const noexcept { return m_browse; }
    // The button's rectangle in window coordinates of the edit (empty when off).
    RECT ButtonRect() const noexcept;
    // Runs the picker as a click on the button does; true when a folder was chosen.
    virtual bool OnBrowse();

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;
    void DrawButton(HDC hdc) const noexcept;

private:
    int ButtonWidth() const noexcept;

    bool m_browse = false;
    bool m_pressed = false;
    std::string m_title;
};
