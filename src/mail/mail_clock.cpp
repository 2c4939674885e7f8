#include "mail/mail_clock.h"

#include <ctime>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
class CSystemMailClock : public CMailClock {
  public:
    LocalTimeFields GetLocalTime() const override {
        LocalTimeFields now{1970, 1, 1}; // kept should the system clock lie outside 1970 to 9999
        CCalendarTime::Now().GetLocalFields(now);
        return now;
    }

    ZoneBias GetZoneBias() const override {
        ZoneBias zone;
#ifdef _WIN32
        TIME_ZONE_INFORMATION info;
        DWORD state = GetTimeZoneInformation(&info);
        if (state == TIME_ZONE_ID_INVALID)
            return zone; // unknown: UTC
        zone.bias = info.Bias;
        zone.daylightBias = info.DaylightBias;
        zone.daylightInEffect = state == TIME_ZONE_ID_DAYLIGHT;
#else
        // tm_gmtoff already includes any daylight saving in effect.
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        zone.bias = static_cast<int>(-local.tm_gmtoff / 60);
#endif
        return zone;
    }
};
} // namespace

const CMailClock& SystemMailClock() {
    static const CSystemMailClock clock;
    return clock;
}
