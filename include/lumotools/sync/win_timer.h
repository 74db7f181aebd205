// CWinTimer: a millisecond stopwatch on the performance counter, and the process's millisecond
// clock with its conversion to calendar time.
//
// A CWinTimer is a plain value, copyable, for one thread at a time. The static functions may be
// called from any thread. Millisecond readings wrap at 2^32 (49.7 days after their zero).
#ifndef LUMOTOOLS_SYNC_WIN_TIMER_H_
#define LUMOTOOLS_SYNC_WIN_TIMER_H_

#include "lumotools/export.h"
#include "lumotools/platform/time.h"
#include "lumotools/platform/types.h"

class LUMO_EXPORT CWinTimer {
 public:
  // Starts the stopwatch: reads the counter's frequency and its value now.
  CWinTimer();

  // Milliseconds since construction, rounded to the nearest whole millisecond.
  unsigned int get_time_ms() const;

  // Milliseconds on the process clock, whose zero is the first call of this function in the
  // process; rounded to the nearest.
  static unsigned int __get_cur_time_ms();

  // The calendar time, to the second, of the moment ms on the process clock: the current
  // calendar time less the whole seconds from ms to now (a moment ahead of now counts as
  // 2^32 ms behind it).
  static CTime __ms_to_local_time(unsigned int ms);

 private:
  LONGLONG m_liFrequency;    // counter ticks per second
  LONGLONG m_liStart;        // counter at construction
  double m_dSecondsPerTick;  // 1.0 / m_liFrequency
};

#endif  // LUMOTOOLS_SYNC_WIN_TIMER_H_
