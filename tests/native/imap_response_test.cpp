#include "mail/imap_command.h"
#include "mail/imap_response.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// A response in a compact form: kind, tag, status, [code], text, then values.
std::string Render(const std::vector<ImapValue>& values) {
    std::string out;
    for (const ImapValue& v : values) {
        out += out.empty() ? "" : " ";
        out += v.kind == ImapValue::Kind::List     ? "(" + Render(v.items) + ")"
               : v.kind == ImapValue::Kind::String ? "'" + v.text + "'"
               : v.kind == ImapValue::Kind::Nil    ? "NIL"
               : v.kind == ImapValue::Kind::Taken  ? "<taken>"
                                                   : v.text;
    }
    return out;
}

// Reads one response from stream, handed over `chunk` bytes at a time.
std::string ReadOne(const std::string& stream, size_t chunk, CImapReader::Limits limits = {},
                    const ImapLiteralSink* sink = nullptr) {
    size_t at = 0;
    CImapReader reader([&](char* buffer, size_t size) {
        const size_t n = std::min({size, chunk, stream.size() - at});
        std::memcpy(buffer, stream.data() + at, n);
        at += n;
        return n;
    });
    reader.SetLimits(limits);
    reader.SetLiteralSink(sink);
    ImapResponse r;
    const CImapReader::Result result = reader.Read(r);
    if (result != CImapReader::Result::Read)
        return "failed " + std::to_string(static_cast<int>(result));
    const char* kinds[] = {"*", "T", "+"};
    return std::string(kinds[static_cast<int>(r.kind)]) + "|" + r.tag + "|" + r.status + "|" + r.code + "|" +
           r.text + "|" + Render(r.data);
}

} // namespace

TEST(ImapReader, ReadsEveryShapeHoweverTheBytesAreSplit) {
    const char* const tooLarge = "failed 2";
    const char* const malformed = "failed 3";
    const struct {
        std::string stream;
        std::string expected;
    } cases[] = {
        {"A7 OK [CAPABILITY IMAP4rev1 IDLE] Logged in\r\n", "T|A7|OK|CAPABILITY IMAP4rev1 IDLE|Logged in|"},
        {"* bye [ALERT] going down\r\n", "*||BYE|ALERT|going down|"},
        {"+ Ready\r\n", "+||||Ready|"},
        {"+\r\n", "+|||||"},
        {"* 12 FETCH (UID 7 FLAGS (\\Seen) BODY[HEADER] {11}\r\nSubject: x\n ENVELOPE (\"a \\\"q\\\" \\\\\" "
         "NIL))\r\n",
         "*|||||12 FETCH (UID 7 FLAGS (\\Seen) BODY[HEADER] 'Subject: x\n' ENVELOPE ('a \"q\" \\' NIL))"},
        {"* 1 FETCH (INTERNALDATE {26}\r\n17-Jul-1996 02:44:25 -0700 UID {1+}\r\n5)\r\n",
         "*|||||1 FETCH (INTERNALDATE '17-Jul-1996 02:44:25 -0700' UID '5')"},
        {"* 2 FETCH (BODY[HEADER.FIELDS (FROM TO)] {0}\r\n)\r\n",
         "*|||||2 FETCH (BODY[HEADER.FIELDS (FROM TO)] '')"},
        {"* SEARCH 2 3\n", "*|||||SEARCH 2 3"},
        {"* 1 FETCH (UID \"open)\r\n", malformed},
        {"* 1 FETCH (UID {5 x)\r\n", malformed},
        {"* 1 FETCH (UID 5\r\n", malformed},
        {"A1 FETCH 5\r\n", malformed},
        {"* 1 FETCH (X " + std::string(70, 'a') + ")\r\n", tooLarge},
        {"* 1 FETCH (X {120}\r\n" + std::string(120, 'a') + ")\r\n", tooLarge},
        {"* 1 FETCH (" + std::string(9, '(') + ")\r\n", tooLarge},
        {"* 1 FETCH (X {40}\r\nshort", "failed 1"},
    };
    CImapReader::Limits limits;
    limits.lineBytes = 64;
    limits.responseBytes = 128;
    limits.depth = 8;
    for (const auto& c : cases)
        for (size_t chunk : {size_t(1), size_t(7), size_t(4096)})
            EXPECT_EQ(ReadOne(c.stream, chunk, limits), c.expected) << c.stream << " in chunks of " << chunk;
}

TEST(ImapReader, SinkTakesOnlyTheBodySectionItAsksFor) {
    std::string taken;
    const ImapLiteralSink sink{[](const std::string& item, std::uint64_t) { return item == "BODY[]"; },
                               [&](const char* bytes, size_t length) { taken.append(bytes, length); }};
    const std::string stream =
        "* 3 FETCH (INTERNALDATE {5}\r\ndate! BODY[] {200}\r\n" + std::string(200, 'm') + ")\r\n";
    CImapReader::Limits limits;
    limits.responseBytes = 100; // the taken literal is bounded apart
    EXPECT_EQ(ReadOne(stream, 9, limits, &sink), "*|||||3 FETCH (INTERNALDATE 'date!' BODY[] <taken>)");
    EXPECT_EQ(taken, std::string(200, 'm'));
    limits.takenBytes = 199;
    EXPECT_EQ(ReadOne(stream, 9, limits, &sink), "failed 2");
}

TEST(ImapCommand, StringsGoQuotedOrAsLiteralsAndUidSetsStayBounded) {
    EXPECT_EQ(CImapCommand("A1", "LOGIN").String("a\"b\\c").String("p w").Segments(),
              (std::vector<std::string>{"A1 LOGIN \"a\\\"b\\\\c\" \"p w\"\r\n"}));
    EXPECT_EQ(CImapCommand("A2", "LOGIN").String("kim").String("\xBE\xCF\xC8\xA3").Segments(),
              (std::vector<std::string>{"A2 LOGIN \"kim\" {4}\r\n", "\xBE\xCF\xC8\xA3\r\n"}));
    EXPECT_EQ(UidSets({9, 3, 4, 5, 7, 3}, 100), (std::vector<std::string>{"3:5,7,9"}));
    EXPECT_EQ(UidSets({1, 3, 5, 7}, 3), (std::vector<std::string>{"1,3", "5,7"}));
    CCalendarTime time;
    ASSERT_TRUE(ParseInternalDate(" 1-Jan-2002 09:00:00 +0900", time));
    EXPECT_EQ(time.GetSeconds(), 1009843200);
    EXPECT_FALSE(ParseInternalDate("1-Jan-2002 09:00:00", time));
    EXPECT_FALSE(ParseInternalDate("31-Foo-2002 09:00:00 +0000", time));
    EXPECT_FALSE(ParseInternalDate("+1-Jan-2002 09:00:00 +0900", time));
    ASSERT_TRUE(ParseInternalDate("17-Jul-1996 02:44:25 -0700", time));
    EXPECT_EQ(time.GetSeconds(), 837596665);
}
