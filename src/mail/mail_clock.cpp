#include "mail/mail_clock.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
class CSystemMailClock : public CMailClock {
  public:
    std::tm GetLocalTime() const override {
        std::tm local{};
#ifdef _WIN32
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        local.tm_year = now.wYear - 1900;
        local.tm_mon = now.wMonth - 1;
        local.tm_mday = now.wDay;
        local.tm_wday = now.wDayOfWeek;
        local.tm_hour = now.wHour;
        local.tm_min = now.wMinute;
        local.tm_sec = now.wSecond;
#else
        std::time_t now = std::time(nullptr);
        localtime_r(&now, &local);
#endif
        return local;
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
