#include "lumotools/sync/timer_trace.h"

#include <gtest/gtest.h>

#include "lumotools/sync/win_timer.h"
#include "support/manual_clock.h"

namespace {

TEST(TimerTrace, NestedTracesIndentAndNumberInOrder) {
  ASSERT_STREQ(CTimerTrace::s_strIndent.GetString(), "");
  {
    const CTimerTrace outer("outer");
    EXPECT_STREQ(outer.m_strIndent.GetString(), "");
    EXPECT_EQ(outer.m_nSeq, CTimerTrace::s_nSeq);
    {
      const CTimerTrace inner("inner", 12);
      EXPECT_STREQ(inner.m_strIndent.GetString(), "\t");
      EXPECT_EQ(inner.m_nSeq, outer.m_nSeq + 1);
      EXPECT_STREQ(CTimerTrace::s_strIndent.GetString(), "\t\t");
    }
    EXPECT_STREQ(CTimerTrace::s_strIndent.GetString(), "\t");
    const CTimerTrace sibling("sibling");
    EXPECT_STREQ(sibling.m_strIndent.GetString(), "\t");
    EXPECT_EQ(sibling.m_nSeq, outer.m_nSeq + 2);
    { const CTimerTrace copy = sibling; }  // the copy ends too, taking a TAB
    EXPECT_STREQ(CTimerTrace::s_strIndent.GetString(), "\t");
  }
  EXPECT_STREQ(CTimerTrace::s_strIndent.GetString(), "") << "never below empty";
  CTimerTrace::s_strIndent = ">>";
  { const CTimerTrace trace("t"); }
  EXPECT_STREQ(CTimerTrace::s_strIndent.GetString(), ">>");
  CTimerTrace::s_strIndent = "";
}

TEST(TimerTrace, KeepsTheNameOfTheFileAndLineFormOnlyAndStartsOnTheProcessClock) {
  lumo_test::ManualClockScope scope;
  const unsigned int before = CWinTimer::__get_cur_time_ms();
  scope.AdvanceMs(7);
  const CTimerTrace byName("a"), byLine("b", 7), byFile("c", "file.cc", 7);
  EXPECT_STREQ(byName.m_strName.GetString(), "");
  EXPECT_STREQ(byLine.m_strName.GetString(), "");
  EXPECT_STREQ(byFile.m_strName.GetString(), "c");
  EXPECT_EQ(byFile.m_dwStartMs, before + 7);
}

}  // namespace
