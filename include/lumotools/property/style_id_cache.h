// Style-ID caches: for each property style ID the kind of its value and its unit factor.
//
// A factor multiplies a value the user enters before it is stored and divides a stored value
// before it is shown. Each cache class has one process-wide instance, created empty on first use.
// Not locked: the host fills a cache before any thread reads it.
#ifndef LUMOTOOLS_PROPERTY_STYLE_ID_CACHE_H_
#define LUMOTOOLS_PROPERTY_STYLE_ID_CACHE_H_

#include <map>

#include "lumotools/export.h"
#include "lumotools/property/boost_any_type.h"

class LUMO_EXPORT CStyleIdCache {
 public:
  CStyleIdCache() = default;
  CStyleIdCache(const CStyleIdCache&) = default;
  CStyleIdCache& operator=(const CStyleIdCache&) = default;
  virtual ~CStyleIdCache();

  // Sets the kind and factor of id, inserting or overwriting its entry.
  void AddID_StyleBaseInfo(long id, BoostAnyType kind, double factor);
  // The kind of id, or BAT_NONE (-1) when id has no entry.
  BoostAnyType ToBoostAnyType(long id) const;
  // The factor of id, or -1.0 when id has no entry.
  double ToUnitConversion(long id) const;

 private:
  struct Entry {
    BoostAnyType kind;
    double factor;
  };
  std::map<long, Entry> m_mapEntries;
};

// The kinds and factors of the property items; the only cache this library reads.
class LUMO_EXPORT CAnyPropertyStyleIdCache : public CStyleIdCache {
 public:
  static CAnyPropertyStyleIdCache& Instance();

 private:
  CAnyPropertyStyleIdCache() = default;
};

// Further caches of the same form, filled and read by the host only.
class LUMO_EXPORT CStyleIdCache_CalcSetup_GCL : public CStyleIdCache {
 public:
  static CStyleIdCache_CalcSetup_GCL& Instance();

 private:
  CStyleIdCache_CalcSetup_GCL() = default;
};

class LUMO_EXPORT CStyleIdCache_CalcSetup_GJ : public CStyleIdCache {
 public:
  static CStyleIdCache_CalcSetup_GJ& Instance();

 private:
  CStyleIdCache_CalcSetup_GJ() = default;
};

#endif  // LUMOTOOLS_PROPERTY_STYLE_ID_CACHE_H_
