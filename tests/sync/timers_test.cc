// The millisecond clock, the stopwatch traces and the one-shot callback timers, all on the
// manual process clock.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <set>
#include <vector>

#include "lumotools/platform/message_queue.h"
#include "lumotools/platform/time.h"
#include "lumotools/sync/timeout_timer.h"
#include "lumotools/sync/timer_trace.h"
#include "lumotools/sync/win_timer.h"
#include "support/manual_clock.h"

namespace {

using lumo_test::DispatchWaitingMessages;

class TimersTest : public testing::Test {
 protected:
  lumo_test::ManualClockScope clock_;
  CTimeoutTimer& timers_ = CTimeoutTimer::instance();
};

TEST_F(TimersTest, StopwatchesRoundToNearestMillisecondAndMapToCalendarSeconds) {
  const CWinTimer timer;
  EXPECT_EQ(timer.get_time_ms(), 0u);
  clock_.clock().Advance(std::chrono::microseconds(1400));
  EXPECT_EQ(timer.get_time_ms(), 1u);
  clock_.clock().Advance(std::chrono::microseconds(100));
  EXPECT_EQ(timer.get_time_ms(), 2u);
  const CWinTimer later;
  clock_.AdvanceMs(10);
  EXPECT_EQ(later.get_time_ms(), 10u);
  EXPECT_EQ(timer.get_time_ms(), 12u);

  clock_.AdvanceMs(7300);
  const CTime now = CTime::GetCurrentTime();
  const unsigned int ms = CWinTimer::__get_cur_time_ms();
  EXPECT_EQ(CWinTimer::__ms_to_local_time(ms), now);
  EXPECT_EQ(CWinTimer::__ms_to_local_time(ms - 999), now);
  EXPECT_EQ(CWinTimer::__ms_to_local_time(ms - 2500).GetTime(), now.GetTime() - 2);
  // A moment ahead of now counts as 2^32 ms behind it.
  EXPECT_EQ(CWinTimer::__ms_to_local_time(ms + 1000).GetTime(),
            now.GetTime() - (0x1'0000'0000LL - 1000) / 1000);
}

// Nested traces indent and number in order and start on the process clock; only the form with a
// file and line keeps the name.
TEST_F(TimersTest, NestedTracesIndentAndNumberInOrder) {
  ASSERT_STREQ(CTimerTrace::s_strIndent.GetString(), "");
  const unsigned int before = CWinTimer::__get_cur_time_ms();
  clock_.AdvanceMs(7);
  {
    const CTimerTrace outer("outer");
    EXPECT_STREQ(outer.m_strIndent.GetString(), "");
    EXPECT_EQ(outer.m_nSeq, CTimerTrace::s_nSeq);
    EXPECT_EQ(outer.m_dwStartMs, before + 7);
    {
      const CTimerTrace inner("inner", 12), named("named", "file.cc", 7);
      EXPECT_STREQ(inner.m_strIndent.GetString(), "\t");
      EXPECT_EQ(inner.m_nSeq, outer.m_nSeq + 1);
      EXPECT_STREQ(CTimerTrace::s_strIndent.GetString(), "\t\t\t");
      EXPECT_STREQ(outer.m_strName.GetString(), "");
      EXPECT_STREQ(inner.m_strName.GetString(), "");
      EXPECT_STREQ(named.m_strName.GetString(), "named");
    }
    EXPECT_STREQ(CTimerTrace::s_strIndent.GetString(), "\t");
    const CTimerTrace sibling("sibling");
    EXPECT_STREQ(sibling.m_strIndent.GetString(), "\t");
    EXPECT_EQ(sibling.m_nSeq, outer.m_nSeq + 3);
    { const CTimerTrace copy = sibling; }  // the copy ends too, taking a TAB
    EXPECT_STREQ(CTimerTrace::s_strIndent.GetString(), "\t");
  }
  EXPECT_STREQ(CTimerTrace::s_strIndent.GetString(), "") << "never below empty";
}

// Callbacks run once, in due order after their delays; a callback may set a timer with itself,
// and an empty one throws at its expiry.
TEST_F(TimersTest, CallbacksRunOnceInDueOrderAfterTheirDelays) {
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
