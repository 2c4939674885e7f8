#include "core/settings.h"
#include "framework/application.h"
#include "base/registry_profile.h"
#include "resource.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// A company key of its own, so the program's real settings are not touched.
class RegistryProfileTest : public testing::Test {
  protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\TidemarkTests"); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\TidemarkTests"); }

    void WriteRaw(const char* section, const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        std::string path = profile.SectionPath(section);
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }

    CRegistryProfile profile{"TidemarkTests", "Tidemark"};
};

} // namespace

TEST(RegistryProfile, SectionsLieBelowCompanyAndApplication) {
    EXPECT_EQ(CRegistryProfile("Harrowby", "Tidemark").SectionPath("POP3\\Server0"),
              "Software\\Harrowby\\Tidemark\\POP3\\Server0");
    EXPECT_EQ(CRegistryProfile("", "Tidemark").SectionPath("Setting"), "Software\\Tidemark\\Setting");
}

TEST_F(RegistryProfileTest, MissingValuesGiveTheirDefaults) {
    EXPECT_EQ(profile.GetInt("Setting", "Duration", 5), 5);
    EXPECT_EQ(profile.GetString("Setting", "UserName", "none"), "none");
}

TEST_F(RegistryProfileTest, IntegersAreDwordsAndTextsAreStrings) {
    ASSERT_TRUE(profile.WriteInt("POP3\\Server0", "Port", 995));
    ASSERT_TRUE(profile.WriteString("POP3\\Server0", "Name", "회사 메일"));
    EXPECT_EQ(profile.GetInt("POP3\\Server0", "Port", 0), 995);
    EXPECT_EQ(profile.GetString("POP3\\Server0", "Name", ""), "회사 메일");

    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\TidemarkTests\\Tidemark\\POP3\\Server0", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD type = 0;
    RegQueryValueExA(key, "Port", nullptr, &type, nullptr, nullptr);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    RegQueryValueExA(key, "Name", nullptr, &type, nullptr, nullptr);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    RegCloseKey(key);
}

TEST_F(RegistryProfileTest, ValuesOfTheWrongTypeOrAbsurdSizeCountAsMissing) {
    WriteRaw("POP3", "ServerNumber", REG_SZ, "2", 2);
    DWORD number = 7;
    WriteRaw("Setting", "UserName", REG_DWORD, &number, sizeof number);
    std::string huge(8 * 1024 * 1024, 'x');
    WriteRaw("Setting", "Sign", REG_SZ, huge.c_str(), static_cast<DWORD>(huge.size() + 1));
    WriteRaw("Setting", "Short", REG_BINARY, "ab", 2);

    EXPECT_EQ(profile.GetInt("POP3", "ServerNumber", 0), 0);
    EXPECT_EQ(profile.GetString("Setting", "UserName", "d"), "d");
    EXPECT_EQ(profile.GetString("Setting", "Sign", "d"), "d");
    EXPECT_EQ(profile.GetInt("Setting", "Short", 3), 3);
}

// Every field, list and count is checked on the memory profile; the registry adds scrambled password
// bytes (a 0 at position 32, control characters) and Korean texts through the ANSI functions.
TEST_F(RegistryProfileTest, SettingsSurviveARoundTripThroughTheRegistry) {
    Settings saved;
    LoadSettings(profile, saved);
    saved.Password = std::string(31, 'p') + " 끝"; // scrambles to a 0 byte at position 32
    ServerEntry entry;
    entry.Name = "집";
    entry.Password = "\x01secret";
    entry.LastMailDate = "2026년 12월 7일 오전 9:15:00";
    saved.servers = {entry};
    SaveSettings(profile, saved);

    Settings loaded;
    LoadSettings(profile, loaded);
    EXPECT_EQ(loaded.Password, saved.Password);
    ASSERT_EQ(loaded.servers.size(), 1u);
    EXPECT_EQ(loaded.servers[0].Name, "집");
    EXPECT_EQ(loaded.servers[0].Password, "\x01secret");
    EXPECT_EQ(loaded.servers[0].LastMailDate, entry.LastMailDate);
}

TEST(Resources, StringsAreCodePage949) {
    EXPECT_EQ(GetACP(), 949u);
    EXPECT_EQ(LoadResourceString(IDS_SOCKET_INIT_FAILED), "Windows 소켓 초기화에 실패하였습니다.");
    EXPECT_EQ(LoadResourceString(IDS_APP_NAME), "Tidemark");
}
