// Installs a LumoManualClock as the process clock while it lives, and pumps the calling thread's
// messages by hand: the means to fire timers in a test without waiting for them.
#ifndef LUMOTOOLS_TESTS_SUPPORT_MANUAL_CLOCK_H_
#define LUMOTOOLS_TESTS_SUPPORT_MANUAL_CLOCK_H_

#include <memory>

#include "lumotools/platform/message_queue.h"
#include "lumotools/platform/time.h"

namespace lumo_test {

class ManualClockScope {
 public:
  explicit ManualClockScope(ULONGLONG startTickMs = 0)
      : clock_(std::make_shared<LumoManualClock>(startTickMs)), previous_(LumoSetClock(clock_)) {}
  ~ManualClockScope() { LumoSetClock(previous_); }
  ManualClockScope(const ManualClockScope&) = delete;
  ManualClockScope& operator=(const ManualClockScope&) = delete;

  LumoManualClock& clock() { return *clock_; }
  void AdvanceMs(ULONGLONG ms) { clock_->AdvanceMs(ms); }

 private:
  std::shared_ptr<LumoManualClock> clock_;
  std::shared_ptr<LumoClock> previous_;
};

// Takes and dispatches the calling thread's messages until none is waiting; returns how many.
// REQUIRES: no timer of the thread has period 0 (it would always be waiting).
inline int DispatchWaitingMessages() {
  int count = 0;
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    DispatchMessage(&msg);
    ++count;
  }
  return count;
}

}  // namespace lumo_test

#endif  // LUMOTOOLS_TESTS_SUPPORT_MANUAL_CLOCK_H_
