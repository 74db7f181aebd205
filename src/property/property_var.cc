#include "lumotools/property/property_var.h"

#include "lumotools/property/prop_reg_map.h"
#include "lumotools/property/strategy_register.h"

CString CAnyPropertyVar::GetValueS() const {
  return CAnyTypeStrategyRegister::instance().AnyToString(1.0, m_eType, m_anyValue);
}

int CAnyPropertyVar::GetValueI() const {
  return CAnyTypeStrategyRegister::instance().AnyToInt(1.0, m_eType, m_anyValue);
}

double CAnyPropertyVar::GetValueD() const {
  return CAnyTypeStrategyRegister::instance().AnyToDouble(1.0, m_eType, m_anyValue);
}

void CAnyPropertyVar::SetValueS(const CString& value) {
  m_anyValue = CAnyTypeStrategyRegister::instance().AnyFromString(1.0, m_eType, value);
}

void CAnyPropertyVar::SetValueI(int value) {
  m_anyValue = CAnyTypeStrategyRegister::instance().AnyFromInt(1.0, m_eType, value);
}

void CAnyPropertyVar::SetValueD(double value) {
  m_anyValue = CAnyTypeStrategyRegister::instance().AnyFromDouble(1.0, m_eType, value);
}

void CAnyPropertyVar::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << 1 << static_cast<LONG>(m_lID) << m_strVarName.c_str();
    CAnyPropRegMap::instance().ArchiveStore(ar, m_anyValue);
    ar << static_cast<int>(m_eType);
    return;
  }
  int version = 0;
  LONG id = 0;
  CString name;
  ar >> version >> id >> name;
  m_lID = id;
  m_strVarName = name.GetString();
  CAnyPropRegMap::instance().ArchiveLoad(ar, m_anyValue);
  int kind = BAT_NONE;
  ar >> kind;
  m_eType = static_cast<BoostAnyType>(kind);
}
