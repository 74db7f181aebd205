#include "lumotools/sync/reader_writer_lock.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include "lumotools/sync/auto_lock.h"
#include "lumotools/sync/global_lock.h"
#include "sync/reader_writer_lock_test_peer.h"

namespace {

using Peer = ReaderWriterLockTestPeer;
using State = ReaderWriterLockTestPeer::State;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kCountsHeapBytes = false;  // the sanitizer's own allocator rules
#else
constexpr bool kCountsHeapBytes = true;
#endif

// Polls until the lock's state satisfies condition; false when it never does within a patience
// long enough for a loaded machine.
template <typename Lock>
bool Eventually(const Lock& lock, const std::function<bool(const State&)>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!condition(Peer::Read(lock))) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

// A one-shot signal from the test to its other threads.
struct Gate {
  std::promise<void> promise;
  std::shared_future<void> opened = promise.get_future();
  void Open() { promise.set_value(); }
};

// On another thread: takes a read or write lock (time-out dwTimeout), holds it until gate opens
// (when given), counted in inside meanwhile, and releases it. The future gives what the
// acquisition returned.
template <typename Lock>
std::future<int> Visit(Lock& lock, bool write, Gate* gate = nullptr, DWORD dwTimeout = INFINITE,
                       std::atomic<int>* inside = nullptr) {
  std::shared_future<void> leave = gate ? gate->opened : std::shared_future<void>();
  return std::async(std::launch::async, [&lock, write, leave, dwTimeout, inside] {
    const int acquired =
        write ? lock.AcquireWriterLock(dwTimeout) : lock.AcquireReaderLock(dwTimeout);
    if (inside) ++*inside;
    if (leave.valid()) leave.wait();
    if (inside) --*inside;
    if (acquired) write ? lock.ReleaseWriterLock() : lock.ReleaseReaderLock();
    return acquired;
  });
}

// Writers, readers in, readers waiting.
using Counts = std::array<DWORD, 3>;
template <typename Lock>
Counts CountsOf(const Lock& lock) {
  const State s = Peer::Read(lock);
  return {s.writers, s.readersIn, s.readersWaiting};
}

bool Ready(const std::future<int>& result) {
  return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

// The cases that hold for both kinds of lock, each holder on a thread of its own.
template <typename Lock>
class LockKinds : public testing::Test {};
using Kinds = testing::Types<CReaderWriterLockNonReentrance, CReaderWriterLock>;
TYPED_TEST_SUITE(LockKinds, Kinds);

// A reader arriving behind a waiting writer waits for it, and waiting writers are let in one at
// a time.
TYPED_TEST(LockKinds, WaitingWritersGoFirstOneAtATime) {
  TypeParam lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  std::atomic<int> inside{0};
  Gate writersMayLeave;
  auto first = Visit(lock, true, &writersMayLeave, INFINITE, &inside);
  auto second = Visit(lock, true, &writersMayLeave, INFINITE, &inside);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.writers == 2; }));
  auto reader = Visit(lock, false);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.readersWaiting == 1; }));

  lock.ReleaseReaderLock();
  ASSERT_TRUE(Eventually(lock, [&inside](const State&) { return inside != 0; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(inside, 1);
  EXPECT_EQ(CountsOf(lock), (Counts{2, 0, 1}));
  EXPECT_FALSE(Ready(reader));
  writersMayLeave.Open();
  EXPECT_EQ(first.get() + second.get() + reader.get(), 3);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TYPED_TEST(LockKinds, TimedOutWriterLetsReadersInOrTakesTheLockLeft) {
  TypeParam lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  auto writer = Visit(lock, true, nullptr, 30);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.writers == 1; }));
  auto reader = Visit(lock, false);
  EXPECT_EQ(writer.get(), 0);
  EXPECT_EQ(reader.get(), 1);
  lock.ReleaseReaderLock();

  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  writer = Visit(lock, true, nullptr, 10);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.writers == 2; }));
  // With the guard held, the waiting writer's time-out runs out before this release signals it.
  Peer::HoldGuard(lock);
  EXPECT_EQ(WaitForSingleObject(Peer::WriterSignal(lock), 60), WAIT_TIMEOUT);
  lock.ReleaseWriterLock();
  Peer::ReleaseGuard(lock);
  EXPECT_EQ(writer.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

// Readers woken by a writer's release that have not run yet must sleep again when a writer comes
// next, rather than spin while it holds the lock: a writer taking the free lock, and one that
// waits behind a reader that came in meanwhile.
TYPED_TEST(LockKinds, NextWriterMakesWokenReadersSleepAgain) {
  TypeParam lock;
  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  auto reader = Visit(lock, false, nullptr, 20000);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.readersWaiting == 1; }));
  Peer::HoldGuard(lock);
  const HANDLE readerSignal = Peer::ReaderSignal(lock);
  lock.ReleaseWriterLock();
  // Time for the reader to wake and stop at the guard.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(lock.AcquireWriterLock(0), 1);
  EXPECT_EQ(WaitForSingleObject(readerSignal, 0), WAIT_TIMEOUT);
  Peer::ReleaseGuard(lock);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(Ready(reader)) << "woken for nothing, the reader waits on";

  Peer::HoldGuard(lock);
  lock.ReleaseWriterLock();
  Gate readerMayLeave;
  auto in = Visit(lock, false, &readerMayLeave);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.readersIn == 1; }));
  // Watches the signal while the writer below waits, well within its time-out.
  auto reset = std::async(std::launch::async, [readerSignal] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
    while (WaitForSingleObject(readerSignal, 0) == WAIT_OBJECT_0) {
      if (std::chrono::steady_clock::now() > deadline) return false;
    }
    return true;
  });
  EXPECT_EQ(lock.AcquireWriterLock(300), 0);
  EXPECT_TRUE(reset.get()) << "the reader signal stayed set while the writer waited";
  Peer::ReleaseGuard(lock);
  readerMayLeave.Open();
  EXPECT_EQ(in.get() + reader.get(), 2);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

// A downgrade keeps waiting writers waiting for the readers. The sole reader upgrades at once
// unless the time-out is zero; behind a waiting writer it gets the lock after that writer.
TEST(ReaderWriterLockNonReentrance, DowngradeAndUpgrade) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  auto writer = Visit(lock, true);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.writers == 2; }));
  lock.DowngradeFromWriterLock();
  EXPECT_EQ(CountsOf(lock), (Counts{1, 1, 0}));
  EXPECT_FALSE(Ready(writer));
  lock.ReleaseReaderLock();
  EXPECT_EQ(writer.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());

  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  EXPECT_EQ(lock.UpgradeToWriterLock(0), 0);
  EXPECT_EQ(CountsOf(lock), (Counts{0, 1, 0}));
  ASSERT_EQ(lock.UpgradeToWriterLock(), 1);
  EXPECT_EQ(CountsOf(lock), (Counts{1, 0, 0}));
  EXPECT_EQ(Visit(lock, false, nullptr, 0).get(), 0);
  lock.DowngradeFromWriterLock();
  writer = Visit(lock, true);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.writers == 1; }));
  EXPECT_EQ(lock.UpgradeToWriterLock(), 1);
  EXPECT_EQ(Peer::Read(lock).readersIn, 0u);
  lock.ReleaseWriterLock();
  EXPECT_EQ(writer.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

// The steps that change the counts beyond the lock-free paths run under the guard: an upgrade,
// a reentrant write, and the last reader leaving while a writer waits.
TEST(ReaderWriterLockNonReentrance, StepsWaitForTheGuard) {
  CReaderWriterLockNonReentrance plain, read;
  CReaderWriterLock reentrant;
  ASSERT_EQ(read.AcquireReaderLock(), 1);
  auto writer = Visit(read, true);
  ASSERT_TRUE(Eventually(read, [](const State& s) { return s.writers == 1; }));
  const CReaderWriterLockNonReentrance* const locks[] = {&plain, &read, &reentrant};
  for (const auto* lock : locks) Peer::HoldGuard(*lock);
  std::atomic<int> done{0};
  const auto step = [&done](std::function<int()> f) {
    return std::async(std::launch::async, [f, &done] {
      const int result = f();
      ++done;
      return result;
    });
  };
  auto upgrade = step([&] { return plain.AcquireReaderLock(0) && plain.UpgradeToWriterLock(); });
  auto write = step([&] {
    const int acquired = reentrant.AcquireWriterLock(0);
    reentrant.ReleaseWriterLock();
    return acquired;
  });
  auto release = step([&] { return read.ReleaseReaderLock(), 1; });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(done, 0);
  for (const auto* lock : locks) Peer::ReleaseGuard(*lock);
  EXPECT_EQ(upgrade.get() + write.get() + release.get() + writer.get(), 4);
  plain.ReleaseWriterLock();
  for (const auto* lock : locks) EXPECT_TRUE(Peer::Read(*lock).Quiet());
}

// Zero and short time-outs fail without a trace: the counts stay, and every event a wait made is
// closed again (the heap is as it was).
TEST(ReaderWriterLockNonReentrance, TimedOutAcquisitionsLeaveNoTrace) {
  CReaderWriterLockNonReentrance lock;
  const auto timeOut = [&lock] {
    ASSERT_EQ(lock.AcquireReaderLock(0), 1);
    ASSERT_EQ(lock.AcquireReaderLock(0), 1);
    for (DWORD timeout : {0u, 1u}) EXPECT_EQ(lock.AcquireWriterLock(timeout), 0);
    EXPECT_EQ(CountsOf(lock), (Counts{0, 2, 0}));
    lock.ReleaseReaderLock();
    lock.ReleaseReaderLock();
    ASSERT_EQ(lock.AcquireWriterLock(0), 1);
    for (DWORD timeout : {0u, 1u}) {
      EXPECT_EQ(lock.AcquireReaderLock(timeout), 0);
      EXPECT_EQ(lock.AcquireWriterLock(timeout), 0);
    }
    EXPECT_EQ(CountsOf(lock), (Counts{1, 0, 0}));
    EXPECT_FALSE(Peer::Read(lock).readerSignal);
    lock.ReleaseWriterLock();
  };
  timeOut();
  const size_t heap = mallinfo2().uordblks;
  for (int i = 0; i < 50; ++i) timeOut();
  if (kCountsHeapBytes) {
    EXPECT_LT(mallinfo2().uordblks, heap + 50 * 32);
  }
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

// Reads and writes nest per thread, and only the thread's own releases count: releasing what it
// does not hold changes nothing. The only reader asking to write gets it at once. Other threads
// see the lock held as one reader or one writer. ReleaseAllLocks drops all the thread holds.
TEST(ReaderWriterLock, NestedAcquisitionsAreCountedAndReleasedPerThread) {
  CReaderWriterLock lock;
  lock.ReleaseReaderLock();
  lock.ReleaseWriterLock();
  lock.ReleaseAllLocks();
  EXPECT_TRUE(Peer::Read(lock).Quiet());
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  ASSERT_EQ(lock.AcquireReaderLock(0), 1);
  std::async(std::launch::async, [&] {
    lock.ReleaseReaderLock();
    lock.ReleaseAllLocks();
  }).get();
  lock.ReleaseWriterLock();
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 2u);
  EXPECT_EQ(CountsOf(lock), (Counts{0, 1, 0}));

  lock.ReleaseReaderLock();
  ASSERT_EQ(lock.AcquireWriterLock(0), 1);
  ASSERT_EQ(lock.AcquireWriterLock(0), 1);
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 0x20001u);
  DWORD reads = 99, writes = 99;
  lock.GetCurrentThreadStatus(&reads, &writes);
  EXPECT_EQ(reads + 10 * writes, 21u);
  lock.GetCurrentThreadStatus(nullptr, &writes);
  lock.GetCurrentThreadStatus(&reads, nullptr);
  EXPECT_EQ(CountsOf(lock), (Counts{1, 0, 0}));
  EXPECT_EQ(std::async(std::launch::async, [&] { return lock.GetCurrentThreadStatus(); }).get(),
            0u);
  EXPECT_EQ(Visit(lock, false, nullptr, 0).get() + Visit(lock, true, nullptr, 0).get(), 0);
  EXPECT_FALSE(Peer::Read(lock).writerSignal);

  auto writer = Visit(lock, true);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.writers == 2; }));
  lock.ReleaseAllLocks();
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 0u);
  EXPECT_EQ(writer.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLock, ReaderAmongOthersUpgradesAfterThemOrKeepsItsReads) {
  CReaderWriterLock lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  Gate otherMayLeave;
  auto other = Visit(lock, false, &otherMayLeave);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.readersIn == 2; }));
  EXPECT_EQ(lock.AcquireWriterLock(0), 0);
  EXPECT_EQ(lock.AcquireWriterLock(5), 0);
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 2u);
  EXPECT_EQ(Peer::Read(lock).readersIn, 2u);

  std::thread release([&] {
    EXPECT_TRUE(Eventually(lock, [](const State& s) { return s.writers == 1; }));
    otherMayLeave.Open();
  });
  EXPECT_EQ(lock.AcquireWriterLock(), 1);
  release.join();
  EXPECT_EQ(other.get(), 1);
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 0x10002u);
  lock.ReleaseWriterLock();
  lock.ReleaseReaderLock();
  lock.ReleaseReaderLock();
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

// More locks than a thread usually holds, taken in one order and released in another; a lock
// destroyed while held leaves nothing for a new lock in its place.
TEST(ReaderWriterLock, EachLockKeepsItsOwnStateForTheThreadUntilDestroyed) {
  std::vector<CReaderWriterLock> locks(12);
  for (DWORD i = 0; i < locks.size(); ++i) {
    for (DWORD reads = 0; reads <= i % 3; ++reads) ASSERT_EQ(locks[i].AcquireReaderLock(0), 1);
    if (i % 2 == 1) {
      ASSERT_EQ(locks[i].AcquireWriterLock(0), 1);
    }
  }
  for (DWORD i = 0; i < locks.size(); i += 2) locks[i].ReleaseAllLocks();
  for (DWORD i = 1; i < locks.size(); i += 2) {
    EXPECT_EQ(locks[i].GetCurrentThreadStatus(), 0x10000u + i % 3 + 1) << i;
    locks[i].ReleaseWriterLock();
    EXPECT_EQ(CountsOf(locks[i]), (Counts{0, 1, 0})) << i;
    locks[i].ReleaseAllLocks();
  }
  for (const CReaderWriterLock& lock : locks) EXPECT_TRUE(Peer::Read(lock).Quiet());

  alignas(CReaderWriterLock) unsigned char storage[sizeof(CReaderWriterLock)];
  auto* first = new (storage) CReaderWriterLock;
  ASSERT_EQ(first->AcquireWriterLock(), 1);
  ASSERT_EQ(first->AcquireWriterLock(0), 1);
  first->~CReaderWriterLock();
  auto* second = new (storage) CReaderWriterLock;
  EXPECT_EQ(second->GetCurrentThreadStatus(), 0u);
  EXPECT_EQ(Visit(*second, true, nullptr, 0).get(), 1);
  second->~CReaderWriterLock();
}

// One lock per type for the whole process, also when threads ask for a new type at once; the
// locks are independent. The scoped guards hold a lock until they end or Unlock, which releases
// once.
TEST(GlobalLock, OneIndependentLockPerTypeHeldThroughGuards) {
  CReaderWriterLock& octree = CGlobalLockMgr::__GetGlobalLock(GLOBAL_LOCK_OCTREE);
  EXPECT_EQ(&CGlobalLockMgr::__GetGlobalLock(GLOBAL_LOCK_OCTREE), &octree);
  CReaderWriterLock& other = CGlobalLockMgr::__GetGlobalLock(static_cast<GlobalLockType>(7));
  {
    std::unique_ptr<CAutoLock> write = std::make_unique<CAutoWriteLockT<CReaderWriterLock>>(octree);
    EXPECT_EQ(Visit(octree, false, nullptr, 0).get(), 0);
    EXPECT_EQ(Visit(other, true, nullptr, 0).get(), 1);
  }
  EXPECT_EQ(Visit(octree, true, nullptr, 0).get(), 1);
  CReaderWriterLockNonReentrance plain;
  CAutoReadLockT<CReaderWriterLockNonReentrance> read(&plain);
  EXPECT_EQ(CountsOf(plain), (Counts{0, 1, 0}));
  read.Unlock();
  read.Unlock();
  EXPECT_TRUE(Peer::Read(plain).Quiet());

  Gate start;
  std::vector<std::future<CReaderWriterLock*>> asked;
  for (int i = 0; i < 8; ++i) {
    asked.push_back(std::async(std::launch::async, [gate = start.opened] {
      gate.wait();
      return &CGlobalLockMgr::__GetGlobalLock(static_cast<GlobalLockType>(1000));
    }));
  }
  start.Open();
  CReaderWriterLock* first = asked[0].get();
  for (int i = 1; i < 8; ++i) EXPECT_EQ(asked[i].get(), first);
}

}  // namespace
