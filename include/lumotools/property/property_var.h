// CAnyPropertyVar: a named variable of a fixed kind, converted through its kind's type strategy
// always with the factor 1.0, and archived as version 1 (int32), ID (int32), name (archive
// string), the value record of CAnyPropRegMap, kind (int32).
//
// The typed getters and setters need a strategy for the variable's kind; for a kind without one
// they throw std::invalid_argument naming the kind. Not thread-safe; copies are independent.
#ifndef LUMOTOOLS_PROPERTY_PROPERTY_VAR_H_
#define LUMOTOOLS_PROPERTY_PROPERTY_VAR_H_

#include <string>

#include <boost/any.hpp>

#include "lumotools/export.h"
#include "lumotools/platform/archive.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/property/boost_any_type.h"

class LUMO_EXPORT CAnyPropertyVar {
 public:
  explicit CAnyPropertyVar(BoostAnyType kind) : m_eType(kind) {}
  CAnyPropertyVar(const CAnyPropertyVar&) = default;
  CAnyPropertyVar& operator=(const CAnyPropertyVar&) = default;
  virtual ~CAnyPropertyVar() = default;

  const std::string& GetVarName() const { return m_strVarName; }
  void SetVarName(const std::string& name) { m_strVarName = name; }
  long ID() const { return m_lID; }
  void ID(long id) { m_lID = id; }
  BoostAnyType Type() const { return m_eType; }
  // Changes the kind only; the held value is not converted.
  void Type(BoostAnyType kind) { m_eType = kind; }
  const boost::any& GetAnyValue() const { return m_anyValue; }
  bool IsValueEmpty() const { return m_anyValue.empty(); }

  // The value through the kind's strategy with factor 1.0; a value of the wrong type (an empty
  // one included) throws boost::bad_any_cast.
  CString GetValueS() const;
  int GetValueI() const;
  double GetValueD() const;
  // The value becomes the strategy's conversion of the argument with factor 1.0.
  void SetValueS(const CString& value);
  void SetValueI(int value);
  void SetValueD(double value);

  // Writes or reads the variable. On reading the name ends at its first zero byte, the version is
  // not checked, and a value record of unknown kind leaves the value as it was.
  virtual void Serialize(CArchive& ar);

 protected:
  // Replaces the value by a copy of value, whatever it holds.
  void SetValueAny(const boost::any& value) { m_anyValue = value; }

 private:
  std::string m_strVarName;
  long m_lID = 0;
  boost::any m_anyValue;
  BoostAnyType m_eType;
};

#endif  // LUMOTOOLS_PROPERTY_PROPERTY_VAR_H_
