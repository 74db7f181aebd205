#include "lumotools/sync/reader_writer_lock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include "lumotools/sync/auto_lock.h"
#include "sync/reader_writer_lock_test_peer.h"

namespace {

using Peer = ReaderWriterLockTestPeer;
using State = ReaderWriterLockTestPeer::State;

// Long enough that a wait which should end never reaches it on a loaded machine.
constexpr auto kPatience = std::chrono::seconds(20);

// Polls until condition holds; false when it never does within kPatience.
bool Eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

template <typename Lock>
bool EventuallyState(const Lock& lock, const std::function<bool(const State&)>& condition) {
  return Eventually([&] { return condition(Peer::Read(lock)); });
}

template <typename F>
auto OnThread(F f) {
  return std::async(std::launch::async, std::move(f));
}

bool Ready(const std::future<int>& result) {
  return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

TEST(ReaderWriterLockNonReentrance, ZeroTimeOutNeverBlocks) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireReaderLock(0), 1);
  EXPECT_EQ(lock.AcquireReaderLock(0), 1);
  EXPECT_EQ(OnThread([&] { return lock.AcquireWriterLock(0); }).get(), 0);
  lock.ReleaseReaderLock();
  lock.ReleaseReaderLock();

  ASSERT_EQ(lock.AcquireWriterLock(0), 1);
  EXPECT_EQ(OnThread([&] { return lock.AcquireReaderLock(0); }).get(), 0);
  EXPECT_EQ(OnThread([&] { return lock.AcquireWriterLock(0); }).get(), 0);
  lock.ReleaseWriterLock();
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockNonReentrance, TimedOutWaitsLeaveNoTrace) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  EXPECT_EQ(OnThread([&] { return lock.AcquireReaderLock(5); }).get(), 0);
  EXPECT_EQ(OnThread([&] { return lock.AcquireWriterLock(5); }).get(), 0);
  State state = Peer::Read(lock);
  EXPECT_EQ(state.writers, 1u);
  EXPECT_EQ(state.readersWaiting, 0u);
  EXPECT_FALSE(state.readerSignal);
  lock.ReleaseWriterLock();
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockNonReentrance, ReaderArrivingBehindWaitingWriterWaitsForIt) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  std::promise<void> writerMayLeave;
  auto writer = OnThread([&] {
    const int acquired = lock.AcquireWriterLock();
    writerMayLeave.get_future().wait();
    lock.ReleaseWriterLock();
    return acquired;
  });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.writers == 1; }));
  auto reader = OnThread([&] {
    const int acquired = lock.AcquireReaderLock();
    lock.ReleaseReaderLock();
    return acquired;
  });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.readersWaiting == 1; }));

  lock.ReleaseReaderLock();
  // The writer now holds the lock; the reader still waits behind it.
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.readersIn == 0; }));
  State state = Peer::Read(lock);
  EXPECT_EQ(state.writers, 1u);
  EXPECT_EQ(state.readersWaiting, 1u);
  EXPECT_FALSE(Ready(reader));

  writerMayLeave.set_value();
  EXPECT_EQ(writer.get(), 1);
  EXPECT_EQ(reader.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockNonReentrance, ReleaseAdmitsOneWaitingWriterAtATime) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  std::promise<void> mayLeave[2];
  std::shared_future<void> leave[2] = {mayLeave[0].get_future(), mayLeave[1].get_future()};
  std::atomic<int> inside{0};
  std::atomic<int> entered{0};
  auto writer = [&](int) {
    const int acquired = lock.AcquireWriterLock();
    // Counted inside before it reports entering, so that the checks below see both steps.
    ++inside;
    const int order = entered.fetch_add(1);
    leave[order].wait();
    --inside;
    lock.ReleaseWriterLock();
    return acquired;
  };
  auto first = OnThread([&] { return writer(0); });
  auto second = OnThread([&] { return writer(1); });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.writers == 3; }));

  lock.ReleaseWriterLock();
  ASSERT_TRUE(Eventually([&] { return entered == 1; }));
  EXPECT_EQ(Peer::Read(lock).writers, 2u);
  EXPECT_EQ(inside, 1);
  mayLeave[0].set_value();
  ASSERT_TRUE(Eventually([&] { return entered == 2; }));
  EXPECT_EQ(inside, 1);
  mayLeave[1].set_value();
  EXPECT_EQ(first.get(), 1);
  EXPECT_EQ(second.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockNonReentrance, WriterReleaseLetsAllWaitingReadersInTogether) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  std::promise<void> mayLeave;
  std::shared_future<void> leave = mayLeave.get_future();
  auto reader = [&] {
    const int acquired = lock.AcquireReaderLock();
    leave.wait();
    lock.ReleaseReaderLock();
    return acquired;
  };
  auto first = OnThread(reader);
  auto second = OnThread(reader);
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.readersWaiting == 2; }));
  lock.ReleaseWriterLock();
  EXPECT_TRUE(EventuallyState(lock, [](const State& s) { return s.readersIn == 2; }));
  EXPECT_FALSE(Peer::Read(lock).readerSignal);
  mayLeave.set_value();
  EXPECT_EQ(first.get(), 1);
  EXPECT_EQ(second.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockNonReentrance, TimedOutWriterLetsReadersQueuedBehindItIn) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  auto writer = OnThread([&] { return lock.AcquireWriterLock(30); });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.writers == 1; }));
  auto reader = OnThread([&] {
    const int acquired = lock.AcquireReaderLock();
    lock.ReleaseReaderLock();
    return acquired;
  });
  EXPECT_EQ(writer.get(), 0);
  EXPECT_EQ(reader.get(), 1);
  lock.ReleaseReaderLock();
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockNonReentrance, TimedOutWriterTakesLockWhenItIsTheLastOneLeft) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  auto writer = OnThread([&] {
    const int acquired = lock.AcquireWriterLock(10);
    if (acquired) lock.ReleaseWriterLock();
    return acquired;
  });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.writers == 2; }));
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
  auto reader = OnThread([&] {
    const int acquired = lock.AcquireReaderLock();
    lock.ReleaseReaderLock();
    return acquired;
  });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.readersWaiting == 1; }));
  Peer::HoldGuard(lock);
  lock.ReleaseWriterLock();
  ASSERT_EQ(lock.AcquireWriterLock(0), 1);
  // A reader signal left set would make the waiting reader spin until this writer leaves.
  EXPECT_EQ(WaitForSingleObject(Peer::ReaderSignal(lock), 0), WAIT_TIMEOUT);
  Peer::ReleaseGuard(lock);
  lock.ReleaseWriterLock();
  EXPECT_EQ(reader.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockNonReentrance, DowngradeLetsReadersInAndKeepsWritersWaiting) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  auto reader = OnThread([&] {
    const int acquired = lock.AcquireReaderLock();
    lock.ReleaseReaderLock();
    return acquired;
  });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.readersWaiting == 1; }));
  lock.DowngradeFromWriterLock();
  EXPECT_EQ(reader.get(), 1);
  lock.ReleaseReaderLock();
  ASSERT_EQ(lock.AcquireWriterLock(), 1);

  auto writer = OnThread([&] {
    const int acquired = lock.AcquireWriterLock();
    lock.ReleaseWriterLock();
    return acquired;
  });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.writers == 2; }));
  lock.DowngradeFromWriterLock();
  State state = Peer::Read(lock);
  EXPECT_EQ(state.readersIn, 1u);
  EXPECT_EQ(state.writers, 1u);
  EXPECT_FALSE(Ready(writer));
  lock.ReleaseReaderLock();
  EXPECT_EQ(writer.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockNonReentrance, UpgradeWithZeroTimeOutFailsAndKeepsTheRead) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  EXPECT_EQ(lock.UpgradeToWriterLock(0), 0);
  State state = Peer::Read(lock);
  EXPECT_EQ(state.readersIn, 1u);
  EXPECT_EQ(state.writers, 0u);
  lock.ReleaseReaderLock();
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockNonReentrance, UpgradeBySoleReaderDoesNotWaitForItself) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  ASSERT_EQ(lock.UpgradeToWriterLock(), 1);
  State state = Peer::Read(lock);
  EXPECT_EQ(state.readersIn, 0u);
  EXPECT_EQ(state.writers, 1u);
  EXPECT_EQ(OnThread([&] { return lock.AcquireReaderLock(0); }).get(), 0);
  lock.ReleaseWriterLock();
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockNonReentrance, UpgradeWaitsForTheOtherReaders) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  std::promise<void> otherMayLeave;
  auto other = OnThread([&] {
    const int acquired = lock.AcquireReaderLock();
    otherMayLeave.get_future().wait();
    lock.ReleaseReaderLock();
    return acquired;
  });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.readersIn == 2; }));
  EXPECT_EQ(lock.UpgradeToWriterLock(5), 0);
  EXPECT_EQ(Peer::Read(lock).readersIn, 2u);

  auto upgrade = OnThread([&] { return lock.UpgradeToWriterLock(); });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.writers == 1; }));
  EXPECT_FALSE(Ready(upgrade));
  otherMayLeave.set_value();
  EXPECT_EQ(other.get(), 1);
  EXPECT_EQ(upgrade.get(), 1);
  State state = Peer::Read(lock);
  EXPECT_EQ(state.readersIn, 0u);
  EXPECT_EQ(state.writers, 1u);
  lock.ReleaseWriterLock();
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockNonReentrance, UpgradeBehindAWaitingWriterGetsTheLockAfterIt) {
  CReaderWriterLockNonReentrance lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  auto writer = OnThread([&] {
    const int acquired = lock.AcquireWriterLock();
    lock.ReleaseWriterLock();
    return acquired;
  });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.writers == 1; }));
  EXPECT_EQ(lock.UpgradeToWriterLock(), 1);
  State state = Peer::Read(lock);
  EXPECT_EQ(state.readersIn, 0u);
  EXPECT_GE(state.writers, 1u);
  lock.ReleaseWriterLock();
  EXPECT_EQ(writer.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLock, NestedAcquisitionsAreCountedPerThread) {
  CReaderWriterLock lock;
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 0u);
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  ASSERT_EQ(lock.AcquireReaderLock(0), 1);
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 2u);
  EXPECT_EQ(Peer::Read(lock).readersIn, 1u);
  lock.ReleaseReaderLock();
  lock.ReleaseReaderLock();
  EXPECT_TRUE(Peer::Read(lock).Quiet());

  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  ASSERT_EQ(lock.AcquireWriterLock(0), 1);
  ASSERT_EQ(lock.AcquireReaderLock(0), 1);
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 0x20001u);
  DWORD reads = 99;
  DWORD writes = 99;
  lock.GetCurrentThreadStatus(&reads, &writes);
  EXPECT_EQ(reads, 1u);
  EXPECT_EQ(writes, 2u);
  lock.GetCurrentThreadStatus(nullptr, &writes);
  lock.GetCurrentThreadStatus(&reads, nullptr);
  State state = Peer::Read(lock);
  EXPECT_EQ(state.writers, 1u);
  EXPECT_EQ(state.readersIn, 0u);
  EXPECT_EQ(OnThread([&] { return lock.GetCurrentThreadStatus(); }).get(), 0u);
  lock.ReleaseReaderLock();
  lock.ReleaseWriterLock();
  lock.ReleaseWriterLock();
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLock, OnlyReaderAskingToWriteGetsItAtOnce) {
  CReaderWriterLock lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  ASSERT_EQ(lock.AcquireWriterLock(0), 1);
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 0x10001u);
  State state = Peer::Read(lock);
  EXPECT_EQ(state.writers, 1u);
  EXPECT_EQ(state.readersIn, 0u);
  EXPECT_EQ(OnThread([&] { return lock.AcquireReaderLock(0); }).get(), 0);
  lock.ReleaseWriterLock();
  lock.ReleaseReaderLock();
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLock, ReaderAmongOthersUpgradesAfterThemOrKeepsItsReads) {
  CReaderWriterLock lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  std::promise<void> otherMayLeave;
  auto other = OnThread([&] {
    const int acquired = lock.AcquireReaderLock();
    otherMayLeave.get_future().wait();
    lock.ReleaseReaderLock();
    return acquired;
  });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.readersIn == 2; }));
  EXPECT_EQ(lock.AcquireWriterLock(0), 0);
  EXPECT_EQ(lock.AcquireWriterLock(5), 0);
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 2u);
  EXPECT_EQ(Peer::Read(lock).readersIn, 2u);

  std::thread release([&] {
    EXPECT_TRUE(EventuallyState(lock, [](const State& s) { return s.writers == 1; }));
    otherMayLeave.set_value();
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

TEST(ReaderWriterLock, ReleasingTheWritePartLeavesAReaderAndLetsReadersIn) {
  CReaderWriterLock lock;
  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  std::promise<void> readerMayLeave;
  auto reader = OnThread([&] {
    const DWORD status = lock.AcquireReaderLock() ? lock.GetCurrentThreadStatus() : 0;
    readerMayLeave.get_future().wait();
    lock.ReleaseReaderLock();
    return status;
  });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.readersWaiting == 1; }));
  lock.ReleaseWriterLock();
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 1u);
  EXPECT_TRUE(EventuallyState(lock, [](const State& s) { return s.readersIn == 2; }));
  EXPECT_EQ(Peer::Read(lock).writers, 0u);
  readerMayLeave.set_value();
  EXPECT_EQ(reader.get(), 1u);
  lock.ReleaseReaderLock();
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLock, ReleasingWhatTheThreadDoesNotHoldChangesNothing) {
  CReaderWriterLock lock;
  lock.ReleaseReaderLock();
  lock.ReleaseWriterLock();
  lock.ReleaseAllLocks();
  EXPECT_TRUE(Peer::Read(lock).Quiet());

  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  OnThread([&] {
    lock.ReleaseReaderLock();
    lock.ReleaseAllLocks();
    return 0;
  }).get();
  lock.ReleaseWriterLock();
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 1u);
  EXPECT_EQ(Peer::Read(lock).readersIn, 1u);
  lock.ReleaseReaderLock();
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLock, ReleaseAllLocksDropsEveryRecursion) {
  CReaderWriterLock lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  lock.ReleaseAllLocks();
  EXPECT_TRUE(Peer::Read(lock).Quiet());

  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  ASSERT_EQ(lock.AcquireWriterLock(), 1);
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  auto writer = OnThread([&] {
    const int acquired = lock.AcquireWriterLock();
    lock.ReleaseWriterLock();
    return acquired;
  });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.writers == 2; }));
  lock.ReleaseAllLocks();
  EXPECT_EQ(lock.GetCurrentThreadStatus(), 0u);
  EXPECT_EQ(writer.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLock, WaitingWriterEntersAfterTheLastReaderThread) {
  CReaderWriterLock lock;
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  ASSERT_EQ(lock.AcquireReaderLock(), 1);
  auto writer = OnThread([&] {
    const int acquired = lock.AcquireWriterLock();
    const DWORD status = lock.GetCurrentThreadStatus();
    lock.ReleaseWriterLock();
    return acquired == 1 && status == 0x10000u ? 1 : 0;
  });
  ASSERT_TRUE(EventuallyState(lock, [](const State& s) { return s.writers == 1; }));
  lock.ReleaseReaderLock();
  EXPECT_FALSE(Ready(writer));
  lock.ReleaseReaderLock();
  EXPECT_EQ(writer.get(), 1);
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLock, EachLockKeepsItsOwnStateForTheThread) {
  // More locks than a thread usually holds, taken in one order and released in another.
  constexpr int kLocks = 20;
  std::vector<std::unique_ptr<CReaderWriterLock>> locks;
  for (int i = 0; i < kLocks; ++i) locks.push_back(std::make_unique<CReaderWriterLock>());
  for (int i = 0; i < kLocks; ++i) {
    for (int reads = 0; reads <= i % 3; ++reads) {
      ASSERT_EQ(locks[i]->AcquireReaderLock(0), 1);
    }
    if (i % 2 == 1) {
      ASSERT_EQ(locks[i]->AcquireWriterLock(0), 1);
    }
  }
  for (int i = 0; i < kLocks; ++i) {
    const DWORD expected = (i % 2 == 1 ? 0x10000u : 0u) + static_cast<DWORD>(i % 3 + 1);
    EXPECT_EQ(locks[i]->GetCurrentThreadStatus(), expected) << "lock " << i;
    const State state = Peer::Read(*locks[i]);
    EXPECT_EQ(state.writers, i % 2 == 1 ? 1u : 0u) << "lock " << i;
    EXPECT_EQ(state.readersIn, i % 2 == 1 ? 0u : 1u) << "lock " << i;
  }
  for (int i = 0; i < kLocks; i += 2) locks[i]->ReleaseAllLocks();
  for (int i = 1; i < kLocks; i += 2) {
    locks[i]->ReleaseWriterLock();
    EXPECT_EQ(locks[i]->GetCurrentThreadStatus(), static_cast<DWORD>(i % 3 + 1)) << "lock " << i;
    EXPECT_EQ(Peer::Read(*locks[i]).readersIn, 1u) << "lock " << i;
    for (int reads = 0; reads <= i % 3; ++reads) locks[i]->ReleaseReaderLock();
  }
  for (int i = 0; i < kLocks; ++i) {
    EXPECT_TRUE(Peer::Read(*locks[i]).Quiet()) << "lock " << i;
  }
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
  EXPECT_EQ(OnThread([&] {
              const int acquired = second->AcquireWriterLock(0);
              second->ReleaseWriterLock();
              return acquired;
            }).get(),
            1);
  EXPECT_TRUE(Peer::Read(*second).Quiet());
  second->~CReaderWriterLock();
}

TEST(ReaderWriterLockGuards, ReleaseAtScopeEndOrOnceOnUnlock) {
  CReaderWriterLockNonReentrance lock;
  {
    CAutoReadLockT<CReaderWriterLockNonReentrance> read(lock);
    EXPECT_EQ(Peer::Read(lock).readersIn, 1u);
    read.Unlock();
    EXPECT_EQ(Peer::Read(lock).readersIn, 0u);
    read.Unlock();
  }
  EXPECT_TRUE(Peer::Read(lock).Quiet());
  {
    CAutoWriteLockT<CReaderWriterLockNonReentrance> write(&lock);
    EXPECT_EQ(Peer::Read(lock).writers, 1u);
    write.Unlock();
    EXPECT_EQ(Peer::Read(lock).writers, 0u);
  }
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockGuards, NestedGuardsThroughTheBaseClass) {
  CReaderWriterLock lock;
  {
    std::unique_ptr<CAutoLock> write = std::make_unique<CAutoWriteLockT<CReaderWriterLock>>(lock);
    std::unique_ptr<CAutoLock> read = std::make_unique<CAutoReadLockT<CReaderWriterLock>>(lock);
    EXPECT_EQ(lock.GetCurrentThreadStatus(), 0x10001u);
    write.reset();
    EXPECT_EQ(lock.GetCurrentThreadStatus(), 1u);
  }
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

}  // namespace
