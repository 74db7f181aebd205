#include "lumotools/platform/time.h"

#include <atomic>
#include <cmath>
#include <mutex>
#include <utility>

#include "clock_observer.h"
#include "lumotools/platform/exception.h"
#include "system_clock.h"

namespace {

constexpr LONGLONG kNanosecondsPerSecond = 1'000'000'000;
constexpr LONGLONG kNanosecondsPerMillisecond = 1'000'000;

// The process clock. While no clock is installed (the usual case) readers go straight to the
// system without taking the lock.
struct ClockSlot {
  std::mutex mutex;
  std::shared_ptr<LumoClock> clock;
  std::atomic<bool> replaced{false};
};

ClockSlot& Slot() {
  static ClockSlot* slot = new ClockSlot;  // Never destroyed: clocks are read during exit.
  return *slot;
}

std::shared_ptr<LumoClock> InstalledClock() {
  ClockSlot& slot = Slot();
  if (!slot.replaced.load(std::memory_order_acquire)) return nullptr;
  std::lock_guard<std::mutex> lock(slot.mutex);
  return slot.clock;
}

std::atomic<void (*)()> g_clockMovedObserver{nullptr};

}  // namespace

namespace lumo_platform {

void SetClockMovedObserver(void (*observer)()) { g_clockMovedObserver.store(observer); }

}  // namespace lumo_platform

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

ULONGLONG GetTickCount64() {
  if (auto clock = InstalledClock()) return clock->TickCount64();
  return static_cast<ULONGLONG>(lumo_platform::MonotonicNanoseconds() / kNanosecondsPerMillisecond);
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
  if (auto clock = InstalledClock()) {
    lpPerformanceCount->QuadPart = clock->PerformanceCounter();
  } else {
    lpPerformanceCount->QuadPart = lumo_platform::MonotonicNanoseconds();
  }
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
  if (auto clock = InstalledClock()) {
    lpFrequency->QuadPart = clock->PerformanceFrequency();
  } else {
    lpFrequency->QuadPart = kNanosecondsPerSecond;
  }
  return TRUE;
}

LumoClock::~LumoClock() = default;

std::shared_ptr<LumoClock> LumoSetClock(std::shared_ptr<LumoClock> clock) {
  ClockSlot& slot = Slot();
  {
    std::lock_guard<std::mutex> lock(slot.mutex);
    std::swap(slot.clock, clock);
    slot.replaced.store(slot.clock != nullptr, std::memory_order_release);
  }
  LumoClockMoved();
  return clock;
}

void LumoClockMoved() {
  if (auto observer = g_clockMovedObserver.load()) observer();
}

LumoManualClock::LumoManualClock(ULONGLONG startTickMs, LONGLONG startUnixTime)
    : m_startNs(static_cast<LONGLONG>(startTickMs) * kNanosecondsPerMillisecond),
      m_startUnixTime(startUnixTime) {}

void LumoManualClock::Advance(std::chrono::nanoseconds d) {
  m_elapsedNs.fetch_add(d.count());
  LumoClockMoved();
}

ULONGLONG LumoManualClock::TickCount64() {
  return static_cast<ULONGLONG>((m_startNs + m_elapsedNs.load()) / kNanosecondsPerMillisecond);
}

LONGLONG LumoManualClock::PerformanceCounter() { return m_startNs + m_elapsedNs.load(); }

LONGLONG LumoManualClock::UnixTime() {
  return m_startUnixTime + m_elapsedNs.load() / kNanosecondsPerSecond;
}

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST) {
  lumo_platform::LocalTimeParts parts;
  parts.year = nYear;
  parts.month = nMonth;
  parts.day = nDay;
  parts.hour = nHour;
  parts.minute = nMin;
  parts.second = nSec;
  m_time = lumo_platform::FromLocalTime(parts, nDST);
}

CTime::CTime(const FILETIME& fileTime, int) {
  constexpr LONGLONG kIntervalsPerSecond = 10'000'000;
  constexpr LONGLONG kSecondsFrom1601To1970 = 11'644'473'600;
  constexpr LONGLONG kLastSecondOf3000 = 32'535'215'999;  // 3000-12-31 23:59:59 UTC
  const auto intervals = static_cast<LONGLONG>(
      (static_cast<ULONGLONG>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime);
  const LONGLONG seconds = intervals / kIntervalsPerSecond - kSecondsFrom1601To1970;
  if (seconds < 0 && lumo_platform::ToLocalTime(seconds).year < 1900) {
    m_time = 0;
    return;
  }
  if (seconds < 0 || seconds > kLastSecondOf3000) AfxThrowInvalidArgException();
  m_time = seconds;
}

CTime CTime::GetCurrentTime() {
  if (auto clock = InstalledClock()) return CTime(clock->UnixTime());
  return CTime(lumo_platform::RealTimeSeconds());
}

int CTime::GetYear() const { return lumo_platform::ToLocalTime(m_time).year; }
int CTime::GetMonth() const { return lumo_platform::ToLocalTime(m_time).month; }
int CTime::GetDay() const { return lumo_platform::ToLocalTime(m_time).day; }
int CTime::GetHour() const { return lumo_platform::ToLocalTime(m_time).hour; }
int CTime::GetMinute() const { return lumo_platform::ToLocalTime(m_time).minute; }
int CTime::GetSecond() const { return lumo_platform::ToLocalTime(m_time).second; }
int CTime::GetDayOfWeek() const { return lumo_platform::ToLocalTime(m_time).dayOfWeek + 1; }

CString CTime::Format(LPCTSTR pszFormat) const {
  return CString(lumo_platform::FormatLocalTime(m_time, pszFormat));
}

namespace {

// Days from 1970-01-01 to the civil date (proleptic Gregorian), and back.
LONGLONG DaysFromCivil(LONGLONG y, unsigned m, unsigned d) {
  y -= m <= 2;
  const LONGLONG era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<LONGLONG>(doe) - 719468;
}

void CivilFromDays(LONGLONG z, int& year, int& month, int& day) {
  z += 719468;
  const LONGLONG era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<LONGLONG>(yoe) + era * 400 + (month <= 2));
}

// 1899-12-30, the day OLE dates count from, in days since 1970-01-01.
constexpr LONGLONG kOleEpochDays = -25569;
constexpr LONGLONG kSecondsPerDay = 86400;

}  // namespace

COleDateTime::COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) {
  SetDateTime(nYear, nMonth, nDay, nHour, nMin, nSec);
}

int COleDateTime::SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) {
  static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (nYear % 4 == 0 && nYear % 100 != 0) || nYear % 400 == 0;
  const bool ok = nYear >= 100 && nYear <= 9999 && nMonth >= 1 && nMonth <= 12 && nDay >= 1 &&
                  nDay <= kMonthDays[nMonth - 1] + (nMonth == 2 && leap ? 1 : 0) && nHour >= 0 &&
                  nHour <= 23 && nMin >= 0 && nMin <= 59 && nSec >= 0 && nSec <= 59;
  if (!ok) {
    m_dt = 0.0;
    m_status = invalid;
    return 1;
  }
  const LONGLONG days =
      DaysFromCivil(nYear, static_cast<unsigned>(nMonth), static_cast<unsigned>(nDay)) -
      kOleEpochDays;
  const double fraction = (nHour * 3600.0 + nMin * 60.0 + nSec) / kSecondsPerDay;
  // Before the epoch the fraction counts away from zero, as OLE dates do.
  m_dt = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
  m_status = valid;
  return 0;
}

bool COleDateTime::Parts(int parts[6]) const {
  if (m_status != valid) return false;
  const double whole = m_dt < 0 ? std::ceil(m_dt) : std::floor(m_dt);
  LONGLONG days = static_cast<LONGLONG>(whole);
  LONGLONG seconds = std::llround(std::fabs(m_dt - whole) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {
    seconds -= kSecondsPerDay;
    days += m_dt < 0 ? -1 : 1;
  }
  CivilFromDays(days + kOleEpochDays, parts[0], parts[1], parts[2]);
  parts[3] = static_cast<int>(seconds / 3600);
  parts[4] = static_cast<int>(seconds / 60 % 60);
  parts[5] = static_cast<int>(seconds % 60);
  return true;
}

int COleDateTime::Part(int index) const {
  int parts[6];
  return Parts(parts) ? parts[index] : -1;
}
