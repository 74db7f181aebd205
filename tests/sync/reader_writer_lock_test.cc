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
// (when given) and releases it. The future gives what the acquisition returned.
template <typename Lock>
std::future<int> Visit(Lock& lock, bool write, Gate* gate = nullptr, DWORD dwTimeout = INFINITE) {
  std::shared_future<void> leave = gate ? gate->opened : std::shared_future<void>();
  return std::async(std::launch::async, [&lock, write, leave, dwTimeout] {
    const int acquired =
        write ? lock.AcquireWriterLock(dwTimeout) : lock.AcquireReaderLock(dwTimeout);
    if (leave.valid()) leave.wait();
    if (acquired) write ? lock.ReleaseWriterLock() : lock.ReleaseReaderLock();
    return acquired;
  });
}

template <typename F>
auto OnThread(F f) {
  return std::async(std::launch::async, std::move(f)).get();
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

TEST(ReaderWriterLockNonReentrance, ReaderArrivingBehindWaitingWriterWaitsForIt) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  Gate writerMayLeave;
  auto writer = Visit(lock, true, &writerMayLeave);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.writers == 1; }));
  auto reader = Visit(lock, false);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.readersWaiting == 1; }));

  lock.ReleaseReaderLock();
  // The writer now holds the lock; the reader still waits behind it.
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.readersIn == 0; }));
  EXPECT_EQ(CountsOf(lock), (Counts{1, 0, 1}));
  EXPECT_FALSE(Ready(reader));

  writerMayLeave.Open();
  EXPECT_EQ(writer.get(), 1);
  EXPECT_EQ(reader.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

// A release admits one waiting writer at a time.
TEST(ReaderWriterLockNonReentrance, ReleaseAdmitsOneWaitingWriter) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  std::atomic<int> inside{0};
  Gate mayLeave;
  const auto writer = [&] {
    EXPECT_EQ(lock.AcquireWriterLock(), 1);
    ++inside;
    mayLeave.opened.wait();
    --inside;
    lock.ReleaseWriterLock();
  };
  auto first = std::async(std::launch::async, writer);
  auto second = std::async(std::launch::async, writer);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.writers == 3; }));
  lock.ReleaseWriterLock();
  ASSERT_TRUE(Eventually(lock, [&inside](const State&) { return inside != 0; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(inside, 1);
  mayLeave.Open();
  first.get();
  second.get();
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockNonReentrance, TimedOutWriterLetsReadersInOrTakesTheLockLeft) {
  CReaderWriterLockNonReentrance lock;
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

TEST(ReaderWriterLockNonReentrance, WriterTakingFreeLockMakesWokenReadersSleepAgain) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  auto reader = Visit(lock, false, nullptr, 20000);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.readersWaiting == 1; }));
  Peer::HoldGuard(lock);
  lock.ReleaseWriterLock();
  // Time for the reader to wake and stop at the guard.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(lock.AcquireWriterLock(0), 1);
  // A reader signal left set would make the waiting reader spin until this writer leaves. Woken
  // for nothing, the reader waits again for the rest of its time.
  EXPECT_EQ(WaitForSingleObject(Peer::ReaderSignal(lock), 0), WAIT_TIMEOUT);
  Peer::ReleaseGuard(lock);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(Ready(reader)) << "woken for nothing, the reader waits on";
  lock.ReleaseWriterLock();
  EXPECT_EQ(reader.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockNonReentrance, DowngradeKeepsWaitingWritersWaiting) {
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
}

// The sole reader upgrades at once unless the time-out is zero; behind a waiting writer it gets
// the lock after that writer.
TEST(ReaderWriterLockNonReentrance, UpgradeWaitsOnlyForOthers) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  EXPECT_EQ(lock.UpgradeToWriterLock(0), 0);
  EXPECT_EQ(CountsOf(lock), (Counts{0, 1, 0}));
  ASSERT_EQ(lock.UpgradeToWriterLock(), 1);
  EXPECT_EQ(CountsOf(lock), (Counts{1, 0, 0}));
  EXPECT_EQ(Visit(lock, false, nullptr, 0).get(), 0);
  lock.DowngradeFromWriterLock();
  auto writer = Visit(lock, true);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.writers == 1; }));
  EXPECT_EQ(lock.UpgradeToWriterLock(), 1);
  EXPECT_EQ(Peer::Read(lock).readersIn, 0u);
  lock.ReleaseWriterLock();
  EXPECT_EQ(writer.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLock, NestedAcquisitionsAreCountedPerThread) {
  CReaderWriterLock lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  ASSERT_EQ(lock.AcquireReaderLock(0), 1);
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 2u);
  EXPECT_EQ(Peer::Read(lock).readersIn, 1u);
  lock.ReleaseReaderLock();
  lock.ReleaseReaderLock();
  EXPECT_TRUE(Peer::Read(lock).Quiet());

  // The only reader asking to write gets it at once.
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  ASSERT_EQ(lock.AcquireWriterLock(0), 1);
  ASSERT_EQ(lock.AcquireWriterLock(0), 1);
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 0x20001u);
  DWORD reads = 99;
  DWORD writes = 99;
  lock.GetCurrentThreadStatus(&reads, &writes);
  EXPECT_EQ(reads, 1u);
  EXPECT_EQ(writes, 2u);
  lock.GetCurrentThreadStatus(nullptr, &writes);
  lock.GetCurrentThreadStatus(&reads, nullptr);
  EXPECT_EQ(CountsOf(lock), (Counts{1, 0, 0}));
  EXPECT_EQ(OnThread([&] { return lock.GetCurrentThreadStatus(); }), 0u);
  EXPECT_EQ(Visit(lock, false, nullptr, 0).get(), 0);
  EXPECT_EQ(Visit(lock, true, nullptr, 0).get(), 0);
  EXPECT_FALSE(Peer::Read(lock).writerSignal);
  lock.ReleaseReaderLock();
  lock.ReleaseWriterLock();
  lock.ReleaseWriterLock();
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

TEST(ReaderWriterLock, ReleasesOfWhatTheThreadDoesNotHoldChangeNothingAndReleaseAllDropsAll) {
  CReaderWriterLock lock;
  lock.ReleaseReaderLock();
  lock.ReleaseWriterLock();
  lock.ReleaseAllLocks();
  EXPECT_TRUE(Peer::Read(lock).Quiet());

  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  OnThread([&] {
    lock.ReleaseReaderLock();
    lock.ReleaseAllLocks();
    return 0;
  });
  lock.ReleaseWriterLock();
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 2u);
  EXPECT_EQ(Peer::Read(lock).readersIn, 1u);
  lock.ReleaseAllLocks();
  EXPECT_TRUE(Peer::Read(lock).Quiet());

  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  auto writer = Visit(lock, true);
  ASSERT_TRUE(Eventually(lock, [](const State& s) { return s.writers == 2; }));
  lock.ReleaseAllLocks();
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 0u);
  EXPECT_EQ(writer.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

// More locks than a thread usually holds, taken in one order and released in another.
TEST(ReaderWriterLock, EachLockKeepsItsOwnStateForTheThread) {
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
}

TEST(ReaderWriterLock, DestroyingALockTheThreadHoldsForgetsItsState) {
  alignas(CReaderWriterLock) unsigned char storage[sizeof(CReaderWriterLock)];
  auto* first = new (storage) CReaderWriterLock;
  ASSERT_EQ(first->AcquireReaderLock(), 1);
  ASSERT_EQ(first->AcquireWriterLock(), 1);
  first->~CReaderWriterLock();
  // A new lock in the same place starts free for this thread too.
  auto* second = new (storage) CReaderWriterLock;
  EXPECT_EQ(second->GetCurrentThreadStatus(), 0u);
  EXPECT_EQ(Visit(*second, true, nullptr, 0).get(), 1);
  EXPECT_TRUE(Peer::Read(*second).Quiet());
  second->~CReaderWriterLock();
}

// The steps that change the counts beyond the lock-free paths run under the guard.
TEST(ReaderWriterLockNonReentrance, StepsWaitForTheGuard) {
  CReaderWriterLockNonReentrance plain;
  CReaderWriterLock reentrant;
  Peer::HoldGuard(plain);
  Peer::HoldGuard(reentrant);
  std::atomic<int> done{0};
  Gate leave;
  auto hold = [&](auto& lock, auto acquire) {
    return std::async(std::launch::async, [&lock, acquire, &done, &leave] {
      const int acquired = acquire();
      ++done;
      leave.opened.wait();
      if (acquired) lock.ReleaseWriterLock();
      return acquired;
    });
  };
  auto upgrade =
      hold(plain, [&] { return plain.AcquireReaderLock(0) && plain.UpgradeToWriterLock(); });
  auto write = hold(reentrant, [&] { return reentrant.AcquireWriterLock(0); });
  // The last reader leaving while a writer waits.
  CReaderWriterLockNonReentrance read;
  ASSERT_EQ(read.AcquireReaderLock(), 1);
  auto writer = Visit(read, true);
  ASSERT_TRUE(Eventually(read, [](const State& s) { return s.writers == 1; }));
  Peer::HoldGuard(read);
  auto release = std::async(std::launch::async, [&] {
    read.ReleaseReaderLock();
    ++done;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(done, 0);
  Peer::ReleaseGuard(plain);
  Peer::ReleaseGuard(reentrant);
  Peer::ReleaseGuard(read);
  leave.Open();
  EXPECT_EQ(upgrade.get(), 1);
  EXPECT_EQ(write.get(), 1);
  release.get();
  EXPECT_EQ(writer.get(), 1);
  for (const State& s : {Peer::Read(plain), Peer::Read(reentrant), Peer::Read(read)}) {
    EXPECT_TRUE(s.Quiet());
  }
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

TEST(ReaderWriterLockGuards, ReleaseOnceAtUnlockOrScopeEndAlsoThroughTheBase) {
  CReaderWriterLockNonReentrance lock;
  {
    std::unique_ptr<CAutoLock> write =
        std::make_unique<CAutoWriteLockT<CReaderWriterLockNonReentrance>>(lock);
    EXPECT_EQ(CountsOf(lock), (Counts{1, 0, 0}));
  }
  CAutoReadLockT<CReaderWriterLockNonReentrance> read(&lock);
  EXPECT_EQ(CountsOf(lock), (Counts{0, 1, 0}));
  read.Unlock();
  read.Unlock();
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(GlobalLock, OneLockPerTypeForTheWholeProcessAlsoWhenThreadsAskAtOnce) {
  CReaderWriterLock& octree = CGlobalLockMgr::__GetGlobalLock(GLOBAL_LOCK_OCTREE);
  EXPECT_EQ(&CGlobalLockMgr::__GetGlobalLock(GLOBAL_LOCK_OCTREE), &octree);
  CReaderWriterLock& other = CGlobalLockMgr::__GetGlobalLock(static_cast<GlobalLockType>(7));
  EXPECT_NE(&other, &octree);
  // The locks are independent: holding one does not block the other.
  ASSERT_EQ(octree.AcquireWriterLock(0), 1);
  EXPECT_EQ(Visit(other, true, nullptr, 0).get(), 1);
  octree.ReleaseWriterLock();

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
