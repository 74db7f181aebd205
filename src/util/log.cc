#include "lumotools/util/log.h"

#include "lumotools/sync/auto_lock.h"

namespace LogPP {

namespace {

using WriteGuard = CAutoWriteLockT<CReaderWriterLock>;

}  // namespace

LogItem::~LogItem() = default;

LogItem* LogItem::PushSubItem(LogItem* p) {
  m_vecSubItems.push_back(p);
  return p;
}

LogHelper::~LogHelper() = default;

LogMgr::~LogMgr() = default;

LogItem* LogMgr::PushRootItem(LogItem* p) {
  WriteGuard guard(&m_lock);
  m_vecRootItems.push_back(p);
  return p;
}

LogItem* LogMgr::PushItem(const LogHelper& h) {
  WriteGuard guard(&m_lock);
  return h.PushTo(this);
}

void LogMgr::ClearAllItems() {
  WriteGuard guard(&m_lock);
  for (LogItem* root : m_vecRootItems) delete root;
  m_vecRootItems.clear();
}

void LogMgr::FindItems(LogItem* item, const LogFinder& f, std::vector<LogItem*>& out) {
  for (LogItem* child : item->GetSubItems()) FindItems(child, f, out);
  if (f.IsMatch(item)) out.push_back(item);
}

std::vector<LogItem*> LogMgr::FindAllItems(const LogFinder& f) {
  std::vector<LogItem*> out;
  for (LogItem* root : m_vecRootItems) FindItems(root, f, out);
  return out;
}

bool LogMgr::SaveToBuffer() {
  WriteGuard guard(&m_lock);
  return true;
}

bool LogMgr::LoadFromBuffer() {
  WriteGuard guard(&m_lock);
  return true;
}

}  // namespace LogPP
