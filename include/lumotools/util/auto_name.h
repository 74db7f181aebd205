// CAutoName: proposes the next free name of the form key + number (Wall1, Wall2, ...) given the
// names already in use. A plain value for one thread at a time.
#ifndef LUMOTOOLS_UTIL_AUTO_NAME_H_
#define LUMOTOOLS_UTIL_AUTO_NAME_H_

#include <set>
#include <vector>

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"

class LUMO_EXPORT CAutoName {
 public:
  CAutoName() = default;
  CAutoName(const CAutoName&) = default;
  CAutoName& operator=(const CAutoName&) = default;
  virtual ~CAutoName();

  // The key as given; its case carries into the names produced.
  void SetNameKey(const CString& key) { m_strNameKey = key; }
  const CString& GetNameKey() const { return m_strNameKey; }

  // Records a name in use, trimmed of white space at both ends and in lower case.
  void AddName(const CString& name);
  void AddName(const std::vector<CString>& names);
  void ClearNames() { m_setUsedNames.clear(); }

  // The key followed by the smallest n >= 1 whose lower-case form is not in use. The name is not
  // recorded: asking twice gives the same name.
  virtual CString GetNextName();

 private:
  struct CompareCase {
    bool operator()(const CString& a, const CString& b) const { return a.Compare(b) < 0; }
  };

  CString m_strNameKey;
  std::set<CString, CompareCase> m_setUsedNames;
};

#endif  // LUMOTOOLS_UTIL_AUTO_NAME_H_
