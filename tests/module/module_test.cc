#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "lumotools/formula.h"
#include "lumotools/property.h"
#include "lumotools/sync.h"

namespace {

// Each process-wide object as seen by one thread.
std::vector<const void*> Singletons() {
  return {&CAnyPropRegMap::instance(),
          &CAnyTypeStrategyRegister::instance(),
          &CAnyPropertyStyleIdCache::Instance(),
          &CStyleIdCache_CalcSetup_GCL::Instance(),
          &CStyleIdCache_CalcSetup_GJ::Instance(),
          &CBuildInFun::Instance(),
          &CTimeoutTimer::instance(),
          &CGlobalLockMgr::__GetGlobalLock(GLOBAL_LOCK_OCTREE)};
}

// Threads released together all reach the singletons on first use and must see one object
// each; under ThreadSanitizer a creation that is not guarded shows as a race.
TEST(Module, SingletonsAreOneObjectForThreadsAskingAtOnce) {
  constexpr int kThreads = 8;
  std::atomic<bool> go{false};
  std::vector<std::vector<const void*>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      while (!go.load()) std::this_thread::yield();
      seen[t] = Singletons();
    });
  }
  go.store(true);
  for (std::thread& thread : threads) thread.join();
  for (int t = 1; t < kThreads; ++t) EXPECT_EQ(seen[0], seen[t]);
  EXPECT_EQ(seen[0].size(), std::set<const void*>(seen[0].begin(), seen[0].end()).size());
}

// The traces' shared indentation and sequence exist before main: the first trace of the process
// is number 1 and starts at no indentation.
TEST(Module, TimerTracesStartEmptyAndNumberFromOne) {
  EXPECT_TRUE(CTimerTrace::s_strIndent.IsEmpty());
  {
    CTimerTrace outer("outer", __FILE__, __LINE__);
    CTimerTrace inner("inner", __FILE__, __LINE__);
    EXPECT_EQ(outer.m_nSeq, 1);
    EXPECT_EQ(CString("\t"), inner.m_strIndent);
  }
  EXPECT_TRUE(CTimerTrace::s_strIndent.IsEmpty());
}

}  // namespace
