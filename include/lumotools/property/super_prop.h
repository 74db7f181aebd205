// Kv_SuperProp: a bag of named text values that turns into a byte array and back, so that a host
// can keep a set of name-value pairs in one field of bytes.
//
// Byte-array form (little-endian): an unsigned 32-bit count, then per entry in ascending name
// order the name and the value, each in the archive string form. Names are unique and ordered by
// byte-wise comparison. Not thread-safe; copies are independent.
#ifndef LUMOTOOLS_PROPERTY_SUPER_PROP_H_
#define LUMOTOOLS_PROPERTY_SUPER_PROP_H_

#include <map>
#include <vector>

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"

class LUMO_EXPORT Kv_SuperProp {
 public:
  Kv_SuperProp() = default;
  Kv_SuperProp(const Kv_SuperProp&) = default;
  Kv_SuperProp& operator=(const Kv_SuperProp&) = default;
  ~Kv_SuperProp() = default;

  // The byte-array form; an empty bag gives the four bytes of a zero count.
  std::vector<unsigned char> ToByteArray() const;
  // Replaces the contents with what bytes hold; an empty vector empties the bag. When a name
  // repeats, its first value is kept. A truncated array or a malformed string length raises
  // CArchiveException (thrown as a pointer); the entries read before that point stay in the bag.
  // The caller's bytes are only read.
  void FromByteArray(const std::vector<unsigned char>& bytes);

  void Clear() { m_mapVars.clear(); }
  // Whether an entry has exactly this name (case-sensitive).
  bool HaveVar(const CString& name) const { return m_mapVars.count(name) != 0; }
  bool empty() const { return m_mapVars.empty(); }
  // Same number of entries with equal names and values, case-sensitive.
  bool operator==(const Kv_SuperProp& other) const { return m_mapVars == other.m_mapVars; }

  // The entries, name to value. Hosts add, read and remove entries here directly.
  std::map<CString, CString> m_mapVars;
};

#endif  // LUMOTOOLS_PROPERTY_SUPER_PROP_H_
