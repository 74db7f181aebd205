#include "lumotools/sync/global_lock.h"

#include <gtest/gtest.h>

#include <future>

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

}  // namespace
