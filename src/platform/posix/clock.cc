// The system clocks and local-time conversions on POSIX.
#include <time.h>

#include <cstring>

#include "../system_clock.h"

namespace lumo_platform {

LONGLONG MonotonicNanoseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<LONGLONG>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

LONGLONG RealTimeSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<LONGLONG>(ts.tv_sec);
}

LocalTimeParts ToLocalTime(LONGLONG unixTime) {
  LocalTimeParts parts;
  const time_t t = static_cast<time_t>(unixTime);
  tm local{};
  if (localtime_r(&t, &local) == nullptr) return parts;
  parts.year = local.tm_year + 1900;
  parts.month = local.tm_mon + 1;
  parts.day = local.tm_mday;
  parts.hour = local.tm_hour;
  parts.minute = local.tm_min;
  parts.second = local.tm_sec;
  parts.dayOfWeek = local.tm_wday;
  return parts;
}

LONGLONG FromLocalTime(const LocalTimeParts& parts, int dst) {
  tm local{};
  local.tm_year = parts.year - 1900;
  local.tm_mon = parts.month - 1;
  local.tm_mday = parts.day;
  local.tm_hour = parts.hour;
  local.tm_min = parts.minute;
  local.tm_sec = parts.second;
  local.tm_isdst = dst < 0 ? -1 : (dst > 0 ? 1 : 0);
  return static_cast<LONGLONG>(mktime(&local));
}

std::string FormatLocalTime(LONGLONG unixTime, const char* format) {
  const time_t t = static_cast<time_t>(unixTime);
  tm local{};
  if (localtime_r(&t, &local) == nullptr) return std::string();
  char buffer[1024];
  const size_t n = strftime(buffer, sizeof buffer, format, &local);
  return std::string(buffer, n);
}

}  // namespace lumo_platform
