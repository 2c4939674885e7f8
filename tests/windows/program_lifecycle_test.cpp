#include "program_process.h"

#include "base/registry_profile.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

TEST(ProgramLifecycle, ASecondCopyEndsAtOnceAndLeavesTheFirstRunning) {
    ClearProgramSettings();
    CProgramProcess first;
    ASSERT_TRUE(first.Start());
    ASSERT_NE(first.WaitForMainFrame(20000), nullptr);

    CProgramProcess second;
    ASSERT_TRUE(second.Start());
    EXPECT_TRUE(second.WaitForExit(10000));
    EXPECT_TRUE(first.IsRunning());
    EXPECT_NE(first.WaitForMainFrame(0), nullptr);

    first.Close();
    EXPECT_TRUE(first.WaitForExit(10000));
}

TEST(ProgramLifecycle, ClosingSavesEverySettingAndEmptiesTheMailStore) {
    ClearProgramSettings();
    CRegistryProfile profile("Harrowby", "Tidemark");
    profile.WriteInt("Setting", "Duration", 17);
    profile.WriteInt("Setting", "StartCheck", 0);

    std::string temp = TempFilePath("");
    std::string stored = temp + "TM20261207093000.eml", older = temp + "TM19990724150509_2.eml";
    std::string other = temp + "TMnotes.txt";
    WriteFileBytes(stored, "x");
    WriteFileBytes(older, "x");
    WriteFileBytes(other, "x");

    CProgramProcess program;
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.WaitForMainFrame(20000), nullptr);
    program.Close();
    ASSERT_TRUE(program.WaitForExit(10000));

    EXPECT_FALSE(FileExists(stored));
    EXPECT_FALSE(FileExists(older));
    EXPECT_TRUE(FileExists(other));
    DeleteFileA(other.c_str());

    EXPECT_EQ(profile.GetInt("Setting", "Duration", 0), 17);
    EXPECT_EQ(profile.GetInt("Setting", "AlwaysTop", 0), 1);
    EXPECT_EQ(profile.GetInt("SMTP", "SMTPPort", 0), 25);
    EXPECT_EQ(profile.GetInt("SpamMail", "SpamMailMethod", -1), 0);
    EXPECT_EQ(profile.GetString("SMTP", "SMTPAddress", "missing"), "");
}
