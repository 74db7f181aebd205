#include "lumotools/platform/time.h"

#include <atomic>
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
