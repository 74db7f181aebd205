// Threads run message loops with their own thread timers on one hand-advanced clock while they
// post to each other, and set, reset and kill timers at random moments. Every timer must fire
// once (each is killed when it fires) and never before it is due, a killed timer never fires,
// identifiers are fresh, and each sender's posts arrive in order.
#include <gtest/gtest.h>

#include <atomic>
#include <iterator>
#include <map>
#include <random>
#include <thread>
#include <vector>

#include "lumotools/platform/message_queue.h"
#include "lumotools/platform/sync.h"
#include "lumotools/platform/time.h"
#include "support/manual_clock.h"
#include "support/soak.h"

namespace {

constexpr int kThreads = 4;
constexpr int kTimers = 150;
constexpr int kPostsPerPeer = 50;

// One thread's loop; returns the faults it saw.
int RunLoop(int self, unsigned seed, const std::vector<std::atomic<DWORD>>& threadIds) {
  std::mt19937 random(seed);
  std::map<UINT_PTR, ULONGLONG> timers;  // the earliest tick each may fire at; 0 once ended
  int live = 0;
  int faults = 0;
  const auto period = [&] { return static_cast<UINT>(1 + random() % 300); };
  const auto set = [&] {
    const UINT elapse = period();
    const ULONGLONG earliest = GetTickCount64() + elapse;
    const UINT_PTR id = SetTimer(nullptr, 0, elapse, nullptr);
    faults += id == 0 || !timers.emplace(id, earliest).second;
    ++live;
  };
  const auto end = [&](UINT_PTR id) {
    faults += !KillTimer(nullptr, id);
    timers[id] = 0;
    --live;
  };
  int toSet = kTimers;
  std::vector<LPARAM> sent(kThreads, 0);
  std::vector<LPARAM> received(kThreads, 0);
  int toPost = kPostsPerPeer * (kThreads - 1);
  int toReceive = toPost;
  for (; toSet > kTimers / 2; --toSet) set();
  while (toSet + toPost + live + toReceive > 0) {
    MSG msg;
    const unsigned action = random() % 4;
    if (toSet + toPost == 0) {
      GetMessage(&msg, nullptr, 0, 0);
    } else if (action == 0 && toPost > 0) {
      const int peer = (self + 1 + static_cast<int>(random() % (kThreads - 1))) % kThreads;
      if (sent[peer] == kPostsPerPeer) continue;
      faults += !PostThreadMessage(threadIds[peer], WM_USER, self, sent[peer]++);
      --toPost;
      continue;
    } else if (action == 1 && toSet > 0) {
      set();
      --toSet;
      continue;
    } else if (action == 2 && live > 0) {
      auto it = std::next(timers.begin(), static_cast<long>(random() % timers.size()));
      while (it->second == 0) it = std::next(it) == timers.end() ? timers.begin() : std::next(it);
      if (random() % 2 == 0) {
        end(it->first);
      } else {
        const UINT elapse = period();
        it->second = GetTickCount64() + elapse;
        faults += SetTimer(nullptr, it->first, elapse, nullptr) != it->first;
      }
      continue;
    } else if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      continue;
    }
    if (msg.message == WM_QUIT) return faults + 1;  // the driver gave up on this loop
    if (msg.message == WM_TIMER) {
      const auto it = timers.find(msg.wParam);
      const bool early = it == timers.end() || it->second == 0 || GetTickCount64() < it->second;
      faults += early;
      if (!early) end(msg.wParam);
    } else if (msg.message == WM_USER) {
      faults += msg.wParam >= kThreads || msg.lParam != received[msg.wParam]++;
      --toReceive;
    }
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
