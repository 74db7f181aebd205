// Reader-writer locks: CReaderWriterLockNonReentrance counts readers and writers without knowing
// which thread holds what; CReaderWriterLock adds per-thread bookkeeping so a thread may take the
// lock again while it holds it.
//
// Writers have priority: once a writer waits, new readers wait behind it. Waiting writers are
// admitted one at a time through an auto-reset event; when the last writer leaves, every waiting
// reader is released at once through a manual-reset event. Both events exist only while someone
// needs them, so a quiet lock holds none. A reader that finds no writer holding or waiting takes
// and gives back the lock with one atomic operation on the counts, without the guard; every other
// step that changes the counts runs under the guard. Time-outs are milliseconds: 0 does not wait,
// INFINITE waits without limit; elapsed time is read on the tick clock. Results are 1 for success,
// 0 for failure (a time-out). Both locks are thread-safe; neither can be copied.
#ifndef LUMOTOOLS_SYNC_READER_WRITER_LOCK_H_
#define LUMOTOOLS_SYNC_READER_WRITER_LOCK_H_

#include <atomic>
#include <cstdint>

#include "lumotools/export.h"
#include "lumotools/platform/sync.h"
#include "lumotools/platform/types.h"

class ReaderWriterLockTestPeer;

// Read and write locks without recursion: a thread that holds the lock and asks again counts as
// a second holder (a second read is harmless; any write request then waits for itself).
class LUMO_EXPORT CReaderWriterLockNonReentrance {
 public:
  CReaderWriterLockNonReentrance();
  // REQUIRES: nobody holds or waits for the lock.
  ~CReaderWriterLockNonReentrance();
  CReaderWriterLockNonReentrance(const CReaderWriterLockNonReentrance&) = delete;
  CReaderWriterLockNonReentrance& operator=(const CReaderWriterLockNonReentrance&) = delete;

  // Takes a read lock: at once when no writer holds or waits, else after waiting up to dwTimeout.
  int AcquireReaderLock(DWORD dwTimeout = INFINITE);
  // REQUIRES: the caller holds a read lock.
  void ReleaseReaderLock();
  // Takes the write lock: at once when the lock is free, else after waiting up to dwTimeout. A
  // writer whose wait times out still gets the lock when, at that moment, it is the only writer
  // left and no reader holds the lock.
  int AcquireWriterLock(DWORD dwTimeout = INFINITE);
  // Hands the lock to one waiting writer, or when none waits, lets every waiting reader in.
  // REQUIRES: the caller holds the write lock.
  void ReleaseWriterLock();
  // Turns the caller's write lock into a read lock. Waiting readers are let in when no other
  // writer waits; waiting writers keep waiting for the readers to leave.
  // REQUIRES: the caller holds the write lock.
  void DowngradeFromWriterLock();
  // Turns the caller's read lock into the write lock, waiting up to dwTimeout for the other
  // readers to leave. 1: the caller holds the write lock and no longer the read lock. 0: the
  // caller still holds a read lock (always so for dwTimeout 0), though other writers may have
  // held the lock in between. REQUIRES: the caller holds a read lock.
  int UpgradeToWriterLock(DWORD dwTimeout = INFINITE);

 protected:
  // The steps below serve CReaderWriterLock; each is called with the guard held.
  void EnterCS() const;
  void LeaveCS() const;
  // Waits until no writer holds or waits, up to dwTimeout, then counts the caller as a reader.
  // Returns with the guard held; 1 when the caller now reads.
  int _ReaderWait(DWORD dwTimeout);
  // Uncounts one reader, and lets a waiting writer try when it was the last.
  void _ReaderRelease();
  // Counts the caller as a writer and waits for its turn. 1: the caller holds the write lock and
  // the guard has been left. 0: the caller is not counted and the guard is held.
  int _WriterWaitAndLeaveCSIfSuccess(DWORD dwTimeout);
  // Upgrade of a read lock as UpgradeToWriterLock; always returns with the guard left.
  int _UpgradeToWriterLockAndLeaveCS(DWORD dwTimeout);
  // ReleaseWriterLock when bDowngrade is 0, DowngradeFromWriterLock otherwise.
  void _WriterRelease(int bDowngrade);
  // Counts one more writer; the first one makes new readers wait. True when the lock was free,
  // so that the caller now holds it.
  bool AddWriter();
  // Takes the write lock when nobody holds or waits for it; false otherwise.
  bool TryTakeFreeLock();
  // Turns the only read hold into the write lock; false when other readers hold it too.
  bool TryConvertOnlyReader();
  // Counts one more reader. REQUIRES: no writer holds or waits.
  void AddReader();

  // Writers that hold or wait for the lock; the holder counts once however often it entered.
  DWORD Writers() const { return static_cast<DWORD>(m_state.load() >> kWriterShift); }
  // Readers that hold the lock.
  DWORD ReadersIn() const { return static_cast<DWORD>(m_state.load() & kReaderMask); }

 private:
  friend class ::ReaderWriterLockTestPeer;

  static constexpr int kWriterShift = 32;
  static constexpr std::uint64_t kOneReader = 1;
  static constexpr std::uint64_t kOneWriter = std::uint64_t{1} << kWriterShift;
  static constexpr std::uint64_t kReaderMask = kOneWriter - 1;

  // The writer count rose from 0: readers that were let in but have not run yet wait again.
  void CloseToReaders();
  // The writer count dropped to 0: forget the writers' event and let waiting readers in.
  void OpenToReaders();

  // Writers (high half) and readers in (low half). Readers change it without the guard while no
  // writer holds or waits; the writer count changes only under the guard.
  // It starts a cache line, which it shares with the guard and no other object.
  alignas(64) std::atomic<std::uint64_t> m_state{0};
  mutable CRITICAL_SECTION m_csGuard;
  // Auto-reset; exists only while a writer waits.
  HANDLE m_hWriterSignal = nullptr;
  // Manual-reset; exists only while m_nReadersWaiting > 0.
  HANDLE m_hReaderSignal = nullptr;
  // Readers waiting on m_hReaderSignal.
  DWORD m_nReadersWaiting = 0;
};

// A reader-writer lock that a thread may take again while holding it: read inside read, read
// inside write, write inside write, and write inside read, which upgrades. Each thread's holding
// is recorded as its recursion state: the low 16 bits count its reads, the high 16 bits its
// writes. A thread whose state has no write part is counted once among the readers, however many
// reads it holds; a thread with a write part is counted once among the writers. A thread must
// release each acquisition (or call ReleaseAllLocks); releasing what the thread does not hold
// changes nothing. At most 65535 reads and 65535 writes per thread.
//
// Only a thread itself ever reads or changes its recursion state, so each thread keeps the states
// of the locks it holds in thread-local storage: a state exists exactly while its thread holds
// the lock, and a repeated acquisition or a release that keeps the lock held is a thread-local
// step. The first read and the last read release take the lock-free path of the counts when no
// writer holds or waits. A thread that ends while holding the lock leaves it held.
//
// The recursion bookkeeping lives in this class's operations, so the lock is used through them,
// never through a CReaderWriterLockNonReentrance reference.
class LUMO_EXPORT CReaderWriterLock : public CReaderWriterLockNonReentrance {
 public:
  CReaderWriterLock();
  // Forgets the calling thread's state for this lock, should it still hold it.
  // REQUIRES: no other thread holds or waits for the lock.
  ~CReaderWriterLock();

  // Another read by a thread that holds the lock in any way succeeds at once.
  int AcquireReaderLock(DWORD dwTimeout = INFINITE);
  void ReleaseReaderLock();
  // A thread that already writes succeeds at once; the only reader converts its hold at once; a
  // reader among others upgrades (waiting up to dwTimeout, keeping its reads on failure).
  int AcquireWriterLock(DWORD dwTimeout = INFINITE);
  // The last write of a thread that still reads leaves it a reader.
  void ReleaseWriterLock();
  // Drops everything the calling thread holds; nothing when it holds nothing.
  void ReleaseAllLocks();
  // The calling thread's recursion state; 0 when it holds nothing.
  DWORD GetCurrentThreadStatus() const;
  // Stores the calling thread's read count through pdwReads and its write count through
  // pdwWrites, each only when the pointer is not null.
  void GetCurrentThreadStatus(DWORD* pdwReads, DWORD* pdwWrites) const;
};

#endif  // LUMOTOOLS_SYNC_READER_WRITER_LOCK_H_
