// Test access to the inside of the reader-writer locks: counts and events, read under the lock's
// own guard, with the calling thread's recursion state, and the guard itself for holding other
// threads still.
#ifndef LUMOTOOLS_TESTS_SYNC_READER_WRITER_LOCK_TEST_PEER_H_
#define LUMOTOOLS_TESTS_SYNC_READER_WRITER_LOCK_TEST_PEER_H_

#include <type_traits>

#include "lumotools/sync/reader_writer_lock.h"

class ReaderWriterLockTestPeer {
 public:
  struct State {
    DWORD writers = 0;
    DWORD readersIn = 0;
    DWORD readersWaiting = 0;
    bool writerSignal = false;
    bool readerSignal = false;
    // The calling thread's recursion state (reentrant lock only).
    DWORD callerState = 0;

    bool Quiet() const {
      return writers == 0 && readersIn == 0 && readersWaiting == 0 && !writerSignal &&
             !readerSignal && callerState == 0;
    }
  };

  // Lock is CReaderWriterLockNonReentrance or CReaderWriterLock.
  template <typename Lock>
  static State Read(const Lock& lock) {
    lock.EnterCS();
    State state{lock.Writers(), lock.ReadersIn(), lock.m_nReadersWaiting,
                lock.m_hWriterSignal != nullptr, lock.m_hReaderSignal != nullptr};
    if constexpr (std::is_same_v<Lock, CReaderWriterLock>) {
      state.callerState = lock.GetCurrentThreadStatus();
    }
    lock.LeaveCS();
    return state;
  }

  // The guard is recursive: the thread that holds it may still call the lock's operations,
  // while every other thread stops at the guard.
  static void HoldGuard(const CReaderWriterLockNonReentrance& lock) { lock.EnterCS(); }
  static void ReleaseGuard(const CReaderWriterLockNonReentrance& lock) { lock.LeaveCS(); }

  // REQUIRES: the caller holds the guard.
  static HANDLE ReaderSignal(const CReaderWriterLockNonReentrance& lock) {
    return lock.m_hReaderSignal;
  }
  static HANDLE WriterSignal(const CReaderWriterLockNonReentrance& lock) {
    return lock.m_hWriterSignal;
  }
};

#endif  // LUMOTOOLS_TESTS_SYNC_READER_WRITER_LOCK_TEST_PEER_H_
