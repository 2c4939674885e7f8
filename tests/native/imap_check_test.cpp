// The check, deletion and whole fetch of IMAP accounts against dovecot
// (tests/peers: ivyerase has one mail read elsewhere and two unseen, ivyview
// one unseen) and a refusing server.
#include "core/mail_deletion.h"
#include "core/mail_fetch.h"
#include "core/user_texts.h"
#include "mail/mail_store.h"

#include "check_cycle_support.h"

namespace {

// Account `user` over IMAP; the port is dovecot's (0 when it was not started) unless given.
ServerEntry ImapAccount(const std::string& user,
                        int port = PortIn(std::string(TIDEMARK_PEERS_DIR) + "/imap.port")) {
    ServerEntry entry = Account(user, port, user);
    entry.Protocol = ProtocolImap;
    return entry;
}

std::vector<std::string> Subjects(const std::vector<MailHeader>& mails) {
    std::vector<std::string> subjects;
    for (const MailHeader& mail : mails)
        subjects.push_back(mail.subject);
    return subjects;
}

} // namespace

TEST_F(CheckCycle, AnImapCheckAnnouncesTheUnseenMailsOnceReadsNothingAndDeletesOneAlone) {
    host.accounts = {ImapAccount("ivyerase")};
    if (host.accounts[0].Port == 0)
        GTEST_SKIP() << "no IMAP server: run through ctest";
    for (const int announced : {2, 0, 0}) {
        host.mails.clear();
        Run();
        ASSERT_EQ(Subjects(host.mails), (std::vector<std::string>{"Keep me", "Delete me"}));
        EXPECT_EQ(host.newMailCount, announced);
        ASSERT_FALSE(host.storedMarks.empty());
        EXPECT_EQ(host.storedMarks.back().second.lastUid, 2u);
        if (announced == 0) // the mailbox recreated: its mails are not new again
            host.accounts[0].ImapUidValidity = host.storedMarks[0].second.uidValidity + 1;
    }
    ASSERT_EQ(host.storedMarks.size(), 2u); // not by the second check
    EXPECT_EQ(host.storedMarks[1].second.uidValidity, host.storedMarks[0].second.uidValidity);

    const MailHeader listed = host.mails[1];
    const auto confirm = [] { return true; };
    EXPECT_EQ(DeleteMailOnServer(host.accounts[0], listed, confirm, nullptr), DeletionResult::Deleted);
    EXPECT_EQ(DeleteMailOnServer(host.accounts[0], listed, confirm, nullptr), DeletionResult::NotOnServer);
    host.mails.clear();
    Run();
    EXPECT_EQ(Subjects(host.mails), std::vector<std::string>{"Keep me"});
}

TEST_F(CheckCycle, OpeningAnImapMailFetchesItWholeIntoItsStoredFileAndLeavesItUnseen) {
    host.accounts = {ImapAccount("ivyview")};
    if (host.accounts[0].Port == 0)
        GTEST_SKIP() << "no IMAP server: run through ctest";
    Run();
    ASSERT_EQ(Subjects(host.mails), std::vector<std::string>{"Open me"});
    MailHeader listed = host.mails[0];
    ASSERT_TRUE(IsHeaderOnlyStoreFile(listed.storeFile));
    const MailFetch fetch = FetchMailWhole(host.accounts[0], listed, nullptr);
    ASSERT_TRUE(fetch.fetched) << fetch.failure;
    EXPECT_EQ(fetch.storeFile, listed.storeFile);
    EXPECT_FALSE(IsHeaderOnlyStoreFile(listed.storeFile));
    EXPECT_EQ(ReadFileBytes(listed.storeFile), PeerMessage("ivyview", "01-open-unseen"));
    host.mails.clear();
    Run(); // still unseen
    EXPECT_EQ(Subjects(host.mails), std::vector<std::string>{"Open me"});

    listed.uniqueId += "0"; // a UID the mailbox does not hold
    EXPECT_EQ(FetchMailWhole(host.accounts[0], listed, nullptr).failure, fetchGoneText);
}

TEST_F(CheckCycle, AnImapRefusalListsAnErrorRowWithTheServersWords) {
    CScriptedPeer server({Say("* OK [CAPABILITY IMAP4rev1] ready\r\n"),
                          Reply("A1 OK [CAPABILITY IMAP4rev1] in\r\n"),
                          Reply("A2 NO [NONEXISTENT] No INBOX here\r\n"), Reply("A3 OK\r\n")});
    host.accounts = {ImapAccount("fake", server.Port())};
    Run();
    ASSERT_EQ(host.mails.size(), 1u);
    EXPECT_EQ(host.mails[0].subject, "IMAP 서버가 명령을 거부했습니다. (No INBOX here)");
}

TEST(ImapMailbox, ARefusedConnectionCountsAsAServerNotReached) {
    // Nothing listens on port 1 of the loopback address.
    const auto mailbox = MakeAccountMailbox(ImapAccount("fake", 1), MailboxContext{});
    EXPECT_FALSE(mailbox->Open());
    EXPECT_TRUE(mailbox->GetFailure().serverUnreached);
}
