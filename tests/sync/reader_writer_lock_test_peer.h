// Test access to the inside of the reader-writer locks: counts and events, read under the lock's
// own guard, with the calling thread's recursion state, and the guard itself for holding other
// threads still.
#ifndef LUMOTOOLS_TESTS_SYNC_READER_WRITER_LOCK_TEST_PEER_H_
#define LUMOTOOLS_TESTS_SYNC_READER_WRITER_LOCK_TEST_PEER_H_

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

  static State Read(const CReaderWriterLockNonReentrance& lock) {
    lock.EnterCS();
    State state = Counts(lock);
    lock.LeaveCS();
    return state;
  }

  static State Read(const CReaderWriterLock& lock) {
    lock.EnterCS();
    State state = Counts(lock);
    state.callerState = lock.GetCurrentThreadStatus();
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

 private:
  static State Counts(const CReaderWriterLockNonReentrance& lock) {
    State state;
    state.writers = lock.Writers();
    state.readersIn = lock.ReadersIn();
    state.readersWaiting = lock.m_nReadersWaiting;
    state.writerSignal = lock.m_hWriterSignal != nullptr;
    state.readerSignal = lock.m_hReaderSignal != nullptr;
    return state;
  }
};

#endif  // LUMOTOOLS_TESTS_SYNC_READER_WRITER_LOCK_TEST_PEER_H_
