#include "lumotools/platform/message_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "lumotools/platform/sync.h"
#include "lumotools/platform/time.h"
#include "lumotools/platform/window.h"
#include "support/manual_clock.h"

namespace {

// Takes every waiting message without dispatching it; returns them in order.
std::vector<MSG> TakeWaitingMessages() {
  std::vector<MSG> taken;
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) taken.push_back(msg);
  return taken;
}

// The identifiers of the WM_TIMER messages waiting, taken from the queue.
std::vector<UINT_PTR> DueTimers() {
  std::vector<UINT_PTR> ids;
  for (const MSG& msg : TakeWaitingMessages()) {
    if (msg.message == WM_TIMER) ids.push_back(msg.wParam);
  }
  return ids;
}

void IgnoreTimer(HWND, UINT, UINT_PTR, DWORD) {}

TEST(MessageQueue, PostedMessagesComeFirstInFirstOutThroughFiltersAndQuitComesLast) {
  PostMessage(nullptr, WM_USER + 1, 10, 100);
  PostMessage(nullptr, WM_USER + 5, 5, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_USER + 5, WM_USER + 9, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 5);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_USER + 5, WM_USER + 9, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 5u);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_USER + 2, WM_USER + 9, PM_REMOVE));
  // Messages without a window pass the "no window" filter but not a filter naming a window.
  EXPECT_FALSE(PeekMessage(&msg, reinterpret_cast<HWND>(0x1234), 0, 0, PM_REMOVE));
  PostQuitMessage(7);
  PostMessage(nullptr, WM_USER + 6, 6, 0);
  ASSERT_TRUE(PeekMessage(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1);
  EXPECT_EQ(msg.wParam, 10u);
  EXPECT_EQ(msg.lParam, 100);
  EXPECT_EQ(msg.hwnd, nullptr);
  ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_USER + 6);
  // The quit request passes every filter.
  ASSERT_EQ(GetMessage(&msg, nullptr, WM_USER, WM_USER), 0);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(msg.lParam, 0);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

// A quit request posted before any other use is kept, and messages posted after it come first.
TEST(MessageQueue, QueueExistsFromFirstUseUntilItsThreadEnds) {
  std::promise<DWORD> idBeforeUse;
  std::promise<void> checked;
  std::promise<DWORD> idAfterUse;
  std::promise<void> posted;
  std::thread worker([&] {
    idBeforeUse.set_value(GetCurrentThreadId());
    checked.get_future().wait();
    PostQuitMessage(5);
    idAfterUse.set_value(GetCurrentThreadId());
    posted.get_future().wait();
    MSG msg;
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.wParam, 5u);
  });
  const DWORD id = idBeforeUse.get_future().get();
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_FALSE(PostThreadMessage(id, WM_USER, 0, 0));
  checked.set_value();
  EXPECT_EQ(idAfterUse.get_future().get(), id);
  EXPECT_TRUE(PostThreadMessage(id, WM_USER, 0, 0));
  posted.set_value();
  worker.join();
  EXPECT_FALSE(PostThreadMessage(id, WM_USER, 0, 0));
}

// Another thread may post to a window as soon as it exists, before its thread has looked at its
// queue.
TEST(MessageQueue, AWindowGivesItsThreadTheQueueThatOthersPostTo) {
  std::promise<HWND> made;
  std::promise<void> posted;
  std::thread owner([&] {
    const HWND h =
        CreateWindowEx(0, "EDIT", "w", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    made.set_value(h);
    posted.get_future().wait();
    MSG msg;
    EXPECT_TRUE(PeekMessage(&msg, h, WM_USER, WM_USER, PM_REMOVE));
    DestroyWindow(h);
  });
  EXPECT_TRUE(PostMessage(made.get_future().get(), WM_USER, 0, 0));
  posted.set_value();
  owner.join();
}

// Timers on a hand-advanced clock. Every timer a test sets goes through Set, so that none outlives
// its test.
class MessageQueueTimerTest : public testing::Test {
 protected:
  MessageQueueTimerTest() : clock_(1000) {}

  void TearDown() override {
    for (UINT_PTR id : ids_) KillTimer(nullptr, id);
    TakeWaitingMessages();
  }

  UINT_PTR Set(UINT elapse, TIMERPROC proc = IgnoreTimer) {
    const UINT_PTR id = SetTimer(nullptr, 0, elapse, proc);
    ids_.push_back(id);
    return id;
  }

  lumo_test::ManualClockScope clock_;
  std::vector<UINT_PTR> ids_;
};

// From an ordinary tick count, and from one that wraps at 32 bits before the first due time.
TEST_F(MessageQueueTimerTest, TimerFallsDueAfterItsPeriodThenEveryPeriod) {
  for (const ULONGLONG start : {1000ULL, 0xFFFFFFFFULL - 40}) {
    lumo_test::ManualClockScope clock(start);
    const UINT_PTR id = Set(100);
    EXPECT_NE(id, 0u);
    clock.AdvanceMs(99);
    EXPECT_TRUE(TakeWaitingMessages().empty()) << start;
    for (int period = 0; period < 3; ++period) {
      clock.AdvanceMs(period == 0 ? 1 : 100);
      const std::vector<MSG> messages = TakeWaitingMessages();
      ASSERT_EQ(messages.size(), 1u) << "start " << start << ", period " << period;
      EXPECT_EQ(messages[0].message, WM_TIMER);
      EXPECT_EQ(messages[0].hwnd, nullptr);
      EXPECT_EQ(messages[0].wParam, id);
      EXPECT_EQ(messages[0].lParam, reinterpret_cast<LPARAM>(&IgnoreTimer));
      EXPECT_EQ(messages[0].time, GetTickCount());
    }
    EXPECT_TRUE(KillTimer(nullptr, id));
  }
}

TEST_F(MessageQueueTimerTest, DueTimersComeInDueOrderAtMostOncePending) {
  const UINT_PTR late = Set(300);
  const UINT_PTR early = Set(100);
  const UINT_PTR middle = Set(200);
  const UINT_PTR tiedWithMiddle = Set(200);
  clock_.AdvanceMs(300);
  EXPECT_EQ(DueTimers(), (std::vector<UINT_PTR>{early, middle, tiedWithMiddle, late}));

  const UINT_PTR id = Set(10);
  clock_.AdvanceMs(1000);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, id);
  EXPECT_EQ(DueTimers(), (std::vector<UINT_PTR>{id, early, middle, tiedWithMiddle, late}));
  // The period restarts when the timer is found due, not from its missed due times.
  clock_.AdvanceMs(9);
  EXPECT_TRUE(DueTimers().empty());
  clock_.AdvanceMs(1);
  EXPECT_EQ(DueTimers(), std::vector<UINT_PTR>{id});
}

// Dispatching the timer's message calls its procedure with the tick count the message was taken
// at, not the due time nor the time of the dispatch.
TEST_F(MessageQueueTimerTest, PostedMessagesAndQuitComeBeforeTimersThatDispatchToTheirProcedure) {
  static std::vector<DWORD> calls;  // message, identifier, time
  const UINT_PTR id = Set(10, [](HWND, UINT msg, UINT_PTR id, DWORD time) {
    calls = {msg, static_cast<DWORD>(id), time};
  });
  clock_.AdvanceMs(12);
  PostMessage(nullptr, WM_USER, 0, 0);
  PostQuitMessage(3);
  MSG msg;
  ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_USER);
  ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 0);
  ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
  clock_.AdvanceMs(5);
  EXPECT_EQ(DispatchMessage(&msg), 0);
  EXPECT_EQ(calls, (std::vector<DWORD>{WM_TIMER, static_cast<DWORD>(id), 1012u}));
  // A filter that excludes WM_TIMER leaves the timer pending.
  clock_.AdvanceMs(10);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(DueTimers(), std::vector<UINT_PTR>{id});
  // A timer of period 0 is due at every look.
  const UINT_PTR zero = Set(0);
  for (int look = 0; look < 2; ++look) {
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, zero);
  }
}

TEST_F(MessageQueueTimerTest, KillAndResetDropThePendingMessage) {
  const UINT_PTR killed = Set(10);
  const UINT_PTR kept = Set(10);
  const UINT_PTR reset = Set(10);
  clock_.AdvanceMs(10);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_TRUE(KillTimer(nullptr, killed));
  EXPECT_FALSE(KillTimer(nullptr, killed));
  EXPECT_EQ(SetTimer(nullptr, reset, 50, IgnoreTimer), reset);
  EXPECT_EQ(DueTimers(), std::vector<UINT_PTR>{kept});
  clock_.AdvanceMs(49);
  EXPECT_EQ(DueTimers(), std::vector<UINT_PTR>{kept});
  clock_.AdvanceMs(1);
  EXPECT_EQ(DueTimers(), std::vector<UINT_PTR>{reset});

  // The identifier of a killed timer is not reused.
  const UINT_PTR other = SetTimer(nullptr, killed, 100, IgnoreTimer);
  ids_.push_back(other);
  EXPECT_NE(other, 0u);
  EXPECT_NE(other, killed);
  EXPECT_NE(other, kept);
}

// A thread asleep in GetMessage wakes when the clock reaches its timer, by moving on or by being
// replaced. The period is an hour of the manual clock, so a sleeper that missed the clock's move
// would sleep an hour of real time; the test gives it 30 s, then wakes it with a post and fails.
TEST_F(MessageQueueTimerTest, GetMessageWakesWhenClockReachesTimer) {
  constexpr UINT kHourMs = 3'600'000;
  for (const bool replace : {false, true}) {
    std::promise<std::pair<DWORD, UINT_PTR>> timerSet;
    std::promise<MSG> woken;
    std::thread sleeper([&] {
      const UINT_PTR id = SetTimer(nullptr, 0, kHourMs, IgnoreTimer);
      timerSet.set_value({GetCurrentThreadId(), id});
      MSG msg;
      GetMessage(&msg, nullptr, 0, 0);
      KillTimer(nullptr, id);
      woken.set_value(msg);
    });
    const auto [threadId, id] = timerSet.get_future().get();
    EXPECT_FALSE(KillTimer(nullptr, id));                        // another thread's timer
    std::this_thread::sleep_for(std::chrono::milliseconds(10));  // lets it fall asleep
    std::unique_ptr<lumo_test::ManualClockScope> later;
    if (replace) {
      later = std::make_unique<lumo_test::ManualClockScope>(GetTickCount64() + kHourMs);
    } else {
      clock_.AdvanceMs(kHourMs);
    }
    std::future<MSG> wake = woken.get_future();
    if (wake.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
      PostThreadMessage(threadId, WM_USER, 0, 0);
      ADD_FAILURE() << "GetMessage slept through the clock's move, replace " << replace;
    }
    const MSG msg = wake.get();
    sleeper.join();
    EXPECT_TRUE(TakeWaitingMessages().empty()) << "the timer came to this thread too";
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_EQ(msg.wParam, id);
  }
}

// A manual clock that counts the readings of its tick count.
class CountingClock : public LumoManualClock {
 public:
  using LumoManualClock::LumoManualClock;
  ULONGLONG TickCount64() override {
    ++readings;
    return LumoManualClock::TickCount64();
  }
  std::atomic<int> readings{0};
};

// A timer of period 0 stays due. While the filter excludes it, GetMessage looks at the clock
// about once a millisecond rather than spinning.
TEST(MessageQueue, GetMessageSleepsBetweenLooksAtAnExcludedTimer) {
  auto clock = std::make_shared<CountingClock>(1000);
  const std::shared_ptr<LumoClock> previous = LumoSetClock(clock);
  const auto start = std::chrono::steady_clock::now();
  std::promise<DWORD> waiting;
  std::thread waiter([&] {
    const UINT_PTR id = SetTimer(nullptr, 0, 0, IgnoreTimer);
    waiting.set_value(GetCurrentThreadId());
    MSG msg;
    GetMessage(&msg, nullptr, WM_USER, WM_USER);
    KillTimer(nullptr, id);
  });
  const DWORD id = waiting.get_future().get();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  PostThreadMessage(id, WM_USER, 0, 0);
  waiter.join();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  LumoSetClock(previous);
  EXPECT_LT(clock->readings.load(), 3 * ms + 10);  // two readings a look, a look a millisecond
}

// With the system clock, GetMessage sleeps until the timer is due, never returning early.
TEST(MessageQueue, GetMessageWaitsForTimerOnSystemClock) {
  const ULONGLONG start = GetTickCount64();
  const UINT_PTR id = SetTimer(nullptr, 0, 10, IgnoreTimer);
  MSG msg;
  ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
  KillTimer(nullptr, id);
  EXPECT_EQ(msg.wParam, id);
  EXPECT_GE(GetTickCount64() - start, 10u);
}

}  // namespace
