// The mail check and deletion of IMAP accounts against the dovecot of
// tests/peers: ivy (one mail read elsewhere, two unseen) and ivyerase.
#include "core/mail_deletion.h"
#include "mail/imap_session.h"

#include "check_cycle_support.h"

namespace {

class ImapCheck : public CheckCycle {
  protected:
    void SetUp() override {
        port = PeerPort("imap.port");
        if (port == 0)
            GTEST_SKIP() << "no IMAP server: run through ctest";
    }
    ServerEntry ImapAccount(const std::string& user) const {
        ServerEntry entry = Account(user, port, user);
        entry.Protocol = ProtocolImap;
        return entry;
    }
    std::vector<std::string> ListedSubjects() const {
        std::vector<std::string> subjects;
        for (const MailHeader& mail : host.mails)
            subjects.push_back(mail.subject);
        return subjects;
    }
    // The INBOX of `user` as a new conversation finds it.
    std::unique_ptr<CImapSession> Inbox(const std::string& user) const {
        auto session = std::make_unique<CImapSession>();
        EXPECT_TRUE(session->Login("127.0.0.1", user, "secret", port));
        EXPECT_TRUE(session->OpenInbox(false));
        return session;
    }
    int port = 0;
};

} // namespace

TEST_F(ImapCheck, ListsTheUnseenMailsAnnouncesThemOnceAndMarksNothingRead) {
    host.accounts = {ImapAccount("ivy")};
    Run();
    EXPECT_EQ(ListedSubjects(), (std::vector<std::string>{"한글 제목", "Second unseen"}));
    EXPECT_EQ(host.newMailCount, 2);
    EXPECT_EQ(host.news.subject, "Second unseen");
    const std::uint32_t validity = Inbox("ivy")->GetUidValidity();
    ASSERT_EQ(host.storedMarks.size(), 1u);
    EXPECT_EQ(host.storedMarks[0].second.uidValidity, validity);
    EXPECT_EQ(host.storedMarks[0].second.lastUid, 3u);

    host.mails.clear();
    Run();
    EXPECT_EQ(host.mails.size(), 2u);
    EXPECT_EQ(host.newMailCount, 0);
    EXPECT_EQ(host.storedMarks.size(), 1u);

    std::vector<std::uint32_t> unseen;
    EXPECT_TRUE(Inbox("ivy")->SearchUnseen(0, unseen));
    EXPECT_EQ(unseen, (std::vector<std::uint32_t>{2, 3}));
}

TEST_F(ImapCheck, AMailboxWithAnotherUidValidityAnnouncesNothingItHolds) {
    host.accounts = {ImapAccount("ivy")};
    host.accounts[0].ImapUidValidity = Inbox("ivy")->GetUidValidity() + 1;
    host.accounts[0].ImapLastUid = 1;
    Run();
    EXPECT_EQ(host.mails.size(), 2u);
    EXPECT_EQ(host.newMailCount, 0);
    ASSERT_EQ(host.storedMarks.size(), 1u);
    EXPECT_EQ(host.storedMarks[0].second.uidValidity, host.accounts[0].ImapUidValidity);
    EXPECT_EQ(host.storedMarks[0].second.lastUid, 3u);
}

TEST_F(ImapCheck, DeletesExactlyTheListedMailAndTheNextCheckListsTheRest) {
    host.accounts = {ImapAccount("ivyerase")};
    Run();
    ASSERT_EQ(ListedSubjects(), (std::vector<std::string>{"Keep me", "Delete me"}));
    EXPECT_EQ(DeleteMailOnServer(
                  host.accounts[0], host.mails[1], [] { return true; }, nullptr),
              DeletionResult::Deleted);
    EXPECT_EQ(Inbox("ivyerase")->GetMessageCount(), 2u); // expunged, the read mail kept
    EXPECT_EQ(DeleteMailOnServer(
                  host.accounts[0], host.mails[1], [] { return true; }, nullptr),
              DeletionResult::NotOnServer);

    host.mails.clear();
    Run();
    EXPECT_EQ(ListedSubjects(), std::vector<std::string>{"Keep me"});
}

TEST_F(CheckCycle, AnImapRefusalListsAnErrorRowWithTheServersWords) {
    CScriptedPeer server({Say("* OK [CAPABILITY IMAP4rev1] ready\r\n"),
                          Reply("A1 OK [CAPABILITY IMAP4rev1] in\r\n"),
                          Reply("A2 NO [NONEXISTENT] No INBOX here\r\n"), Reply("A3 OK bye\r\n")});
    host.accounts = {Account("fake", server.Port())};
    host.accounts[0].Protocol = ProtocolImap;
    Run();
    ASSERT_EQ(host.mails.size(), 1u);
    EXPECT_EQ(host.mails[0].subject, "IMAP 서버가 명령을 거부했습니다. (No INBOX here)");
    EXPECT_EQ(server.Commands().back(), "A3 LOGOUT\r\n");
}

TEST_F(CheckCycle, WithoutUidplusADeletedImapMailIsOnlyMarked) {
    CScriptedPeer server({Say("* OK [CAPABILITY IMAP4rev1] ready\r\n"),
                          Reply("A1 OK [CAPABILITY IMAP4rev1] in\r\n"),
                          Reply("* OK [UIDVALIDITY 5] v\r\nA2 OK\r\n"),
                          Reply("* 2 FETCH (UID 4 BODY[HEADER] {15}\r\nFrom: x@y.z\r\n\r\n)\r\nA3 OK\r\n"),
                          Reply("* OK [UIDVALIDITY 5] v\r\nA4 OK\r\n"),
                          Reply("* 2 FETCH (FLAGS (\\Deleted) UID 4)\r\nA5 OK\r\n"), Reply("A6 OK bye\r\n")});
    ServerEntry account = Account("fake", server.Port());
    account.Protocol = ProtocolImap;
    MailHeader listed;
    listed.uniqueId = "5.4";
    EXPECT_EQ(DeleteMailOnServer(
                  account, listed, [] { return true; }, nullptr),
              DeletionResult::MarkedOnly);
    ASSERT_EQ(server.Commands().size(), 6u);
    EXPECT_EQ(server.Commands()[1], "A2 EXAMINE INBOX\r\n");
    EXPECT_EQ(server.Commands()[3], "A4 SELECT INBOX\r\n");
    EXPECT_STREQ(
        DeletionFailureText(DeletionResult::MarkedOnly),
        "메일 서버가 메일을 하나만 지우는 기능(UIDPLUS)을 지원하지 않아 메일에 삭제 표시만 했습니다. "
        "메일함을 정리하면 지워집니다.");
}
