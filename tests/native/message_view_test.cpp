#include "mail/html_text.h"
#include "mail/message_view.h"

#include <gtest/gtest.h>

namespace {

struct View {
    std::u16string text;
    CRichDocument document;
    std::vector<ListedAttachment> attachments;
};

View Render(const std::string& message) {
    View view;
    const CMimeMessage mime(message);
    BuildMessageView(mime, view.document, view.attachments);
    view.text = view.document.PlainText();
    return view;
}

bool Contains(const std::u16string& text, const std::u16string& part) {
    return text.find(part) != std::u16string::npos;
}

std::u16string Html(const std::u16string& html) {
    CRichDocument document;
    AppendHtml(html, document);
    return document.PlainText();
}

} // namespace

TEST(MessageView, PartsInTheirCharsetsAndEncodings) {
    const std::string message =
        "From: a@b\r\nSubject: x\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"outer\"\r\n\r\n"
        "preamble\r\n--outer\r\n"
        "Content-Type: multipart/alternative; boundary=inner\r\n\r\n"
        "--inner\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nplain version\r\n"
        "--inner\r\nContent-Type: text/html; charset=UTF-8\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\n"
        "PHA+7JWI64WVIDxiPuyEuOyDgTwvYj48L3A+\r\n" // <p>안녕 <b>세상</b></p>
        "--inner--\r\n"
        "--outer\r\nContent-Type: text/plain; charset=iso-2022-kr\r\n\r\n"
        "\x1B$)C\x0EGQ1[\x0F\r\n"
        "--outer\r\nContent-Type: text/plain; charset=\"utf-8\"\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
        "=ED=95=9C=\r\n=EA=B8=80 q=3Dp\r\n"
        "--outer\r\nContent-Type: application/pdf; name=\"=?UTF-8?B?67O06rOg7IScLnBkZg==?=\"\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\nAAECAwQ=\r\n"
        "--outer\r\nContent-Type: application/octet-stream\r\n"
        "Content-Disposition: attachment;\r\n filename*0*=utf-8''%ED%95%9C%EA;\r\n"
        " filename*1*=%B8%80.txt\r\n\r\nhi\r\n"
        "--outer--\r\nepilogue\r\n";
    const View view = Render(message);
    EXPECT_TRUE(Contains(view.text, u"안녕 세상")) << "HTML preferred";
    EXPECT_FALSE(Contains(view.text, u"plain version"));
    EXPECT_FALSE(Contains(view.text, u"preamble"));
    EXPECT_TRUE(Contains(view.text, u"한글\n"));
    EXPECT_TRUE(Contains(view.text, u"한글 q=p"));
    ASSERT_EQ(view.attachments.size(), 2u);
    EXPECT_EQ(view.attachments[0].name, u"보고서.pdf");
    EXPECT_EQ(view.attachments[0].size, 5u);
    EXPECT_EQ(view.attachments[1].name, u"한글.txt");
    EXPECT_EQ(view.text.substr(view.attachments[1].textStart,
                               view.attachments[1].textEnd - view.attachments[1].textStart),
              u"  한글.txt  2 바이트\n");
    const CMimeMessage mime(message);
    EXPECT_EQ(mime.DecodedBody(mime.Parts()[view.attachments[0].part]), std::string("\0\1\2\3\4", 5));
}

TEST(MessageView, ForwardedMessageShowsItsHeaderLines) {
    const View view = Render("Content-Type: multipart/mixed; boundary=b\n\n--b\n\nSee below.\n--b\n"
                             "Content-Type: message/rfc822\n\nFrom: =?euc-kr?B?yKux5rW/?= <hong@example.kr>\n"
                             "Subject: =?utf-8?Q?=ED=9A=8C=EC=9D=98?=\n\nForwarded body\n--b--\n");
    EXPECT_TRUE(Contains(view.text, u"See below."));
    EXPECT_TRUE(Contains(view.text, u"보낸 사람: 홍길동 <hong@example.kr>\n제목: 회의\n"));
    EXPECT_TRUE(Contains(view.text, u"Forwarded body"));
}

TEST(MessageView, PlainMailWithoutMimeKeepsItsCodePage949Text) {
    EXPECT_EQ(Render("Subject: x\r\n\r\n\xC7\xD1\xB1\xDB \xB3\xBB\xBF\xEB\r\n").text, u"한글 내용\n");
}

TEST(MessageView, FlowedLinesJoin) {
    EXPECT_EQ(UnflowText(u"one \ntwo\n> a \n> b\n-- \nsig", false), u"one two\n> a b\n-- \nsig");
    EXPECT_EQ(UnflowText(u"wo \nrd", true), u"word");
}

TEST(MessageView, HugeAndManyPartMailIsBounded) {
    std::string big = "Content-Type: text/plain\n\n";
    big.append(12u << 20, 'x');
    const View huge = Render(big);
    EXPECT_LE(huge.text.size(), CRichDocument::defaultCapacity);
    EXPECT_TRUE(Contains(huge.text, u"나머지는 표시하지 않았습니다"));

    std::string many = "Content-Type: multipart/mixed; boundary=b\n\n";
    for (int i = 0; i < 10000; ++i)
        many += "--b\nContent-Type: application/octet-stream; name=f.bin\n\nx\n";
    const View parts = Render(many + "--b--\n");
    EXPECT_LT(parts.attachments.size(), CMimeMessage::maxParts);
    EXPECT_TRUE(Contains(parts.text, u"나머지 부분은 표시하지 않았습니다"));

    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "Content-Type: message/rfc822\n\n";
    EXPECT_TRUE(Contains(Render(deep).text, u"나머지 부분은"));
}

TEST(HtmlText, FormattingOfCommonMail) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"<html><head><title>T</title><style>p{}</style></head><body><p>A</p><p>B<br>C</p></body>",
         u"A\n\nB\nC\n\n"},
        {u"<h1>Title</h1>text", u"Title\n\ntext"},
        {u"<ul><li>one<li>two</ul><ol><li>x</li><li>y</li></ol>", u"• one\n• two\n\n1. x\n2. y\n\n"},
        {u"<table><tr><th>a</th><td>b</td></tr><tr><td>c</td><td>d</td></tr></table>", u"a\tb\nc\td\n\n"},
        {u"a &amp; b &lt;&#44032;&#xAC01;&nbsp;&bogus; &copy;", u"a & b <가각\u00A0&bogus; ©"},
        {u"x<script>alert('<p>')</script>y<!-- c -->z", u"xyz"},
        {u"<img src=\"cid:logo.png@x\"> <img alt=\"로고\" src=\"http://x/y.gif\">",
         u"[그림: logo.png@x] [그림: 로고]"},
        {u"  many \r\n  blanks\tcollapse  ", u"many blanks collapse"},
        {u"<pre>a  b\n c</pre>", u"a  b\n c\n\n"},
        {u"1 < 2 <3", u"1 < 2 <3"},
        {u"<head><p>no end of head<body>shown", u"shown"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Html(c.first), c.second);
}

TEST(HtmlText, StylesAndLinks) {
    CRichDocument document;
    AppendHtml(u"<b>bold <i>both</i></b> <a href=\"https://example.kr/?a=1&amp;b=2\">link</a>", document);
    const std::vector<TextRun>& runs = document.Runs();
    EXPECT_EQ(document.PlainText(), u"bold both link");
    ASSERT_EQ(runs.size(), 5u); // blanks between words are plain
    EXPECT_EQ(runs[0].style, unsigned(StyleBold));
    EXPECT_EQ(runs[2].style, unsigned(StyleBold | StyleItalic));
    EXPECT_EQ(runs[4].text, u"link");
    EXPECT_EQ(runs[4].style, unsigned(StyleUnderline));
    EXPECT_EQ(runs[4].link, u"https://example.kr/?a=1&b=2");
}

TEST(MessageView, OnlyWebAndMailLinksOpen) {
    for (const char16_t* link : {u"http://a.kr/", u"HTTPS://a.kr", u"mailto:a@b.kr"})
        EXPECT_TRUE(IsOpenableLink(link));
    for (const char16_t* link :
         {u"file:///c:/x.exe", u"javascript:alert(1)", u"\\\\host\\share", u"c:\\x.exe", u"", u"http:"})
        EXPECT_FALSE(IsOpenableLink(link));
}

TEST(FormatSize, OneDecimalRoundedAsPrintfDoes) {
    EXPECT_EQ(FormatSize(1023), u"1023 바이트");
    EXPECT_EQ(FormatSize(1331), u"1.3 KB");
    EXPECT_EQ(FormatSize(1280), u"1.2 KB"); // 1.25: the tie goes to the even digit
    EXPECT_EQ(FormatSize(1433), u"1.4 KB"); // 1.3994...
    EXPECT_EQ(FormatSize(1048576 + 524288), u"1.5 MB");
}
