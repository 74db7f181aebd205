#include "lumotools/sync/win_timer.h"

namespace {

// Counter ticks since zero as whole milliseconds, rounded to the nearest, wrapping at 2^32 (and
// below zero, should a replaced clock stand behind the zero).
unsigned int ElapsedMs(LONGLONG zero, double secondsPerTick) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const double ms = static_cast<double>(now.QuadPart - zero) * secondsPerTick * 1000.0 + 0.5;
  return static_cast<unsigned int>(static_cast<LONGLONG>(ms));
}

}  // namespace

CWinTimer::CWinTimer() {
  LARGE_INTEGER value;
  QueryPerformanceFrequency(&value);
  m_liFrequency = value.QuadPart;
  QueryPerformanceCounter(&value);
  m_liStart = value.QuadPart;
  m_dSecondsPerTick = 1.0 / static_cast<double>(m_liFrequency);
}

unsigned int CWinTimer::get_time_ms() const { return ElapsedMs(m_liStart, m_dSecondsPerTick); }

unsigned int CWinTimer::__get_cur_time_ms() {
  // The process clock is a stopwatch started by the first call.
  static const CWinTimer clock;
  return clock.get_time_ms();
}

CTime CWinTimer::__ms_to_local_time(unsigned int ms) {
  const unsigned int now = __get_cur_time_ms();
  const LONGLONG t = CTime::GetCurrentTime().GetTime();
  const unsigned int behind = now - ms;
  return CTime(t - static_cast<LONGLONG>(behind / 1000));
}
