// The clock and time zone that date an outgoing mail. Behind an interface so
// that a fixed date and zone can stand in for the system's.
#pragma once

#include "base/calendar_time.h"

// The platform's zone information, in minutes of UTC minus local time.
struct ZoneBias {
    int bias = 0;         // standard bias
    int daylightBias = 0; // added to bias while daylight saving time is in effect
    bool daylightInEffect = false;

    // Minutes east of UTC now in effect (+540 for Korea).
    int OffsetMinutes() const { return -(bias + (daylightInEffect ? daylightBias : 0)); }
};

class CMailClock {
  public:
    virtual ~CMailClock() = default;
    // The current local date and time.
    virtual LocalTimeFields GetLocalTime() const = 0;
    virtual ZoneBias GetZoneBias() const = 0;
};

// The system's clock and zone: the local fields of CCalendarTime::Now, and
// GetTimeZoneInformation on Windows, tm_gmtoff elsewhere.
const CMailClock& SystemMailClock();
