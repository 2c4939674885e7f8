#include "core/settings.h"

#include <algorithm>
#include <utility>

namespace {

const char setting[] = "Setting";
const char smtp[] = "SMTP";
const char pop3[] = "POP3";
const char address[] = "Address";
const char spamMail[] = "SpamMail";

std::string Numbered(const char* prefix, int index) {
    return prefix + std::to_string(index);
}

std::string AddressSection(int index) {
    return Numbered("Address\\Address", index);
}
std::string SpamValueName(int index) {
    return Numbered("Email", index);
}

int BoundCount(int count, int maximum) {
    return std::clamp(count, 0, maximum);
}

// A stored integer or text of a record. `section` is null for the values of
// a server entry, which live in the entry's own section.
template <typename Record> struct IntField {
    const char* section;
    const char* name;
    int Record::*field;
    int def;
};
// An on/off value, stored as 1 or 0.
template <typename Record> struct FlagField {
    const char* section;
    const char* name;
    bool Record::*field;
    bool def;
};
// An unsigned 32-bit value, stored as the DWORD's bits.
template <typename Record> struct DwordField {
    const char* section;
    const char* name;
    std::uint32_t Record::*field;
};
template <typename Record> struct TextField {
    const char* section;
    const char* name;
    std::string Record::*field;
};

// The values of the "Setting" and "SMTP" sections, in the order they are
// read and written (the server count follows them). One table for both directions keeps
// load and save in step.
template <typename Visit> void VisitGeneralValues(Visit&& visit) {
    using Int = IntField<Settings>;
    using Flag = FlagField<Settings>;
    using Text = TextField<Settings>;
    visit(Int{setting, "Duration", &Settings::Duration, 5});
    visit(Flag{setting, "AlwaysTop", &Settings::AlwaysTop, true});
    visit(Text{smtp, "SMTPAddress", &Settings::SMTPAddress});
    visit(Int{smtp, "SMTPPort", &Settings::SMTPPort, 25});
    visit(Flag{smtp, "SignYN", &Settings::SignYN, false});
    visit(Text{smtp, "Sign", &Settings::Sign});
    visit(Int{smtp, "SMTPSecurity", &Settings::SMTPSecurity, 0});
    visit(Text{smtp, "SMTPTrustedCertificate", &Settings::SMTPTrustedCertificate});
    visit(Flag{smtp, "SMTPAuthYN", &Settings::SMTPAuthYN, false});
    visit(Text{smtp, "SMTPID", &Settings::SMTPID});
    visit(Text{smtp, "SMTPPassword", &Settings::SMTPPassword});
    visit(Text{setting, "UserName", &Settings::UserName});
    visit(Text{setting, "UserMail", &Settings::UserMail});
    visit(Int{setting, "DefaultItem", &Settings::DefaultItem, 2});
    visit(Flag{setting, "StartCheck", &Settings::StartCheck, true});
    visit(Int{setting, "ViewButton", &Settings::ViewButton, 0});
    visit(Int{setting, "MailClient", &Settings::MailClient, 0});
    visit(Text{setting, "MailClientFile", &Settings::MailClientFile});
    visit(Flag{setting, "IconInit", &Settings::IconInit, true});
    visit(Flag{setting, "PasswordYN", &Settings::PasswordYN, false});
    visit(Text{setting, "Password", &Settings::Password});
    visit(Flag{setting, "UpgradeCheck", &Settings::UpgradeCheck, false});
    visit(Flag{setting, "MailCheckPause", &Settings::MailCheckPause, false});
}

template <typename Visit> void VisitServerValues(Visit&& visit) {
    using Int = IntField<ServerEntry>;
    using Flag = FlagField<ServerEntry>;
    using Text = TextField<ServerEntry>;
    visit(Flag{nullptr, "CheckYN", &ServerEntry::CheckYN, true});
    visit(Text{nullptr, "Name", &ServerEntry::Name});
    visit(Text{nullptr, "Address", &ServerEntry::Address});
    visit(Text{nullptr, "ID", &ServerEntry::ID});
    visit(Text{nullptr, "Password", &ServerEntry::Password});
    visit(Int{nullptr, "Port", &ServerEntry::Port, 110});
    visit(Int{nullptr, "CheckAlgorithm", &ServerEntry::CheckAlgorithm, 0});
    visit(Int{nullptr, "Notify", &ServerEntry::Notify, 1});
    visit(Text{nullptr, "WaveFile", &ServerEntry::WaveFile});
    visit(Text{nullptr, "AviFile", &ServerEntry::AviFile});
    visit(Int{nullptr, "MailClient", &ServerEntry::MailClient, 0});
    visit(Text{nullptr, "MailClientFile", &ServerEntry::MailClientFile});
    visit(Text{nullptr, "LastMailDate", &ServerEntry::LastMailDate});
    visit(Int{nullptr, "Security", &ServerEntry::Security, 0});
    visit(Text{nullptr, "TrustedCertificate", &ServerEntry::TrustedCertificate});
    visit(Int{nullptr, "Protocol", &ServerEntry::Protocol, ProtocolPop3});
    visit(DwordField<ServerEntry>{nullptr, "UidValidity", &ServerEntry::ImapUidValidity});
    visit(DwordField<ServerEntry>{nullptr, "LastUid", &ServerEntry::ImapLastUid});
}

// Passwords, and nothing else, pass through the scrambling.
bool IsPassword(const char* name) {
    return std::string(name) == "Password" || std::string(name) == "SMTPPassword";
}

template <typename Record> class CRecordLoader {
  public:
    CRecordLoader(CProfile& profile, Record& record, std::string entrySection = "")
        : profile(profile), record(record), entrySection(std::move(entrySection)) {}

    void operator()(const IntField<Record>& v) {
        record.*v.field = profile.GetInt(v.section ? v.section : entrySection, v.name, v.def);
    }
    void operator()(const FlagField<Record>& v) {
        record.*v.field = profile.GetInt(v.section ? v.section : entrySection, v.name, v.def ? 1 : 0) == 1;
    }
    void operator()(const DwordField<Record>& v) {
        record.*v.field =
            static_cast<std::uint32_t>(profile.GetInt(v.section ? v.section : entrySection, v.name, 0));
    }
    void operator()(const TextField<Record>& v) {
        std::string text = profile.GetString(v.section ? v.section : entrySection, v.name, "");
        record.*v.field = IsPassword(v.name) ? DecodeStoredPassword(text) : text;
    }

  private:
    CProfile& profile;
    Record& record;
    std::string entrySection;
};

template <typename Record> class CRecordSaver {
  public:
    CRecordSaver(CProfile& profile, const Record& record, std::string entrySection = "")
        : profile(profile), record(record), entrySection(std::move(entrySection)) {}

    void operator()(const IntField<Record>& v) {
        profile.WriteInt(v.section ? v.section : entrySection, v.name, record.*v.field);
    }
    void operator()(const FlagField<Record>& v) {
        profile.WriteInt(v.section ? v.section : entrySection, v.name, record.*v.field ? 1 : 0);
    }
    void operator()(const DwordField<Record>& v) {
        profile.WriteInt(v.section ? v.section : entrySection, v.name, static_cast<int>(record.*v.field));
    }
    void operator()(const TextField<Record>& v) {
        const std::string& text = record.*v.field;
        profile.WriteString(v.section ? v.section : entrySection, v.name,
                            IsPassword(v.name) ? EncodeStoredPassword(text) : text);
    }

  private:
    CProfile& profile;
    const Record& record;
    std::string entrySection;
};

} // namespace

std::string ServerSection(int index) {
    return Numbered("POP3\\Server", index);
}

void LoadSettings(CProfile& profile, Settings& settings) {
    VisitGeneralValues(CRecordLoader<Settings>(profile, settings));

    int servers = BoundCount(profile.GetInt(pop3, "ServerNumber", 0), maxServerEntries);
    settings.servers.clear();
    for (int i = 0; i < servers; ++i) {
        ServerEntry entry;
        VisitServerValues(CRecordLoader<ServerEntry>(profile, entry, ServerSection(i)));
        settings.servers.push_back(entry);
    }

    int addresses = BoundCount(profile.GetInt(address, "AddressNumber", 0), maxAddressEntries);
    settings.addressBook.clear();
    for (int i = 0; i < addresses; ++i) {
        std::string section = AddressSection(i);
        settings.addressBook.push_back(
            MailAddress{profile.GetString(section, "Name", ""), profile.GetString(section, "Email", "")});
    }

    int spamCount = BoundCount(profile.GetInt(spamMail, "SpamMailNumber", 0), maxSpamAddresses);
    settings.SpamMailYN = profile.GetInt(spamMail, "SpamMailYN", 0) == 1;
    settings.SpamMailMethod = profile.GetInt(spamMail, "SpamMailMethod", 0);
    settings.spamAddresses.clear();
    for (int i = 0; i < spamCount; ++i) {
        // An empty entry (a missing value) would stand for every mail without a sender.
        std::string spam = profile.GetString(spamMail, SpamValueName(i), "");
        if (!spam.empty())
            settings.spamAddresses.push_back(spam);
    }
}

void SaveSettings(CProfile& profile, const Settings& settings) {
    VisitGeneralValues(CRecordSaver<Settings>(profile, settings));

    profile.WriteInt(pop3, "ServerNumber", static_cast<int>(settings.servers.size()));
    for (size_t i = 0; i < settings.servers.size(); ++i)
        VisitServerValues(
            CRecordSaver<ServerEntry>(profile, settings.servers[i], ServerSection(static_cast<int>(i))));

    profile.WriteInt(address, "AddressNumber", static_cast<int>(settings.addressBook.size()));
    for (size_t i = 0; i < settings.addressBook.size(); ++i) {
        std::string section = AddressSection(static_cast<int>(i));
        profile.WriteString(section, "Name", settings.addressBook[i].displayName);
        profile.WriteString(section, "Email", settings.addressBook[i].address);
    }

    profile.WriteInt(spamMail, "SpamMailNumber", static_cast<int>(settings.spamAddresses.size()));
    profile.WriteInt(spamMail, "SpamMailYN", settings.SpamMailYN ? 1 : 0);
    profile.WriteInt(spamMail, "SpamMailMethod", settings.SpamMailMethod);
    for (size_t i = 0; i < settings.spamAddresses.size(); ++i)
        profile.WriteString(spamMail, SpamValueName(static_cast<int>(i)), settings.spamAddresses[i]);
}

std::string ScramblePassword(const std::string& plain) {
    std::string out = plain;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char>(static_cast<unsigned char>(out[i]) - (i + 1));
    return out;
}

std::string UnscramblePassword(const std::string& scrambled) {
    std::string out = scrambled;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char>(static_cast<unsigned char>(out[i]) + (i + 1));
    return out;
}

namespace {

// Registry strings go through the ANSI code page on their way in and out, so
// only text that is valid there comes back byte for byte: ASCII, and the
// Hangul and Hanja pairs of code page 949 (every code point of those rows is
// assigned). Anything else would come back changed.
bool SurvivesAnsiRegistry(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        auto lead = static_cast<unsigned char>(text[i]);
        if (lead == 0)
            return false;
        if (lead < 0x80)
            continue;
        bool pairLead = (lead >= 0xB0 && lead <= 0xC8) || (lead >= 0xCA && lead <= 0xFD);
        if (!pairLead || i + 1 == text.size())
            return false;
        auto trail = static_cast<unsigned char>(text[++i]);
        if (trail < 0xA1 || trail > 0xFE)
            return false;
    }
    return true;
}

// Marks the hexadecimal form. A typed password never begins with byte 0x80
// (no character of code page 949 does), so no plainly stored password begins
// with 0x80 - 1.
const char hexFormMarker = '\x7F';
const char hexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool DecodeHexForm(const std::string& stored, std::string& scrambled) {
    if (stored.empty() || stored[0] != hexFormMarker || stored.size() % 2 != 1)
        return false;
    scrambled.clear();
    for (size_t i = 1; i < stored.size(); i += 2) {
        int high = HexValue(stored[i]), low = HexValue(stored[i + 1]);
        if (high < 0 || low < 0)
            return false;
        scrambled.push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

} // namespace

std::string EncodeStoredPassword(const std::string& plain) {
    std::string scrambled = ScramblePassword(plain);
    if (SurvivesAnsiRegistry(scrambled))
        return scrambled;
    std::string stored(1, hexFormMarker);
    for (unsigned char byte : scrambled) {
        stored.push_back(hexDigits[byte >> 4]);
        stored.push_back(hexDigits[byte & 0x0F]);
    }
    return stored;
}

std::string DecodeStoredPassword(const std::string& stored) {
    std::string scrambled;
    return UnscramblePassword(DecodeHexForm(stored, scrambled) ? scrambled : stored);
}

void TakeCheckMarks(const std::vector<ServerEntry>& live, std::vector<ServerEntry>& edited) {
    for (ServerEntry& account : edited) {
        auto same = std::find_if(live.begin(), live.end(), [&](const ServerEntry& other) {
            return other.Address == account.Address && other.Port == account.Port && other.ID == account.ID &&
                   other.Protocol == account.Protocol;
        });
        if (same == live.end())
            continue;
        account.LastMailDate = same->LastMailDate;
        account.ImapUidValidity = same->ImapUidValidity;
        account.ImapLastUid = same->ImapLastUid;
    }
}

void KeepAddedMeanwhile(const std::vector<std::string>& before, const std::vector<std::string>& live,
                        std::vector<std::string>& edited) {
    auto holds = [](const std::vector<std::string>& list, const std::string& entry) {
        return std::find(list.begin(), list.end(), entry) != list.end();
    };
    for (const std::string& entry : live) {
        if (!holds(before, entry) && !holds(edited, entry))
            edited.push_back(entry);
    }
}
