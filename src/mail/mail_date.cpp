#include "mail/mail_date.h"

#include "base/ascii_text.h"

#include <climits>

namespace {

const char* const monthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// The same followed by a blank, as a date stands in a header line.
const char* const monthKeys[12] = {"Jan ", "Feb ", "Mar ", "Apr ", "May ", "Jun ",
                                   "Jul ", "Aug ", "Sep ", "Oct ", "Nov ", "Dec "};

// "오전 12:" / "오후 %d:" and so on: the hour part shared by both forms.
std::string HourText(int hour) {
    if (hour == 0)
        return "오전 12:";
    if (hour == 12)
        return "오후 12:";
    return hour < 12 ? "오전 " + DecimalText(hour) + ":" : "오후 " + DecimalText(hour - 12) + ":";
}

// The number in up to two bytes in front of the first marker, 0 without one.
int PairBefore(const std::string& text, const char* marker) {
    const size_t at = text.find(marker);
    if (at == std::string::npos)
        return 0;
    const size_t start = at >= 2 ? at - 2 : 0;
    return DecimalValue(text.substr(start, at - start));
}

} // namespace

int FindMonth(const std::string& line) {
    for (const char* key : monthKeys) {
        const size_t at = line.find(key);
        if (at != std::string::npos)
            return at > static_cast<size_t>(INT_MAX) ? -1 : static_cast<int>(at);
    }
    return -1;
}

int MonthNumber(const std::string& text) {
    for (int i = 0; i < 12; ++i) {
        if (text == monthNames[i])
            return i + 1;
    }
    return 0;
}

bool ConvertDate(const std::string& text, CCalendarTime& time, std::string& displayText) {
    size_t position = 0;
    bool ended = false;
    auto nextField = [&](char separator) {
        if (ended)
            return std::string();
        const size_t at = text.find(separator, position);
        if (at == std::string::npos) {
            ended = true;
            return std::string();
        }
        std::string field = text.substr(position, at - position);
        position = at + 1;
        return field;
    };
    const int day = DecimalValue(nextField(' '));
    const int month = MonthNumber(nextField(' '));
    const std::string yearField = nextField(' ');
    int year = DecimalValue(yearField);
    if (yearField.size() == 2)
        year += year >= 50 ? 1900 : 2000; // the usual mail rule: 99 is 1999, 01 is 2001
    const int hour = DecimalValue(nextField(':'));
    const int minute = DecimalValue(nextField(':'));
    const int second = DecimalValue(nextField(' '));

    time = CCalendarTime::FromLocal(year, month, day, hour, minute, second);
    displayText = FormatDisplayDate(time);
    return !displayText.empty();
}

std::string FormatDisplayDate(CCalendarTime time) {
    LocalTimeFields f;
    if (!time.GetLocalFields(f))
        return std::string();
    return DecimalText(f.year, 4) + "년 " + DecimalText(f.month) + "월 " + DecimalText(f.day) + "일 " +
           HourText(f.hour) + DecimalText(f.minute, 2, '0') + ":" + DecimalText(f.second, 2, '0');
}

std::string FormatClockTime(CCalendarTime time) {
    LocalTimeFields f;
    if (!time.GetLocalFields(f))
        return std::string();
    return HourText(f.hour) + DecimalText(f.minute, 2, '0');
}

CCalendarTime ParseDisplayDate(const std::string& text) {
    if (text.empty())
        return CCalendarTime(0);
    const int year = DecimalValue(text.substr(0, 4));
    const int month = PairBefore(text, "월");
    const int day = PairBefore(text, "일");
    int hour = PairBefore(text, ":");
    if (text.find("오전 12:") != std::string::npos)
        hour = 0;
    else if (text.find("오후 12:") != std::string::npos)
        hour = 12;
    else if (text.find("오후") != std::string::npos)
        hour += 12;
    const size_t colon = text.find(':');
    const int minute = colon == std::string::npos ? 0 : DecimalValue(text.substr(colon + 1, 2));
    const int second = DecimalValue(text.substr(text.size() >= 2 ? text.size() - 2 : 0));
    return CCalendarTime::FromLocal(year, month, day, hour, minute, second);
}
