// Several threads run random sequences of nested reads and writes, upgrades, downgrades and
// time-outs on one reentrant lock, whose steps are those of the plain lock. After every step each
// thread checks what it may observe: no reader beside a writer, never two writers, its own
// recursion state, and the lock's counts and events agreeing; when all threads are done the lock
// must be quiet.
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

constexpr int kThreads = 4;
constexpr int kSteps = 3000;

// Who is inside the lock as the threads themselves see it, and the first fault they saw.
class Occupancy {
 public:
  // Entering yields the processor, so that holders overlap with the other threads' requests.
  void EnterRead() {
    ++readers_;
    Expect(writers_ == 0, "a reader beside a writer");
    std::this_thread::yield();
  }
  void LeaveRead() { --readers_; }
  void EnterWrite() {
    Expect(writers_.fetch_add(1) == 0, "two writers");
    Expect(readers_ == 0, "a writer beside a reader");
    std::this_thread::yield();
  }
  void LeaveWrite() { --writers_; }

  void Expect(bool condition, const char* fault) {
    const char* none = nullptr;
    if (!condition) first_.compare_exchange_strong(none, fault);
  }
  const char* first() const { return first_.load(); }

 private:
  std::atomic<int> readers_{0};
  std::atomic<int> writers_{0};
  std::atomic<const char*> first_{nullptr};
};

// The checks that hold at any moment, whatever the other threads do.
template <typename Lock>
void CheckCounts(const Lock& lock, Occupancy& o, bool holdingWrite, bool holdingRead) {
  const State s = Peer::Read(lock);
  o.Expect(!s.writerSignal || s.writers != 0, "writer event without writers");
  o.Expect(s.readerSignal == (s.readersWaiting != 0), "reader event out of step");
  o.Expect(s.writers <= kThreads && s.readersIn <= kThreads && s.readersWaiting <= kThreads,
           "count out of range");
  o.Expect(!holdingWrite || (s.writers != 0 && s.readersIn == 0), "write not counted");
  o.Expect(!holdingRead || s.readersIn != 0, "read not counted");
}

template <typename Lock>
void Reading(const Lock& lock, Occupancy& o) {
  o.EnterRead();
  CheckCounts(lock, o, false, true);
  o.LeaveRead();
}

template <typename Lock>
void Writing(const Lock& lock, Occupancy& o) {
  o.EnterWrite();
  CheckCounts(lock, o, true, false);
  o.LeaveWrite();
}

DWORD Timeout(std::mt19937& random) {
  constexpr DWORD kTimeouts[] = {0, 1, 3, INFINITE};
  return kTimeouts[random() % 4];
}

void ReentrantStep(CReaderWriterLock& lock, Occupancy& o, std::mt19937& random) {
  switch (random() % 5) {
    case 0:  // one or two reads
      if (lock.AcquireReaderLock(Timeout(random))) {
        const bool nested = random() % 2 == 0;
        if (nested) o.Expect(lock.AcquireReaderLock(0) == 1, "nested read refused");
        o.Expect(lock.GetCurrentThreadStatus() == (nested ? 2u : 1u), "read status");
        Reading(lock, o);
        if (nested) lock.ReleaseReaderLock();
        lock.ReleaseReaderLock();
      }
      break;
    case 1:  // write with a read inside
      if (lock.AcquireWriterLock(Timeout(random))) {
        o.Expect(lock.AcquireReaderLock(Timeout(random)) == 1, "read inside write refused");
        o.Expect(lock.GetCurrentThreadStatus() == 0x10001u, "write status");
        Writing(lock, o);
        lock.ReleaseReaderLock();
        lock.ReleaseWriterLock();
      }
      break;
    case 2:  // read, then write inside it
      if (lock.AcquireReaderLock(Timeout(random))) {
        Reading(lock, o);
        if (lock.AcquireWriterLock(Timeout(random))) {
          o.Expect(lock.GetCurrentThreadStatus() == 0x10001u, "upgraded status");
          Writing(lock, o);
          lock.ReleaseWriterLock();
        }
        o.Expect(lock.GetCurrentThreadStatus() == 1u, "status after upgrade");
        Reading(lock, o);
        lock.ReleaseReaderLock();
      }
      break;
    case 3:  // write, read, then give up the write and stay a reader
      if (lock.AcquireWriterLock(Timeout(random))) {
        Writing(lock, o);
        lock.AcquireReaderLock(0);
        lock.ReleaseWriterLock();
        o.Expect(lock.GetCurrentThreadStatus() == 1u, "status after downgrade");
        Reading(lock, o);
        lock.ReleaseReaderLock();
      }
      break;
    case 4:  // deep recursion dropped at once
      if (lock.AcquireWriterLock(Timeout(random))) {
        lock.AcquireWriterLock(0);
        lock.AcquireReaderLock(0);
        o.Expect(lock.GetCurrentThreadStatus() == 0x20001u, "deep status");
        Writing(lock, o);
        lock.ReleaseAllLocks();
      }
      break;
  }
  o.Expect(lock.GetCurrentThreadStatus() == 0, "thread still holds the lock");
  CheckCounts(lock, o, false, false);
}

template <typename Lock, typename Step>
void RunStress(Step step, unsigned seed) {
  Lock lock;
  Occupancy occupancy;
  std::promise<void> start;
  std::shared_future<void> gate = start.get_future();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, gate, t] {
      std::mt19937 random(seed + t);
      gate.wait();
      for (int i = 0; i < kSteps; ++i) step(lock, occupancy, random);
    });
  }
  start.set_value();
  for (std::thread& thread : threads) thread.join();
  EXPECT_TRUE(occupancy.first() == nullptr)
      << "first fault: " << occupancy.first() << " (seed " << seed << ")";
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockStress, ReentrantLockKeepsItsInvariants) {
  lumo_test::RunStressRounds(
      101, [](unsigned seed) { RunStress<CReaderWriterLock>(ReentrantStep, seed); });
}

}  // namespace
