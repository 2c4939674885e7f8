// The fuzz targets of tests/fuzz on inputs mutated at random from typical
// ones, for a bounded time per target: no input may crash, hang, read out
// of bounds (the native run has AddressSanitizer and UBSan) or break a
// target's properties. scripts/fuzz.sh runs the same targets under libFuzzer
// for longer.
#include "../fuzz/fuzz_targets.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

namespace {

const char* const seeds[] = {
    "Received: from a by b; Tue, 24 Jul 2001 10:05:09 +0900\r\nFrom: \"Kim\" <kim@example.com>\r\nTo: a@b\r\n"
    "Subject: =?euc-kr?B?x9Gx2yDBprjxwNS0z7TZ?=\r\nDate: 24 Jul 99 10:05:09\r\n\r\nbody\r\n..dot",
    "From: =?EUC-KR?Q?=C8=AB=B1=E6=B5=BF?= (Hong)\r\nTO: x@y\r\nReceived: from May (host)\r\n\tby x; 1 Jan "
    "2040 0:0:0\r\n",
    "+OK 120 octets\r\nFrom: a@b\r\n\r\nline\r\n..\r\n.\r\n",
    "+OK\r\n.\r\n",
    "-ERR no such message\r\n",
    "24 Jul 2001 10:05:09 +0900",
    "2001년 7월 24일 오후 3:05:09",
    "=?x?B?YWJj?= =?x?q?=41=42?= \\(x\\) <a@b>",
    "?B?xyzw?= =?a",
    "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/html; charset=utf-8\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n\r\n<p>=ED=95=9C<b>x</b><ul><li>&amp;</ul>\r\n--b\r\n"
    "Content-Type: message/rfc822\r\n\r\nSubject: =?utf-8?B?7ZWc?=\r\n\r\nin\r\n--b\r\n"
    "Content-Disposition: attachment; filename*0*=utf-8''%ED%95; filename*1*=%9C\r\n"
    "Content-Transfer-Encoding: base64\r\n\r\nYWJj\r\n--b--\r\n",
};

const char* const tokens[] = {
    " ",         "\r\n", "\r\n.\r\n", ".",        "\r\n.",  "=?",   "?B?",         "?b?",
    "?Q?",       "?q?",  "?=",        "Jan ",     "May ",   "Dec ", ":",           "<",
    ">",         "(",    ")",         "\"",       "From: ", "To: ", "Date: ",      "Received: ",
    "Subject: ", "+OK ", "-ERR",      "99",       "2001",   "\t",   "\\(",         "\xB0\xA1",
    "월",        "일",   "오후",      "오전 12:", "\r",     "\n",   "-2147483648", "9999999999"};

class CInputMaker {
  public:
    explicit CInputMaker(unsigned seed) : random(seed) {}
    std::string Next() {
        std::string input =
            random() % 8 == 0 ? RandomBytes(random() % 64) : seeds[random() % std::size(seeds)];
        const int mutations = static_cast<int>(random() % 8);
        for (int i = 0; i < mutations; ++i)
            Mutate(input);
        return input;
    }

  private:
    std::string RandomBytes(size_t n) {
        std::string bytes;
        for (size_t i = 0; i < n; ++i)
            bytes += static_cast<char>(random() % 256);
        return bytes;
    }
    size_t Position(const std::string& s) { return s.empty() ? 0 : random() % (s.size() + 1); }
    void Mutate(std::string& s) {
        switch (random() % 6) {
        case 0:
            if (!s.empty())
                s[random() % s.size()] = static_cast<char>(random() % 256);
            break;
        case 1:
            s.insert(Position(s), tokens[random() % std::size(tokens)]);
            break;
        case 2: {
            const size_t at = Position(s);
            s.erase(at, random() % 16);
            break;
        }
        case 3: {
            const size_t at = Position(s);
            const std::string part = s.substr(at, random() % 32);
            s.insert(Position(s), part);
            break;
        }
        case 4:
            s.resize(Position(s));
            break;
        default:
            s.insert(Position(s), RandomBytes(1 + random() % 8));
            break;
        }
    }
    std::mt19937 random;
};

// Runs target on mutated inputs for `budget`; fails on the first input that
// breaks its properties, which it prints.
template <typename Target> void RunFor(std::chrono::milliseconds budget, Target target) {
    CInputMaker maker(20260101);
    const auto until = std::chrono::steady_clock::now() + budget;
    int runs = 0;
    while (std::chrono::steady_clock::now() < until || runs < 200) {
        const std::string input = maker.Next();
        ASSERT_TRUE(target(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()))
            << "input of " << input.size() << " bytes: " << ::testing::PrintToString(input);
        ++runs;
    }
    ::testing::Test::RecordProperty("inputs", runs);
}

constexpr std::chrono::milliseconds budget(1500);

} // namespace

TEST(ParserRobustness, DecodeHeaderText) {
    RunFor(budget, fuzz::DecodeHeaderTextTarget);
}

TEST(ParserRobustness, DatesAndSenders) {
    RunFor(budget, fuzz::DatesTarget);
}

TEST(ParserRobustness, ReplyReaderInAnyChunks) {
    RunFor(budget, fuzz::ReplyReaderTarget);
}

TEST(ParserRobustness, MessageView) {
    RunFor(budget, fuzz::MessageViewTarget);
}

TEST(ParserRobustness, HtmlText) {
    RunFor(budget, fuzz::HtmlTextTarget);
}

TEST(ParserRobustness, ParseHeadersOverArbitraryFiles) {
    CScratchStore store;
    RunFor(budget, [&](const std::uint8_t* data, size_t size) {
        return fuzz::ParseHeadersTarget(data, size, store.Path());
    });
}
