// The mail check taking messages it retrieved before from memory (UIDL):
// only what a fetch would have given, and only where the ids can be trusted.
#include "check_cycle_support.h"

#include "mail/mail_store.h"

#include <algorithm>

namespace {

struct StoredMail {
    std::string id;
    std::string reply; // the RETR reply
};

const StoredMail dated = {"id-a", Message("a@example.com", "a", true, "Mon, 7 Dec 2026 09:00:00 +0000")};
// Without a date it is stored under the time of the message before it.
const StoredMail undated = {"id-b",
                            "+OK\r\nFrom: b@example.com\r\nTo: u@x\r\nSubject: b\r\n\r\nBody.\r\n.\r\n"};
const StoredMail later = {"id-c", Message("c@example.com", "c", true, "Mon, 7 Dec 2026 09:02:00 +0000")};
const StoredMail added = {"id-d", Message("d@example.com", "d", true, "Mon, 7 Dec 2026 09:03:00 +0000")};

// One check of `mailbox` (method 2) with the UIDL answer given: the server
// answers RETR of each message in `fetched` (by number), in that order.
std::vector<PeerStep> CheckOf(const std::vector<StoredMail>& mailbox, const std::string& uidl,
                              const std::vector<int>& fetched) {
    std::vector<PeerStep> script = {Greeting(), Reply("+OK\r\n"), Reply("+OK\r\n"),
                                    Reply("+OK " + std::to_string(mailbox.size()) + " 100\r\n"), Reply(uidl)};
    for (int n : fetched)
        script.push_back(Reply(mailbox[n - 1].reply));
    script.push_back(Reply("+OK bye\r\n"));
    return script;
}

std::string Listing(const std::vector<StoredMail>& mailbox) {
    std::string listing = "+OK\r\n";
    for (size_t i = 0; i < mailbox.size(); ++i)
        listing += std::to_string(i + 1) + " " + mailbox[i].id + "\r\n";
    return listing + ".\r\n";
}

std::vector<std::string> Retrieved(CScriptedPeer& server) {
    std::vector<std::string> commands = server.Commands();
    commands.erase(std::remove_if(commands.begin(), commands.end(),
                                  [](const std::string& c) { return c.compare(0, 5, "RETR ") != 0; }),
                   commands.end());
    return commands;
}

void ExpectSameOutcome(const CRecordingHost& cached, const CRecordingHost& fetched) {
    ASSERT_EQ(cached.mails.size(), fetched.mails.size());
    for (size_t i = 0; i < cached.mails.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cached.mails[i].senderName, fetched.mails[i].senderName);
        EXPECT_EQ(cached.mails[i].senderAddress, fetched.mails[i].senderAddress);
        EXPECT_EQ(cached.mails[i].subject, fetched.mails[i].subject);
        EXPECT_EQ(cached.mails[i].dateText, fetched.mails[i].dateText);
        EXPECT_EQ(cached.mails[i].storeFile, fetched.mails[i].storeFile);
    }
    EXPECT_EQ(cached.listedCount, fetched.listedCount);
    EXPECT_EQ(cached.newMailCount, fetched.newMailCount);
    EXPECT_EQ(cached.storedDates, fetched.storedDates);
}

} // namespace

class CheckCycleCache : public CheckCycle {
  protected:
    // A check of one account on a scripted server, from the mark `mark`;
    // every check meets the same server (port) unless told otherwise.
    CRecordingHost Check(const std::vector<PeerStep>& script, CRetrievedMails& memory,
                         const std::string& mark, std::vector<std::string>& retrievals,
                         bool sameServer = true) {
        CScriptedPeer server(script, sameServer ? port : 0);
        if (sameServer)
            port = server.Port();
        CRecordingHost recording;
        recording.clock = CCalendarTime(checkClock);
        recording.accounts = {Account("fake", server.Port())};
        recording.accounts[0].LastMailDate = mark;
        checkRunning = 1;
        RunMailCheck(recording, checkRunning, CCalendarTime::Now(), announced, memory);
        retrievals = Retrieved(server);
        return recording;
    }
    int port = 0;
};

// Between two checks the first message went, the rest moved up and number 3
// came back with a new message. Only what is new, or what was stored under
// the time of a message that went, is fetched; the outcome is the one of a
// check that fetches everything.
TEST_F(CheckCycleCache, AChangedMailboxIsListedAsAFetchOfEveryMessageWouldList) {
    const std::vector<StoredMail> before = {dated, undated, later};
    const std::vector<StoredMail> after = {undated, later, added};
    std::vector<std::string> retrievals;
    const CRecordingHost first =
        Check(CheckOf(before, Listing(before), {1, 2, 3}), retrieved, "", retrievals);
    ASSERT_EQ(first.mails.size(), 3u);
    const std::string mark = first.storedDates.back().second;

    const CRecordingHost cached = Check(CheckOf(after, Listing(after), {1, 3}), retrieved, mark, retrievals);
    EXPECT_EQ(retrievals, (std::vector<std::string>{"RETR 1\r\n", "RETR 3\r\n"}));
    CRetrievedMails none;
    const CRecordingHost fetched = Check(CheckOf(after, Listing(after), {1, 2, 3}), none, mark, retrievals);
    ExpectSameOutcome(cached, fetched);
    EXPECT_EQ(cached.mails[1].storeFile, first.mails[2].storeFile);
    EXPECT_EQ(cached.newMailCount, 1);
    EXPECT_EQ(ListFiles(store.Path()).size(), 5u); // the undated one under two times, and the new one

    // Unchanged since: nothing is fetched.
    const CRecordingHost again = Check(CheckOf(after, Listing(after), {}), retrieved, mark, retrievals);
    EXPECT_TRUE(retrievals.empty());
    ExpectSameOutcome(again, fetched);
}

// Ids that cannot be trusted are not used: each check fetches every message.
TEST_F(CheckCycleCache, WithoutAUsableListingEveryMessageIsFetched) {
    const std::vector<StoredMail> mailbox = {dated, later};
    const struct {
        const char* what;
        std::string uidl;
    } servers[] = {
        {"no UIDL", "-ERR unknown command\r\n"},
        {"an id twice", "+OK\r\n1 same\r\n2 same\r\n.\r\n"},
        {"a message without an id", "+OK\r\n2 id-c\r\n.\r\n"},
        {"a number past the count", "+OK\r\n1 id-a\r\n2 id-c\r\n3 id-d\r\n.\r\n"},
        {"an id with a blank", "+OK\r\n1 id a\r\n2 id-c\r\n.\r\n"},
    };
    for (const auto& server : servers) {
        SCOPED_TRACE(server.what);
        CRetrievedMails memory;
        std::vector<std::string> retrievals;
        const CRecordingHost first = Check(CheckOf(mailbox, server.uidl, {1, 2}), memory, "", retrievals);
        const CRecordingHost second = Check(CheckOf(mailbox, server.uidl, {1, 2}), memory, "", retrievals);
        EXPECT_EQ(retrievals, (std::vector<std::string>{"RETR 1\r\n", "RETR 2\r\n"}));
        ExpectSameOutcome(second, first);
    }
}

// Another mailbox whose server hands out the same ids has other messages.
TEST_F(CheckCycleCache, AnotherAccountWithTheSameIdsFetchesItsOwnMessages) {
    const std::vector<StoredMail> mine = {dated};
    const std::vector<StoredMail> theirs = {{dated.id, later.reply}};
    std::vector<std::string> retrievals;
    Check(CheckOf(mine, Listing(mine), {1}), retrieved, "", retrievals);
    const CRecordingHost other =
        Check(CheckOf(theirs, Listing(theirs), {1}), retrieved, "", retrievals, false);
    EXPECT_EQ(retrievals, std::vector<std::string>{"RETR 1\r\n"});
    ASSERT_EQ(other.mails.size(), 1u);
    EXPECT_EQ(other.mails[0].senderAddress, "c@example.com");
}

// A store file deleted since (as at shutdown) makes the message come again.
TEST_F(CheckCycleCache, AMessageWhoseStoreFileWentIsFetchedAgain) {
    const std::vector<StoredMail> mailbox = {dated};
    std::vector<std::string> retrievals;
    const CRecordingHost first = Check(CheckOf(mailbox, Listing(mailbox), {1}), retrieved, "", retrievals);
    DeleteStoreFiles();
    const CRecordingHost second = Check(CheckOf(mailbox, Listing(mailbox), {1}), retrieved, "", retrievals);
    EXPECT_EQ(retrievals, std::vector<std::string>{"RETR 1\r\n"});
    EXPECT_EQ(ReadFileBytes(second.mails[0].storeFile), ReadFileBytes(first.mails[0].storeFile));
}
