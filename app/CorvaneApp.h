// The application object: start-up, settings and the install marker; runs the main window.
#pragma once

#include <windows.h>

class CCorvaneDlg;

class CCorvaneApp
{
public:
    virtual ~CCorvaneApp() = default;
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    CCorvaneDlg* m_pMainWnd = nullptr; // the main dialog while it runs

private:
    bool m_comStarted = false;
};

// Writes "InitVer" under HKEY_CURRENT_USER\Marlisk once: the first run's version, never changed.
void WriteInstallMarker();

extern CCorvaneApp theApp;

// The main dialog while it runs, else nullptr.
CCorvaneDlg* MainDialog() noexcept;
