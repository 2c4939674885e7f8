#include "mail/mail_date.h"

#include <gtest/gtest.h>

namespace {

struct Converted {
    bool ok;
    CCalendarTime time;
    std::string text;
};

Converted Convert(const std::string& date) {
    Converted c{false, CCalendarTime(12345), "previous"};
    c.ok = ConvertDate(date, c.time, c.text);
    return c;
}

} // namespace

TEST(FindMonth, FindsTheFirstMonthFollowedByABlank) {
    EXPECT_EQ(FindMonth("Date: Tue, 24 Jul 2001 10:05:09 +0900"), 14);
    EXPECT_EQ(FindMonth("no month here"), -1);
    EXPECT_EQ(FindMonth("Jul2001"), -1);
    EXPECT_EQ(FindMonth("jul 2001"), -1);
}

TEST(FindMonth, EarlierMonthInCalendarOrderWinsOverLeftmost) {
    const std::string line = "Received: from Jul (May example) by host; 24 Jul 2001";
    EXPECT_EQ(FindMonth(line), static_cast<int>(line.find("May ")));
}

TEST(MonthNumber, ExactAbbreviationsOnly) {
    EXPECT_EQ(MonthNumber("Jan"), 1);
    EXPECT_EQ(MonthNumber("Dec"), 12);
    EXPECT_EQ(MonthNumber("jan"), 0);
    EXPECT_EQ(MonthNumber("Janu"), 0);
    EXPECT_EQ(MonthNumber(""), 0);
}

TEST(ConvertDate, GivesTheDisplayTextOrFailsWithNone) {
    const struct {
        const char* date;
        bool ok;
        const char* text;
    } cases[] = {
        {"24 Jul 2001 10:05:09 +0900", true, "2001년 7월 24일 오전 10:05:09"},
        // Two-digit years follow the mail rule; 1950 is before 1970.
        {"4 Jan 01 00:00:00 GMT", true, "2001년 1월 4일 오전 12:00:00"},
        {"24 Jul 99 10:05:09 +0900", true, "1999년 7월 24일 오전 10:05:09"},
        {"1 Jan 49 00:00:00 +0000", true, "2049년 1월 1일 오전 12:00:00"},
        {"1 Jan 50 00:00:00 +0000", false, ""},
        // Hour forms.
        {"1 Feb 2002 12:30:00 +0900", true, "2002년 2월 1일 오후 12:30:00"},
        {"1 Feb 2002 13:05:00 +0900", true, "2002년 2월 1일 오후 1:05:00"},
        {"1 Feb 2002 23:59:59 +0900", true, "2002년 2월 1일 오후 11:59:59"},
        {"1 Feb 2002 1:00:10 +0900", true, "2002년 2월 1일 오전 1:00:10"},
        // Nothing after the seconds gives second zero.
        {"24 Jul 2001 10:05:09", true, "2001년 7월 24일 오전 10:05:00"},
        {"1 Jan 2040 09:00:00 +0900", true, "2040년 1월 1일 오전 9:00:00"},
        // Before 1970 or after 9999; the month name of a host ("om May
        // (host) ...") gives year 0.
        {"31 Dec 1969 10:00:00 +0000", false, ""},
        {"1 Jan 10000 00:00:00 +0000", false, ""},
        {"om May (may.example.com [192.0.2.5]) by x; Tue, 10 Jul 2001 08:00:00 +0900", false, ""},
        {"", false, ""},
        // Non-numbers count as zero and carry over: day 0 is the last day of
        // the month before, an unknown month is December of the year before.
        {"x Mar 2001 10:05:09 +0900", true, "2001년 2월 28일 오전 10:05:09"},
        {"5 Foo 2001 10:05:09 +0900", true, "2000년 12월 5일 오전 10:05:09"},
    };
    for (const auto& c : cases) {
        const Converted converted = Convert(c.date);
        EXPECT_EQ(converted.ok, c.ok) << c.date;
        EXPECT_EQ(converted.text, c.text) << c.date;
        if (!c.ok) {
            EXPECT_EQ(converted.time, CCalendarTime::Invalid()) << c.date;
        }
    }
    EXPECT_EQ(Convert("24 Jul 2001 10:05:09 +0900").time, CCalendarTime::FromLocal(2001, 7, 24, 10, 5, 9));
}

TEST(FormatDisplayDate, PadsMinuteAndSecond) {
    EXPECT_EQ(FormatDisplayDate(CCalendarTime::FromLocal(2001, 7, 4, 0, 0, 0)),
              "2001년 7월 4일 오전 12:00:00");
    EXPECT_EQ(FormatDisplayDate(CCalendarTime::FromLocal(2001, 12, 31, 15, 10, 59)),
              "2001년 12월 31일 오후 3:10:59");
    EXPECT_EQ(FormatDisplayDate(CCalendarTime::Invalid()), "");
}

TEST(FormatClockTime, HourAndMinuteOnly) {
    EXPECT_EQ(FormatClockTime(CCalendarTime::FromLocal(2001, 7, 4, 15, 7, 30)), "오후 3:07");
    EXPECT_EQ(FormatClockTime(CCalendarTime::FromLocal(2001, 7, 4, 0, 45, 0)), "오전 12:45");
    EXPECT_EQ(FormatClockTime(CCalendarTime::FromLocal(2001, 7, 4, 12, 0, 0)), "오후 12:00");
    EXPECT_EQ(FormatClockTime(CCalendarTime::FromLocal(2001, 7, 4, 9, 10, 0)), "오전 9:10");
}

TEST(ParseDisplayDate, ReadsBackTheDisplayForm) {
    EXPECT_EQ(ParseDisplayDate("2001년 7월 24일 오후 3:05:09"),
              CCalendarTime::FromLocal(2001, 7, 24, 15, 5, 9));
    EXPECT_EQ(ParseDisplayDate("2001년 12월 31일 오전 12:00:00"),
              CCalendarTime::FromLocal(2001, 12, 31, 0, 0, 0));
    EXPECT_EQ(ParseDisplayDate("2001년 1월 2일 오후 12:59:01"),
              CCalendarTime::FromLocal(2001, 1, 2, 12, 59, 1));
    EXPECT_EQ(ParseDisplayDate("2001년 1월 2일 오전 11:09:10"),
              CCalendarTime::FromLocal(2001, 1, 2, 11, 9, 10));
}

TEST(ParseDisplayDate, EmptyTextIsTimeZero) {
    EXPECT_EQ(ParseDisplayDate(""), CCalendarTime(0));
}

TEST(ParseDisplayDate, RoundTripsEveryHour) {
    for (int hour = 0; hour < 24; ++hour) {
        const CCalendarTime t = CCalendarTime::FromLocal(2003, 11, 9, hour, 7, 8);
        EXPECT_EQ(ParseDisplayDate(FormatDisplayDate(t)), t) << hour;
    }
}

TEST(ParseDisplayDate, GarbageDoesNotCrash) {
    EXPECT_FALSE(ParseDisplayDate("x").IsValid());
    EXPECT_FALSE(ParseDisplayDate("월일:").IsValid());
    // Missing markers read as 0; the last two bytes are the second.
    EXPECT_EQ(ParseDisplayDate("2001"), CCalendarTime::FromLocal(2001, 0, 0, 0, 0, 1));
}
