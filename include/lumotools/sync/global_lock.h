// Process-wide named locks: one CReaderWriterLock per lock domain, handed out by
// CGlobalLockMgr::__GetGlobalLock and kept until the process ends. Thread-safe.
#ifndef LUMOTOOLS_SYNC_GLOBAL_LOCK_H_
#define LUMOTOOLS_SYNC_GLOBAL_LOCK_H_

#include <map>
#include <memory>

#include "lumotools/export.h"
#include "lumotools/sync/reader_writer_lock.h"

// The process-wide lock domains. The library uses GLOBAL_LOCK_OCTREE, the lock of every octree;
// hosts use other values of the underlying int for their own domains.
enum GlobalLockType : int {
  GLOBAL_LOCK_OCTREE = 4,
};

// A table of reader-writer locks by key, owning them: destroying the table destroys every lock.
// Not thread-safe by itself; callers guard it.
template <typename TKey>
class CLockableObj {
 public:
  CLockableObj() = default;
  virtual ~CLockableObj() = default;
  CLockableObj(const CLockableObj&) = delete;
  CLockableObj& operator=(const CLockableObj&) = delete;

  // The lock of key, or null when there is none yet.
  CReaderWriterLock* Find(TKey key) const {
    auto found = m_mapLocks.find(key);
    return found == m_mapLocks.end() ? nullptr : found->second.get();
  }

  // The lock of key, created when there is none yet.
  CReaderWriterLock& FindOrAdd(TKey key) {
    std::unique_ptr<CReaderWriterLock>& lock = m_mapLocks[key];
    if (lock == nullptr) lock = std::make_unique<CReaderWriterLock>();
    return *lock;
  }

 private:
  std::map<TKey, std::unique_ptr<CReaderWriterLock>> m_mapLocks;
};

extern template class LUMO_EXPORT CLockableObj<GlobalLockType>;

struct LUMO_EXPORT CGlobalLockMgr {
  // The process-wide lock of type, created on first request. Two threads asking for the same new
  // type at once receive the same lock. The reference stays valid until the process ends.
  static CReaderWriterLock& __GetGlobalLock(GlobalLockType type);
};

#endif  // LUMOTOOLS_SYNC_GLOBAL_LOCK_H_
