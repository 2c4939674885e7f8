#include "net/socket_platform.h"
#include "framework/ui_thread.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    StartSocketLibrary();
    CUiThread::Start();
    int result = RUN_ALL_TESTS();
    CUiThread::Stop();
    return result;
}
