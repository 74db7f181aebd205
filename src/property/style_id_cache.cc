#include "lumotools/property/style_id_cache.h"

CStyleIdCache::~CStyleIdCache() = default;

void CStyleIdCache::AddID_StyleBaseInfo(long id, BoostAnyType kind, double factor) {
  m_mapEntries[id] = Entry{kind, factor};
}

BoostAnyType CStyleIdCache::ToBoostAnyType(long id) const {
  const auto it = m_mapEntries.find(id);
  return it == m_mapEntries.end() ? BAT_NONE : it->second.kind;
}

double CStyleIdCache::ToUnitConversion(long id) const {
  const auto it = m_mapEntries.find(id);
  return it == m_mapEntries.end() ? -1.0 : it->second.factor;
}

CAnyPropertyStyleIdCache& CAnyPropertyStyleIdCache::Instance() {
  static CAnyPropertyStyleIdCache cache;
  return cache;
}

CStyleIdCache_CalcSetup_GCL& CStyleIdCache_CalcSetup_GCL::Instance() {
  static CStyleIdCache_CalcSetup_GCL cache;
  return cache;
}

CStyleIdCache_CalcSetup_GJ& CStyleIdCache_CalcSetup_GJ::Instance() {
  static CStyleIdCache_CalcSetup_GJ cache;
  return cache;
}
