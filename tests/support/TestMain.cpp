#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    ::InitCommonControlsEx(&icc);
    ::OleInitialize(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    // Worker threads of a test may still hold windows; end at once rather than unwind them.
    ::fflush(nullptr);
    ::ExitProcess(static_cast<UINT>(rc));
}
