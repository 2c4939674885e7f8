#include "mail/imap_command.h"

#include "mail/mail_date.h"

#include <algorithm>
#include <cctype>

namespace {

bool FitsQuoted(const std::string& text) {
    for (char c : text)
        if (c == '\r' || c == '\n' || c == '\0' || static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - static_cast<int>(era * 400);
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

CImapCommand::CImapCommand(const std::string& tag, const std::string& name)
    : tag(tag), segments{tag + " " + name} {}

CImapCommand& CImapCommand::Atom(const std::string& text) {
    segments.back() += " " + text;
    return *this;
}

CImapCommand& CImapCommand::String(const std::string& text) {
    if (FitsQuoted(text)) {
        std::string quoted = " \"";
        for (char c : text) {
            if (c == '"' || c == '\\')
                quoted += '\\';
            quoted += c;
        }
        segments.back() += quoted + "\"";
    } else {
        // The literal's bytes begin the next segment, and the command goes on after them.
        segments.back() += " {" + std::to_string(text.size()) + "}\r\n";
        segments.push_back(text);
    }
    return *this;
}

CImapCommand& CImapCommand::Continue(const std::string& text) {
    segments.back() += "\r\n";
    segments.push_back(text);
    return *this;
}

std::vector<std::string> CImapCommand::Segments() const {
    std::vector<std::string> lines = segments;
    lines.back() += "\r\n";
    return lines;
}

std::vector<std::string> UidSets(std::vector<std::uint32_t> uids, size_t maxBytes) {
    std::sort(uids.begin(), uids.end());
    uids.erase(std::unique(uids.begin(), uids.end()), uids.end());
    std::vector<std::string> sets;
    std::string set;
    for (size_t i = 0; i < uids.size();) {
        size_t last = i;
        while (last + 1 < uids.size() && uids[last + 1] == uids[last] + 1)
            ++last;
        std::string range = std::to_string(uids[i]);
        if (last > i)
            range += ":" + std::to_string(uids[last]);
        if (!set.empty() && set.size() + 1 + range.size() > maxBytes) {
            sets.push_back(set);
            set.clear();
        }
        set += (set.empty() ? "" : ",") + range;
        i = last + 1;
    }
    if (!set.empty())
        sets.push_back(set);
    return sets;
}

bool ParseInternalDate(const std::string& text, CCalendarTime& time) {
    // "dd-Mon-yyyy hh:mm:ss +zzzz"; a day below 10 comes as " d" (or "d").
    std::string date = text.substr(text.compare(0, 1, " ") == 0 ? 1 : 0);
    if (date.find('-') == 1)
        date.insert(0, "0");
    static const char shape[] = "99-aaa-9999 99:99:99 s9999";
    if (date.size() != sizeof shape - 1)
        return false;
    for (size_t i = 0; i < date.size(); ++i) {
        const char c = date[i];
        const bool fits = shape[i] == '9'   ? c >= '0' && c <= '9'
                          : shape[i] == 'a' ? std::isalpha(static_cast<unsigned char>(c)) != 0
                          : shape[i] == 's' ? c == '+' || c == '-'
                                            : c == shape[i];
        if (!fits)
            return false;
    }
    const auto number = [&date](size_t at, size_t digits) {
        int value = 0;
        for (size_t i = at; i < at + digits; ++i)
            value = value * 10 + (date[i] - '0');
        return value;
    };
    const int day = number(0, 2), year = number(7, 4), hour = number(12, 2), minute = number(15, 2),
              second = number(18, 2), zone = number(22, 4);
    const char sign = date[21];
    const int monthNumber = MonthNumber(date.substr(3, 3));
    if (monthNumber == 0 || day < 1 || day > 31 || year < 1970 || hour > 23 || minute > 59 || second > 60 ||
        zone % 100 > 59 || zone > 2359)
        return false;
    const int zoneSeconds = (zone / 100 * 3600 + zone % 100 * 60) * (sign == '-' ? -1 : 1);
    const std::int64_t seconds =
        DaysFromCivil(year, monthNumber, day) * 86400 + hour * 3600 + minute * 60 + second - zoneSeconds;
    if (seconds < 0)
        return false;
    time = CCalendarTime(seconds);
    return true;
}
