// Several threads run random sequences of reads, writes, upgrades, downgrades and time-outs on
// one lock. After every step each thread checks what it may observe: no reader beside a writer,
// never two writers, its own recursion state, and the lock's counts and events agreeing; when all
// threads are done the lock must be quiet.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
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
constexpr DWORD kTimeouts[] = {0, 1, 3, INFINITE};

// Who is inside the lock as the threads themselves see it, and the faults they saw.
class Occupancy {
 public:
  // Entering yields the processor, so that holders overlap with the other threads' requests.
  void EnterRead() {
    ++readers_;
    if (writers_ != 0) Fail("a reader beside a writer");
    std::this_thread::yield();
  }
  void LeaveRead() { --readers_; }
  void EnterWrite() {
    if (writers_.fetch_add(1) != 0) Fail("two writers");
    if (readers_ != 0) Fail("a writer beside a reader");
    std::this_thread::yield();
  }
  void LeaveWrite() { --writers_; }

  void Fail(const std::string& what) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (faults_.empty()) first_ = what;
    faults_.push_back(what);
  }
  std::size_t faults() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return faults_.size();
  }
  std::string first() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return first_;
  }

 private:
  std::atomic<int> readers_{0};
  std::atomic<int> writers_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> faults_;
  std::string first_;
};

// The checks that hold at any moment, whatever the other threads do.
template <typename Lock>
void CheckCounts(const Lock& lock, Occupancy& occupancy, bool holdingWrite, bool holdingRead) {
  const State s = Peer::Read(lock);
  if (s.writerSignal && s.writers == 0) occupancy.Fail("writer event without writers");
  if (s.readerSignal != (s.readersWaiting != 0)) occupancy.Fail("reader event out of step");
  if (s.writers > kThreads || s.readersIn > kThreads || s.readersWaiting > kThreads) {
    occupancy.Fail("count out of range");
  }
  if (holdingWrite && (s.writers == 0 || s.readersIn != 0)) occupancy.Fail("write not counted");
  if (holdingRead && s.readersIn == 0) occupancy.Fail("read not counted");
}

class Runner {
 public:
  Runner(Occupancy& occupancy, unsigned seed) : occupancy_(occupancy), random_(seed) {}

  DWORD Timeout() { return kTimeouts[random_() % 4]; }
  int Pick(int n) { return static_cast<int>(random_() % n); }

  void Expect(bool condition, const char* what) {
    if (!condition) occupancy_.Fail(what);
  }

  Occupancy& occupancy_;
  std::mt19937 random_;
};

void NonReentrantStep(CReaderWriterLockNonReentrance& lock, Runner& r) {
  Occupancy& o = r.occupancy_;
  switch (r.Pick(4)) {
    case 0:
      if (lock.AcquireReaderLock(r.Timeout())) {
        o.EnterRead();
        CheckCounts(lock, o, false, true);
        o.LeaveRead();
        lock.ReleaseReaderLock();
      }
      break;
    case 1:
      if (lock.AcquireWriterLock(r.Timeout())) {
        o.EnterWrite();
        CheckCounts(lock, o, true, false);
        o.LeaveWrite();
        lock.ReleaseWriterLock();
      }
      break;
    case 2:  // read, then upgrade
      if (lock.AcquireReaderLock(r.Timeout())) {
        if (lock.UpgradeToWriterLock(r.Timeout())) {
          o.EnterWrite();
          CheckCounts(lock, o, true, false);
          o.LeaveWrite();
          lock.ReleaseWriterLock();
        } else {
          o.EnterRead();
          CheckCounts(lock, o, false, true);
          o.LeaveRead();
          lock.ReleaseReaderLock();
        }
      }
      break;
    case 3:  // write, then downgrade
      if (lock.AcquireWriterLock(r.Timeout())) {
        o.EnterWrite();
        o.LeaveWrite();
        lock.DowngradeFromWriterLock();
        o.EnterRead();
        CheckCounts(lock, o, false, true);
        o.LeaveRead();
        lock.ReleaseReaderLock();
      }
      break;
  }
  CheckCounts(lock, o, false, false);
}

void ReentrantStep(CReaderWriterLock& lock, Runner& r) {
  Occupancy& o = r.occupancy_;
  switch (r.Pick(5)) {
    case 0:  // one or two reads
      if (lock.AcquireReaderLock(r.Timeout())) {
        o.EnterRead();
        const bool nested = r.Pick(2) == 0;
        if (nested) r.Expect(lock.AcquireReaderLock(0) == 1, "nested read refused");
        r.Expect(lock.GetCurrentThreadStatus() == (nested ? 2u : 1u), "read status");
        CheckCounts(lock, o, false, true);
        if (nested) lock.ReleaseReaderLock();
        o.LeaveRead();
        lock.ReleaseReaderLock();
      }
      break;
    case 1:  // write with a read inside
      if (lock.AcquireWriterLock(r.Timeout())) {
        o.EnterWrite();
        r.Expect(lock.AcquireReaderLock(r.Timeout()) == 1, "read inside write refused");
        r.Expect(lock.GetCurrentThreadStatus() == 0x10001u, "write status");
        CheckCounts(lock, o, true, false);
        lock.ReleaseReaderLock();
        o.LeaveWrite();
        lock.ReleaseWriterLock();
      }
      break;
    case 2:  // read, then write inside it
      if (lock.AcquireReaderLock(r.Timeout())) {
        o.EnterRead();
        o.LeaveRead();
        if (lock.AcquireWriterLock(r.Timeout())) {
          o.EnterWrite();
          r.Expect(lock.GetCurrentThreadStatus() == 0x10001u, "upgraded status");
          CheckCounts(lock, o, true, false);
          o.LeaveWrite();
          lock.ReleaseWriterLock();
        }
        o.EnterRead();
        r.Expect(lock.GetCurrentThreadStatus() == 1u, "status after upgrade");
        CheckCounts(lock, o, false, true);
        o.LeaveRead();
        lock.ReleaseReaderLock();
      }
      break;
    case 3:  // write, read, then give up the write and stay a reader
      if (lock.AcquireWriterLock(r.Timeout())) {
        o.EnterWrite();
        lock.AcquireReaderLock(0);
        o.LeaveWrite();
        lock.ReleaseWriterLock();
        o.EnterRead();
        r.Expect(lock.GetCurrentThreadStatus() == 1u, "status after downgrade");
        CheckCounts(lock, o, false, true);
        o.LeaveRead();
        lock.ReleaseReaderLock();
      }
      break;
    case 4:  // deep recursion dropped at once
      if (lock.AcquireWriterLock(r.Timeout())) {
        o.EnterWrite();
        lock.AcquireWriterLock(0);
        lock.AcquireReaderLock(0);
        r.Expect(lock.GetCurrentThreadStatus() == 0x20001u, "deep status");
        o.LeaveWrite();
        lock.ReleaseAllLocks();
      }
      break;
  }
  r.Expect(lock.GetCurrentThreadStatus() == 0, "thread still holds the lock");
  CheckCounts(lock, o, false, false);
}

template <typename Lock, typename Step>
void RunStress(Lock& lock, Step step, unsigned seed) {
  Occupancy occupancy;
  std::promise<void> start;
  std::shared_future<void> gate = start.get_future();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, gate, t] {
      Runner runner(occupancy, seed + t);
      gate.wait();
      for (int i = 0; i < kSteps; ++i) step(lock, runner);
    });
  }
  start.set_value();
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(occupancy.faults(), 0u)
      << "first fault: " << occupancy.first() << " (seed " << seed << ")";
  EXPECT_TRUE(Peer::Read(lock).Quiet());
}

TEST(ReaderWriterLockStress, NonReentrantLockKeepsItsInvariants) {
  lumo_test::RunStressRounds(1, [](unsigned seed) {
    CReaderWriterLockNonReentrance lock;
    RunStress(lock, NonReentrantStep, seed);
  });
}

TEST(ReaderWriterLockStress, ReentrantLockKeepsItsInvariants) {
  lumo_test::RunStressRounds(101, [](unsigned seed) {
    CReaderWriterLock lock;
    RunStress(lock, ReentrantStep, seed);
  });
}

}  // namespace
