// Threads run message loops with their own thread timers on one hand-advanced clock while they
// post to each other, and set, reset and kill timers at random moments. Every timer must fire
// once (each is killed when it fires) and never before it is due, a killed timer never fires,
// and each sender's posts arrive in order.
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
constexpr UINT kMaxPeriodMs = 300;
// The clock's advance after which the driver gives up on a loop that never finishes.
constexpr ULONGLONG kGiveUpMs = 10'000'000;

struct Timer {
  ULONGLONG earliest;  // clock reading before it was set, plus its period
  bool done;           // fired or killed
};

class Loop {
 public:
  Loop(int index, unsigned seed, const std::vector<std::atomic<DWORD>>& threadIds,
       std::atomic<int>& faults)
      : index_(index), random_(seed), threadIds_(threadIds), faults_(faults) {}

  void Run() {
    for (int i = 0; i < kTimers / 2; ++i) SetOne();
    int toSet = kTimers - kTimers / 2;
    int toPost = kPostsPerPeer * (kThreads - 1);
    std::vector<LPARAM> nextSequence(kThreads, 0);
    std::vector<LPARAM> sentSequence(kThreads, 0);
    int received = 0;
    MSG msg;
    for (;;) {
      const bool mayWait = toSet == 0 && toPost == 0;
      if (mayWait && pending_ == 0 && received == kPostsPerPeer * (kThreads - 1)) break;
      if (!mayWait) {
        const unsigned action = random_() % 4;
        if (action == 0 && toPost > 0) {
          int peer = static_cast<int>(random_() % (kThreads - 1));
          if (peer >= index_) ++peer;
          if (sentSequence[peer] == kPostsPerPeer) continue;
          if (!PostThreadMessage(threadIds_[peer], WM_USER, index_, sentSequence[peer]++))
            ++faults_;
          --toPost;
          continue;
        }
        if (action == 1 && toSet > 0) {
          SetOne();
          --toSet;
          continue;
        }
        if (action == 2 && pending_ > 0) {
          ChangeOne();
          continue;
        }
        if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
      } else {
        GetMessage(&msg, nullptr, 0, 0);
      }
      if (msg.message == WM_QUIT) {
        ++faults_;  // the driver gave up on this loop
        break;
      }
      if (msg.message == WM_TIMER) {
        Fired(msg.wParam);
      } else if (msg.message == WM_USER) {
        const int sender = static_cast<int>(msg.wParam);
        if (sender < 0 || sender >= kThreads || msg.lParam != nextSequence[sender]++) ++faults_;
        ++received;
      }
    }
  }

 private:
  void SetOne() {
    const UINT period = 1 + random_() % kMaxPeriodMs;
    const ULONGLONG before = GetTickCount64();
    const UINT_PTR id = SetTimer(nullptr, 0, period, nullptr);
    if (id == 0 || timers_.count(id) != 0) {
      ++faults_;
      return;
    }
    timers_[id] = {before + period, false};
    ++pending_;
  }

  // Kills a pending timer or resets it with a new period.
  void ChangeOne() {
    std::map<UINT_PTR, Timer>::iterator it;
    do {
      it = std::next(timers_.begin(), static_cast<long>(random_() % timers_.size()));
    } while (it->second.done);
    if (random_() % 2 == 0) {
      if (!KillTimer(nullptr, it->first)) ++faults_;
      it->second.done = true;
      --pending_;
    } else {
      const UINT period = 1 + random_() % kMaxPeriodMs;
      it->second.earliest = GetTickCount64() + period;
      if (SetTimer(nullptr, it->first, period, nullptr) != it->first) ++faults_;
    }
  }

  void Fired(UINT_PTR id) {
    const ULONGLONG now = GetTickCount64();
    auto it = timers_.find(id);
    if (it == timers_.end() || it->second.done || now < it->second.earliest) {
      ++faults_;
      return;
    }
    it->second.done = true;
    --pending_;
    if (!KillTimer(nullptr, id)) ++faults_;
  }

  const int index_;
  std::mt19937 random_;
  const std::vector<std::atomic<DWORD>>& threadIds_;
  std::atomic<int>& faults_;
  std::map<UINT_PTR, Timer> timers_;
  int pending_ = 0;
};

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
      Loop(i, seed * kThreads + i, threadIds, faults).Run();
      ++finished;
    });
  }
  std::mt19937 random(seed);
  ULONGLONG advanced = 0;
  while (finished.load() < kThreads) {
    if (advanced > kGiveUpMs) {
      ADD_FAILURE() << "the loops did not finish, seed " << seed;
      for (int i = 0; i < kThreads; ++i) PostThreadMessage(threadIds[i], WM_QUIT, 0, 0);
      break;
    }
    const ULONGLONG step = random() % 4;
    clock.AdvanceMs(step);
    advanced += step;
    std::this_thread::yield();
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(faults.load(), 0) << "seed " << seed;
}

TEST(MessageQueueStress, ThreadsWithTheirOwnTimersOnOneClock) {
  lumo_test::RunStressRounds(11, ThreadsWithTheirOwnTimers);
}

}  // namespace
