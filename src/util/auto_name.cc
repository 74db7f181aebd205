#include "lumotools/util/auto_name.h"

CAutoName::~CAutoName() = default;

void CAutoName::AddName(const CString& name) {
  CString key(name);
  key.Trim();
  key.MakeLower();
  m_setUsedNames.insert(key);
}

void CAutoName::AddName(const std::vector<CString>& names) {
  for (const CString& name : names) AddName(name);
}

CString CAutoName::GetNextName() {
  CString lowerKey(m_strNameKey);
  lowerKey.MakeLower();
  CString candidate;
  for (int n = 1;; ++n) {
    candidate.Format("%s%d", lowerKey.GetString(), n);
    if (m_setUsedNames.count(candidate) == 0) {
      candidate.Format("%s%d", m_strNameKey.GetString(), n);
      return candidate;
    }
  }
}
