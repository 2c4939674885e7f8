// A main frame started in this process from the program's registry key, as
// the tests of the check, the options and the screens use it: the key is
// emptied before and after each test, and the frame never checks at start.
#pragma once

#include "app/main_frame.h"
#include "base/registry_profile.h"
#include "framework/application.h"
#include "program_process.h"
#include "resource.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <memory>

class ProgramTest : public testing::Test {
  protected:
    void SetUp() override {
        ClearProgramSettings();
        app.SetRegistryKey("Harrowby");
        profile.WriteInt("Setting", "StartCheck", 0);
    }
    void TearDown() override {
        if (frame && frame->IsCreated()) {
            PumpMessagesUntil([&] { return !frame->IsCheckActive(); }, 30000);
            app.SetMainWindow(nullptr); // no WM_QUIT for the tests that follow
            DestroyWindow(frame->GetHandle());
        }
        frame.reset();
        ClearProgramSettings();
    }

    template <typename Frame = CMainFrame> void StartProgram() {
        frame = std::make_unique<Frame>();
        ASSERT_TRUE(frame->Create("Tidemark", WS_OVERLAPPEDWINDOW, IDR_TRAY_MENU));
        app.SetMainWindow(frame->GetHandle());
    }

    CTestApplication app;
    CRegistryProfile profile{"Harrowby", "Tidemark"};
    std::unique_ptr<CMainFrame> frame;
};
