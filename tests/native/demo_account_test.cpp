// The first run's demo account is written by a script as a REGEDIT4 file;
// the program's own settings store must read it back as the script meant.
// (The script runs on the Linux side, so these tests are native only.)
#ifndef _WIN32

#include "core/settings.h"
#include "memory_profile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace {

const std::string programKey = "[HKEY_CURRENT_USER\\Software\\Harrowby\\Tidemark\\";

std::string RunDemoAccountScript(const std::string& password, const std::string& smtpPort = "21025",
                                 const std::string& imapPort = "21143") {
    std::string command = "/usr/bin/python3 " TIDEMARK_SOURCE_DIR "/scripts/demo/demo_account.py 21110 " +
                          imapPort + " " + smtpPort + " '" + password + "'";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

// Reads the REGEDIT4 text as regedit does: sections below the program's key,
// "name"=dword:hex and "name"="text" with \\ and \" escapes.
CMemoryProfile ImportRegistryFile(const std::string& file) {
    CMemoryProfile profile;
    std::istringstream lines(file);
    std::string line, section;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind(programKey, 0) == 0) {
            section = line.substr(programKey.size(), line.size() - programKey.size() - 1);
        } else if (line.size() > 2 && line[0] == '"') {
            size_t nameEnd = line.find("\"=");
            std::string name = line.substr(1, nameEnd - 1), data = line.substr(nameEnd + 2);
            if (data.rfind("dword:", 0) == 0) {
                profile.WriteInt(section, name, static_cast<int>(std::stoul(data.substr(6), nullptr, 16)));
                continue;
            }
            std::string text;
            for (size_t i = 1; i + 1 < data.size(); ++i)
                text.push_back(data[i] == '\\' ? data[++i] : data[i]);
            profile.WriteString(section, name, text);
        }
    }
    return profile;
}

} // namespace

TEST(DemoAccount, LoadsAsPostmanAccountsForTheLocalMailboxOverPop3AndImapAndTheSink) {
    std::string file = RunDemoAccountScript("secret");
    ASSERT_EQ(file.rfind("REGEDIT4\r\n", 0), 0u) << file;
    CMemoryProfile profile = ImportRegistryFile(file);
    Settings settings;
    LoadSettings(profile, settings);

    ASSERT_EQ(settings.servers.size(), 2u);
    EXPECT_EQ(settings.servers[1].Protocol, ProtocolImap);
    EXPECT_EQ(settings.servers[1].ID, "demo-imap");
    EXPECT_EQ(settings.servers[1].Port, 21143);
    const ServerEntry& demo = settings.servers[0];
    EXPECT_EQ(demo.CheckYN, 1);
    EXPECT_EQ(demo.Name, "데모 메일함");
    EXPECT_EQ(demo.Address, "127.0.0.1");
    EXPECT_EQ(demo.ID, "demo");
    EXPECT_EQ(demo.Password, "secret");
    EXPECT_EQ(demo.Port, 21110);
    EXPECT_EQ(demo.CheckAlgorithm, CheckAllMail);
    EXPECT_EQ(demo.Notify, NotifyPostman);
    EXPECT_EQ(settings.SMTPAddress, "127.0.0.1");
    EXPECT_EQ(settings.SMTPPort, 21025);
    EXPECT_EQ(settings.UserName, "데모 사용자");
    EXPECT_EQ(settings.UserMail, "demo@demo.test");
}

TEST(DemoAccount, WithoutSmtpAndImapPortsLeavesTheOutgoingServerAndSenderAloneAndNoImapAccount) {
    CMemoryProfile profile = ImportRegistryFile(RunDemoAccountScript("secret", "0", "0"));
    EXPECT_EQ(profile.GetInt("POP3", "ServerNumber", 0), 1);
    EXPECT_FALSE(profile.Has("SMTP", "SMTPAddress"));
    EXPECT_FALSE(profile.Has("SMTP", "SMTPPort"));
    EXPECT_FALSE(profile.Has("Setting", "UserName"));
    EXPECT_FALSE(profile.Has("Setting", "UserMail"));
}

TEST(DemoAccount, PasswordIsStoredAsTheSettingsStoreStoresIt) {
    // Plain scrambling, the escapes of REGEDIT4 ('#' and ']' at position 1
    // become '"' and '\'), and the hexadecimal form (0x01 at position 1
    // becomes 0; Korean text scrambles into bytes that are not code page 949).
    for (std::string password : {"secret", "abc", "#q", "]q", "\x01x", "비밀번호"}) {
        std::string file = RunDemoAccountScript(password);
        CMemoryProfile profile = ImportRegistryFile(file);
        EXPECT_EQ(profile.GetString("POP3\\Server0", "Password", "?"), EncodeStoredPassword(password))
            << password;
        Settings settings;
        LoadSettings(profile, settings);
        ASSERT_EQ(settings.servers.size(), 2u);
        EXPECT_EQ(settings.servers[0].Password, password);
    }
}

#endif
