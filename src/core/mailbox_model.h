// The mails of the current or last check and the state of the check: what
// the mailbox page lists and its labels and check button show, and what the
// tray menu offers. The main frame owns the one model; windows reach it
// through the frame's GetMailbox and start or stop checks through
// CMailCheckControl, never through the frame's own members.
//
// The check's worker thread may outlive the frame, so the model is shared
// with it. The mails and the listed count belong to the user-interface
// thread (the worker changes them only through its host, which runs there);
// `checkRunning` and the worker flag are shared by both threads; the records
// of announced future-dated mails and of retrieved messages belong to
// whichever worker runs.
#pragma once

#include "base/calendar_time.h"
#include "mail/mail_header.h"

#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

// One row of the mailbox list: a mail a check found, or an account that
// could not be checked (an error row, whose sender column reads
// errorRowSender and whose subject column the reason). A row holds all the
// list shows of it, so a list made later shows the same rows.
struct MailHeader {
    enum class Kind { Mail, Error };

    Kind kind = Kind::Mail;
    int serverIndex = 0;
    std::string accountName; // the account column
    std::string senderName;  // empty when the From line gives none
    std::string senderAddress;
    std::string subject;   // decoded
    std::string dateText;  // display form ("2001년 7월 24일 오전 10:05:09")
    std::string storeFile; // full path of the .eml copy
    std::string uniqueId;  // the server's lasting name of the mail; "" when it offers none
    int serverOrder = 0;   // where the mail stood on its server: later mails have higher numbers
    // The sender's name and the subject with every character the mail gives
    // them, for the screen (the strings above are code page 949).
    std::u16string senderNameWide;
    std::u16string subjectWide;

    bool IsErrorRow() const { return kind == Kind::Error; }
};

// The error row of account `serverIndex`.
MailHeader ErrorRow(int serverIndex);

// What the screen shows of a mail's sender name and subject: its own
// characters, or the code page 949 text of a record made without them.
std::u16string ShownSenderName(const MailHeader& mail);
std::u16string ShownSubject(const MailHeader& mail);

// Where in `rows` a mail that a check found belongs: among the rows its
// account has listed so far (the last ones), in the order of the server, so
// the account's rows stand in ascending order however the server was walked.
int RowForFoundMail(const std::vector<MailHeader>& rows, const MailHeader& mail);

// Mails dated beyond the time of the check that listed them, already counted
// as new once. Such a date must not carry the new-mail mark into the future,
// so the mark stops at the check's time, and this record keeps the mail from
// counting again at every later check. Kept in memory only, per mailbox
// (host and user), so a replaced or reordered account list never lends one
// account's record to another.
class CAnnouncedMails {
  public:
    static std::string AccountKey(const std::string& host, const std::string& user);
    static std::string MailKey(const MailHeader& mail);

    bool Contains(const std::string& account, const std::string& mail) const;
    // After an account's walk: `seen` are the recorded or newly announced
    // mails it met. A complete walk keeps only those; an interrupted one
    // adds them to what was recorded.
    void Update(const std::string& account, const std::set<std::string>& seen, bool complete);

  private:
    std::map<std::string, std::set<std::string>> accounts;
};

// The messages the checks of this run retrieved, per mailbox (host, port and
// user) and unique id (UIDL): the header fields the fetch gave, so that a
// later check meeting the same message takes them instead of fetching it
// again. Kept in memory only; a mailbox keeps only the ids its server still
// lists.
class CRetrievedMails {
  public:
    struct Mail {
        HeaderFields fields;
        // The mail time the session held before the fetch: a message without
        // a date of its own keeps it (and is stored under it), so its fields
        // stand only when the message comes after one of that time again.
        CCalendarTime previousTime;
        // IMAP: when the server received the mail (INTERNALDATE).
        CCalendarTime arrival;
    };

    static std::string MailboxKey(const std::string& host, int port, const std::string& user);

    // The mail remembered under id, or null.
    const Mail* Find(const std::string& mailbox, const std::string& id) const;
    void Remember(const std::string& mailbox, const std::string& id, const Mail& mail);
    // Forgets the mailbox's messages whose ids are not in `listed`.
    void Retain(const std::string& mailbox, const std::vector<std::string>& listed);

  private:
    std::map<std::string, std::map<std::string, Mail>> mailboxes;
};

class CMailboxModel {
  public:
    explicit CMailboxModel(CCalendarTime programStartTime = CCalendarTime::Now())
        : programStartTime(programStartTime) {}

    // Element i is row i of the mailbox list.
    const std::vector<MailHeader>& GetArrivedMails() const { return arrivedMails; }
    // Mails listed by the last check, error rows not counted.
    int GetListedMailCount() const { return listedMailCount; }
    // A check runs and no stop has been asked for.
    bool IsCheckRunning() const { return checkRunning == 1; }
    // From the start of a check until its worker has ended, also while a
    // stopped check finishes its account.
    bool IsCheckActive() const { return workerActive; }
    // When the program started: the cut-off of reception method 1.
    CCalendarTime GetProgramStartTime() const { return programStartTime; }

    // Changes made for the check and the delete command, on the
    // user-interface thread. InsertMail brings `row` into 0..size and
    // returns where the mail went.
    int InsertMail(const MailHeader& mail, int row);
    void ClearMails();
    void AddListedCount(int count) { listedMailCount += count; }
    void ResetListedCount() { listedMailCount = 0; }
    // Removes the mail of `row` (deleted on its server) and counts one
    // listed mail less; error rows are not counted.
    void RemoveMail(int row);

    // Marks a check as started: false when a worker is still active.
    bool BeginCheck();
    // Asks the running check to stop.
    void RequestStop() { checkRunning = 0; }
    // The worker has ended (or never started).
    void EndCheck();

    // 1 while a check runs; clearing it asks the check to stop. The worker
    // reads it after every transfer and its session's waits watch it.
    std::atomic<int> checkRunning{0};
    CAnnouncedMails announcedMails;
    CRetrievedMails retrievedMails;

  private:
    std::vector<MailHeader> arrivedMails;
    int listedMailCount = 0;
    std::atomic<bool> workerActive{false};
    const CCalendarTime programStartTime;
};

// The check as windows may start or stop it, and the new-mail state it
// leaves in the tray; the frame that runs checks fills it in.
struct CMailCheckControl {
    // Starts a check, or asks the running one to stop.
    std::function<void()> startOrStop;
    // A mail client was started for the user to read the mail: with the
    // IconInit setting on, the tray no longer announces new mail.
    std::function<void()> mailClientStarted;
};
