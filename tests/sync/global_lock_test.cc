#include "lumotools/sync/global_lock.h"

#include <gtest/gtest.h>

#include <future>
#include <vector>

namespace {

TEST(GlobalLock, OneLockPerTypeForTheWholeProcess) {
  CReaderWriterLock& octree = CGlobalLockMgr::__GetGlobalLock(GLOBAL_LOCK_OCTREE);
  EXPECT_EQ(&CGlobalLockMgr::__GetGlobalLock(GLOBAL_LOCK_OCTREE), &octree);
  CReaderWriterLock& other = CGlobalLockMgr::__GetGlobalLock(static_cast<GlobalLockType>(7));
  EXPECT_NE(&other, &octree);

  // The locks are independent: holding one does not block the other.
  ASSERT_EQ(octree.AcquireWriterLock(0), 1);
  auto otherFromAnotherThread = std::async(std::launch::async, [&] {
    const int acquired = other.AcquireWriterLock(0);
    if (acquired) other.ReleaseWriterLock();
    return acquired;
  });
  EXPECT_EQ(otherFromAnotherThread.get(), 1);
  octree.ReleaseWriterLock();
}

TEST(GlobalLock, ThreadsAskingForTheSameNewTypeAtOnceShareOneLock) {
  constexpr int kThreads = 8;
  constexpr int kTypes = 20;
  for (int type = 1000; type < 1000 + kTypes; ++type) {
    std::promise<void> start;
    std::shared_future<void> gate = start.get_future();
    std::vector<std::future<CReaderWriterLock*>> asked;
    for (int i = 0; i < kThreads; ++i) {
      asked.push_back(std::async(std::launch::async, [gate, type] {
        gate.wait();
        return &CGlobalLockMgr::__GetGlobalLock(static_cast<GlobalLockType>(type));
      }));
    }
    start.set_value();
    CReaderWriterLock* first = asked[0].get();
    for (int i = 1; i < kThreads; ++i) EXPECT_EQ(asked[i].get(), first) << "type " << type;
  }
}

}  // namespace
