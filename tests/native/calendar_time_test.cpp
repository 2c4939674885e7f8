#include "base/calendar_time.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

LocalTimeFields Fields(CCalendarTime t) {
    LocalTimeFields f;
    EXPECT_TRUE(t.GetLocalFields(f));
    return f;
}

} // namespace

TEST(CalendarTime, LocalFieldsRoundTripWhateverTheZone) {
    const CCalendarTime t = CCalendarTime::FromLocal(2001, 7, 24, 10, 5, 9);
    ASSERT_TRUE(t.IsValid());
    const LocalTimeFields f = Fields(t);
    EXPECT_EQ(f.year, 2001);
    EXPECT_EQ(f.month, 7);
    EXPECT_EQ(f.day, 24);
    EXPECT_EQ(f.hour, 10);
    EXPECT_EQ(f.minute, 5);
    EXPECT_EQ(f.second, 9);
    EXPECT_EQ(CCalendarTime::FromLocal(2001, 7, 24, 10, 5, 10).GetSeconds(), t.GetSeconds() + 1);
}

TEST(CalendarTime, OutOfRangeFieldsCarryOver) {
    EXPECT_EQ(CCalendarTime::FromLocal(2001, 3, 0, 12, 0, 0),
              CCalendarTime::FromLocal(2001, 2, 28, 12, 0, 0));
    EXPECT_EQ(CCalendarTime::FromLocal(2001, 0, 15, 12, 0, 0),
              CCalendarTime::FromLocal(2000, 12, 15, 12, 0, 0));
    EXPECT_EQ(CCalendarTime::FromLocal(2001, 13, 1, 12, 0, 0),
              CCalendarTime::FromLocal(2002, 1, 1, 12, 0, 0));
    EXPECT_EQ(CCalendarTime::FromLocal(2001, 7, 24, 10, 5, 60),
              CCalendarTime::FromLocal(2001, 7, 24, 10, 6, 0));
    EXPECT_EQ(CCalendarTime::FromLocal(2001, 7, 24, 10, -1, 0),
              CCalendarTime::FromLocal(2001, 7, 24, 9, 59, 0));
}

TEST(CalendarTime, HoldsDatesPast2038And9999IsTheLastYear) {
    const CCalendarTime late = CCalendarTime::FromLocal(2100, 3, 1, 0, 0, 0);
    ASSERT_TRUE(late.IsValid());
    EXPECT_GT(late.GetSeconds(), 4102444800LL - 86400 * 366); // past 2^31 seconds, where 32-bit times end
    EXPECT_EQ(Fields(late).year, 2100);
    const CCalendarTime last = CCalendarTime::FromLocal(9999, 12, 31, 23, 59, 59);
    ASSERT_TRUE(last.IsValid());
    EXPECT_EQ(Fields(last).year, 9999);
    EXPECT_FALSE(CCalendarTime::FromLocal(10000, 1, 1, 0, 0, 0).IsValid());
}

TEST(CalendarTime, DatesBefore1970AreInvalid) {
    EXPECT_FALSE(CCalendarTime::FromLocal(1969, 12, 31, 0, 0, 0).IsValid());
    EXPECT_EQ(CCalendarTime::FromLocal(0, 5, 0, 0, 0, 0).GetSeconds(), -1);
    EXPECT_TRUE(CCalendarTime::FromLocal(1970, 1, 3, 0, 0, 0).IsValid());
}

TEST(CalendarTime, ExtremeFieldsDoNotOverflow) {
    EXPECT_FALSE(CCalendarTime::FromLocal(INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX).IsValid());
    EXPECT_FALSE(CCalendarTime::FromLocal(INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN).IsValid());
    EXPECT_TRUE(CCalendarTime::FromLocal(2001, 1, 1, 0, 0, INT_MAX).IsValid()); // 68 years of seconds
}

TEST(CalendarTime, InvalidTimeComparesEarliest) {
    EXPECT_LT(CCalendarTime::Invalid(), CCalendarTime(0));
    LocalTimeFields f;
    EXPECT_FALSE(CCalendarTime::Invalid().GetLocalFields(f));
}

TEST(CalendarTime, NowIsRecent) {
    EXPECT_GT(CCalendarTime::Now().GetSeconds(), 1767225600LL); // 2026-01-01
}
