// The system's clocks and local-time conversions, provided by the platform backend. Internal.
// Thread-safe.
#ifndef LUMOTOOLS_SRC_PLATFORM_SYSTEM_CLOCK_H_
#define LUMOTOOLS_SRC_PLATFORM_SYSTEM_CLOCK_H_

#include <string>

#include "lumotools/platform/types.h"

namespace lumo_platform {

// Nanoseconds of a monotonic clock with an arbitrary zero; never negative.
LONGLONG MonotonicNanoseconds();

// Seconds since 1970-01-01 00:00:00 UTC.
LONGLONG RealTimeSeconds();

// A local date and time: year, month 1-12, day 1-31, hour, minute, second, day of the week
// 0 (Sunday) to 6.
struct LocalTimeParts {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int dayOfWeek = 4;
};

// The local date and time of unixTime; the epoch's parts if the system cannot convert it.
LocalTimeParts ToLocalTime(LONGLONG unixTime);

// The seconds since 1970 of a local date and time; dst < 0 lets the system decide whether summer
// time applies. Fields out of range are normalised as mktime does; -1 if not representable.
LONGLONG FromLocalTime(const LocalTimeParts& parts, int dst);

// unixTime in local time written by strftime with format; empty if it exceeds 1023 bytes.
std::string FormatLocalTime(LONGLONG unixTime, const char* format);

}  // namespace lumo_platform

#endif  // LUMOTOOLS_SRC_PLATFORM_SYSTEM_CLOCK_H_
