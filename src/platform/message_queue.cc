// Per-thread queues: posted messages in a FIFO, a quit flag, and the thread's timers.
//
// Timers are kept in a min-heap of due entries keyed by (due tick, arming sequence). A timer that
// is killed or reset leaves its entry behind; an entry counts only while its sequence is still
// the timer's current one, and stale entries are dropped when they reach the top or when they
// outnumber live timers (the heap is then rebuilt). A timer that falls due is marked ready,
// queued in the ready list in the order timers fell due, and rearmed one period after the
// moment it was found due. The ready list is what a WM_TIMER is generated from; a timer is in
// it at most once.
#include "lumotools/platform/message_queue.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "clock_observer.h"
#include "lumotools/platform/sync.h"
#include "lumotools/platform/time.h"
#include "lumotools/platform/window.h"
#include "window_internal.h"

namespace {

struct TimerState {
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  ULONGLONG due = 0;
  ULONGLONG armSeq = 0;    // sequence of the heap entry that counts for this timer
  ULONGLONG readySeq = 0;  // sequence of the ready-list entry that counts, 0 when not ready
};

struct DueEntry {
  ULONGLONG due;
  ULONGLONG seq;
  UINT_PTR id;
};

// Heap order for std::push_heap and friends: the earliest due (then the earliest armed) on top.
bool FallsDueLater(const DueEntry& a, const DueEntry& b) {
  return a.due != b.due ? a.due > b.due : a.seq > b.seq;
}

struct ReadyEntry {
  UINT_PTR id;
  ULONGLONG seq;
};

struct MessageFilter {
  HWND hwnd;
  UINT min;
  UINT max;

  bool Passes(HWND msgHwnd, UINT message) const {
    if (hwnd == reinterpret_cast<HWND>(-1)) {
      if (msgHwnd != nullptr) return false;
    } else if (hwnd != nullptr && hwnd != msgHwnd) {
      return false;
    }
    return (min == 0 && max == 0) || (message >= min && message <= max);
  }
};

class ThreadQueue {
 public:
  explicit ThreadQueue(DWORD threadId) : m_threadId(threadId) {}

  DWORD threadId() const { return m_threadId; }

  void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool next = false) {
    const DWORD now = GetTickCount();
    std::lock_guard<std::mutex> lock(m_mutex);
    const MSG msg{hwnd, message, wParam, lParam, now};
    if (next) {
      m_posted.push_front(msg);
    } else {
      m_posted.push_back(msg);
    }
    m_wake.notify_one();
  }

  void PostQuit(int exitCode) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_quit = true;
    m_quitCode = exitCode;
    m_wake.notify_one();
  }

  // Wakes the owner if it sleeps, so that it reads the clock again.
  void Wake() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wake.notify_all();
  }

  bool Peek(MSG* out, const MessageFilter& filter, bool remove) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return Look(out, filter, remove);
  }

  void Get(MSG* out, const MessageFilter& filter) {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!Look(out, filter, true)) {
      DropStaleTop();
      if (m_dueHeap.empty()) {
        m_wake.wait(lock);
        continue;
      }
      const ULONGLONG now = GetTickCount64();
      const ULONGLONG due = m_dueHeap.front().due;
      // A period of 0 keeps a timer due; when the filter excludes it, sleep a little between
      // looks rather than spin.
      const ULONGLONG wait = due > now ? due - now : 1;
      m_wake.wait_for(lock, std::chrono::milliseconds(wait));
    }
  }

  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) {
    const ULONGLONG now = GetTickCount64();
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = id != 0 ? m_timers.find(id) : m_timers.end();
    if (it == m_timers.end()) {
      id = NewTimerId();
      it = m_timers.emplace(id, TimerState()).first;
    }
    TimerState& timer = it->second;
    timer.elapse = elapse;
    timer.proc = proc;
    timer.readySeq = 0;
    Arm(id, timer, now + elapse);
    if (m_dueHeap.size() > 2 * m_timers.size() + 64) RebuildHeap();
    return id;
  }

  bool KillTimer(UINT_PTR id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_timers.erase(id) == 0) return false;
    if (m_dueHeap.size() > 2 * m_timers.size() + 64) RebuildHeap();
    return true;
  }

 private:
  // Finds the next message passing filter, in the order GetMessage promises, and takes it from
  // the queue when remove is set. REQUIRES: m_mutex held.
  bool Look(MSG* out, const MessageFilter& filter, bool remove) {
    auto posted = std::find_if(m_posted.begin(), m_posted.end(), [&filter](const MSG& msg) {
      return filter.Passes(msg.hwnd, msg.message);
    });
    if (posted != m_posted.end()) {
      *out = *posted;
      if (remove) m_posted.erase(posted);
      return true;
    }
    const ULONGLONG now = GetTickCount64();
    if (m_quit) {
      *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(m_quitCode), 0, static_cast<DWORD>(now)};
      if (remove) m_quit = false;
      return true;
    }
    ExpireTimers(now);
    if (!filter.Passes(nullptr, WM_TIMER)) return false;
    while (!m_ready.empty()) {
      const ReadyEntry entry = m_ready.front();
      auto it = m_timers.find(entry.id);
      if (it == m_timers.end() || it->second.readySeq != entry.seq) {
        m_ready.pop_front();
        continue;
      }
      *out = MSG{nullptr, WM_TIMER, entry.id, reinterpret_cast<LPARAM>(it->second.proc),
                 static_cast<DWORD>(now)};
      if (remove) {
        it->second.readySeq = 0;
        m_ready.pop_front();
      }
      return true;
    }
    return false;
  }

  // Marks every timer due at now ready (once) and rearms it. REQUIRES: m_mutex held.
  void ExpireTimers(ULONGLONG now) {
    m_expired.clear();
    while (!m_dueHeap.empty() && m_dueHeap.front().due <= now) {
      const DueEntry entry = m_dueHeap.front();
      std::pop_heap(m_dueHeap.begin(), m_dueHeap.end(), FallsDueLater);
      m_dueHeap.pop_back();
      auto it = m_timers.find(entry.id);
      if (it == m_timers.end() || it->second.armSeq != entry.seq) continue;
      if (it->second.readySeq == 0) {
        it->second.readySeq = m_nextSeq++;
        m_ready.push_back(ReadyEntry{entry.id, it->second.readySeq});
      }
      m_expired.push_back(entry.id);
    }
    // Rearmed after the loop, so that a timer with period 0 is not found due again at once.
    for (UINT_PTR id : m_expired) {
      TimerState& timer = m_timers[id];
      Arm(id, timer, now + timer.elapse);
    }
  }

  void Arm(UINT_PTR id, TimerState& timer, ULONGLONG due) {
    timer.due = due;
    timer.armSeq = m_nextSeq++;
    m_dueHeap.push_back(DueEntry{due, timer.armSeq, id});
    std::push_heap(m_dueHeap.begin(), m_dueHeap.end(), FallsDueLater);
  }

  void DropStaleTop() {
    while (!m_dueHeap.empty()) {
      const DueEntry& top = m_dueHeap.front();
      auto it = m_timers.find(top.id);
      if (it != m_timers.end() && it->second.armSeq == top.seq) return;
      std::pop_heap(m_dueHeap.begin(), m_dueHeap.end(), FallsDueLater);
      m_dueHeap.pop_back();
    }
  }

  void RebuildHeap() {
    m_dueHeap.clear();
    for (const auto& [id, timer] : m_timers) {
      m_dueHeap.push_back(DueEntry{timer.due, timer.armSeq, id});
    }
    std::make_heap(m_dueHeap.begin(), m_dueHeap.end(), FallsDueLater);
  }

  // A nonzero identifier, unique in the process until 2^32 timers have been set, and never one
  // of this thread's live timers.
  UINT_PTR NewTimerId() {
    static std::atomic<DWORD> nextId{1};
    for (;;) {
      const UINT_PTR id = nextId.fetch_add(1, std::memory_order_relaxed);
      if (id != 0 && m_timers.count(id) == 0) return id;
    }
  }

  const DWORD m_threadId;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<MSG> m_posted;
  bool m_quit = false;
  int m_quitCode = 0;
  std::unordered_map<UINT_PTR, TimerState> m_timers;
  std::vector<DueEntry> m_dueHeap;
  std::deque<ReadyEntry> m_ready;
  std::vector<UINT_PTR> m_expired;
  ULONGLONG m_nextSeq = 1;
};

// Every live thread's queue by thread id. Never destroyed: threads may end during exit.
struct Registry {
  std::mutex mutex;
  std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>> queues;
};

Registry& Queues() {
  static Registry* registry = new Registry;
  return *registry;
}

void WakeAllQueues() {
  Registry& registry = Queues();
  std::lock_guard<std::mutex> lock(registry.mutex);
  for (auto& entry : registry.queues) entry.second->Wake();
}

std::shared_ptr<ThreadQueue> FindQueue(DWORD threadId) {
  Registry& registry = Queues();
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto it = registry.queues.find(threadId);
  return it == registry.queues.end() ? nullptr : it->second;
}

// The calling thread's queue. t_queue and t_queueEnded are trivially destructible, so they stay
// readable after the owner below is destroyed at thread end (or at exit, for the main thread).
thread_local ThreadQueue* t_queue = nullptr;
thread_local bool t_queueEnded = false;

struct QueueOwner {
  std::shared_ptr<ThreadQueue> queue;

  ~QueueOwner() {
    if (!queue) return;
    Registry& registry = Queues();
    {
      std::lock_guard<std::mutex> lock(registry.mutex);
      auto it = registry.queues.find(queue->threadId());
      if (it != registry.queues.end() && it->second == queue) registry.queues.erase(it);
    }
    t_queue = nullptr;
    t_queueEnded = true;
  }
};

thread_local QueueOwner t_queueOwner;

// The calling thread's queue, created if create is set and the thread has none; null when it has
// none (or has ended).
ThreadQueue* CurrentQueue(bool create) {
  if (t_queue != nullptr || !create || t_queueEnded) return t_queue;
  lumo_platform::SetClockMovedObserver(WakeAllQueues);
  auto queue = std::make_shared<ThreadQueue>(GetCurrentThreadId());
  {
    Registry& registry = Queues();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.queues[queue->threadId()] = queue;
  }
  t_queueOwner.queue = queue;
  t_queue = queue.get();
  return t_queue;
}

// The queue of the thread owning window hWnd; null when hWnd is no window.
std::shared_ptr<ThreadQueue> QueueOfWindow(HWND hWnd) {
  const DWORD owner = lumo_platform::WindowOwnerThread(hWnd);
  return owner == 0 ? nullptr : FindQueue(owner);
}

// The key-state table follows the key messages as the thread takes them, so that a handler reads
// the state that went with its message rather than the state of keys pressed since.
void NoteKeyMessage(const MSG& msg) {
  if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) {
    lumo_platform::SetKeyDown(static_cast<int>(msg.wParam), msg.message == WM_KEYDOWN);
  }
}

}  // namespace

namespace lumo_platform {

void EnsureCurrentThreadQueue() { CurrentQueue(true); }

BOOL PostNextMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ThreadQueue* queue = CurrentQueue(true);
  if (queue == nullptr) return FALSE;
  queue->Post(hWnd, message, wParam, lParam, true);
  return TRUE;
}

}  // namespace lumo_platform

BOOL PostThreadMessage(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<ThreadQueue> queue = FindQueue(idThread);
  if (!queue) return FALSE;
  queue->Post(nullptr, Msg, wParam, lParam);
  return TRUE;
}

BOOL PostMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd == nullptr) {
    ThreadQueue* queue = CurrentQueue(true);
    if (queue == nullptr) return FALSE;
    queue->Post(nullptr, Msg, wParam, lParam);
    return TRUE;
  }
  std::shared_ptr<ThreadQueue> queue = QueueOfWindow(hWnd);
  if (!queue) return FALSE;
  queue->Post(hWnd, Msg, wParam, lParam);
  return TRUE;
}

BOOL GetMessage(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  ThreadQueue* queue = CurrentQueue(true);
  if (queue == nullptr) return -1;
  queue->Get(lpMsg, MessageFilter{hWnd, wMsgFilterMin, wMsgFilterMax});
  NoteKeyMessage(*lpMsg);
  return lpMsg->message == WM_QUIT ? 0 : 1;
}

BOOL PeekMessage(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  ThreadQueue* queue = CurrentQueue(true);
  if (queue == nullptr) return FALSE;
  const bool remove = (wRemoveMsg & PM_REMOVE) != 0;
  if (!queue->Peek(lpMsg, MessageFilter{hWnd, wMsgFilterMin, wMsgFilterMax}, remove)) return FALSE;
  if (remove) NoteKeyMessage(*lpMsg);
  return TRUE;
}

LRESULT DispatchMessage(const MSG* lpMsg) {
  if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0) {
    const auto proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
    proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, lpMsg->time);
    return 0;
  }
  if (lpMsg->hwnd == nullptr) return 0;
  return SendMessage(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

void PostQuitMessage(int nExitCode) {
  if (ThreadQueue* queue = CurrentQueue(true)) queue->PostQuit(nExitCode);
}

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  if (hWnd != nullptr) return 0;
  ThreadQueue* queue = CurrentQueue(true);
  if (queue == nullptr) return 0;
  return queue->SetTimer(nIDEvent, uElapse, lpTimerFunc);
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  if (hWnd != nullptr) return FALSE;
  ThreadQueue* queue = CurrentQueue(false);
  if (queue == nullptr) return FALSE;
  return queue->KillTimer(uIDEvent) ? TRUE : FALSE;
}
