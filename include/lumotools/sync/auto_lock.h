// Scoped guards: CAutoReadLockT and CAutoWriteLockT take a read or write lock for a block and
// release it when the block ends, unless Unlock released it earlier.
//
// Used with CReaderWriterLock (any type with AcquireReaderLock/ReleaseReaderLock and
// AcquireWriterLock/ReleaseWriterLock serves). A guard belongs to the thread that made it.
#ifndef LUMOTOOLS_SYNC_AUTO_LOCK_H_
#define LUMOTOOLS_SYNC_AUTO_LOCK_H_

#include "lumotools/export.h"
#include "lumotools/platform/sync.h"

// The base of the guards, so that a guard can be owned through a base pointer.
class LUMO_EXPORT CAutoLock {
 public:
  CAutoLock() = default;
  virtual ~CAutoLock() = default;
  CAutoLock(const CAutoLock&) = delete;
  CAutoLock& operator=(const CAutoLock&) = delete;
};

// Holds a read lock of *m_pLock from construction (waiting without limit) until Unlock or the
// end of its life. The lock is not owned and must outlive the guard.
template <typename TLock>
class CAutoReadLockT : public CAutoLock {
 public:
  // REQUIRES: pLock is not null.
  explicit CAutoReadLockT(TLock* pLock) : m_pLock(pLock) {
    m_pLock->AcquireReaderLock(INFINITE);
    m_bReleased = false;
  }
  explicit CAutoReadLockT(TLock& lock) : CAutoReadLockT(&lock) {}
  ~CAutoReadLockT() override { Unlock(); }

  // Releases the read lock now; later calls do nothing.
  void Unlock() {
    if (m_bReleased) return;
    m_pLock->ReleaseReaderLock();
    m_bReleased = true;
  }

 private:
  TLock* m_pLock;
  bool m_bReleased = true;
};

// Holds the write lock of *m_pLock from construction (waiting without limit) until Unlock or the
// end of its life. The lock is not owned and must outlive the guard.
template <typename TLock>
class CAutoWriteLockT : public CAutoLock {
 public:
  // REQUIRES: pLock is not null.
  explicit CAutoWriteLockT(TLock* pLock) : m_pLock(pLock) {
    m_pLock->AcquireWriterLock(INFINITE);
    m_bReleased = false;
  }
  explicit CAutoWriteLockT(TLock& lock) : CAutoWriteLockT(&lock) {}
  ~CAutoWriteLockT() override { Unlock(); }

  // Releases the write lock now; later calls do nothing.
  void Unlock() {
    if (m_bReleased) return;
    m_pLock->ReleaseWriterLock();
    m_bReleased = true;
  }

 private:
  TLock* m_pLock;
  bool m_bReleased = true;
};

#endif  // LUMOTOOLS_SYNC_AUTO_LOCK_H_
