// Mail crafted to freeze or blind the readers. The HTML cases hold 2 M
// characters: read in linear time they take milliseconds, while a search of
// the rest of the text at each step would run for hours, past any time-out.
#include "mail/html_text.h"
#include "mail/mail_header.h"
#include "mail/message_view.h"

#include <gtest/gtest.h>

namespace {

const std::u16string ampersands(2u << 20, u'&');

// The view's text of a message, once the number of its parts is checked.
std::u16string View(const std::string& message, size_t parts) {
    const CMimeMessage mime(message);
    EXPECT_EQ(mime.Parts().size(), parts) << message.substr(0, 60);
    CRichDocument document;
    std::vector<ListedAttachment> attachments;
    BuildMessageView(mime, document, attachments);
    return document.PlainText();
}

std::string Multipart(const std::string& parameters, const std::string& boundary) {
    return "Content-Type: multipart/mixed" + parameters + "\n\n--" + boundary + "\n\nshown\n--" + boundary +
           "--\n";
}

struct MimeCase {
    std::string message;
    size_t parts;
    std::u16string shown; // a piece of the view's text
};

} // namespace

TEST(HostileMail, EntitiesDecodeInOnePass) {
    CRichDocument text, attribute;
    AppendHtml(ampersands + u"&amp;", text);
    AppendHtml(u"<a href=\"" + ampersands + u"&lt;\">link</a>", attribute);
    EXPECT_EQ(text.PlainText(), ampersands + u"&");
    EXPECT_EQ(attribute.Runs().at(0).link, ampersands + u"<");
}

TEST(HostileMail, RepeatedHeadWithoutItsEnd) {
    std::u16string html;
    for (int i = 0; i < 170000; ++i)
        html += u"<head><body>";
    CRichDocument document;
    AppendHtml(html + u"shown", document);
    EXPECT_EQ(document.PlainText(), u"shown");
}

TEST(HostileMail, HeaderLinesAndBoundariesAreBounded) {
    const std::string longest(CMimeMessage::maxBoundaryLength, 'b'), longer = longest + "b";
    const MimeCase cases[] = {
        {Multipart("; boundary=" + longest, longest), 2, u"shown"},
        {Multipart("; boundary=" + longer, longer), 1, u"나머지 부분은 표시하지 않았습니다"},
        {Multipart(";" + std::string(maxHeaderLineBytes, ' ') + "boundary=b", "b"), 1, u"--b\n\nshown"},
    };
    for (const MimeCase& c : cases)
        EXPECT_NE(View(c.message, c.parts).find(c.shown), std::u16string::npos) << c.message.substr(0, 60);
}

TEST(HostileMail, ParametersInEitherFormAndTextWithoutParts) {
    const MimeCase cases[] = {
        {Multipart("; boundary*=''%62", "b"), 2, u"shown"},
        {Multipart("; boundary*1=\"2\"; boundary*0=b", "b2"), 2, u"shown"},
        {"Content-Type: text/plain; charset*=''iso-8859-1\n\n\xC3\xA9", 1, u"\u00C3\u00A9"},
        {Multipart("", "b"), 1, u"--b\n\nshown"},
        {Multipart("; boundary=c", "b"), 1, u"--b\n\nshown"},
    };
    for (const MimeCase& c : cases)
        EXPECT_NE(View(c.message, c.parts).find(c.shown), std::u16string::npos) << c.message.substr(0, 60);
}
