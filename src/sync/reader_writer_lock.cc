#include "lumotools/sync/reader_writer_lock.h"

#include <cstddef>
#include <utility>

#include "lumotools/platform/time.h"

namespace {

// Spinning before sleeping pays off: the guard is held for a few instructions at a time.
constexpr DWORD kGuardSpinCount = 400;

constexpr DWORD kOneRead = 0x1;
constexpr DWORD kOneWrite = 0x10000;
constexpr DWORD kReadMask = 0xFFFF;

// Spare map nodes kept per lock: one per thread that commonly takes it at once.
constexpr std::size_t kMaxSpareEntries = 8;

}  // namespace

CReaderWriterLockNonReentrance::CReaderWriterLockNonReentrance() {
  InitializeCriticalSectionAndSpinCount(&m_csGuard, kGuardSpinCount);
}

CReaderWriterLockNonReentrance::~CReaderWriterLockNonReentrance() {
  DeleteCriticalSection(&m_csGuard);
}

void CReaderWriterLockNonReentrance::EnterCS() const { EnterCriticalSection(&m_csGuard); }

void CReaderWriterLockNonReentrance::LeaveCS() const { LeaveCriticalSection(&m_csGuard); }

void CReaderWriterLockNonReentrance::AddWriter() {
  // Readers woken by the last writer's release may not have run yet; they must sleep again
  // rather than spin while this writer holds or waits.
  if (++m_nWriters == 1 && m_hReaderSignal != nullptr) ResetEvent(m_hReaderSignal);
}

void CReaderWriterLockNonReentrance::OpenToReaders() {
  if (m_hWriterSignal != nullptr) {
    CloseHandle(m_hWriterSignal);
    m_hWriterSignal = nullptr;
  }
  if (m_hReaderSignal != nullptr) SetEvent(m_hReaderSignal);
}

int CReaderWriterLockNonReentrance::AcquireReaderLock(DWORD dwTimeout) {
  EnterCS();
  int acquired = 1;
  if (m_nWriters == 0) {
    ++m_nReadersIn;
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
    } while (m_nWriters != 0);
  } else {
    const DWORD start = GetTickCount();
    LeaveCS();
    DWORD waited = WaitForSingleObject(signal, dwTimeout);
    EnterCS();
    while (m_nWriters != 0) {
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
  if (acquired) ++m_nReadersIn;
  if (--m_nReadersWaiting == 0) {
    CloseHandle(m_hReaderSignal);
    m_hReaderSignal = nullptr;
  }
  return acquired;
}

void CReaderWriterLockNonReentrance::ReleaseReaderLock() {
  EnterCS();
  _ReaderRelease();
  LeaveCS();
}

void CReaderWriterLockNonReentrance::_ReaderRelease() {
  if (--m_nReadersIn == 0 && m_hWriterSignal != nullptr) SetEvent(m_hWriterSignal);
}

int CReaderWriterLockNonReentrance::AcquireWriterLock(DWORD dwTimeout) {
  EnterCS();
  if (m_nReadersIn == 0 && m_nWriters == 0) {
    AddWriter();
    LeaveCS();
    return 1;
  }
  if (dwTimeout != 0 && _WriterWaitAndLeaveCSIfSuccess(dwTimeout)) return 1;
  LeaveCS();
  return 0;
}

int CReaderWriterLockNonReentrance::_WriterWaitAndLeaveCSIfSuccess(DWORD dwTimeout) {
  AddWriter();
  if (m_hWriterSignal == nullptr) m_hWriterSignal = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  // The event stays open while this writer is counted.
  const HANDLE signal = m_hWriterSignal;
  LeaveCS();
  if (WaitForSingleObject(signal, dwTimeout) == WAIT_OBJECT_0) return 1;
  EnterCS();
  if (--m_nWriters != 0) return 0;
  CloseHandle(m_hWriterSignal);
  m_hWriterSignal = nullptr;
  if (m_nReadersIn == 0) {
    AddWriter();
    LeaveCS();
    return 1;
  }
  // Readers queued behind this writer may go.
  if (m_hReaderSignal != nullptr) SetEvent(m_hReaderSignal);
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
  if (bDowngrade) ++m_nReadersIn;
  if (--m_nWriters == 0) {
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
  if (m_nReadersIn == 0 && m_nWriters == 0) {
    AddWriter();
    LeaveCS();
    return 1;
  }
  if (_WriterWaitAndLeaveCSIfSuccess(dwTimeout)) return 1;
  if (m_nWriters == 0) {
    ++m_nReadersIn;
    LeaveCS();
    return 0;
  }
  // Other writers go first; read again behind them, then convert if no one else reads.
  _ReaderWait(INFINITE);
  int upgraded = 0;
  if (m_nReadersIn == 1) {
    m_nReadersIn = 0;
    AddWriter();
    upgraded = 1;
  }
  LeaveCS();
  return upgraded;
}

CReaderWriterLock::CReaderWriterLock() { m_vecSpareEntries.reserve(kMaxSpareEntries); }

CReaderWriterLock::~CReaderWriterLock() = default;

void CReaderWriterLock::AddEntry(DWORD dwThreadId, DWORD dwState) {
  if (m_vecSpareEntries.empty()) {
    m_mapThreadState.emplace(dwThreadId, dwState);
    return;
  }
  ThreadStateMap::node_type node = std::move(m_vecSpareEntries.back());
  m_vecSpareEntries.pop_back();
  node.key() = dwThreadId;
  node.mapped() = dwState;
  m_mapThreadState.insert(std::move(node));
}

void CReaderWriterLock::RemoveEntry(ThreadStateMap::iterator entry) {
  if (m_vecSpareEntries.size() < kMaxSpareEntries) {
    m_vecSpareEntries.push_back(m_mapThreadState.extract(entry));
  } else {
    m_mapThreadState.erase(entry);
  }
}

int CReaderWriterLock::AcquireReaderLock(DWORD dwTimeout) {
  const DWORD self = GetCurrentThreadId();
  EnterCS();
  auto entry = m_mapThreadState.find(self);
  if (entry != m_mapThreadState.end()) {
    LeaveCS();
    entry->second += kOneRead;
    return 1;
  }
  int acquired = 1;
  if (m_nWriters == 0) {
    ++m_nReadersIn;
  } else {
    acquired = dwTimeout != 0 && _ReaderWait(dwTimeout);
  }
  if (acquired) AddEntry(self, kOneRead);
  LeaveCS();
  return acquired;
}

void CReaderWriterLock::ReleaseReaderLock() {
  const DWORD self = GetCurrentThreadId();
  EnterCS();
  auto entry = m_mapThreadState.find(self);
  if (entry != m_mapThreadState.end() && (entry->second & kReadMask) != 0) {
    if ((entry->second -= kOneRead) == 0) {
      RemoveEntry(entry);
      _ReaderRelease();
    }
  }
  LeaveCS();
}

int CReaderWriterLock::AcquireWriterLock(DWORD dwTimeout) {
  const DWORD self = GetCurrentThreadId();
  EnterCS();
  auto entry = m_mapThreadState.find(self);
  if (entry != m_mapThreadState.end()) {
    if (entry->second >= kOneWrite) {
      LeaveCS();
    } else if (m_nReadersIn == 1) {
      m_nReadersIn = 0;
      AddWriter();
      LeaveCS();
    } else if (!_UpgradeToWriterLockAndLeaveCS(dwTimeout)) {
      return 0;
    }
    entry->second += kOneWrite;
    return 1;
  }
  if (m_nReadersIn == 0 && m_nWriters == 0) {
    AddWriter();
    AddEntry(self, kOneWrite);
    LeaveCS();
    return 1;
  }
  if (dwTimeout == 0 || !_WriterWaitAndLeaveCSIfSuccess(dwTimeout)) {
    LeaveCS();
    return 0;
  }
  EnterCS();
  AddEntry(self, kOneWrite);
  LeaveCS();
  return 1;
}

void CReaderWriterLock::ReleaseWriterLock() {
  const DWORD self = GetCurrentThreadId();
  EnterCS();
  auto entry = m_mapThreadState.find(self);
  if (entry != m_mapThreadState.end() && entry->second >= kOneWrite) {
    entry->second -= kOneWrite;
    if (entry->second == 0) {
      RemoveEntry(entry);
      _WriterRelease(0);
    } else if (entry->second < kOneWrite) {
      _WriterRelease(1);
    }
  }
  LeaveCS();
}

void CReaderWriterLock::ReleaseAllLocks() {
  const DWORD self = GetCurrentThreadId();
  EnterCS();
  auto entry = m_mapThreadState.find(self);
  if (entry != m_mapThreadState.end()) {
    const DWORD state = entry->second;
    RemoveEntry(entry);
    if (state < kOneWrite) {
      _ReaderRelease();
    } else {
      _WriterRelease(0);
    }
  }
  LeaveCS();
}

DWORD CReaderWriterLock::GetCurrentThreadStatus() const {
  const DWORD self = GetCurrentThreadId();
  EnterCS();
  auto entry = m_mapThreadState.find(self);
  const DWORD state = entry == m_mapThreadState.end() ? 0 : entry->second;
  LeaveCS();
  return state;
}

void CReaderWriterLock::GetCurrentThreadStatus(DWORD* pdwReads, DWORD* pdwWrites) const {
  const DWORD state = GetCurrentThreadStatus();
  if (pdwReads != nullptr) *pdwReads = state & kReadMask;
  if (pdwWrites != nullptr) *pdwWrites = state >> 16;
}
