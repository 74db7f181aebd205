// Registrations of value kinds: how a value of one kind is recognised, compared and archived.
//
// CAnyPropReg is the interface; CAnyPropReg_Type covers arithmetic kinds (payload: the raw value)
// and CAnyPropReg_Class the string kinds (payload: the archive string form). A host may derive
// its own registration for a further kind and hand it to CAnyPropRegMap::RegisterType.
#ifndef LUMOTOOLS_PROPERTY_PROP_REG_H_
#define LUMOTOOLS_PROPERTY_PROP_REG_H_

#include <string>

#include <boost/any.hpp>

#include "lumotools/export.h"
#include "lumotools/platform/archive.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/property/boost_any_type.h"

class LUMO_EXPORT CAnyPropReg {
 public:
  explicit CAnyPropReg(BoostAnyType type) : m_type(type) {}
  CAnyPropReg(const CAnyPropReg&) = default;
  CAnyPropReg& operator=(const CAnyPropReg&) = default;
  // The registry destroys registrations through this class.
  virtual ~CAnyPropReg();

  BoostAnyType GetType() const { return m_type; }

  // True when a holds a value of this registration's type; false for an empty a.
  virtual bool Holds(const boost::any& a) const = 0;
  // Value equality. REQUIRES: Holds(a) and Holds(b).
  virtual bool Equals(const boost::any& a, const boost::any& b) const = 0;
  // Writes the payload of a (not the kind number). REQUIRES: Holds(a), ar is storing.
  virtual void Store(CArchive& ar, const boost::any& a) const = 0;
  // Reads one payload and replaces the content of a with it. REQUIRES: ar is loading.
  // Archive errors pass through as CArchiveException; a then keeps its previous content.
  virtual void Load(CArchive& ar, boost::any& a) const = 0;

 protected:
  BoostAnyType m_type;
};

// Binds the held type T and the kind number N.
template <class T, int N>
class CAnyPropReg_TBase : public CAnyPropReg {
 public:
  CAnyPropReg_TBase() : CAnyPropReg(static_cast<BoostAnyType>(N)) {}

  bool Holds(const boost::any& a) const override { return a.type() == typeid(T); }
  bool Equals(const boost::any& a, const boost::any& b) const override {
    return boost::any_cast<const T&>(a) == boost::any_cast<const T&>(b);
  }
};

// An arithmetic kind; the payload is the raw value in the archive's width for T.
template <class T, int N>
class CAnyPropReg_Type : public CAnyPropReg_TBase<T, N> {
 public:
  void Store(CArchive& ar, const boost::any& a) const override {
    ar << boost::any_cast<const T&>(a);
  }
  void Load(CArchive& ar, boost::any& a) const override {
    T value{};
    ar >> value;
    a = value;
  }
};

// A string kind (CString or std::string); the payload is the archive string form of its bytes.
template <class T, int N>
class CAnyPropReg_Class : public CAnyPropReg_TBase<T, N> {
 public:
  void Store(CArchive& ar, const boost::any& a) const override {
    ar << CString(boost::any_cast<const T&>(a));
  }
  void Load(CArchive& ar, boost::any& a) const override {
    CString text;
    ar >> text;
    a = T(text.str());
  }
};

#endif  // LUMOTOOLS_PROPERTY_PROP_REG_H_
