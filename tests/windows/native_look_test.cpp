// The manifest and the version block of the resource script, which the test
// program links like tidemark.exe does.
#include "program_process.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

TEST(NativeLook, ManifestGivesCommonControls6AndSystemDpiAwareness) {
    // Version 6 is loaded from its side-by-side assembly, version 5 from the
    // system folder. (Wine's DllGetVersion answers 5.81 for both.)
    char path[MAX_PATH] = "";
    GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), path, sizeof path);
    std::string loaded = CharLowerA(path);
    EXPECT_NE(loaded.find("\\winsxs\\"), std::string::npos) << loaded;
    EXPECT_NE(loaded.find("common-controls"), std::string::npos) << loaded;
    EXPECT_TRUE(IsProcessDPIAware());
}

TEST(NativeLook, ProgramFileCarriesVersion470InKorean) {
    std::string program = CProgramProcess::ExecutablePath();
    DWORD handle = 0, size = GetFileVersionInfoSizeA(program.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(7, 4));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    for (const char* name : {"FileVersion", "ProductVersion"}) {
        char* text = nullptr;
        std::string path = std::string("\\StringFileInfo\\041203b5\\") + name;
        ASSERT_TRUE(VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length))
            << name;
        EXPECT_STREQ(text, "4.7.0");
    }
}
