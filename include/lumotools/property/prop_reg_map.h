// CAnyPropRegMap: the process-wide registry of value kinds, which alone decides the archive layout
// of a single property value:
//
//   kind    signed 32-bit, the registration's kind number; -1 when no registration matched
//   payload as the registration writes it; absent when kind is -1
//
// Registrations are tried in list order and the first that holds a value is taken.
// Thread safety: instance() may be called concurrently the first time; after that the registry
// has no lock, and RegisterType must not run while another thread uses the registry.
#ifndef LUMOTOOLS_PROPERTY_PROP_REG_MAP_H_
#define LUMOTOOLS_PROPERTY_PROP_REG_MAP_H_

#include <memory>
#include <vector>

#include <boost/any.hpp>

#include "lumotools/export.h"
#include "lumotools/platform/archive.h"
#include "lumotools/property/prop_reg.h"

class LUMO_EXPORT CAnyPropRegMap {
 public:
  // The registry, created on first use with the built-in registrations in this order: byte,
  // int, long, double, unsigned long (kind 10), std::string (4), CString (5), CString (12).
  static CAnyPropRegMap& instance();

  CAnyPropRegMap(const CAnyPropRegMap&) = delete;
  CAnyPropRegMap& operator=(const CAnyPropRegMap&) = delete;

  // Takes ownership of reg and appends it to the list. When a registration of the same kind is
  // already there, that one is destroyed and removed from its place and the result is false;
  // otherwise true. A null reg, or a reg already in the list, changes nothing and gives false.
  bool RegisterType(CAnyPropReg* reg);

  // True when a and b hold the same type and equal values (two empty values are equal). For a
  // type with no registration, shows "未知万能属性" and gives false.
  virtual bool IsEqual(const boost::any& a, const boost::any& b);
  // Writes the kind and the payload of a and returns true. When no registration holds a (an empty
  // a included), writes the kind -1, shows "未知万能属性" and returns false. REQUIRES: ar storing.
  virtual bool ArchiveStore(CArchive& ar, const boost::any& a);
  // Reads a kind and its payload into a and returns true. For an unknown kind (-1 included), shows
  // "未知万能属性", reads nothing more, leaves a unchanged and returns false. A truncated or
  // malformed record raises CArchiveException and leaves a unchanged. REQUIRES: ar loading.
  virtual bool ArchiveLoad(CArchive& ar, boost::any& a);

 protected:
  CAnyPropRegMap();
  ~CAnyPropRegMap();

  std::vector<std::unique_ptr<CAnyPropReg>> m_regs;

 private:
  const CAnyPropReg* FindHolder(const boost::any& a) const;
};

#endif  // LUMOTOOLS_PROPERTY_PROP_REG_MAP_H_
