// Threads ask for fresh global lock types at once and take random ascending sets of them, for
// reading or writing, with and without time-outs. Every thread must get the same lock for a type,
// and a type's lock must never admit a writer beside anyone else.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "lumotools/sync/global_lock.h"
#include "support/soak.h"

namespace {

constexpr int kThreads = 6;
constexpr int kTypes = 4;
constexpr int kSteps = 2000;

struct TypeState {
  std::atomic<CReaderWriterLock*> lock{nullptr};
  std::atomic<int> readers{0};
  std::atomic<int> writers{0};
};

void SharedGlobalLocks(unsigned seed) {
  // Each round asks for types no earlier round has used, so that they are created under contention.
  static std::atomic<int> nextType{5000};
  const int firstType = nextType.fetch_add(kTypes);
  std::array<TypeState, kTypes> types;
  std::atomic<int> faults{0};

  auto run = [&](unsigned threadSeed) {
    std::mt19937 random(threadSeed);
    for (int step = 0; step < kSteps; ++step) {
      struct Held {
        int index;
        bool write;
        CReaderWriterLock* lock;
      };
      std::vector<Held> held;
      for (int t = 0; t < kTypes; ++t) {
        if (random() % 2 == 0) continue;
        CReaderWriterLock& lock =
            CGlobalLockMgr::__GetGlobalLock(static_cast<GlobalLockType>(firstType + t));
        CReaderWriterLock* expected = nullptr;
        if (!types[t].lock.compare_exchange_strong(expected, &lock) && expected != &lock) ++faults;
        const bool write = random() % 4 == 0;
        const DWORD timeout = random() % 3 == 0 ? 0 : INFINITE;
        if (write) {
          if (!lock.AcquireWriterLock(timeout)) continue;
          if (types[t].writers.fetch_add(1) != 0 || types[t].readers != 0) ++faults;
        } else {
          if (!lock.AcquireReaderLock(timeout)) continue;
          types[t].readers.fetch_add(1);
          if (types[t].writers != 0) ++faults;
        }
        held.push_back({t, write, &lock});
      }
      std::this_thread::yield();
      for (auto h = held.rbegin(); h != held.rend(); ++h) {
        if (h->write) {
          types[h->index].writers.fetch_sub(1);
          h->lock->ReleaseWriterLock();
        } else {
          types[h->index].readers.fetch_sub(1);
          h->lock->ReleaseReaderLock();
        }
      }
    }
  };
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) threads.emplace_back(run, seed * kThreads + i);
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(faults.load(), 0) << "seed " << seed;
  for (int t = 0; t < kTypes; ++t) {
    CReaderWriterLock& lock =
        CGlobalLockMgr::__GetGlobalLock(static_cast<GlobalLockType>(firstType + t));
    EXPECT_EQ(types[t].lock.load(), &lock) << "type " << firstType + t;
    // Quiet again: a writer gets in at once.
    ASSERT_EQ(lock.AcquireWriterLock(0), 1) << "type " << firstType + t << ", seed " << seed;
    lock.ReleaseWriterLock();
  }
}

TEST(GlobalLockStress, ThreadsShareFreshTypesAndTheirLocksStayExclusive) {
  lumo_test::RunStressRounds(3, SharedGlobalLocks);
}

}  // namespace
