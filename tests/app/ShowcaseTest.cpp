// Not part of the suite: opens every window of the shell at once for a person to take a screenshot
// (run with --gtest_also_run_disabled_tests --gtest_filter='*Showcase*').
#include "AppFixture.h"

#include "app/AboutDlg.h"
#include "app/UrlMsgDlg.h"
#include "controls/ThemeDialog.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

namespace
{

TEST(Showcase, DISABLED_EveryShellWindowForAScreenshot)
{
    harness::CleanRegistry();
    apptest::ResetSettings();
    ASSERT_TRUE(apptest::RunProgram([](CCorvaneDlg& dlg) {
        ::SetWindowPos(dlg.Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CAboutDlg about;
        UrlMsgDlg help;
        ThemeDialog theme;
        about.CreateModeless(nullptr);
        help.CreateModeless(nullptr);
        theme.CreateModeless(nullptr);
        ::SetWindowPos(about.Handle(), HWND_TOP, 720, 10, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetWindowPos(theme.Handle(), HWND_TOP, 720, 200, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetWindowPos(help.Handle(), HWND_TOP, 700, 450, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        harness::PumpFor(8000);
        dlg.GetSheet().SetActivePage(1);
        harness::PumpFor(8000);
        ::DestroyWindow(about.Handle());
        ::DestroyWindow(help.Handle());
        ::DestroyWindow(theme.Handle());
    }));
}

} // namespace
