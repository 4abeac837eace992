// The About box: the program icon and a link to the product web site.
#pragma once

#include "controls/Hyperlink.h"
#include "framework/Dialog.h"

class CAboutDlg : public DialogEx
{
public:
    CAboutDlg() noexcept;
    CHyperlink& Link() noexcept { return m_link; }

protected:
    BOOL OnInitDialog() noexcept override;

private:
    HWND m_text = nullptr;
    CHyperlink m_link;
};
