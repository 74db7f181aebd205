// The tick count, the performance counter and calendar time (CTime), read through one clock.
//
// Every reading of the tick count, the performance counter and the current calendar time goes
// through a process-wide clock. By default it is the system's: a monotonic clock for the tick
// count and the counter, the real-time clock for the calendar. Tests install a LumoManualClock and
// advance it by hand; threads sleeping until a tick (GetMessage waiting for a timer) wake when it
// moves. Everything here is thread-safe, except that one CTime must not be assigned while another
// thread reads it.
#ifndef LUMOTOOLS_PLATFORM_TIME_H_
#define LUMOTOOLS_PLATFORM_TIME_H_

#include <atomic>
#include <chrono>
#include <memory>

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/types.h"

// A 64-bit count as the system's counter functions return it.
struct LARGE_INTEGER {
  LONGLONG QuadPart;
};

// Milliseconds of the process clock's monotonic time, wrapping to 0 after 2^32 - 1 (49.7 days).
LUMO_PLATFORM_EXPORT DWORD GetTickCount();

// The same milliseconds without the wrap.
LUMO_PLATFORM_EXPORT ULONGLONG GetTickCount64();

// Stores the current performance counter in *lpPerformanceCount and returns TRUE.
LUMO_PLATFORM_EXPORT BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);

// Stores the counter's ticks per second (constant while one clock is installed) and returns TRUE.
LUMO_PLATFORM_EXPORT BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);

// A source of time for the process. Implementations must be callable from any thread.
class LUMO_PLATFORM_EXPORT LumoClock {
 public:
  virtual ~LumoClock();

  // Milliseconds of a monotonic clock.
  virtual ULONGLONG TickCount64() = 0;
  // A monotonic counter and its ticks per second.
  virtual LONGLONG PerformanceCounter() = 0;
  virtual LONGLONG PerformanceFrequency() = 0;
  // Calendar time: seconds since 1970-01-01 00:00:00 UTC.
  virtual LONGLONG UnixTime() = 0;
};

// Makes clock the process's clock and returns the one installed before it (empty for the
// system clock). An empty clock restores the system clock.
LUMO_PLATFORM_EXPORT std::shared_ptr<LumoClock> LumoSetClock(std::shared_ptr<LumoClock> clock);

// Tells threads waiting for a tick of the process clock to read it again. A LumoClock whose time
// jumps (rather than flowing with real time) calls this after every jump.
LUMO_PLATFORM_EXPORT void LumoClockMoved();

// A clock that stands still until advanced: the test double of the process clock. Its counter
// counts nanoseconds, at the system counter's frequency, so that a reading taken before it was
// installed and one taken after are in the same unit. Its calendar starts at a given second and
// moves with it.
class LUMO_PLATFORM_EXPORT LumoManualClock : public LumoClock {
 public:
  static constexpr LONGLONG kFrequency = 1'000'000'000;

  // startTickMs is the first tick count (start near 2^32 to cross the wrap); startUnixTime the
  // first calendar second.
  explicit LumoManualClock(ULONGLONG startTickMs = 0, LONGLONG startUnixTime = 1'700'000'000);

  // Moves the clock forward and wakes waiting threads. REQUIRES: d >= 0.
  void Advance(std::chrono::nanoseconds d);
  void AdvanceMs(ULONGLONG ms) { Advance(std::chrono::milliseconds(ms)); }

  ULONGLONG TickCount64() override;
  LONGLONG PerformanceCounter() override;
  LONGLONG PerformanceFrequency() override { return kFrequency; }
  LONGLONG UnixTime() override;

 private:
  const LONGLONG m_startNs;
  const LONGLONG m_startUnixTime;
  std::atomic<LONGLONG> m_elapsedNs{0};
};

// A moment of calendar time: seconds since 1970-01-01 00:00:00 UTC, shown in local time.
class LUMO_PLATFORM_EXPORT CTime {
 public:
  CTime() = default;
  CTime(LONGLONG time) : m_time(time) {}  // NOLINT: converts like the framework's CTime.
  // The given local date and time; nDST < 0 lets the system decide whether summer time applies.
  CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);

  // The moment of a file time, to the second. A moment whose local year is before 1900 gives
  // time 0; one before 1970-01-01 00:00:00 UTC or after the year 3000 raises
  // CInvalidArgException, as the framework's time class cannot hold it. nDST is accepted for the
  // framework's signature.
  explicit CTime(const FILETIME& fileTime, int nDST = -1);

  // The process clock's calendar time, to the second.
  static CTime GetCurrentTime();

  LONGLONG GetTime() const { return m_time; }

  // Parts in local time: year, month 1-12, day 1-31, hour 0-23, minute and second 0-59.
  int GetYear() const;
  int GetMonth() const;
  int GetDay() const;
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  // 1 for Sunday ... 7 for Saturday.
  int GetDayOfWeek() const;

  // The local time written by strftime with format; empty if the result would not fit 1023 bytes.
  CString Format(LPCTSTR pszFormat) const;

  bool operator==(CTime other) const { return m_time == other.m_time; }
  bool operator!=(CTime other) const { return m_time != other.m_time; }
  bool operator<(CTime other) const { return m_time < other.m_time; }
  bool operator<=(CTime other) const { return m_time <= other.m_time; }
  bool operator>(CTime other) const { return m_time > other.m_time; }
  bool operator>=(CTime other) const { return m_time >= other.m_time; }

 private:
  LONGLONG m_time = 0;
};

// A calendar date and time as days since 1899-12-30 00:00 (the fraction is the time of day), the
// form the framework's OLE automation dates take. No time zone: the parts are what was set.
class LUMO_PLATFORM_EXPORT COleDateTime {
 public:
  enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };

  COleDateTime() = default;
  explicit COleDateTime(double dtSrc) : m_dt(dtSrc) {}
  COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);

  // Sets the date and time; returns 0 and makes the object valid, or returns 1 and makes it
  // invalid when a part is out of range (year 100-9999, month 1-12, day within the month, hour
  // 0-23, minute and second 0-59).
  int SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);
  DateTimeStatus GetStatus() const { return m_status; }

  // Parts of a valid value, rounded to the second; -1 for an invalid one.
  int GetYear() const { return Part(0); }
  int GetMonth() const { return Part(1); }
  int GetDay() const { return Part(2); }
  int GetHour() const { return Part(3); }
  int GetMinute() const { return Part(4); }
  int GetSecond() const { return Part(5); }

  bool operator==(const COleDateTime& other) const { return m_dt == other.m_dt; }
  bool operator!=(const COleDateTime& other) const { return m_dt != other.m_dt; }

  double m_dt = 0.0;
  DateTimeStatus m_status = valid;

 private:
  // year, month, day, hour, minute, second; false for an invalid value.
  bool Parts(int parts[6]) const;
  int Part(int index) const;
};

#endif  // LUMOTOOLS_PLATFORM_TIME_H_
