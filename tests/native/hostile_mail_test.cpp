// Mail crafted to freeze or blind the readers. The HTML cases are 2 M
// characters: read in linear time they take milliseconds, while a reader
// that searches the rest of the text at each step would run for hours.
#include "mail/html_text.h"
#include "mail/mail_header.h"
#include "mail/message_view.h"

#include <gtest/gtest.h>

namespace {

const std::u16string ampersands(2u << 20, u'&');

std::u16string Repeated(const std::u16string& piece, size_t times) {
    std::u16string text;
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

struct MimeCase {
    const char* what;
    std::string message;
    size_t parts;
    std::u16string shown; // a piece of the view's text
};

void ExpectRead(const MimeCase& c) {
    SCOPED_TRACE(c.what);
    const CMimeMessage message(c.message);
    CRichDocument document;
    std::vector<ListedAttachment> attachments;
    BuildMessageView(message, document, attachments);
    EXPECT_EQ(message.Parts().size(), c.parts);
    EXPECT_NE(document.PlainText().find(c.shown), std::u16string::npos) << c.message.substr(0, 200);
}

std::string Multipart(const std::string& typeParameters, const std::string& boundary) {
    return "Content-Type: multipart/mixed" + typeParameters + "\n\n--" + boundary +
           "\nContent-Type: text/plain\n\nshown\n--" + boundary + "--\n";
}

} // namespace

TEST(HostileMail, EntitiesDecodeInOnePass) {
    CRichDocument text, attribute;
    AppendHtml(ampersands + u"&amp;", text);
    EXPECT_EQ(text.PlainText(), ampersands + u"&");
    AppendHtml(u"<a href=\"" + ampersands + u"&lt;\">link</a>", attribute);
    ASSERT_FALSE(attribute.Runs().empty());
    EXPECT_EQ(attribute.Runs()[0].link, ampersands + u"<");
}

TEST(HostileMail, RepeatedHeadWithoutItsEnd) {
    CRichDocument document;
    AppendHtml(Repeated(u"<head><body>", 170000) + u"shown", document);
    EXPECT_EQ(document.PlainText(), u"shown");
}

TEST(HostileMail, HeaderLinesAndBoundariesAreBounded) {
    const std::string longest(CMimeMessage::maxBoundaryLength, 'b');
    const std::string longer = longest + "b";
    const MimeCase cases[] = {
        {"a boundary of the longest length", Multipart("; boundary=" + longest, longest), 2, u"shown"},
        {"a longer boundary", Multipart("; boundary=" + longer, longer), 1,
         u"나머지 부분은 표시하지 않았습니다"},
        {"a boundary beyond the longest header line",
         Multipart(";" + std::string(maxHeaderLineBytes, ' ') + "boundary=b", "b"), 1, u"shown"},
    };
    for (const MimeCase& c : cases)
        ExpectRead(c);
}

TEST(HostileMail, ParametersInEitherFormAndTextWithoutParts) {
    const MimeCase cases[] = {
        {"boundary*=", Multipart("; boundary*=''%62", "b"), 2, u"shown"},
        {"boundary*0= boundary*1=", Multipart("; boundary*1=\"2\"; boundary*0=b", "b2"), 2, u"shown"},
        {"charset*=", "Content-Type: text/plain; charset*=''iso-8859-1\n\n\xC3\xA9", 1, u"\u00C3\u00A9"},
        {"no boundary", "Content-Type: multipart/mixed\n\n--b\n\nshown\n", 1, u"--b\n\nshown"},
        {"no delimiter line", Multipart("; boundary=c", "b"), 1, u"--b\nContent-Type: text/plain\n\nshown"},
    };
    for (const MimeCase& c : cases)
        ExpectRead(c);
}
