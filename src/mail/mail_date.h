// Mail dates: finding the date in a header line, converting it to a calendar
// time, and the Korean display form ("2001년 7월 24일 오전 10:05:09") that the
// mailbox shows and the settings keep as an account's last mail date.
#pragma once

#include "base/calendar_time.h"

#include <string>

// The position of the first "Jan " in line; if there is none, of the first
// "Feb ", and so on to "Dec " (exact case). The month first in calendar
// order decides, not the leftmost one. -1 when none occurs.
int FindMonth(const std::string& line);

// 1 to 12 for exactly "Jan" to "Dec" (exact case), else 0.
int MonthNumber(const std::string& text);

// Converts the date part of a header line, which starts with the day number:
// "24 Jul 2001 10:05:09 +0900". Fields are read left to right: day up to the
// first blank, month name up to the next blank, year up to the next blank
// (a two-digit year 00-49 is 20xx, 50-99 is 19xx), hour and minute up to the
// next ":" each, second up to the next blank. A field without its separator
// is empty (so "10:05:09" at the very end gives second 0), and so are all
// fields after it. Numbers convert as DecimalValue, a month name as
// MonthNumber; the zone is ignored (the clock time is taken as local time).
// Always sets `time` (the invalid time when the fields give no time between
// 1970 and the end of 9999) and empties displayText; on success sets
// displayText to FormatDisplayDate(time) and returns true.
bool ConvertDate(const std::string& text, CCalendarTime& time, std::string& displayText);

// "%4d년 %d월 %d일 " + hour ("오전 12:" for 0, "오전 %d:" for 1-11, "오후 12:"
// for 12, "오후 %d:" with hour - 12 for 13-23) + minute ("0%1d:" or "%2d:") +
// second ("0%1d" or "%d"). Empty for an invalid time.
std::string FormatDisplayDate(CCalendarTime time);

// The time of day of the last-check label: the hour part as above, then the
// minute as "0%1d" or "%2d" ("오후 3:07"). Empty for an invalid time.
std::string FormatClockTime(CCalendarTime time);

// Reads a display date back: year from the first four bytes; month, day and
// hour from the two bytes before the first "월", "일" and ":" (a leading blank
// skipped); "오전 12:" makes the hour 0, else "오후 12:" 12, else "오후" adds
// 12; minute from the two bytes after that ":"; second from the last two
// bytes. Empty text gives time 0; fields that give no representable time
// give the invalid time.
CCalendarTime ParseDisplayDate(const std::string& text);
