#include "lumotools/sync/timeout_timer.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "lumotools/platform/message_queue.h"
#include "lumotools/platform/time.h"
#include "support/manual_clock.h"

namespace {

using lumo_test::DispatchWaitingMessages;

class TimeoutTimerTest : public testing::Test {
 protected:
  lumo_test::ManualClockScope clock_;
  CTimeoutTimer& timers_ = CTimeoutTimer::instance();
};

TEST_F(TimeoutTimerTest, CallbacksRunOnceInDueOrderAfterTheirDelays) {
  std::vector<int> order;
  const std::set<unsigned int> ids = {
      timers_.set_timer(30, [&order] { order.push_back(30); }),
      timers_.set_timer(10, [&order] { order.push_back(10); }),
      timers_.set_timer(0, [&order] { order.push_back(0); }),
  };
  EXPECT_EQ(ids.size(), 3u);
  EXPECT_EQ(ids.count(0), 0u);
  EXPECT_EQ(DispatchWaitingMessages(), 1);
  clock_.AdvanceMs(9);
  DispatchWaitingMessages();
  EXPECT_EQ(order, (std::vector<int>{0}));
  clock_.AdvanceMs(21);
  DispatchWaitingMessages();
  EXPECT_EQ(order, (std::vector<int>{0, 10, 30}));
  clock_.AdvanceMs(1000);
  EXPECT_EQ(DispatchWaitingMessages(), 0);
}

TEST_F(TimeoutTimerTest, CallbackMaySetTimerWithItselfAndAnEmptyOneThrowsAtExpiry) {
  int runs = 0;
  std::function<void()> again = [&] {
    if (++runs < 3) timers_.set_timer(10, again);
  };
  timers_.set_timer(10, again);
  for (int step = 0; step < 5; ++step) {
    clock_.AdvanceMs(10);
    DispatchWaitingMessages();
  }
  EXPECT_EQ(runs, 3);

  timers_.set_timer(10, std::function<void()>());
  clock_.AdvanceMs(10);
  EXPECT_THROW(DispatchWaitingMessages(), std::bad_function_call);
  clock_.AdvanceMs(10);
  EXPECT_EQ(DispatchWaitingMessages(), 0);
}

}  // namespace
