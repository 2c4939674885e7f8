#include "core/startup_entry.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

const char runKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The raw value, or "<missing>".
std::string RunValue(const char* name) {
    char data[MAX_PATH * 2];
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, runKey, name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return "<missing>";
    return data;
}

class StartupEntryTest : public testing::Test {
  protected:
    void SetUp() override {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, runKey, "Tidemark");
        RegSetKeyValueA(HKEY_CURRENT_USER, runKey, "Neighbour", REG_SZ, "other.exe", 10);
    }
    void TearDown() override {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, runKey, "Tidemark");
        RegDeleteKeyValueA(HKEY_CURRENT_USER, runKey, "Neighbour");
    }
};

} // namespace

TEST_F(StartupEntryTest, AddsTheQuotedPathAndRemovesOnlyItsOwnValue) {
    EXPECT_FALSE(IsStartedWithWindows());
    const std::string program = "C:\\users\\김 철수\\AppData\\Local\\Programs\\Tidemark\\tidemark.exe";
    ASSERT_TRUE(SetStartWithWindows(true, program));
    EXPECT_EQ(RunValue("Tidemark"), "\"" + program + "\"");
    EXPECT_TRUE(IsStartedWithWindows());

    ASSERT_TRUE(SetStartWithWindows(false));
    EXPECT_EQ(RunValue("Tidemark"), "<missing>");
    EXPECT_FALSE(IsStartedWithWindows());
    EXPECT_TRUE(SetStartWithWindows(false)) << "removing a missing entry succeeds";
    EXPECT_EQ(RunValue("Neighbour"), "other.exe");
}

TEST_F(StartupEntryTest, WithoutAPathNamesThisProgram) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    ASSERT_TRUE(SetStartWithWindows(true));
    EXPECT_EQ(RunValue("Tidemark"), std::string("\"") + self + "\"");
}

TEST_F(StartupEntryTest, AnEntryWrittenByTheInstallerCounts) {
    const char installed[] = "\"C:\\Tidemark\\tidemark.exe\"";
    RegSetKeyValueA(HKEY_CURRENT_USER, runKey, "Tidemark", REG_SZ, installed, sizeof installed);
    EXPECT_TRUE(IsStartedWithWindows());
}
