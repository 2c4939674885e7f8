// Mail crafted to freeze or blind the readers. The HTML holds 2 M characters:
// read in linear time it takes milliseconds, while a search of the rest of
// the text at each step would run for hours, past any test time-out.
#include "mail/html_text.h"
#include "mail/mail_header.h"
#include "mail/message_view.h"

#include <gtest/gtest.h>

namespace {

std::string Multipart(const std::string& parameters, const std::string& boundary) {
    return "Content-Type: multipart/mixed" + parameters + "\n\n--" + boundary + "\n\nshown\n--" + boundary +
           "--\n";
}

} // namespace

TEST(HostileMail, HtmlInLinearTime) {
    const std::u16string ampersands(2u << 20, u'&');
    std::u16string heads;
    for (int i = 0; i < 170000; ++i)
        heads += u"<head><body>";
    const std::pair<std::u16string, std::u16string> cases[] = {
        {ampersands + u"&amp;", ampersands + u"&"},
        {u"<img alt=\"" + ampersands + u"&lt;\">", u"[그림: " + ampersands + u"<]"},
        {heads + u"shown", u"shown"},
    };
    for (const auto& [html, text] : cases) {
        CRichDocument document;
        AppendHtml(html, document);
        EXPECT_TRUE(document.PlainText() == text) << std::string(html.begin(), html.begin() + 12);
    }
}

TEST(HostileMail, MimeBoundsParameterFormsAndTextWithoutParts) {
    const std::string longest(CMimeMessage::maxBoundaryLength, 'b'), longer = longest + "b";
    const struct {
        std::string message;
        size_t parts;
        std::u16string shown; // a piece of the view's text
    } cases[] = {
        {Multipart("; boundary=" + longest, longest), 2, u"shown"},
        {Multipart("; boundary=" + longer, longer), 1, u"나머지 부분은 표시하지 않았습니다"},
        {Multipart(";" + std::string(maxHeaderLineBytes, ' ') + "boundary=b", "b"), 1, u"--b\n\nshown"},
        {Multipart("; boundary*=''%62", "b"), 2, u"shown"},
        {Multipart("; boundary*1=\"2\"; boundary*0=b", "b2"), 2, u"shown"},
        {"Content-Type: text/plain; charset*=''iso-8859-1\n\n\xC3\xA9", 1, u"\u00C3\u00A9"},
        {Multipart("", "b"), 1, u"--b\n\nshown"},
        {Multipart("; boundary=c", "b"), 1, u"--b\n\nshown"},
    };
    for (const auto& c : cases) {
        const CMimeMessage mime(c.message);
        CRichDocument document;
        std::vector<ListedAttachment> attachments;
        BuildMessageView(mime, document, attachments);
        EXPECT_EQ(mime.Parts().size(), c.parts) << c.message.substr(0, 60);
        EXPECT_NE(document.PlainText().find(c.shown), std::u16string::npos) << c.message.substr(0, 60);
    }
}
