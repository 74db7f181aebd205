// LogPP: a tree of log entries. The host derives its entry types from LogItem, hangs them under
// root entries kept by a LogMgr, and finds them again with a LogFinder.
//
// Ownership: an item does not own its children, and a manager destroys its roots only in
// ClearAllItems (children are never destroyed by this library). Adding and clearing roots are
// serialised by the manager's reentrant lock; searching takes no lock.
#ifndef LUMOTOOLS_UTIL_LOG_H_
#define LUMOTOOLS_UTIL_LOG_H_

#include <vector>

#include "lumotools/export.h"
#include "lumotools/platform/object.h"
#include "lumotools/sync/reader_writer_lock.h"

namespace LogPP {

class LogMgr;

class LUMO_EXPORT LogItem : public CObject {
 public:
  LogItem() = default;
  // Releases the list of children, not the children.
  ~LogItem() override;

  // Appends p to the children and returns it; the item does not take ownership.
  LogItem* PushSubItem(LogItem* p);
  const std::vector<LogItem*>& GetSubItems() const { return m_vecSubItems; }

 protected:
  std::vector<LogItem*> m_vecSubItems;
};

// Packages how an entry is added: PushTo adds it to the manager (as a root, or under an existing
// entry) and returns it.
class LUMO_EXPORT LogHelper {
 public:
  LogHelper() = default;
  LogHelper(const LogHelper&) = default;
  LogHelper& operator=(const LogHelper&) = default;
  virtual ~LogHelper();
  virtual LogItem* PushTo(LogMgr* mgr) const = 0;
};

// A predicate over entries.
class LUMO_EXPORT LogFinder {
 public:
  LogFinder() = default;
  LogFinder(const LogFinder&) = default;
  LogFinder& operator=(const LogFinder&) = default;
  virtual bool IsMatch(LogItem* item) const = 0;

 protected:
  ~LogFinder() = default;
};

class LUMO_EXPORT LogMgr {
 public:
  LogMgr() = default;
  LogMgr(const LogMgr&) = delete;
  LogMgr& operator=(const LogMgr&) = delete;
  // Releases the list of roots without destroying them.
  virtual ~LogMgr();

  // Appends p to the roots under the write lock and returns it. The manager does not own p until
  // ClearAllItems destroys it.
  LogItem* PushRootItem(LogItem* p);
  // Runs h.PushTo(this) under the write lock (which PushRootItem may take again on this thread).
  LogItem* PushItem(const LogHelper& h);
  // Destroys every root (not their children) and empties the root list.
  void ClearAllItems();
  const std::vector<LogItem*>& GetAllRootItems() const { return m_vecRootItems; }

  // Every matching entry of every root's tree, children before their parent, roots in order.
  std::vector<LogItem*> FindAllItems(const LogFinder& f);
  // Appends to out the matches of item's subtree: the children's subtrees in order, then item.
  static void FindItems(LogItem* item, const LogFinder& f, std::vector<LogItem*>& out);

  // Take and release the write lock; nothing is saved or loaded. Always true.
  bool SaveToBuffer();
  bool LoadFromBuffer();

 protected:
  CReaderWriterLock m_lock;
  std::vector<LogItem*> m_vecRootItems;
};

}  // namespace LogPP

#endif  // LUMOTOOLS_UTIL_LOG_H_
