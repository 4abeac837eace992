// PLACEHOLDER: minimal body so that everything links; its owner replaces this whole file.
#include "app/CorvaneApp.h"

#include "app/CorvaneDlg.h"
#include "app/Globals.h"

#include <commctrl.h>

CCorvaneApp theApp;

CCorvaneDlg* MainDialog() noexcept { return theApp.m_pMainWnd; }

BOOL CCorvaneApp::InitInstance()
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    CCorvaneDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal(nullptr);
    m_pMainWnd = nullptr;
    return FALSE;
}

int CCorvaneApp::ExitInstance() { return 0; }
