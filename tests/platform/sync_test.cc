#include "lumotools/platform/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <future>
#include <thread>
#include <vector>

#include "support/soak.h"

namespace {

// Long enough that a wait which should end never reaches it on a loaded machine.
constexpr DWORD kPatienceMs = 20000;

bool TryEnterOnOtherThread(CRITICAL_SECTION* section) {
  return std::async(std::launch::async,
                    [section] {
                      if (!TryEnterCriticalSection(section)) return false;
                      LeaveCriticalSection(section);
                      return true;
                    })
      .get();
}

TEST(Sync, CriticalSectionHolderReentersAndOthersWaitUntilItLeavesAsOften) {
  for (const DWORD spin : {0u, 400u}) {
    CRITICAL_SECTION section;
    ASSERT_EQ(InitializeCriticalSectionAndSpinCount(&section, spin), TRUE);
    EnterCriticalSection(&section);
    EXPECT_TRUE(TryEnterCriticalSection(&section));
    EnterCriticalSection(&section);
    LeaveCriticalSection(&section);
    LeaveCriticalSection(&section);
    EXPECT_FALSE(TryEnterOnOtherThread(&section)) << spin;
    LeaveCriticalSection(&section);
    EnterCriticalSection(&section);  // having left, the thread is no longer the owner
    EXPECT_FALSE(TryEnterOnOtherThread(&section)) << spin;
    LeaveCriticalSection(&section);
    EXPECT_TRUE(TryEnterOnOtherThread(&section)) << spin;
    DeleteCriticalSection(&section);
  }
}

TEST(Sync, ManualResetEventStaysSignalledAndReleasesEveryWaiter) {
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  std::vector<std::future<DWORD>> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.push_back(std::async(std::launch::async, WaitForSingleObject, event, kPatienceMs));
  }
  EXPECT_EQ(SetEvent(event), TRUE);
  for (auto& waiter : waiters) EXPECT_EQ(waiter.get(), WAIT_OBJECT_0);
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
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(event, 15), WAIT_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(15));

  std::atomic<int> released{0};
  auto waiter = [&] {
    const DWORD result = WaitForSingleObject(event, kPatienceMs);
    ++released;
    return result;
  };
  auto first = std::async(std::launch::async, waiter);
  auto second = std::async(std::launch::async, waiter);
  SetEvent(event);
  while (released == 0) std::this_thread::yield();
  // The signal went to that one waiter: a third wait times out, and the other waiter, given
  // that long to wake wrongly, has not.
  EXPECT_EQ(WaitForSingleObject(event, 20), WAIT_TIMEOUT);
  EXPECT_EQ(released, 1);
  SetEvent(event);
  EXPECT_EQ(first.get(), WAIT_OBJECT_0);
  EXPECT_EQ(second.get(), WAIT_OBJECT_0);
  CloseHandle(event);
}

TEST(Sync, InterlockedArithmeticReturnsNewOrPreviousValueAndWraps) {
  volatile LONG value = 5;
  EXPECT_EQ(InterlockedIncrement(&value), 6);
  EXPECT_EQ(InterlockedDecrement(&value), 5);
  EXPECT_EQ(InterlockedExchangeAdd(&value, 10), 5);
  EXPECT_EQ(InterlockedAdd(&value, 5), 20);
  EXPECT_EQ(InterlockedExchange(&value, 3), 20);
  EXPECT_EQ(value, 3);
  value = INT32_MAX;
  EXPECT_EQ(InterlockedIncrement(&value), INT32_MIN);
}

// Threads take a critical section (twice, re-entering) and count with interlocked operations;
// then waiters close the event that released them at once, while its setter may still be inside
// SetEvent (under AddressSanitizer a setter that still touched the event would fail).
void CountAndSignalOnThreads(unsigned seed) {
  constexpr int kThreads = 4;
  const int rounds = 2000 + static_cast<int>(seed % 1000);
  CRITICAL_SECTION section;
  InitializeCriticalSectionAndSpinCount(&section, seed % 2 == 0 ? 0 : 400);
  int counter = 0;
  int inside = 0;  // threads between entering and leaving: never more than one
  volatile LONG value = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < rounds; ++i) {
        EnterCriticalSection(&section);
        EnterCriticalSection(&section);
        counter += ++inside;
        --inside;
        LeaveCriticalSection(&section);
        LeaveCriticalSection(&section);
        InterlockedExchangeAdd(&value, 2);
        InterlockedDecrement(&value);
      }
    });
  }
  for (std::thread& t : threads) t.join();
  DeleteCriticalSection(&section);
  EXPECT_EQ(counter, kThreads * rounds);
  EXPECT_EQ(value, kThreads * rounds);

  for (int round = 0; round < 200; ++round) {
    HANDLE event = CreateEvent(nullptr, (seed + round) % 2 == 0, FALSE, nullptr);
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

TEST(SyncStress, CriticalSectionsInterlockedCountsAndEventsOnThreads) {
  lumo_test::RunStressRounds(3, CountAndSignalOnThreads);
}

}  // namespace
