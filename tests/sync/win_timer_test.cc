#include "lumotools/sync/win_timer.h"

#include <gtest/gtest.h>

#include <chrono>

#include "support/manual_clock.h"

namespace {

TEST(WinTimer, StopwatchesRoundToNearestMillisecond) {
  lumo_test::ManualClockScope scope;
  const CWinTimer timer;
  EXPECT_EQ(timer.get_time_ms(), 0u);
  scope.clock().Advance(std::chrono::microseconds(1400));
  EXPECT_EQ(timer.get_time_ms(), 1u);
  scope.clock().Advance(std::chrono::microseconds(100));
  EXPECT_EQ(timer.get_time_ms(), 2u);
  const CWinTimer later;
  scope.AdvanceMs(10);
  EXPECT_EQ(later.get_time_ms(), 10u);
  EXPECT_EQ(timer.get_time_ms(), 12u);
  const unsigned int start = CWinTimer::__get_cur_time_ms();
  scope.AdvanceMs(2500);
  EXPECT_EQ(CWinTimer::__get_cur_time_ms() - start, 2500u);
}

TEST(WinTimer, MomentsMapToCalendarSeconds) {
  lumo_test::ManualClockScope scope;
  scope.clock().Advance(std::chrono::milliseconds(7300));
  const CTime now = CTime::GetCurrentTime();
  const unsigned int ms = CWinTimer::__get_cur_time_ms();
  EXPECT_EQ(CWinTimer::__ms_to_local_time(ms), now);
  EXPECT_EQ(CWinTimer::__ms_to_local_time(ms - 999), now);
  EXPECT_EQ(CWinTimer::__ms_to_local_time(ms - 2500).GetTime(), now.GetTime() - 2);
  // A moment ahead of now counts as 2^32 ms behind it.
  EXPECT_EQ(CWinTimer::__ms_to_local_time(ms + 1000).GetTime(),
            now.GetTime() - (0x1'0000'0000LL - 1000) / 1000);
}

}  // namespace
