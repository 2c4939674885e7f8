// Deleting a listed mail on the dovecot of tests/peers: the mail is found
// again by its unique id (or, listed without one, by a header no other mail
// shares), the user is asked, and only QUIT makes it final.
#include "core/mail_deletion.h"

#include "mail/pop3_session.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

// User "twins": messages 1 and 3 share sender, date and subject; message 2
// has the same sender and date under another subject. Only To tells them apart.
class MailDeletion : public ::testing::Test {
  protected:
    void SetUp() override {
        account.Name = "쌍둥이 계정";
        account.Address = "127.0.0.1";
        account.ID = "twins";
        account.Password = "secret";
        account.Port = PeerPop3Port();
        if (account.Port == 0)
            GTEST_SKIP() << "no POP3 server: run through ctest";
    }
    // The listed mail of message `number`, as a check would have read it
    // (from a server without UIDL when `withId` is false).
    MailHeader Listed(int number, bool withId = true) {
        CPop3Session session;
        EXPECT_TRUE(session.Login(account.Address, account.ID, account.Password, account.Port));
        session.Top(number, 0);
        MailHeader mail;
        mail.senderAddress = session.GetSenderAddress();
        mail.subject = session.GetSubject();
        mail.dateText = session.GetDateText();
        if (withId) {
            EXPECT_TRUE(session.GetUniqueId(number, mail.uniqueId));
        }
        session.Quit();
        return mail;
    }
    // The To lines left on the server.
    std::vector<std::string> Recipients() {
        CPop3Session session;
        std::vector<std::string> recipients;
        if (session.Login(account.Address, account.ID, account.Password, account.Port) && session.Stat())
            for (int number = 1; number <= session.GetMessageCount(); ++number)
                if (session.Top(number, 0) || session.GetHeaderNumber() == number)
                    recipients.push_back(session.GetTo());
        session.Quit();
        return recipients;
    }

    ServerEntry account;
    CScratchStore store;
};

} // namespace

TEST_F(MailDeletion, TheListedMailIsAskedAboutAndDeletedAndNoLookAlikeInItsPlace) {
    MailHeader second = Listed(2);
    MailHeader first = Listed(1);
    MailHeader firstWithoutId = Listed(1, false);
    ASSERT_EQ(Recipients().size(), 3u) << "the twins mailbox is used up: run the tests through ctest";
    int asked = 0;
    auto no = [&] { return ++asked, false; };
    auto yes = [&] { return ++asked, true; };
    EXPECT_EQ(DeleteMailOnServer(account, second, no, nullptr), DeletionResult::Declined);
    EXPECT_EQ(Recipients().size(), 3u);
    EXPECT_EQ(DeleteMailOnServer(account, second, yes, nullptr), DeletionResult::Deleted);
    EXPECT_EQ(Recipients(), (std::vector<std::string>{"first@tidemark.test", "third@tidemark.test"}));
    // Known by its header alone, either twin might be the listed one: neither goes.
    EXPECT_EQ(DeleteMailOnServer(account, firstWithoutId, yes, nullptr), DeletionResult::Ambiguous);
    EXPECT_EQ(asked, 2);
    // By its unique id, the listed twin goes and the other stays.
    EXPECT_EQ(DeleteMailOnServer(account, first, yes, nullptr), DeletionResult::Deleted);
    EXPECT_EQ(Recipients(), std::vector<std::string>{"third@tidemark.test"});
    EXPECT_EQ(asked, 3);

    EXPECT_EQ(DeleteMailOnServer(account, first, no, nullptr), DeletionResult::NotOnServer);
    EXPECT_EQ(asked, 3);

    account.Password = "wrong";
    EXPECT_EQ(DeleteMailOnServer(account, first, yes, nullptr), DeletionResult::Failed);
    account.Password = "secret";
    Listed(1); // a good login ends dovecot's delay after the failed one
}
