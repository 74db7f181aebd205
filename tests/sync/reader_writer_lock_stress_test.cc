// Several threads run random sequences of nested reads and writes, upgrades, downgrades and
// time-outs on one reentrant lock, whose steps are those of the plain lock. Each thread checks
// what it may observe: no reader beside a writer, never two writers, its own recursion state, and
// the lock's counts and events agreeing; when all threads are done the lock must be quiet.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <random>
#include <thread>
#include <vector>

#include "lumotools/sync/reader_writer_lock.h"
#include "support/soak.h"
#include "sync/reader_writer_lock_test_peer.h"

namespace {

using Peer = ReaderWriterLockTestPeer;
using State = ReaderWriterLockTestPeer::State;

// Who is inside the lock as the threads themselves see it, and the first fault they saw.
struct Occupancy {
  std::atomic<int> readers{0};
  std::atomic<int> writers{0};
  std::atomic<const char*> fault{nullptr};

  void Expect(bool condition, const char* what) {
    const char* none = nullptr;
    if (!condition) fault.compare_exchange_strong(none, what);
  }
  // Stays inside for a moment, so that holders overlap with the other threads' requests.
  void Inside(const CReaderWriterLock& lock, bool write) {
    if (write) {
      Expect(writers.fetch_add(1) == 0 && readers == 0, "a writer beside another holder");
    } else {
      ++readers;
      Expect(writers == 0, "a reader beside a writer");
    }
    std::this_thread::yield();
    const State s = Peer::Read(lock);
    Expect(write ? s.writers != 0 && s.readersIn == 0 : s.readersIn != 0, "holder not counted");
    --(write ? writers : readers);
  }
};

void Step(CReaderWriterLock& lock, Occupancy& o, std::mt19937& random) {
  constexpr DWORD kTimeouts[] = {0, 1, 3, INFINITE};
  const DWORD timeout = kTimeouts[random() % 4];
  if (random() % 2 == 0) {
    // Reads, then a write inside them.
    if (lock.AcquireReaderLock(timeout)) {
      o.Expect(lock.AcquireReaderLock(0) == 1, "nested read refused");
      o.Inside(lock, false);
      if (lock.AcquireWriterLock(timeout)) {
        o.Inside(lock, true);
        lock.ReleaseWriterLock();
      }
      o.Expect(lock.GetCurrentThreadStatus() == 2u, "status after upgrade");
      lock.ReleaseReaderLock();
      lock.ReleaseReaderLock();
    }
  } else if (lock.AcquireWriterLock(timeout)) {
    // A write with a read inside, given up at once or the write first.
    o.Expect(lock.AcquireReaderLock(timeout) == 1, "read inside write refused");
    o.Inside(lock, true);
    if (random() % 2 == 0) {
      lock.ReleaseAllLocks();
    } else {
      lock.ReleaseWriterLock();
      o.Inside(lock, false);
      lock.ReleaseReaderLock();
    }
  }
  o.Expect(lock.GetCurrentThreadStatus() == 0, "thread still holds the lock");
  const State s = Peer::Read(lock);
  o.Expect(!s.writerSignal || s.writers != 0, "writer event without writers");
  o.Expect(s.readerSignal == (s.readersWaiting != 0), "reader event out of step");
}

TEST(ReaderWriterLockStress, ReentrantLockKeepsItsInvariants) {
  lumo_test::RunStressRounds(101, [](unsigned seed) {
    constexpr int kThreads = 4;
    CReaderWriterLock lock;
    Occupancy occupancy;
    std::promise<void> start;
    std::shared_future<void> gate = start.get_future();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, gate, t] {
        std::mt19937 random(seed + t);
        gate.wait();
        for (int i = 0; i < 1500; ++i) Step(lock, occupancy, random);
      });
    }
    start.set_value();
    for (std::thread& thread : threads) thread.join();
    EXPECT_TRUE(occupancy.fault == nullptr)
        << "first fault: " << occupancy.fault << " (seed " << seed << ")";
    EXPECT_TRUE(Peer::Read(lock).Quiet());
  });
}

}  // namespace
