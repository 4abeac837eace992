#include "app/AboutDlg.h"

#include "app/Globals.h"
#include "res/SmallDialogs.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg() noexcept : DialogEx(IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() noexcept
{
    m_text = ::GetDlgItem(m_hwnd, IDC_ABOUT_TEXT);
    m_link.SubclassDlgItem(IDC_ABOUT_LINK, m_hwnd);
    m_link.Ref().SetText("Visit our Website.");
    m_link.SetURL(g_strSiteBase);
    m_link.SizeToContent(false, false);
    ::SetWindowTextA(m_hwnd, ("About " + g_strAppName).c_str());
    return TRUE;
}
