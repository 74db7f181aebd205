#include "lumotools/sync/global_lock.h"

#include "lumotools/sync/auto_lock.h"

template class CLockableObj<GlobalLockType>;

namespace {

// The table and the lock that guards it, created together on first use.
struct GlobalLockTable {
  CLockableObj<GlobalLockType> locks;
  CReaderWriterLock guard;
};

GlobalLockTable& Table() {
  static GlobalLockTable table;
  return table;
}

}  // namespace

CReaderWriterLock& CGlobalLockMgr::__GetGlobalLock(GlobalLockType type) {
  GlobalLockTable& table = Table();
  {
    CAutoReadLockT<CReaderWriterLock> read(table.guard);
    if (CReaderWriterLock* lock = table.locks.Find(type)) return *lock;
  }
  CAutoWriteLockT<CReaderWriterLock> write(table.guard);
  return table.locks.FindOrAdd(type);
}
