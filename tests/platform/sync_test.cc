#include "lumotools/platform/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <future>
#include <thread>
#include <vector>

namespace {

// Long enough that a wait which should end never reaches it on a loaded machine.
constexpr DWORD kPatienceMs = 20000;

template <typename F>
void RunOnThreads(int count, F f) {
  std::vector<std::thread> threads;
  for (int i = 0; i < count; ++i) threads.emplace_back(f);
  for (std::thread& t : threads) t.join();
}

class SyncCriticalSection : public testing::TestWithParam<DWORD> {
 protected:
  void SetUp() override {
    ASSERT_EQ(InitializeCriticalSectionAndSpinCount(&section_, GetParam()), TRUE);
  }
  void TearDown() override { DeleteCriticalSection(&section_); }

  bool TryEnterOnOtherThread() {
    return std::async(std::launch::async,
                      [this] {
                        if (!TryEnterCriticalSection(&section_)) return false;
                        LeaveCriticalSection(&section_);
                        return true;
                      })
        .get();
  }

  CRITICAL_SECTION section_;
};

TEST_P(SyncCriticalSection, HolderReentersOthersWaitUntilItLeavesAsOftenAndDeleteAllowsReuse) {
  EnterCriticalSection(&section_);
  EXPECT_TRUE(TryEnterCriticalSection(&section_));
  EnterCriticalSection(&section_);
  EXPECT_FALSE(TryEnterOnOtherThread());
  LeaveCriticalSection(&section_);
  LeaveCriticalSection(&section_);
  EXPECT_FALSE(TryEnterOnOtherThread());
  LeaveCriticalSection(&section_);
  EXPECT_TRUE(TryEnterOnOtherThread());

  // A deleted section may be initialised again.
  DeleteCriticalSection(&section_);
  InitializeCriticalSection(&section_);
  EXPECT_TRUE(TryEnterCriticalSection(&section_));
  EXPECT_FALSE(TryEnterOnOtherThread());
  LeaveCriticalSection(&section_);
}

TEST_P(SyncCriticalSection, ExcludesOtherThreads) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 20000;
  int counter = 0;
  int inside = 0;
  bool overlapped = false;
  RunOnThreads(kThreads, [&] {
    for (int i = 0; i < kRounds; ++i) {
      EnterCriticalSection(&section_);
      EnterCriticalSection(&section_);
      if (++inside != 1) overlapped = true;
      ++counter;
      --inside;
      LeaveCriticalSection(&section_);
      LeaveCriticalSection(&section_);
    }
  });
  EXPECT_FALSE(overlapped);
  EXPECT_EQ(counter, kThreads * kRounds);
}

INSTANTIATE_TEST_SUITE_P(Sync, SyncCriticalSection, testing::Values(0u, 400u));

TEST(Sync, ManualResetEventStaysSignalledAndReleasesEveryWaiter) {
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  std::atomic<int> released{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.emplace_back([&] {
      if (WaitForSingleObject(event, kPatienceMs) == WAIT_OBJECT_0) ++released;
    });
  }
  EXPECT_EQ(SetEvent(event), TRUE);
  for (std::thread& t : waiters) t.join();
  EXPECT_EQ(released, 3);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(ResetEvent(event), TRUE);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_EQ(CloseHandle(event), TRUE);
}

TEST(Sync, AutoResetEventReleasesOneWaiterPerSignal) {
  HANDLE event = CreateEvent(nullptr, FALSE, TRUE, nullptr);
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  SetEvent(event);
  SetEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);

  std::atomic<int> released{0};
  auto waiter = [&] {
    const DWORD result = WaitForSingleObject(event, kPatienceMs);
    ++released;
    return result;
  };
  auto first = std::async(std::launch::async, waiter);
  auto second = std::async(std::launch::async, waiter);
  SetEvent(event);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
  while (released == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  // The signal went to that one waiter: a third wait times out, and the other waiter, given
  // that long to wake wrongly, has not.
  EXPECT_EQ(WaitForSingleObject(event, 20), WAIT_TIMEOUT);
  EXPECT_EQ(released, 1);
  SetEvent(event);
  EXPECT_EQ(first.get(), WAIT_OBJECT_0);
  EXPECT_EQ(second.get(), WAIT_OBJECT_0);
  EXPECT_EQ(released, 2);
  CloseHandle(event);
}

// The reader-writer locks close an event as soon as the waiter it released has moved on, while
// the thread that set it may still be inside SetEvent; under AddressSanitizer a setter that still
// touched the event then would fail here.
TEST(Sync, ReleasedWaiterMayCloseTheEventAtOnce) {
  for (int round = 0; round < 2000; ++round) {
    HANDLE event = CreateEvent(nullptr, round % 2 == 0, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    std::atomic<bool> waiting{false};
    std::thread waiter([&] {
      waiting = true;
      EXPECT_EQ(WaitForSingleObject(event, kPatienceMs), WAIT_OBJECT_0);
      CloseHandle(event);
    });
    while (!waiting) std::this_thread::yield();
    SetEvent(event);
    waiter.join();
  }
}

TEST(Sync, WaitTimesOutAfterTheGivenMilliseconds) {
  HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(event, 15), WAIT_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(15));
  CloseHandle(event);
}

TEST(Sync, HandlesThatAreNotEventsAreRefused) {
  EXPECT_EQ(CreateEvent(nullptr, TRUE, FALSE, "Global\\named"), nullptr);
  EXPECT_EQ(SetEvent(nullptr), FALSE);
  EXPECT_EQ(ResetEvent(nullptr), FALSE);
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_EQ(CloseHandle(nullptr), FALSE);
}

TEST(Sync, ThreadIdIsStableNonZeroAndDistinctAmongLiveThreads) {
  const DWORD self = GetCurrentThreadId();
  EXPECT_NE(self, 0u);
  EXPECT_EQ(GetCurrentThreadId(), self);
  std::promise<void> bothRunning;
  std::shared_future<void> gate = bothRunning.get_future();
  auto idWhileAlive = [gate] {
    const DWORD id = GetCurrentThreadId();
    gate.wait();
    return id;
  };
  auto first = std::async(std::launch::async, idWhileAlive);
  auto second = std::async(std::launch::async, idWhileAlive);
  bothRunning.set_value();
  const DWORD a = first.get();
  const DWORD b = second.get();
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  EXPECT_NE(a, self);
  EXPECT_NE(b, self);
}

TEST(Sync, InterlockedArithmeticReturnsNewOrPreviousValueAndWraps) {
  volatile LONG value = 5;
  EXPECT_EQ(InterlockedIncrement(&value), 6);
  EXPECT_EQ(InterlockedDecrement(&value), 5);
  EXPECT_EQ(InterlockedExchangeAdd(&value, 10), 5);
  EXPECT_EQ(value, 15);
  EXPECT_EQ(InterlockedAdd(&value, 5), 20);
  EXPECT_EQ(InterlockedExchange(&value, 3), 20);
  EXPECT_EQ(value, 3);
  value = INT32_MAX;
  EXPECT_EQ(InterlockedIncrement(&value), INT32_MIN);
  EXPECT_EQ(InterlockedDecrement(&value), INT32_MAX);
}

TEST(Sync, InterlockedIncrementsFromManyThreadsAreNotLost) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 20000;
  volatile LONG value = 0;
  RunOnThreads(kThreads, [&] {
    for (int i = 0; i < kRounds; ++i) {
      InterlockedIncrement(&value);
      InterlockedExchangeAdd(&value, 2);
      InterlockedDecrement(&value);
    }
  });
  EXPECT_EQ(value, 2 * kThreads * kRounds);
}

}  // namespace
