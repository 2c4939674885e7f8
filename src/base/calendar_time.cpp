#include "base/calendar_time.h"

#include <ctime>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr std::int64_t secondsPerDay = 86400;

constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Days from 1970-01-01 to the given proleptic Gregorian date (H. Hinnant's
// days_from_civil); exact for any year an int can hold.
constexpr std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = FloorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, LocalTimeFields& f) {
    z += 719468;
    const std::int64_t era = FloorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    f.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    f.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    f.year = static_cast<int>(yoe + era * 400 + (f.month <= 2));
}

constexpr std::int64_t firstLocalSecond = 0;                                        // 1970-01-01 00:00:00
constexpr std::int64_t endLocalSecond = DaysFromCivil(10000, 1, 1) * secondsPerDay; // 10000-01-01 00:00:00
// The last UTC second whose local time may still lie in the year 9999
// (zones reach at most 14 hours east or 12 west; a day covers both).
constexpr std::int64_t lastValidSecond = endLocalSecond + secondsPerDay;

#ifdef _WIN32
constexpr std::uint64_t fileTimeOf1970 = 116444736000000000ULL; // 100 ns units since 1601
constexpr std::uint64_t fileTicksPerSecond = 10000000ULL;
#endif

// Local fields (already in range) to seconds since 1970 UTC, -1 on failure.
std::int64_t LocalToSeconds(const LocalTimeFields& f) {
#ifdef _WIN32
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(f.year);
    local.wMonth = static_cast<WORD>(f.month);
    local.wDay = static_cast<WORD>(f.day);
    local.wHour = static_cast<WORD>(f.hour);
    local.wMinute = static_cast<WORD>(f.minute);
    local.wSecond = static_cast<WORD>(f.second);
    SYSTEMTIME utc{};
    FILETIME file{};
    // The CRT's mktime stops at the year 3000; the system's conversion goes
    // far beyond 9999 and follows the same zone rules.
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &file))
        return -1;
    const std::uint64_t ticks = (static_cast<std::uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
    if (ticks < fileTimeOf1970)
        return -1;
    return static_cast<std::int64_t>((ticks - fileTimeOf1970) / fileTicksPerSecond);
#else
    std::tm tm{};
    tm.tm_year = f.year - 1900;
    tm.tm_mon = f.month - 1;
    tm.tm_mday = f.day;
    tm.tm_hour = f.hour;
    tm.tm_min = f.minute;
    tm.tm_sec = f.second;
    tm.tm_isdst = -1; // the system decides daylight-saving time
    return static_cast<std::int64_t>(std::mktime(&tm));
#endif
}

} // namespace

CCalendarTime CCalendarTime::Now() {
    return CCalendarTime(static_cast<std::int64_t>(std::time(nullptr)));
}

bool CCalendarTime::IsValid() const {
    return seconds >= 0 && seconds <= lastValidSecond;
}

CCalendarTime CCalendarTime::FromLocal(int year, int month, int day, int hour, int minute, int second) {
    // Carry the fields over in 64 bits: every int combination stays exact.
    const std::int64_t monthIndex = static_cast<std::int64_t>(month) - 1;
    const std::int64_t y = year + FloorDiv(monthIndex, 12);
    const int m = static_cast<int>(monthIndex - FloorDiv(monthIndex, 12) * 12) + 1;
    const std::int64_t days = DaysFromCivil(y, m, 1) + (static_cast<std::int64_t>(day) - 1);
    const std::int64_t wall = days * secondsPerDay + static_cast<std::int64_t>(hour) * 3600 +
                              static_cast<std::int64_t>(minute) * 60 + second;
    if (wall < firstLocalSecond || wall >= endLocalSecond)
        return Invalid();

    LocalTimeFields f;
    CivilFromDays(FloorDiv(wall, secondsPerDay), f);
    const std::int64_t inDay = wall - FloorDiv(wall, secondsPerDay) * secondsPerDay;
    f.hour = static_cast<int>(inDay / 3600);
    f.minute = static_cast<int>(inDay / 60 % 60);
    f.second = static_cast<int>(inDay % 60);

    const std::int64_t result = LocalToSeconds(f);
    if (result < 0 || result > lastValidSecond)
        return Invalid();
    return CCalendarTime(result);
}

bool CCalendarTime::GetLocalFields(LocalTimeFields& fields) const {
    if (!IsValid())
        return false;
#ifdef _WIN32
    const std::uint64_t ticks = static_cast<std::uint64_t>(seconds) * fileTicksPerSecond + fileTimeOf1970;
    FILETIME file;
    file.dwLowDateTime = static_cast<DWORD>(ticks);
    file.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SYSTEMTIME utc{}, local{};
    if (!FileTimeToSystemTime(&file, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return false;
    fields.year = local.wYear;
    fields.month = local.wMonth;
    fields.day = local.wDay;
    fields.hour = local.wHour;
    fields.minute = local.wMinute;
    fields.second = local.wSecond;
#else
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!localtime_r(&t, &tm))
        return false;
    fields.year = tm.tm_year + 1900;
    fields.month = tm.tm_mon + 1;
    fields.day = tm.tm_mday;
    fields.hour = tm.tm_hour;
    fields.minute = tm.tm_min;
    fields.second = tm.tm_sec;
#endif
    return true;
}
