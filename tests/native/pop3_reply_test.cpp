#include "mail/pop3_reply.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct Outcome {
    CMultiLineReply::State state;
    std::string text;
    std::string rest; // bytes left for the next reply
};

// Feeds the stream in the given chunks, as the session does.
Outcome ReadInChunks(const std::string& stream, const std::vector<size_t>& sizes) {
    CMultiLineReply reply;
    Outcome out{CMultiLineReply::State::Reading, "", ""};
    size_t at = 0;
    for (size_t i = 0; at < stream.size(); ++i) {
        const size_t size = i < sizes.size() ? sizes[i] : stream.size() - at;
        const size_t n = std::min(size, stream.size() - at);
        size_t used = 0;
        out.state = reply.Feed(stream.data() + at, n, out.text, used);
        if (out.state != CMultiLineReply::State::Reading) {
            out.rest = stream.substr(at + used);
            return out;
        }
        at += n;
    }
    return out;
}

// What the file must hold: the text between the status line and the first
// CR LF "." CR LF (the status line's CR LF counting as a line end).
std::string Reference(const std::string& afterStatus) {
    const std::string framed = "\r\n" + afterStatus;
    const size_t end = framed.find("\r\n.\r\n");
    if (end == std::string::npos)
        return framed.substr(2);
    return end == 0 ? std::string() : framed.substr(2, end - 2);
}

const std::string message = "From: a@example.com\r\nTo: b@example.com\r\n\r\nbody\r\n..dot\r\n..\r\nlast";

} // namespace

TEST(MultiLineReply, StreamsGiveTheirTextStateAndRest) {
    using State = CMultiLineReply::State;
    const std::string stuffed = "+OK\r\nA\r\n..x\r\nB\r\n.\r\n";
    const struct {
        const char* what;
        std::string stream;
        std::vector<size_t> chunks;
        State state;
        std::string text, rest;
    } cases[] = {
        {"one chunk: no status line, no final line end",
         "+OK 80 octets\r\n" + message + "\r\n.\r\n",
         {},
         State::Complete,
         message,
         ""},
        {"dot-stuffing and line ends kept",
         "+OK\r\n..a\r\n...\r\n\r\n.\r\n",
         {},
         State::Complete,
         "..a\r\n...\r\n",
         ""},
        {"empty message", "+OK 0 octets\r\n.\r\n", {}, State::Complete, "", ""},
        {"bare +OK (dovecot's TOP)", "+OK\r\nFrom: x@y\r\n.\r\n", {}, State::Complete, "From: x@y", ""},
        {"status line in any case", "+ok message follows\r\nA\r\n.\r\n", {}, State::Complete, "A", ""},
        {"no status line: +OKAY", "+OKAY\r\nA\r\n.\r\n", {}, State::Complete, "+OKAY\r\nA", ""},
        {"no status line: a header", "From: x\r\n.\r\n", {}, State::Complete, "From: x", ""},
        {"no status line: only the end", ".\r\n", {}, State::Complete, "", ""},
        {"-ERR read to its end",
         "-ERR no such message\r\n+OK next",
         {3, 4, 100},
         State::Refused,
         "",
         "+OK next"},
        {"-ERR in any case", "-err nope\r\n", {}, State::Refused, "", ""},
        // The chunk ends with CR LF "." where the dot starts the stuffed line "..x".
        {"chunk ending in a stuffed line's dot",
         stuffed,
         {stuffed.find("..x") + 1},
         State::Complete,
         "A\r\n..x\r\nB",
         ""},
        {"short chunk in the middle",
         "+OK\r\nfirst\r\nsecond\r\n.\r\n",
         {12, 3, 2, 100},
         State::Complete,
         "first\r\nsecond",
         ""},
        {"line end and dot wait for the rest", "+OK\r\nA\r\n.", {1000}, State::Reading, "A", ""},
    };
    for (const auto& c : cases) {
        const Outcome out = ReadInChunks(c.stream, c.chunks);
        EXPECT_EQ(out.state, c.state) << c.what;
        EXPECT_EQ(out.text, c.text) << c.what;
        EXPECT_EQ(out.rest, c.rest) << c.what;
    }
}

TEST(MultiLineReply, TerminatorSplitAcrossChunksIsRecognisedWhole) {
    const std::string stream = "+OK\r\nA\r\n.\r\n";
    for (size_t cut = 1; cut < stream.size(); ++cut) {
        const Outcome out = ReadInChunks(stream + "NEXT", {cut, 1000});
        EXPECT_EQ(out.state, CMultiLineReply::State::Complete) << cut;
        EXPECT_EQ(out.text, "A") << cut;
        EXPECT_EQ(out.rest, "NEXT") << "the terminator's last CR LF is consumed, cut " << cut;
    }
}

TEST(MultiLineReply, EverySplitIntoTwoChunksGivesTheSameText) {
    const std::string stream = "+OK 99 octets\r\n" + message + "\r\n.\r\n";
    for (size_t cut = 1; cut < stream.size(); ++cut) {
        const Outcome out = ReadInChunks(stream, {cut});
        ASSERT_EQ(out.state, CMultiLineReply::State::Complete) << cut;
        ASSERT_EQ(out.text, message) << cut;
    }
}

TEST(MultiLineReply, OneByteChunksGiveTheSameText) {
    const std::string stream = "+OK 99 octets\r\n" + message + "\r\n.\r\n";
    const Outcome out = ReadInChunks(stream, std::vector<size_t>(stream.size(), 1));
    EXPECT_EQ(out.state, CMultiLineReply::State::Complete);
    EXPECT_EQ(out.text, message);
}

TEST(MultiLineReply, RandomStreamsInRandomChunksMatchTheReference) {
    std::mt19937 random(7);
    const char alphabet[] = {'\r', '\n', '.', 'a', ' '};
    for (int round = 0; round < 20000; ++round) {
        std::string body;
        const size_t length = random() % 40;
        for (size_t i = 0; i < length; ++i)
            body += alphabet[random() % 5];
        const std::string stream = "+OK\r\n" + body + "\r\n.\r\n";
        std::vector<size_t> sizes;
        for (size_t i = 0; i < stream.size(); ++i)
            sizes.push_back(1 + random() % 6);
        const Outcome out = ReadInChunks(stream, sizes);
        ASSERT_EQ(out.state, CMultiLineReply::State::Complete) << body;
        ASSERT_EQ(out.text, Reference(body + "\r\n.\r\n")) << body;
    }
}

TEST(MultiLineReply, LargeTextPassesUnchanged) {
    const std::string text = MakeMessageText(3 << 20, 11);
    const std::string stream = "+OK\r\n" + text + "\r\n.\r\n";
    std::vector<size_t> sizes;
    std::mt19937 random(3);
    for (size_t done = 0; done < stream.size();) {
        sizes.push_back(1 + random() % 20000);
        done += sizes.back();
    }
    const Outcome out = ReadInChunks(stream, sizes);
    EXPECT_EQ(out.state, CMultiLineReply::State::Complete);
    EXPECT_TRUE(out.text == text);
}

TEST(UniqueIdLine, TakesNumberAndIdOfPrintableBytesOnly) {
    const struct {
        const char* line;
        bool valid;
        int number;
        const char* id;
    } cases[] = {
        {"1 whqtswO00WBw418f9t5JxYwZ\r\n", true, 1, "whqtswO00WBw418f9t5JxYwZ"},
        {" 12  a+b/c=~!\r\n", true, 12, "a+b/c=~!"},
        {"3 id   \r\n", true, 3, "id"},
        {"3 id", true, 3, "id"},
        {"3\r\n", false, 0, ""},
        {"3 \r\n", false, 0, ""},
        {"x1 id\r\n", false, 0, ""},
        {"1id\r\n", false, 0, ""},
        {"1 id more\r\n", false, 0, ""},
        {"1 id\tx\r\n", false, 0, ""},
        {"1 \xB0\xA1\r\n", false, 0, ""},
        {"9999999999 id\r\n", false, 0, ""},
    };
    for (const auto& c : cases) {
        int number = 0;
        std::string id;
        EXPECT_EQ(ParseUniqueIdLine(c.line, number, id), c.valid) << c.line;
        if (c.valid) {
            EXPECT_EQ(number, c.number) << c.line;
            EXPECT_EQ(id, c.id) << c.line;
        }
    }
    int number = 0;
    std::string id;
    EXPECT_TRUE(ParseUniqueIdLine("1 " + std::string(maxUniqueIdBytes, 'x'), number, id));
    EXPECT_FALSE(ParseUniqueIdLine("1 " + std::string(maxUniqueIdBytes + 1, 'x'), number, id));
}
