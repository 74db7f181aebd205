// Critical sections, events and interlocked arithmetic over the C++ standard library; the thread
// id and the sleeping on a lock word come from the backend.
//
// A critical section is a lean lock word plus the owner's thread id and a recursion count.
// Re-entry by the owner touches only those fields. An enter that finds the section taken watches
// the lock word spinCount times before it sleeps on the word itself; a leave wakes a sleeper only
// when someone may be asleep (the lock word is then 2).
#include "lumotools/platform/sync.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

#include "address_wait.h"
#include "kernel_object.h"

namespace {

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

struct Section {
  explicit Section(DWORD spins) : spinCount(spins) {}

  bool TryLock() {
    int expected = 0;
    return word.compare_exchange_strong(expected, 1, std::memory_order_acquire,
                                        std::memory_order_relaxed);
  }

  void Lock() {
    if (TryLock()) return;
    for (DWORD spin = 0; spin < spinCount; ++spin) {
      if (word.load(std::memory_order_relaxed) == 0 && TryLock()) return;
      CpuRelax();
    }
    while (word.exchange(2, std::memory_order_acquire) != 0) {
      lumo_platform::WaitWhileEqual(&word, 2);
    }
  }

  void Unlock() {
    if (word.exchange(0, std::memory_order_release) == 2) lumo_platform::WakeOne(&word);
  }

  // 0 free, 1 held, 2 held while another thread may sleep for it.
  std::atomic<int> word{0};
  // 0 while no thread holds the section. Read without the lock by threads checking whether they
  // are the owner, so atomic; only the owner writes it.
  std::atomic<DWORD> owner{0};
  // Written by the owner only.
  LONG recursion = 0;
  const DWORD spinCount;
};

static_assert(sizeof(Section) <= sizeof(CRITICAL_SECTION::opaque),
              "CRITICAL_SECTION is too small for the section");
static_assert(alignof(Section) <= alignof(CRITICAL_SECTION), "CRITICAL_SECTION is underaligned");

Section& SectionOf(LPCRITICAL_SECTION section) {
  return *std::launder(reinterpret_cast<Section*>(section->opaque));
}

void TakeOwnership(Section& s, DWORD self) {
  s.owner.store(self, std::memory_order_relaxed);
  s.recursion = 1;
}

class Event final : public lumo_platform::KernelObject {
 public:
  Event(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled) {}

  void Set() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = true;
    if (manualReset_) {
      changed_.notify_all();
    } else {
      changed_.notify_one();
    }
  }

  void Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
  }

  DWORD Wait(DWORD milliseconds) override {
    std::unique_lock<std::mutex> lock(mutex_);
    auto signalled = [this] { return signalled_; };
    if (milliseconds == INFINITE) {
      changed_.wait(lock, signalled);
    } else if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), signalled)) {
      return WAIT_TIMEOUT;
    }
    if (!manualReset_) signalled_ = false;
    return WAIT_OBJECT_0;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  const bool manualReset_;
  bool signalled_;
};

Event* EventOf(HANDLE handle) { return dynamic_cast<Event*>(lumo_platform::FromHandle(handle)); }

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
  InitializeCriticalSectionAndSpinCount(section, 0);
}

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount) {
  new (section->opaque) Section(spinCount);
  return TRUE;
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) { SectionOf(section).~Section(); }

void EnterCriticalSection(LPCRITICAL_SECTION section) {
  Section& s = SectionOf(section);
  const DWORD self = GetCurrentThreadId();
  if (s.owner.load(std::memory_order_relaxed) == self) {
    ++s.recursion;
    return;
  }
  s.Lock();
  TakeOwnership(s, self);
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
  Section& s = SectionOf(section);
  const DWORD self = GetCurrentThreadId();
  if (s.owner.load(std::memory_order_relaxed) == self) {
    ++s.recursion;
    return TRUE;
  }
  if (!s.TryLock()) return FALSE;
  TakeOwnership(s, self);
  return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
  Section& s = SectionOf(section);
  if (--s.recursion != 0) return;
  s.owner.store(0, std::memory_order_relaxed);
  s.Unlock();
}

HANDLE CreateEvent(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCTSTR lpName) {
  if (lpName != nullptr) return nullptr;
  return lumo_platform::ToHandle(new Event(bManualReset != FALSE, bInitialState != FALSE));
}

BOOL SetEvent(HANDLE hEvent) {
  Event* event = EventOf(hEvent);
  if (event == nullptr) return FALSE;
  event->Set();
  return TRUE;
}

BOOL ResetEvent(HANDLE hEvent) {
  Event* event = EventOf(hEvent);
  if (event == nullptr) return FALSE;
  event->Reset();
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  lumo_platform::KernelObject* object = lumo_platform::FromHandle(hHandle);
  if (object == nullptr) return WAIT_FAILED;
  return object->Wait(dwMilliseconds);
}

BOOL CloseHandle(HANDLE hObject) {
  lumo_platform::KernelObject* object = lumo_platform::FromHandle(hObject);
  if (object == nullptr) return FALSE;
  delete object;
  return TRUE;
}

LONG InterlockedIncrement(volatile LONG* addend) {
  return __atomic_add_fetch(addend, 1, __ATOMIC_SEQ_CST);
}

LONG InterlockedDecrement(volatile LONG* addend) {
  return __atomic_sub_fetch(addend, 1, __ATOMIC_SEQ_CST);
}

LONG InterlockedExchangeAdd(volatile LONG* addend, LONG value) {
  return __atomic_fetch_add(addend, value, __ATOMIC_SEQ_CST);
}

LONG InterlockedAdd(volatile LONG* addend, LONG value) {
  return __atomic_add_fetch(addend, value, __ATOMIC_SEQ_CST);
}

LONG InterlockedExchange(volatile LONG* target, LONG value) {
  return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
