#include "core/settings.h"
#include "memory_profile.h"

#include <gtest/gtest.h>

namespace {

Settings Load(CMemoryProfile& profile) {
    Settings settings;
    LoadSettings(profile, settings);
    return settings;
}

ServerEntry Account(const std::string& name) {
    ServerEntry entry;
    entry.Name = name;
    entry.Address = name + ".example";
    entry.ID = "user";
    entry.Password = "pw-" + name;
    return entry;
}

} // namespace

TEST(SettingsLoad, EmptyRegistryGivesTheDefaults) {
    CMemoryProfile profile;
    Settings s = Load(profile);
    EXPECT_EQ(s.Duration, 5);
    EXPECT_EQ(s.AlwaysTop, 1);
    EXPECT_EQ(s.DefaultItem, 2);
    EXPECT_EQ(s.StartCheck, 1);
    EXPECT_EQ(s.IconInit, 1);
    EXPECT_EQ(s.SMTPPort, 25);
    EXPECT_EQ(s.MailCheckPause, 0);
    EXPECT_EQ(s.PasswordYN, 0);
    EXPECT_EQ(s.UpgradeCheck, 0);
    EXPECT_TRUE(s.servers.empty());
    EXPECT_TRUE(s.addressBook.empty());
    EXPECT_TRUE(s.spamAddresses.empty());
    EXPECT_EQ(s.SMTPAddress, "");
    EXPECT_EQ(s.Sign, "");
}

TEST(SettingsLoad, ServerSectionWithOnlyAnAddressTakesEntryDefaults) {
    CMemoryProfile profile;
    profile.WriteInt("POP3", "ServerNumber", 1);
    profile.WriteString("POP3\\Server0", "Address", "pop.example.com");
    Settings s = Load(profile);
    ASSERT_EQ(s.servers.size(), 1u);
    const ServerEntry& e = s.servers[0];
    EXPECT_EQ(e.Address, "pop.example.com");
    EXPECT_EQ(e.CheckYN, 1);
    EXPECT_EQ(e.Port, 110);
    EXPECT_EQ(e.CheckAlgorithm, 0);
    EXPECT_EQ(e.Notify, 1);
    EXPECT_EQ(e.Name, "");
    EXPECT_EQ(e.Password, "");
    EXPECT_EQ(e.LastMailDate, "");
}

TEST(SettingsLoad, CountBoundsTheLoopNotTheSectionsPresent) {
    CMemoryProfile profile;
    profile.WriteInt("POP3", "ServerNumber", 2);
    for (int i = 0; i < 5; ++i)
        profile.WriteString(ServerSection(i), "Name", "account" + std::to_string(i));
    profile.WriteInt("Address", "AddressNumber", 1);
    profile.WriteString("Address\\Address0", "Name", "홍길동");
    profile.WriteString("Address\\Address0", "Email", "hong@example.com");
    profile.WriteString("Address\\Address1", "Email", "stale@example.com");
    profile.WriteInt("SpamMail", "SpamMailNumber", 1);
    profile.WriteString("SpamMail", "Email0", "spam@example.com");
    profile.WriteString("SpamMail", "Email1", "stale@example.com");

    Settings s = Load(profile);
    ASSERT_EQ(s.servers.size(), 2u);
    EXPECT_EQ(s.servers[1].Name, "account1");
    ASSERT_EQ(s.addressBook.size(), 1u);
    EXPECT_EQ(s.addressBook[0].displayName, "홍길동");
    EXPECT_EQ(s.addressBook[0].address, "hong@example.com");
    ASSERT_EQ(s.spamAddresses.size(), 1u);
    EXPECT_EQ(s.spamAddresses[0], "spam@example.com");
}

TEST(SettingsLoad, DamagedCountsAreBoundedAndMatchTheLists) {
    CMemoryProfile profile;
    profile.WriteInt("POP3", "ServerNumber", -3);
    profile.WriteInt("Address", "AddressNumber", 2000000000);
    profile.WriteString("SpamMail", "SpamMailNumber", "12"); // a string where a DWORD belongs
    Settings s = Load(profile);
    EXPECT_TRUE(s.servers.empty());
    EXPECT_EQ(s.addressBook.size(), static_cast<size_t>(maxAddressEntries));
    EXPECT_TRUE(s.spamAddresses.empty());
}

TEST(SettingsLoad, EmptySpamEntriesAreLeftOutAndTheCountFollows) {
    CMemoryProfile profile;
    profile.WriteInt("SpamMail", "SpamMailNumber", 4);
    profile.WriteString("SpamMail", "Email0", "ad@spam.example");
    profile.WriteString("SpamMail", "Email1", ""); // Email2 is missing
    profile.WriteString("SpamMail", "Email3", "광고@example.com");
    Settings s = Load(profile);
    EXPECT_EQ(s.spamAddresses, (std::vector<std::string>{"ad@spam.example", "광고@example.com"}));
}

TEST(SettingsLoad, ValuesOfTheWrongTypeCountAsMissing) {
    CMemoryProfile profile;
    profile.WriteString("Setting", "Duration", "10");
    profile.WriteInt("Setting", "UserName", 7);
    Settings s = Load(profile);
    EXPECT_EQ(s.Duration, 5);
    EXPECT_EQ(s.UserName, "");
}

TEST(SettingsLoad, OutOfRangeIntegersAreKeptAsStored) {
    CMemoryProfile profile;
    profile.WriteInt("Setting", "MailClient", 9);
    profile.WriteInt("POP3", "ServerNumber", 1);
    profile.WriteInt("POP3\\Server0", "CheckAlgorithm", 7);
    Settings s = Load(profile);
    EXPECT_EQ(s.MailClient, 9);
    EXPECT_EQ(s.servers[0].CheckAlgorithm, 7);
}

TEST(SettingsSave, WritesEveryValueUnderItsSectionAndName) {
    CMemoryProfile profile;
    Settings s = Load(profile);
    s.servers.push_back(Account("a"));
    s.addressBook.push_back({"김철수", "kim@example.com"});
    s.spamAddresses.push_back("ad@example.com");
    s.Sign = "첫 줄\r\n둘째 줄";
    SaveSettings(profile, s);

    EXPECT_EQ(profile.GetInt("Setting", "Duration", -1), 5);
    EXPECT_EQ(profile.GetInt("SMTP", "SMTPPort", -1), 25);
    EXPECT_EQ(profile.GetString("SMTP", "Sign", "?"), "첫 줄\r\n둘째 줄");
    EXPECT_EQ(profile.GetInt("Setting", "MailCheckPause", -1), 0);
    EXPECT_EQ(profile.GetInt("POP3", "ServerNumber", -1), 1);
    EXPECT_EQ(profile.GetString("POP3\\Server0", "Address", "?"), "a.example");
    EXPECT_EQ(profile.GetString("POP3\\Server0", "Password", "?"), ScramblePassword("pw-a"));
    EXPECT_EQ(profile.GetInt("POP3\\Server0", "Notify", -1), 1);
    EXPECT_TRUE(profile.Has("POP3\\Server0", "LastMailDate"));
    EXPECT_EQ(profile.GetString("Address\\Address0", "Name", "?"), "김철수");
    EXPECT_EQ(profile.GetString("Address\\Address0", "Email", "?"), "kim@example.com");
    EXPECT_EQ(profile.GetString("SpamMail", "Email0", "?"), "ad@example.com");
    // Each value that loading reads is written once, and each list's count before its entries.
    const std::set<CMemoryProfile::Key> written(profile.written.begin(), profile.written.end());
    EXPECT_EQ(written.size(), profile.written.size());
    CMemoryProfile reread = profile;
    reread.asked.clear();
    Load(reread);
    EXPECT_EQ(reread.asked, written);
    std::vector<std::string> sections;
    for (const auto& key : profile.written)
        if (sections.empty() || sections.back() != key.first)
            sections.push_back(key.first);
    EXPECT_EQ(sections, (std::vector<std::string>{"Setting", "SMTP", "Setting", "POP3", "POP3\\Server0",
                                                  "Address", "Address\\Address0", "SpamMail"}));
    EXPECT_EQ(profile.written[profile.written.size() - 4].second, "SpamMailNumber");
}

TEST(SettingsSecurity, OldDataLoadsPlainAndTheNewValuesKeepTheirNames) {
    CMemoryProfile profile;
    profile.WriteInt("POP3", "ServerNumber", 1);
    profile.WriteString("POP3\\Server0", "Address", "pop.example.com");
    Settings s = Load(profile);
    EXPECT_EQ(s.servers[0].Security, 0);
    EXPECT_EQ(s.servers[0].Protocol, ProtocolPop3);
    EXPECT_EQ(s.servers[0].TrustedCertificate, "");
    EXPECT_EQ(s.SMTPSecurity, 0);
    EXPECT_EQ(s.SMTPAuthYN, 0);
    EXPECT_EQ(s.SMTPID, "");
    EXPECT_EQ(s.SMTPPassword, "");

    s.servers[0].Security = 2;
    s.servers[0].TrustedCertificate = "0A1B";
    s.servers[0].Protocol = ProtocolImap;
    s.servers[0].ImapUidValidity = 0xFFFFFFF0u; // beyond a signed DWORD
    s.servers[0].ImapLastUid = 7;
    s.SMTPSecurity = 1;
    s.SMTPTrustedCertificate = "2C3D";
    s.SMTPAuthYN = 1;
    s.SMTPID = "me@example.com";
    s.SMTPPassword = "비밀";
    SaveSettings(profile, s);
    EXPECT_EQ(profile.GetInt("POP3\\Server0", "Security", -1), 2);
    EXPECT_EQ(profile.GetString("POP3\\Server0", "TrustedCertificate", "?"), "0A1B");
    EXPECT_EQ(profile.GetInt("POP3\\Server0", "Protocol", -1), 1);
    EXPECT_EQ(profile.GetInt("POP3\\Server0", "LastUid", -1), 7);
    EXPECT_EQ(Load(profile).servers[0].ImapUidValidity, 0xFFFFFFF0u);
    EXPECT_EQ(profile.GetInt("SMTP", "SMTPSecurity", -1), 1);
    EXPECT_EQ(profile.GetString("SMTP", "SMTPTrustedCertificate", "?"), "2C3D");
    EXPECT_EQ(profile.GetInt("SMTP", "SMTPAuthYN", -1), 1);
    EXPECT_EQ(profile.GetString("SMTP", "SMTPID", "?"), "me@example.com");
    EXPECT_EQ(profile.GetString("SMTP", "SMTPPassword", "?"), EncodeStoredPassword("비밀"));
    EXPECT_NE(profile.GetString("SMTP", "SMTPPassword", "?"), "비밀");
    EXPECT_EQ(Load(profile).SMTPPassword, "비밀");
}

TEST(SettingsSave, ShrunkListLeavesTheStaleTailUntouched) {
    CMemoryProfile profile;
    Settings s = Load(profile);
    for (const char* name : {"a", "b", "c"})
        s.servers.push_back(Account(name));
    SaveSettings(profile, s);

    s.servers.pop_back();
    SaveSettings(profile, s);

    EXPECT_EQ(profile.GetInt("POP3", "ServerNumber", -1), 2);
    EXPECT_EQ(profile.GetString("POP3\\Server2", "Name", "?"), "c");
    Settings reloaded = Load(profile);
    ASSERT_EQ(reloaded.servers.size(), 2u);
    EXPECT_EQ(reloaded.servers[1].Name, "b");
}

TEST(SettingsSave, RoundTripKeepsEveryField) {
    CMemoryProfile profile;
    Settings s = Load(profile);
    s.AlwaysTop = 0;
    s.MailCheckPause = 1;
    s.DefaultItem = 0;
    s.Duration = 15;
    s.StartCheck = 0;
    s.ViewButton = 1;
    s.MailClient = 4;
    s.MailClientFile = "C:\\Program Files\\메일\\mail.exe";
    s.IconInit = 0;
    s.PasswordYN = 1;
    s.Password = "비밀 pass";
    s.UpgradeCheck = 1;
    s.SMTPAddress = "smtp.example.com";
    s.SMTPPort = 587;
    s.UserName = "홍길동";
    s.UserMail = "hong@example.com";
    s.SignYN = 1;
    s.SpamMailYN = 1;
    s.SpamMailMethod = 1;
    ServerEntry e = Account("x");
    e.CheckYN = 0;
    e.Port = 995;
    e.CheckAlgorithm = 2;
    e.Notify = 31;
    e.WaveFile = "bell.wav";
    e.AviFile = "clip.avi";
    e.MailClient = 3;
    e.MailClientFile = "other.exe";
    e.LastMailDate = "2026년 12월 7일 오후 3:05:09";
    s.servers.push_back(e);
    SaveSettings(profile, s);

    Settings r = Load(profile);
    EXPECT_EQ(r.AlwaysTop, 0);
    EXPECT_EQ(r.MailCheckPause, 1);
    EXPECT_EQ(r.DefaultItem, 0);
    EXPECT_EQ(r.Duration, 15);
    EXPECT_EQ(r.StartCheck, 0);
    EXPECT_EQ(r.ViewButton, 1);
    EXPECT_EQ(r.MailClient, 4);
    EXPECT_EQ(r.MailClientFile, s.MailClientFile);
    EXPECT_EQ(r.IconInit, 0);
    EXPECT_EQ(r.PasswordYN, 1);
    EXPECT_EQ(r.Password, "비밀 pass");
    EXPECT_EQ(r.UpgradeCheck, 1);
    EXPECT_EQ(r.SMTPAddress, "smtp.example.com");
    EXPECT_EQ(r.SMTPPort, 587);
    EXPECT_EQ(r.UserName, "홍길동");
    EXPECT_EQ(r.SpamMailYN, 1);
    EXPECT_EQ(r.SpamMailMethod, 1);
    ASSERT_EQ(r.servers.size(), 1u);
    const ServerEntry& x = r.servers[0];
    EXPECT_EQ(x.CheckYN, 0);
    EXPECT_EQ(x.Port, 995);
    EXPECT_EQ(x.CheckAlgorithm, 2);
    EXPECT_EQ(x.Notify, 31);
    EXPECT_EQ(x.WaveFile, "bell.wav");
    EXPECT_EQ(x.AviFile, "clip.avi");
    EXPECT_EQ(x.MailClient, 3);
    EXPECT_EQ(x.MailClientFile, "other.exe");
    EXPECT_EQ(x.Password, "pw-x");
    EXPECT_EQ(x.LastMailDate, e.LastMailDate);
}

TEST(PasswordScrambling, ShiftsEachByteByItsPosition) {
    EXPECT_EQ(ScramblePassword("abc"), "\x60\x60\x60");
    EXPECT_EQ(UnscramblePassword("\x60\x60\x60"), "abc");
    EXPECT_EQ(ScramblePassword(std::string(1, '\0')), "\xFF");
    EXPECT_EQ(ScramblePassword(""), "");
    EXPECT_EQ(UnscramblePassword(""), "");
}

TEST(PasswordScrambling, IsInvertibleOverEveryByteAndLongTexts) {
    std::string all;
    for (int round = 0; round < 3; ++round)
        for (int b = 0; b < 256; ++b)
            all.push_back(static_cast<char>(b));
    std::string scrambled = ScramblePassword(all);
    EXPECT_EQ(scrambled.size(), all.size());
    EXPECT_EQ(UnscramblePassword(scrambled), all);
}

TEST(PasswordStorage, PasswordsThatStayTextAreStoredAsPlainlyScrambled) {
    for (const std::string& pw : {std::string("secret"), std::string("우체부"), std::string(100, 'x')}) {
        EXPECT_EQ(EncodeStoredPassword(pw), ScramblePassword(pw));
        // Data written by earlier versions loads unchanged.
        EXPECT_EQ(DecodeStoredPassword(ScramblePassword(pw)), pw);
    }
}

TEST(PasswordStorage, AByteEqualToItsPositionSurvivesTheRegistry) {
    // A blank at position 32 scrambles to 0, which would end the string.
    std::string pw = std::string(31, 'a') + " tail";
    ASSERT_EQ(ScramblePassword(pw)[31], '\0');
    std::string stored = EncodeStoredPassword(pw);
    EXPECT_EQ(stored.find('\0'), std::string::npos);
    EXPECT_EQ(DecodeStoredPassword(stored), pw);

    std::string control = "\x01\x02\x03xyz";
    EXPECT_EQ(DecodeStoredPassword(EncodeStoredPassword(control)), control);
}

TEST(PasswordStorage, BytesTheAnsiCodePageWouldChangeAreStoredAsAsciiText) {
    // "가" at positions 2-3 scrambles to 0xAE 0x9E: not a character, so the
    // registry's code page conversion would replace it.
    std::string pw = "x가";
    std::string stored = EncodeStoredPassword(pw);
    for (unsigned char c : stored)
        EXPECT_TRUE(c > 0 && c < 0x80) << "byte " << int(c);
    EXPECT_EQ(DecodeStoredPassword(stored), pw);
    for (int b = 1; b < 256; ++b) {
        std::string each(40, static_cast<char>(b));
        EXPECT_EQ(DecodeStoredPassword(EncodeStoredPassword(each)), each) << b;
    }
}

TEST(PasswordStorage, SurvivesASaveAndLoadThroughStringValues) {
    CMemoryProfile profile;
    Settings s = Load(profile);
    s.Password = std::string(31, 'p') + " and more";
    ServerEntry e = Account("z");
    e.Password = "\x01"
                 "bc"
                 "\x04";
    s.servers.push_back(e);
    SaveSettings(profile, s);
    Settings r = Load(profile);
    EXPECT_EQ(r.Password, s.Password);
    EXPECT_EQ(r.servers[0].Password, e.Password);
}

TEST(SettingsMerge, EditedAccountsTakeTheMarksOfTheirMailboxes) {
    auto account = [](const char* host, int port, const char* id, const char* mark) {
        ServerEntry entry;
        entry.Address = host;
        entry.Port = port;
        entry.ID = id;
        entry.LastMailDate = mark;
        entry.ImapLastUid = mark[0] ? 40 : 0;
        return entry;
    };
    const std::vector<ServerEntry> live = {account("pop.a.kr", 110, "kim", "2026/12/07 10:00"),
                                           account("pop.b.kr", 995, "lee", "2026/12/07 11:00")};
    // Reordered, one renamed, one pointing at another user, one new.
    std::vector<ServerEntry> edited = {account("pop.b.kr", 995, "lee", "2026/12/01 09:00"),
                                       account("pop.a.kr", 110, "park", "2026/12/01 09:00"),
                                       account("pop.a.kr", 110, "kim", ""),
                                       account("pop.c.kr", 110, "kim", "")};
    edited[0].Name = "renamed";
    TakeCheckMarks(live, edited);
    EXPECT_EQ(edited[0].LastMailDate, "2026/12/07 11:00");
    EXPECT_EQ(edited[0].Name, "renamed");
    EXPECT_EQ(edited[1].LastMailDate, "2026/12/01 09:00");
    EXPECT_EQ(edited[2].LastMailDate, "2026/12/07 10:00");
    EXPECT_EQ(edited[2].ImapLastUid, 40u);
    EXPECT_EQ(edited[3].LastMailDate, "");
}

TEST(SettingsMerge, EntriesAddedElsewhereSurviveAndRemovalsStay) {
    const std::vector<std::string> before = {"a@x.kr", "b@x.kr"};
    const std::vector<std::string> live = {"a@x.kr", "b@x.kr", "new@x.kr", "both@x.kr"};
    std::vector<std::string> edited = {"b@x.kr", "both@x.kr", "typed@x.kr"}; // a@x.kr removed
    KeepAddedMeanwhile(before, live, edited);
    EXPECT_EQ(edited, (std::vector<std::string>{"b@x.kr", "both@x.kr", "typed@x.kr", "new@x.kr"}));
}
