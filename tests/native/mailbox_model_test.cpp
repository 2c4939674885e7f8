#include "core/mailbox_model.h"

#include <gtest/gtest.h>

namespace {

MailHeader Mail(const std::string& subject, MailHeader mail = {}) {
    mail.senderAddress = "a@example.com";
    mail.subject = subject;
    return mail;
}

std::vector<std::string> Subjects(const CMailboxModel& model) {
    std::vector<std::string> subjects;
    for (const MailHeader& mail : model.GetArrivedMails())
        subjects.push_back(mail.subject);
    return subjects;
}

} // namespace

TEST(MailboxModel, MailsGoInAtTheirRowAndARemovedMailCountsOneLess) {
    CMailboxModel model;
    EXPECT_EQ(model.InsertMail(Mail("b"), 0), 0);
    EXPECT_EQ(model.InsertMail(Mail("a"), -4), 0);
    EXPECT_EQ(model.InsertMail(Mail("error", ErrorRow(0)), 99), 2);
    model.AddListedCount(2);
    EXPECT_EQ(Subjects(model), (std::vector<std::string>{"a", "b", "error"}));

    model.RemoveMail(2); // an error row was never counted
    EXPECT_EQ(model.GetListedMailCount(), 2);
    model.RemoveMail(0);
    model.RemoveMail(7);
    EXPECT_EQ(Subjects(model), (std::vector<std::string>{"b"}));
    EXPECT_EQ(model.GetListedMailCount(), 1);
}
