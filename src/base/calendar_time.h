// Calendar time: seconds since 1970-01-01 00:00:00 UTC in 64 bits, built from
// and broken down into local-time fields. Mail dates, the program's start time
// and the new-mail mark all use it.
//
// The representable range is 1970-01-01 00:00:00 UTC up to the end of the
// local year 9999. Building a time outside it gives the invalid time, whose
// seconds are -1 (it compares earlier than every valid time).
#pragma once

#include <cstdint>

struct LocalTimeFields {
    int year = 0;   // four digits
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
    int hour = 0;   // 0 to 23
    int minute = 0; // 0 to 59
    int second = 0; // 0 to 59
};

class CCalendarTime {
  public:
    static constexpr std::int64_t invalidSeconds = -1;

    CCalendarTime() = default; // 1970-01-01 00:00:00 UTC
    explicit constexpr CCalendarTime(std::int64_t seconds) : seconds(seconds) {}

    static CCalendarTime Now();
    static CCalendarTime Invalid() { return CCalendarTime(invalidSeconds); }

    // The time of a local date and clock time. Fields out of their range are
    // carried over first (day 0 is the last day of the month before, month 0
    // is December of the year before, hour 24 is midnight of the next day);
    // daylight-saving time is the system's. Gives the invalid time when the
    // result lies outside the representable range.
    static CCalendarTime FromLocal(int year, int month, int day, int hour, int minute, int second);

    std::int64_t GetSeconds() const { return seconds; }
    bool IsValid() const;

    // The local-time fields; false (fields untouched) for an invalid time.
    bool GetLocalFields(LocalTimeFields& fields) const;

    friend bool operator==(CCalendarTime a, CCalendarTime b) { return a.seconds == b.seconds; }
    friend bool operator!=(CCalendarTime a, CCalendarTime b) { return a.seconds != b.seconds; }
    friend bool operator<(CCalendarTime a, CCalendarTime b) { return a.seconds < b.seconds; }
    friend bool operator>(CCalendarTime a, CCalendarTime b) { return a.seconds > b.seconds; }
    friend bool operator<=(CCalendarTime a, CCalendarTime b) { return a.seconds <= b.seconds; }
    friend bool operator>=(CCalendarTime a, CCalendarTime b) { return a.seconds >= b.seconds; }

  private:
    std::int64_t seconds = 0;
};
