#include "app/CorvaneApp.h"

#include "app/CorvaneDlg.h"
#include "app/Globals.h"
#include "app/RegistryKey.h"
#include "app/VersionText.h"

#include <commctrl.h>
#include <objbase.h>

CCorvaneApp theApp;

CCorvaneDlg* MainDialog() noexcept
{
    return theApp.m_pMainWnd;
}

namespace
{
std::string ProgramFolder()
{
    char path[260] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string full(path, n < sizeof(path) ? n : 0);
    const size_t slash = full.find_last_of('\\');
    return slash == std::string::npos ? std::string() : full.substr(0, slash);
}
} // namespace

void WriteInstallMarker()
{
    CRegistryKey key;
    key.SetRootKey(HKEY_CURRENT_USER);
    if (!key.SetKey("Marlisk", true) || key.ValueExists("InitVer"))
        return;
    DWORD high = 0, low = 0;
    // Without a version block nothing is written, so that a later run can still record it.
    if (ReadOwnFileVersion(high, low))
        key.WriteString("InitVer", InstallMarkerText(high));
}

BOOL CCorvaneApp::InitInstance()
{
    g_strAppDir = ProgramFolder();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    // The folder-browse dialog of the download page needs COM on this thread.
    m_comStarted = SUCCEEDED(::OleInitialize(nullptr));
    LoadSettings();
    WriteInstallMarker();
    {
        CCorvaneDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal(nullptr);
        m_pMainWnd = nullptr;
    }
    return FALSE;
}

int CCorvaneApp::ExitInstance()
{
    SaveSettings();
    if (m_comStarted) {
        ::OleUninitialize();
        m_comStarted = false;
    }
    return 0;
}
