#include "lumotools/sync/reader_writer_lock.h"

#include <boost/container/small_vector.hpp>

#include "lumotools/platform/time.h"

namespace {

// Spinning before sleeping pays off: the guard is held for a few instructions at a time.
constexpr DWORD kGuardSpinCount = 400;

constexpr DWORD kOneRead = 0x1;
constexpr DWORD kOneWrite = 0x10000;
constexpr DWORD kReadMask = 0xFFFF;

// The recursion state of one reentrant lock that the thread holds.
struct Holding {
  const CReaderWriterLock* lock;
  DWORD state;
};

// The calling thread's holdings, the most recently taken last. Threads rarely hold more than a
// few locks at once, so a short linear search from the end finds the state.
class ThreadHoldings {
 public:
  // The thread's holding of lock, or null when it does not hold it.
  Holding* Find(const CReaderWriterLock* lock) {
    for (auto it = m_holdings.rbegin(); it != m_holdings.rend(); ++it) {
      if (it->lock == lock) return &*it;
    }
    return nullptr;
  }
  // REQUIRES: the thread does not hold lock yet.
  void Add(const CReaderWriterLock* lock, DWORD state) { m_holdings.push_back({lock, state}); }
  // REQUIRES: held came from Find, with no Add or Forget since.
  void Forget(Holding* held) { m_holdings.erase(m_holdings.begin() + (held - m_holdings.data())); }

 private:
  boost::container::small_vector<Holding, 8> m_holdings;
};

__attribute__((tls_model("initial-exec"))) thread_local ThreadHoldings t_holdings;

}  // namespace

CReaderWriterLockNonReentrance::CReaderWriterLockNonReentrance() {
  InitializeCriticalSectionAndSpinCount(&m_csGuard, kGuardSpinCount);
}

CReaderWriterLockNonReentrance::~CReaderWriterLockNonReentrance() {
  DeleteCriticalSection(&m_csGuard);
}

void CReaderWriterLockNonReentrance::EnterCS() const { EnterCriticalSection(&m_csGuard); }

void CReaderWriterLockNonReentrance::LeaveCS() const { LeaveCriticalSection(&m_csGuard); }

void CReaderWriterLockNonReentrance::CloseToReaders() {
  // Readers woken by the last writer's release may not have run yet; they must sleep again
  // rather than spin while this writer holds or waits.
  if (m_hReaderSignal != nullptr) ResetEvent(m_hReaderSignal);
}

bool CReaderWriterLockNonReentrance::AddWriter() {
  const std::uint64_t before = m_state.fetch_add(kOneWriter);
  if ((before >> kWriterShift) == 0) CloseToReaders();
  return before == 0;
}

bool CReaderWriterLockNonReentrance::TryTakeFreeLock() {
  std::uint64_t expected = 0;
  if (!m_state.compare_exchange_strong(expected, kOneWriter)) return false;
  CloseToReaders();
  return true;
}

bool CReaderWriterLockNonReentrance::TryConvertOnlyReader() {
  std::uint64_t state = m_state.load();
  do {
    if ((state & kReaderMask) != 1) return false;
  } while (!m_state.compare_exchange_weak(state, state - kOneReader + kOneWriter));
  if ((state >> kWriterShift) == 0) CloseToReaders();
  return true;
}

void CReaderWriterLockNonReentrance::AddReader() { m_state.fetch_add(kOneReader); }

void CReaderWriterLockNonReentrance::OpenToReaders() {
  if (m_hWriterSignal != nullptr) {
    CloseHandle(m_hWriterSignal);
    m_hWriterSignal = nullptr;
  }
  if (m_hReaderSignal != nullptr) SetEvent(m_hReaderSignal);
}

int CReaderWriterLockNonReentrance::AcquireReaderLock(DWORD dwTimeout) {
  std::uint64_t state = m_state.load(std::memory_order_relaxed);
  while ((state >> kWriterShift) == 0) {
    if (m_state.compare_exchange_weak(state, state + kOneReader, std::memory_order_acquire,
                                      std::memory_order_relaxed)) {
      return 1;
    }
  }
  EnterCS();
  int acquired = 1;
  if (Writers() == 0) {
    AddReader();
  } else if (dwTimeout == 0) {
    acquired = 0;
  } else {
    acquired = _ReaderWait(dwTimeout);
  }
  LeaveCS();
  return acquired;
}

int CReaderWriterLockNonReentrance::_ReaderWait(DWORD dwTimeout) {
  ++m_nReadersWaiting;
  if (m_hReaderSignal == nullptr) m_hReaderSignal = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  // The event stays open while this reader is counted as waiting.
  const HANDLE signal = m_hReaderSignal;
  int acquired = 1;
  if (dwTimeout == INFINITE) {
    do {
      LeaveCS();
      WaitForSingleObject(signal, INFINITE);
      EnterCS();
    } while (Writers() != 0);
  } else {
    const DWORD start = GetTickCount();
    LeaveCS();
    DWORD waited = WaitForSingleObject(signal, dwTimeout);
    EnterCS();
    while (Writers() != 0) {
      if (waited != WAIT_OBJECT_0) {
        acquired = 0;
        break;
      }
      LeaveCS();
      const DWORD elapsed = GetTickCount() - start;  // unsigned: right across the 32-bit wrap
      if (elapsed > dwTimeout) {
        EnterCS();
        acquired = 0;
        break;
      }
      waited = WaitForSingleObject(signal, dwTimeout - elapsed);
      EnterCS();
    }
  }
  if (acquired) AddReader();
  if (--m_nReadersWaiting == 0) {
    CloseHandle(m_hReaderSignal);
    m_hReaderSignal = nullptr;
  }
  return acquired;
}

void CReaderWriterLockNonReentrance::ReleaseReaderLock() {
  // Without the guard unless this is the last reader while a writer waits: that one must wake the
  // writer, and does so under the guard, where the writer count cannot change.
  std::uint64_t state = m_state.load(std::memory_order_relaxed);
  while ((state & kReaderMask) != 1 || (state >> kWriterShift) == 0) {
    if (m_state.compare_exchange_weak(state, state - kOneReader, std::memory_order_release,
                                      std::memory_order_relaxed)) {
      return;
    }
  }
  EnterCS();
  _ReaderRelease();
  LeaveCS();
}

void CReaderWriterLockNonReentrance::_ReaderRelease() {
  const std::uint64_t before = m_state.fetch_sub(kOneReader);
  if ((before & kReaderMask) == 1 && m_hWriterSignal != nullptr) SetEvent(m_hWriterSignal);
}

int CReaderWriterLockNonReentrance::AcquireWriterLock(DWORD dwTimeout) {
  EnterCS();
  if (TryTakeFreeLock()) {
    LeaveCS();
    return 1;
  }
  if (dwTimeout != 0 && _WriterWaitAndLeaveCSIfSuccess(dwTimeout)) return 1;
  LeaveCS();
  return 0;
}

int CReaderWriterLockNonReentrance::_WriterWaitAndLeaveCSIfSuccess(DWORD dwTimeout) {
  // The last reader may have left since the caller looked.
  if (AddWriter()) {
    LeaveCS();
    return 1;
  }
  if (m_hWriterSignal == nullptr) m_hWriterSignal = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  // The event stays open while this writer is counted.
  const HANDLE signal = m_hWriterSignal;
  LeaveCS();
  if (WaitForSingleObject(signal, dwTimeout) == WAIT_OBJECT_0) return 1;
  EnterCS();
  // The only writer left takes a lock that no reader holds; readers cannot come in meanwhile, as
  // they see this writer counted.
  std::uint64_t alone = kOneWriter;
  if (m_state.compare_exchange_strong(alone, kOneWriter)) {
    CloseHandle(m_hWriterSignal);
    m_hWriterSignal = nullptr;
    LeaveCS();
    return 1;
  }
  if ((m_state.fetch_sub(kOneWriter) >> kWriterShift) == 1) OpenToReaders();
  return 0;
}

void CReaderWriterLockNonReentrance::ReleaseWriterLock() {
  EnterCS();
  _WriterRelease(0);
  LeaveCS();
}

void CReaderWriterLockNonReentrance::DowngradeFromWriterLock() {
  EnterCS();
  _WriterRelease(1);
  LeaveCS();
}

void CReaderWriterLockNonReentrance::_WriterRelease(int bDowngrade) {
  const std::uint64_t change = bDowngrade ? kOneWriter - kOneReader : kOneWriter;
  if ((m_state.fetch_sub(change) >> kWriterShift) == 1) {
    OpenToReaders();
  } else if (!bDowngrade) {
    // Hands the lock to one waiting writer. After a downgrade the writers wait for the readers.
    SetEvent(m_hWriterSignal);
  }
}

int CReaderWriterLockNonReentrance::UpgradeToWriterLock(DWORD dwTimeout) {
  EnterCS();
  return _UpgradeToWriterLockAndLeaveCS(dwTimeout);
}

int CReaderWriterLockNonReentrance::_UpgradeToWriterLockAndLeaveCS(DWORD dwTimeout) {
  if (dwTimeout == 0) {
    LeaveCS();
    return 0;
  }
  // Giving up the read lock lets a writer queued behind it in; when nobody else holds or waits,
  // the caller takes the lock at once, as no one would signal its wait.
  _ReaderRelease();
  if (TryTakeFreeLock()) {
    LeaveCS();
    return 1;
  }
  if (_WriterWaitAndLeaveCSIfSuccess(dwTimeout)) return 1;
  if (Writers() == 0) {
    AddReader();
    LeaveCS();
    return 0;
  }
  // Other writers go first; read again behind them, then convert if no one else reads.
  _ReaderWait(INFINITE);
  const int upgraded = TryConvertOnlyReader() ? 1 : 0;
  LeaveCS();
  return upgraded;
}

CReaderWriterLock::CReaderWriterLock() = default;

CReaderWriterLock::~CReaderWriterLock() {
  // A later lock at this address must not inherit the state.
  if (Holding* held = t_holdings.Find(this)) t_holdings.Forget(held);
}

int CReaderWriterLock::AcquireReaderLock(DWORD dwTimeout) {
  if (Holding* held = t_holdings.Find(this)) {
    held->state += kOneRead;
    return 1;
  }
  if (!CReaderWriterLockNonReentrance::AcquireReaderLock(dwTimeout)) return 0;
  t_holdings.Add(this, kOneRead);
  return 1;
}

void CReaderWriterLock::ReleaseReaderLock() {
  Holding* held = t_holdings.Find(this);
  if (held == nullptr || (held->state & kReadMask) == 0) return;
  if ((held->state -= kOneRead) == 0) {
    t_holdings.Forget(held);
    CReaderWriterLockNonReentrance::ReleaseReaderLock();
  }
}

int CReaderWriterLock::AcquireWriterLock(DWORD dwTimeout) {
  if (Holding* held = t_holdings.Find(this)) {
    if (held->state < kOneWrite) {
      EnterCS();
      if (TryConvertOnlyReader()) {
        LeaveCS();
      } else if (!_UpgradeToWriterLockAndLeaveCS(dwTimeout)) {
        return 0;
      }
    }
    held->state += kOneWrite;
    return 1;
  }
  EnterCS();
  if (TryTakeFreeLock()) {
    LeaveCS();
  } else if (dwTimeout == 0 || !_WriterWaitAndLeaveCSIfSuccess(dwTimeout)) {
    LeaveCS();
    return 0;
  }
  t_holdings.Add(this, kOneWrite);
  return 1;
}

void CReaderWriterLock::ReleaseWriterLock() {
  Holding* held = t_holdings.Find(this);
  if (held == nullptr || held->state < kOneWrite) return;
  if ((held->state -= kOneWrite) >= kOneWrite) return;
  const bool downgrade = held->state != 0;
  if (!downgrade) t_holdings.Forget(held);
  EnterCS();
  _WriterRelease(downgrade ? 1 : 0);
  LeaveCS();
}

void CReaderWriterLock::ReleaseAllLocks() {
  Holding* held = t_holdings.Find(this);
  if (held == nullptr) return;
  const bool writes = held->state >= kOneWrite;
  t_holdings.Forget(held);
  if (writes) {
    EnterCS();
    _WriterRelease(0);
    LeaveCS();
  } else {
    CReaderWriterLockNonReentrance::ReleaseReaderLock();
  }
}

DWORD CReaderWriterLock::GetCurrentThreadStatus() const {
  const Holding* held = t_holdings.Find(this);
  return held == nullptr ? 0 : held->state;
}

void CReaderWriterLock::GetCurrentThreadStatus(DWORD* pdwReads, DWORD* pdwWrites) const {
  const DWORD state = GetCurrentThreadStatus();
  if (pdwReads != nullptr) *pdwReads = state & kReadMask;
  if (pdwWrites != nullptr) *pdwWrites = state >> 16;
}
