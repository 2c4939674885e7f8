// A mail clock pinned to one date and zone.
#pragma once

#include "mail/mail_clock.h"

class CFixedClock : public CMailClock {
  public:
    // Thursday, 5 July 2001, 14:03:09 local time.
    explicit CFixedClock(ZoneBias zone = ZoneBias{-540, 0, false}) : zone(zone) {
        local.tm_year = 101;
        local.tm_mon = 6;
        local.tm_mday = 5;
        local.tm_wday = 4;
        local.tm_hour = 14;
        local.tm_min = 3;
        local.tm_sec = 9;
    }
    std::tm GetLocalTime() const override { return local; }
    ZoneBias GetZoneBias() const override { return zone; }

    std::tm local{};
    ZoneBias zone;
};
