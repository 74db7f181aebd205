// CTimeoutTimer: the process-wide service that runs a callback once, a given number of
// milliseconds after it is set, through a thread timer of the setting thread.
//
// Callbacks run on the thread that set them, from that thread's message dispatching
// (GetMessage or PeekMessage, then DispatchMessage of the WM_TIMER), never before their delay.
// Not thread-safe: set_timer and the expiries must all happen on one thread, the one running
// the message loop.
#ifndef LUMOTOOLS_SYNC_TIMEOUT_TIMER_H_
#define LUMOTOOLS_SYNC_TIMEOUT_TIMER_H_

#include <functional>
#include <map>

#include "lumotools/export.h"
#include "lumotools/platform/types.h"

class LUMO_EXPORT CTimeoutTimer {
 public:
  // The one instance, created on first use and destroyed at process exit. Destroying it stops
  // every pending timer; their callbacks never run.
  static CTimeoutTimer& instance();

  CTimeoutTimer(const CTimeoutTimer&) = delete;
  CTimeoutTimer& operator=(const CTimeoutTimer&) = delete;

  // Runs a copy of callback once, at the first dispatch of its timer after ms milliseconds.
  // Returns the timer's identifier, or 0 when no timer could be set (the callback then never
  // runs). A timeout cannot be cancelled. An empty callback throws std::bad_function_call from
  // the dispatch of its expiry.
  unsigned int set_timer(DWORD ms, const std::function<void()>& callback);

  // The thread timers' procedure: stops timer id, then runs and forgets its callback. The
  // callback is taken out before it runs, so it may set new timeouts.
  static void __TimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);

 private:
  CTimeoutTimer();
  ~CTimeoutTimer();

  std::map<unsigned int, std::function<void()>> m_mapTimers;  // pending callbacks by timer id
};

#endif  // LUMOTOOLS_SYNC_TIMEOUT_TIMER_H_
