// CImapSession against the dovecot of tests/peers over IMAP: the users ivy
// (one mail read elsewhere, two unseen) and ivydel (two unseen, one to delete).
#include "mail/imap_session.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <thread>

namespace {

class ImapDovecot : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef TIDEMARK_PEERS_DIR
        std::ifstream(std::string(TIDEMARK_PEERS_DIR) + "/imap.port") >> port;
#endif
        if (port == 0)
            GTEST_SKIP() << "no IMAP server: run through ctest";
    }
    std::unique_ptr<CImapSession> Open(const char* user, bool forWriting) {
        auto session = std::make_unique<CImapSession>();
        session->SetTimeout(30000);
        EXPECT_TRUE(session->Login("127.0.0.1", user, "secret", port))
            << static_cast<int>(session->GetResult());
        EXPECT_TRUE(session->OpenInbox(forWriting));
        return session;
    }
    std::vector<std::uint32_t> Unseen(CImapSession& session, std::uint32_t mark) {
        std::vector<std::uint32_t> uids;
        EXPECT_TRUE(session.SearchUnseen(mark, uids));
        return uids;
    }
    int port = 0;
    CScratchStore store;
};

} // namespace

TEST_F(ImapDovecot, ListsTheUnseenMailsAboveTheMarkWithoutMarkingThemRead) {
    auto session = Open("ivy", false);
    EXPECT_TRUE(session->HasCapability("IDLE"));
    EXPECT_EQ(Unseen(*session, 0), (std::vector<std::uint32_t>{2, 3}));
    EXPECT_EQ(Unseen(*session, 3), std::vector<std::uint32_t>{});
    std::vector<ImapMailSummary> mails;
    ASSERT_TRUE(session->FetchSummaries({2, 3}, mails));
    ASSERT_EQ(mails.size(), 2u);
    EXPECT_EQ(mails[0].header.senderName, "김민수");
    EXPECT_EQ(mails[0].header.subject, "한글 제목");
    EXPECT_EQ(mails[1].header.dateText, "2002년 4월 3일 오전 11:00:00");
    EXPECT_TRUE(mails[1].headerComplete);
    EXPECT_TRUE(mails[1].arrival.IsValid());
    EXPECT_EQ(mails[1].size, PeerMessage("ivy", "03-second-unseen").size());
    ASSERT_TRUE(session->FetchMail(3));
    // The mail exactly as the server holds it, its last line end included.
    EXPECT_EQ(ReadFileBytes(session->GetHeaderFields().storeFile), PeerMessage("ivy", "03-second-unseen"));
    EXPECT_TRUE(session->Logout());
    EXPECT_EQ(Unseen(*Open("ivy", false), 0), (std::vector<std::uint32_t>{2, 3}));
}

TEST_F(ImapDovecot, DeletesOneMailAndHearsADeliveryInIdle) {
    auto session = Open("ivydel", true);
    ASSERT_TRUE(session->Delete(2));
    EXPECT_EQ(session->GetResult(), ImapResult::Ok);
    EXPECT_EQ(Unseen(*session, 0), std::vector<std::uint32_t>{1});
    EXPECT_FALSE(session->Delete(2));
    EXPECT_EQ(session->GetResult(), ImapResult::NoSuchMail);
#ifdef TIDEMARK_PEERS_DIR
    std::thread postman([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::ofstream(std::string(TIDEMARK_PEERS_DIR) + "/mail/ivydel/Maildir/new/3000.push",
                      std::ios::binary)
            << "From: p@example.com\r\nTo: ivydel@tidemark.test\r\nSubject: Push\r\n\r\nNew.\r\n";
    });
    ImapChanges changes;
    EXPECT_TRUE(session->Idle(changes));
    postman.join();
    EXPECT_TRUE(changes.newMail);
    EXPECT_EQ(Unseen(*session, 2), std::vector<std::uint32_t>{3});
#endif
    EXPECT_TRUE(session->Logout());
}
