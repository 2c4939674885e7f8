// Mail as today's services send it, fetched from the dovecot of tests/peers
// (user "modern", whose messages keep their own charsets): the list fields
// come out in code page 949 and the view shows the body text.
#include "mail/message_view.h"
#include "core/user_texts.h"
#include "mail/pop3_session.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace {

struct ModernMail {
    const char* senderName;
    const char* senderAddress;
    const char* subject;
    const char16_t* bodyText; // a piece of the view's text
};

// The mailbox, in message-number order.
const ModernMail modern[] = {
    {"네이버 메일", "news@service.example", "주간 소식: 漢字와 이모지 ? Caf?",
     u"안녕하세요, 漢字와 이모지 😀 입니다."},
    {"다음 카페", "cafe@service.example", "카페 새 글 알림", u"EUC-KR로 쓴 HTML 본문입니다."},
    {"Old Mailer", "old@service.example", "옛날 메일", u"ISO-2022-KR 본문입니다."},
    {"김철수", "cs@service.example", "회의 자료 공유", u"회의 자료를 공유합니다. 이 줄은 이어집니다."},
    {"쿠팡", "shop@service.example", "주문하신 상품이 발송되었습니다", u"상품 발송 안내: 문의하기"},
    {"이영희", "yh@service.example", "Fwd: 여행 일정", u"보낸 사람: 박민수 <ms@service.example>"},
    {"최수진", "sj@service.example", "보고서 첨부", u"  연간 보고서.pdf  760 바이트"},
};

} // namespace

TEST(ModernMail, FetchedFromDovecotListsAndShowsRight) {
    const int port = PeerPop3Port();
    if (port == 0)
        GTEST_SKIP() << "no POP3 server: run through ctest, or tests/peers/pop3-peer.sh start <build>/peers";
    ASSERT_TRUE(StartSocketLibrary());
    CScratchStore store;
    {
        CPop3Session session;
        session.SetTimeout(30000);
        ASSERT_TRUE(session.Login("127.0.0.1", "modern", "secret", port)) << Pop3FailureText(session);
        ASSERT_TRUE(session.Stat());
        ASSERT_EQ(session.GetMessageCount(), static_cast<int>(std::size(modern)));
        for (int n = 1; n <= session.GetMessageCount(); ++n) {
            const ModernMail& expected = modern[n - 1];
            SCOPED_TRACE(expected.subject);
            EXPECT_TRUE(session.Retrieve(n)) << Pop3FailureText(session);
            EXPECT_EQ(session.GetSenderName(), expected.senderName);
            EXPECT_EQ(session.GetSenderAddress(), expected.senderAddress);
            EXPECT_EQ(session.GetSubject(), expected.subject);

            CRichDocument document;
            std::vector<ListedAttachment> attachments;
            BuildMessageView(CMimeMessage(ReadFileBytes(session.GetStoreFile())), document, attachments);
            EXPECT_NE(document.PlainText().find(expected.bodyText), std::u16string::npos);
        }
        EXPECT_TRUE(session.Quit());
    }
    StopSocketLibrary();
}
