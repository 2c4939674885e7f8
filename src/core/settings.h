// The program's configuration record and its form in the registry
// (HKEY_CURRENT_USER\Software\Harrowby\Tidemark). Loading and saving go
// through a CProfile, so the same code runs against the registry and
// against a memory store.
#pragma once

#include "base/profile.h"
#include "mail/mail_address.h"

#include <cstdint>
#include <string>
#include <vector>

// Notification actions of an account, carried out in this order:
// balloon, tune, postman window, mail client, clip, wave.
enum NotifyBit {
    NotifyWave = 1,
    NotifyAviClip = 2,
    NotifyMailClient = 4,
    NotifyPostman = 8,
    NotifyTune = 16,
    NotifyBalloon = 32, // a balloon from the tray icon naming the mail
};

// Reception methods of an account.
enum CheckAlgorithmCode {
    CheckTodayOnly = 0,         // "[1] 오늘 도착한 메일만 수신"
    CheckSinceProgramStart = 1, // "[2] 실행 이후 도착한 메일만 수신"
    CheckAllMail = 2,           // "[3] 메일 서버의 모든 메일을 수신"
};

// The protocol an account's server speaks.
enum MailProtocolCode {
    ProtocolPop3 = 0,
    ProtocolImap = 1,
};

// One mail account. Its section keeps the name "POP3\Server%d" whatever the protocol.
struct ServerEntry {
    bool CheckYN = true; // stored 1: checked; anything else: skipped
    std::string Name;
    std::string Address;
    std::string ID;
    std::string Password; // plain in memory, scrambled in the registry
    int Port = 110;
    int CheckAlgorithm = CheckTodayOnly;
    int Notify = NotifyWave;
    std::string WaveFile;
    std::string AviFile;
    int MailClient = 0; // 1 msimn, 2 outlook, 3 netscape, other: MailClientFile
    std::string MailClientFile;
    std::string LastMailDate; // display date of the newest mail counted as new
    int Security = 0;         // ConnectionSecurity: 0 plain, 1 TLS on connect, 2 STLS
    // SHA-256 of a server certificate the user chose to trust although
    // Windows does not (64 hex digits); empty: none.
    std::string TrustedCertificate;
    int Protocol = ProtocolPop3; // MailProtocolCode; absent in older settings: POP3
    // IMAP: the mark of the mails announced already, the highest UID seen in
    // INBOX while its UIDVALIDITY was ImapUidValidity (0: no mark yet).
    std::uint32_t ImapUidValidity = 0;
    std::uint32_t ImapLastUid = 0;
};

// On/off values are stored as 1 and 0 ("...YN" and the like); a stored
// value other than 1 reads as off. The counts of the lists ("ServerNumber",
// "AddressNumber", "SpamMailNumber") are stored from the list sizes.
struct Settings {
    bool AlwaysTop = false;
    bool MailCheckPause = false;
    int DefaultItem = 0;
    int Duration = 0;
    bool StartCheck = false;
    int ViewButton = 0;
    int MailClient = 0;
    std::string MailClientFile;
    bool IconInit = false;
    bool PasswordYN = false;
    std::string Password;
    bool UpgradeCheck = false;
    std::vector<ServerEntry> servers;
    std::string SMTPAddress;
    int SMTPPort = 0;
    std::string UserName;
    std::string UserMail;
    bool SignYN = false;
    std::string Sign;
    int SMTPSecurity = 0; // ConnectionSecurity: 0 plain, 1 TLS on connect, 2 STARTTLS
    // As an account's TrustedCertificate, for the outgoing server.
    std::string SMTPTrustedCertificate;
    bool SMTPAuthYN = false; // AUTH with SMTPID and SMTPPassword
    std::string SMTPID;
    std::string SMTPPassword; // plain in memory, scrambled in the registry
    std::vector<MailAddress> addressBook;
    std::vector<std::string> spamAddresses;
    bool SpamMailYN = false;
    int SpamMailMethod = 0; // 0 ignore spam during the check, 1 delete it on the server
};

// Upper bounds of the stored counts. A damaged count beyond them loads only
// this many entries instead of spending minutes on sections that are not there.
constexpr int maxServerEntries = 100;
constexpr int maxAddressEntries = 10000;
constexpr int maxSpamAddresses = 10000;

// Fills the whole record; values missing or of the wrong type take their
// defaults. Every stored count is bounded to [0, its maximum] and loads that
// many entries; empty spam addresses are left out.
void LoadSettings(CProfile& profile, Settings& settings);

// Writes every value, each list's count as its size. Never deletes
// anything: the sections of a list's removed tail stay in the registry and
// are ignored by the next load.
void SaveSettings(CProfile& profile, const Settings& settings);

// Byte i (from 1) becomes (b - i) mod 256; same length, no key.
std::string ScramblePassword(const std::string& plain);
// The inverse: byte i becomes (s + i) mod 256.
std::string UnscramblePassword(const std::string& scrambled);

// The registry form of a password. Registry strings end at a 0 byte and pass
// through the ANSI code page, so a scrambled password that holds a 0 byte or
// bytes that are not text of code page 949 is stored as 0x7F followed by its
// bytes in hexadecimal. Every other password is stored exactly as
// ScramblePassword gives it, and such values load unchanged.
std::string EncodeStoredPassword(const std::string& plain);
std::string DecodeStoredPassword(const std::string& stored);

// Edits made on a copy of the settings meet values the program changed
// meanwhile: a check's marks and spam senders added from the mailbox.
// Each account of `edited` takes the mark of the account in `live` that
// reads the same mailbox (host, port and user), where there is one.
void TakeCheckMarks(const std::vector<ServerEntry>& live, std::vector<ServerEntry>& edited);
// Appends to `edited` the entries of `live` that were not in `before` and
// that `edited` lacks; an entry removed in `edited` stays removed.
void KeepAddedMeanwhile(const std::vector<std::string>& before, const std::vector<std::string>& live,
                        std::vector<std::string>& edited);

// "POP3\Server%d"
std::string ServerSection(int index);
