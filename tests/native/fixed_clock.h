// A mail clock pinned to one date and zone.
#pragma once

#include "mail/mail_clock.h"

class CFixedClock : public CMailClock {
  public:
    explicit CFixedClock(ZoneBias zone = ZoneBias{-540, 0, false}) : zone(zone) {}
    LocalTimeFields GetLocalTime() const override { return local; }
    ZoneBias GetZoneBias() const override { return zone; }

    LocalTimeFields local{2001, 7, 5, 14, 3, 9}; // Thursday, 5 July 2001, 14:03:09 local time
    ZoneBias zone;
};
