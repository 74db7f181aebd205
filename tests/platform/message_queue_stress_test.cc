// Threads run message loops with their own timers on one hand-advanced clock while they post to
// each other, and set, reset and kill timers at random moments. Every timer must fire once (each is
// killed when it fires) and never before it is due, a killed timer never fires, identifiers are
// fresh, and each sender's posts arrive in order.
#include <gtest/gtest.h>

#include <atomic>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "lumotools/platform/message_queue.h"
#include "lumotools/platform/sync.h"
#include "lumotools/platform/time.h"
#include "support/manual_clock.h"
#include "support/soak.h"

namespace {

constexpr int kThreads = 4;
constexpr int kSteps = 150;  // each step posts once and sets a timer

// One thread's loop; returns the faults it saw.
int RunLoop(int self, unsigned seed, const std::vector<std::atomic<DWORD>>& threadIds) {
  std::mt19937 random(seed);
  std::map<UINT_PTR, ULONGLONG> timers;  // live timers: the earliest tick each may fire at
  std::set<UINT_PTR> ended;
  std::vector<LPARAM> received(kThreads, 0);
  int toReceive = kSteps;  // each peer posts to this thread in turn
  int faults = 0;
  const auto set = [&](UINT_PTR id) {
    const UINT elapse = 1 + random() % 300;
    const ULONGLONG earliest = GetTickCount64() + elapse;
    const UINT_PTR got = SetTimer(nullptr, id, elapse, nullptr);
    faults += got == 0 || (id != 0 ? got != id : timers.count(got) + ended.count(got) != 0);
    timers[got] = earliest;
  };
  const auto end = [&](std::map<UINT_PTR, ULONGLONG>::iterator it) {
    faults += !KillTimer(nullptr, it->first);
    ended.insert(it->first);
    timers.erase(it);
  };
  const auto take = [&](const MSG& msg) {
    if (msg.message == WM_TIMER) {
      const auto it = timers.find(msg.wParam);
      faults += it == timers.end() || GetTickCount64() < it->second;
      if (it != timers.end()) end(it);
    } else if (msg.message == WM_USER) {
      faults += msg.wParam >= kThreads || msg.lParam != received[msg.wParam]++;
      --toReceive;
    }
  };
  MSG msg;
  for (int step = 0; step < kSteps; ++step) {
    const int peer = (self + 1 + step % (kThreads - 1)) % kThreads;
    faults += !PostThreadMessage(threadIds[peer], WM_USER, self, step / (kThreads - 1));
    set(0);
    const auto other = std::next(timers.begin(), static_cast<long>(random() % timers.size()));
    random() % 2 == 0 ? end(other) : set(other->first);
    if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) take(msg);
  }
  while (!timers.empty() || toReceive > 0) {
    if (GetMessage(&msg, nullptr, 0, 0) == 0) return faults + 1;  // the driver gave up
    take(msg);
  }
  return faults;
}

void ThreadsWithTheirOwnTimers(unsigned seed) {
  lumo_test::ManualClockScope clock(1000);
  std::vector<std::atomic<DWORD>> threadIds(kThreads);
  std::atomic<int> started{0};
  std::atomic<int> finished{0};
  std::atomic<int> faults{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      MSG msg;
      PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue before anyone posts
      threadIds[i] = GetCurrentThreadId();
      ++started;
      while (started.load() < kThreads) std::this_thread::yield();
      faults += RunLoop(i, seed * kThreads + i, threadIds);
      ++finished;
    });
  }
  std::mt19937 random(seed);
  // Ten million milliseconds of the clock without the loops finishing means one is stuck.
  for (ULONGLONG advanced = 0; finished.load() < kThreads; std::this_thread::yield()) {
    if (advanced > 10'000'000) {
      ADD_FAILURE() << "the loops did not finish, seed " << seed;
      for (int i = 0; i < kThreads; ++i) PostThreadMessage(threadIds[i], WM_QUIT, 0, 0);
      break;
    }
    const ULONGLONG step = random() % 4;
    clock.AdvanceMs(step);
    advanced += step;
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(faults.load(), 0) << "seed " << seed;
}

TEST(MessageQueueStress, ThreadsWithTheirOwnTimersOnOneClock) {
  lumo_test::RunStressRounds(11, ThreadsWithTheirOwnTimers);
}

}  // namespace
