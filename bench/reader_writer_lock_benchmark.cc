// The reader-writer locks against std::shared_mutex: an uncontended read acquire and release, and
// two threads sharing a counter with 90% reads and 10% writes (items are lock operations, so the
// items per second of the two-thread runs compare throughput).
#include <benchmark/benchmark.h>

#include <shared_mutex>

#include "lumotools/sync/reader_writer_lock.h"

namespace {

// Adapters giving the three locks one shape.
struct SharedMutex {
  std::shared_mutex mutex;
  void Read() { mutex.lock_shared(); }
  void EndRead() { mutex.unlock_shared(); }
  void Write() { mutex.lock(); }
  void EndWrite() { mutex.unlock(); }
};

template <typename Lock>
struct Ours {
  Lock lock;
  void Read() { lock.AcquireReaderLock(INFINITE); }
  void EndRead() { lock.ReleaseReaderLock(); }
  void Write() { lock.AcquireWriterLock(INFINITE); }
  void EndWrite() { lock.ReleaseWriterLock(); }
};

using NonReentrantLock = Ours<CReaderWriterLockNonReentrance>;
using ReentrantLock = Ours<CReaderWriterLock>;

template <typename Lock>
void UncontendedRead(benchmark::State& state) {
  Lock lock;
  for (auto _ : state) {
    lock.Read();
    lock.EndRead();
  }
  state.SetItemsProcessed(state.iterations());
}

// One lock and counter shared by the benchmark's threads.
template <typename Lock>
struct Shared {
  static Lock lock;
  static long counter;
};
template <typename Lock>
Lock Shared<Lock>::lock;
template <typename Lock>
long Shared<Lock>::counter = 0;

template <typename Lock>
void MixedReadWrite(benchmark::State& state) {
  Lock& lock = Shared<Lock>::lock;
  long& counter = Shared<Lock>::counter;
  int step = 0;
  for (auto _ : state) {
    if (++step == 10) {
      step = 0;
      lock.Write();
      ++counter;
      lock.EndWrite();
    } else {
      lock.Read();
      benchmark::DoNotOptimize(counter);
      lock.EndRead();
    }
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_SharedMutex_UncontendedRead(benchmark::State& state) {
  UncontendedRead<SharedMutex>(state);
}
void BM_NonReentrantLock_UncontendedRead(benchmark::State& state) {
  UncontendedRead<NonReentrantLock>(state);
}
void BM_ReentrantLock_UncontendedRead(benchmark::State& state) {
  UncontendedRead<ReentrantLock>(state);
}
BENCHMARK(BM_SharedMutex_UncontendedRead);
BENCHMARK(BM_NonReentrantLock_UncontendedRead);
BENCHMARK(BM_ReentrantLock_UncontendedRead);

void BM_SharedMutex_Mixed90Read(benchmark::State& state) { MixedReadWrite<SharedMutex>(state); }
void BM_NonReentrantLock_Mixed90Read(benchmark::State& state) {
  MixedReadWrite<NonReentrantLock>(state);
}
void BM_ReentrantLock_Mixed90Read(benchmark::State& state) { MixedReadWrite<ReentrantLock>(state); }
BENCHMARK(BM_SharedMutex_Mixed90Read)->Threads(2)->UseRealTime();
BENCHMARK(BM_NonReentrantLock_Mixed90Read)->Threads(2)->UseRealTime();
BENCHMARK(BM_ReentrantLock_Mixed90Read)->Threads(2)->UseRealTime();

}  // namespace
