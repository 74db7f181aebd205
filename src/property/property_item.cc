#include "lumotools/property/property_item.h"

#include <cstdlib>

#include "lumotools/platform/crt.h"
#include "lumotools/property/prop_reg_map.h"
#include "lumotools/property/strategy_register.h"
#include "lumotools/property/style_id_cache.h"
#include "style_kind.h"

namespace {

constexpr double kSentinelTolerance = 1e-6;

bool IsSentinel(double f, double sentinel) {
  const double d = f - sentinel;
  return -kSentinelTolerance < d && d < kSentinelTolerance;
}

}  // namespace

CAnyPropertyItem::CAnyPropertyItem(long styleId, const std::string& caption,
                                   const std::string& varName, const boost::any& value,
                                   bool visible, const std::string&)
    : m_lStyleID(styleId),
      m_strCaption(caption),
      m_strVarName(varName),
      m_anyValue(value),
      m_bVisible(visible) {}

CAnyPropertyItem& CAnyPropertyItem::operator=(const CAnyPropertyItem& other) {
  if (this != &other) {
    m_lStyleID = other.m_lStyleID;
    m_strVarName = other.m_strVarName;
    m_anyValue = other.m_anyValue;
    m_bVisible = other.m_bVisible;
  }
  return *this;
}

CAnyPropertyItem& CAnyPropertyItem::operator=(CAnyPropertyItem&& other) {
  if (this != &other) {
    m_lStyleID = other.m_lStyleID;
    m_strVarName = std::move(other.m_strVarName);
    m_anyValue = std::move(other.m_anyValue);
    m_bVisible = other.m_bVisible;
  }
  return *this;
}

bool CAnyPropertyItem::operator==(const CAnyPropertyItem& other) const {
  return m_lStyleID == other.m_lStyleID && m_strVarName == other.m_strVarName &&
         CAnyPropRegMap::instance().IsEqual(m_anyValue, other.m_anyValue) &&
         m_bVisible == other.m_bVisible;
}

double CAnyPropertyItem::GetUnitConversion(long styleId, double f) {
  if (IsSentinel(f, -1.0)) return 1.0;
  if (IsSentinel(f, -2.0)) return CAnyPropertyStyleIdCache::Instance().ToUnitConversion(styleId);
  return f;
}

CString CAnyPropertyItem::GetValueS(double f) const {
  const BoostAnyType kind = RequireStyleKind(m_lStyleID);
  return CAnyTypeStrategyRegister::instance().AnyToString(GetUnitConversion(m_lStyleID, f), kind,
                                                          m_anyValue);
}

int CAnyPropertyItem::GetValueI(double f) const {
  const BoostAnyType kind = RequireStyleKind(m_lStyleID);
  return CAnyTypeStrategyRegister::instance().AnyToInt(GetUnitConversion(m_lStyleID, f), kind,
                                                       m_anyValue);
}

double CAnyPropertyItem::GetValueD(double f) const {
  const BoostAnyType kind = RequireStyleKind(m_lStyleID);
  return CAnyTypeStrategyRegister::instance().AnyToDouble(GetUnitConversion(m_lStyleID, f), kind,
                                                          m_anyValue);
}

void CAnyPropertyItem::SetValueS(const CString& value, double f) {
  const BoostAnyType kind = RequireStyleKind(m_lStyleID);
  m_anyValue = CAnyTypeStrategyRegister::instance().BoostAnyStrategy(
      GetUnitConversion(m_lStyleID, f), kind, value, &m_anyValue);
}

void CAnyPropertyItem::SetValueI(int value, double f) {
  const BoostAnyType kind = RequireStyleKind(m_lStyleID);
  m_anyValue = CAnyTypeStrategyRegister::instance().BoostAnyStrategy(
      GetUnitConversion(m_lStyleID, f), kind, value, &m_anyValue);
}

void CAnyPropertyItem::SetValueD(double value, double f) {
  const BoostAnyType kind = RequireStyleKind(m_lStyleID);
  m_anyValue = CAnyTypeStrategyRegister::instance().BoostAnyStrategy(
      GetUnitConversion(m_lStyleID, f), kind, value, &m_anyValue);
}

void CAnyPropertyItem::SetValueBox(const CTransferUiToAnyBox& box, double f) {
  const BoostAnyType kind = RequireStyleKind(m_lStyleID);
  m_anyValue = CAnyTypeStrategyRegister::instance().BoostAnyStrategy(
      GetUnitConversion(m_lStyleID, f), kind, box, &m_anyValue);
}

void CAnyPropertyItem::AddExtInfo(const CPropHolder* holder) {
  CAnyTypeStrategyRegister::instance().AddExtInfo(RequireStyleKind(m_lStyleID), holder, m_anyValue);
}

void CAnyPropertyItem::ClearExtInfo() {
  CAnyTypeStrategyRegister::instance().ClearExtInfo(RequireStyleKind(m_lStyleID), m_anyValue);
}

int CAnyPropertyItem::StringToInt(const CString& text) { return CrtAtoi(text); }

double CAnyPropertyItem::StringToDouble(const CString& text) { return std::atof(text); }

void CAnyPropertyItem::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << 1 << static_cast<LONG>(m_lStyleID) << m_strCaption.c_str() << m_strVarName.c_str();
    CAnyPropRegMap::instance().ArchiveStore(ar, m_anyValue);
    ar << m_bVisible;
    return;
  }
  int version = 0;
  LONG styleId = 0;
  CString caption;
  CString varName;
  ar >> version >> styleId >> caption >> varName;
  m_lStyleID = styleId;
  m_strCaption = caption.GetString();
  m_strVarName = varName.GetString();
  CAnyPropRegMap::instance().ArchiveLoad(ar, m_anyValue);
  ar >> m_bVisible;
}
