#include "lumotools/property/strategy_register.h"

#include <stdexcept>
#include <string>

#include "style_kind.h"

CAnyTypeStrategyRegister& CAnyTypeStrategyRegister::instance() {
  static CAnyTypeStrategyRegister instance;
  return instance;
}

CAnyTypeStrategyRegister::CAnyTypeStrategyRegister() {
  RegPropStrategy(new CAnyTypeStrategy_Byte);
  RegPropStrategy(new CAnyTypeStrategy_Int);
  RegPropStrategy(new CAnyTypeStrategy_Long);
  RegPropStrategy(new CAnyTypeStrategy_Double);
  RegPropStrategy(new CAnyTypeStrategy_String);
  RegPropStrategy(new CAnyTypeStrategy_CString);
  RegPropStrategy(new CAnyTypeStrategy_Csf);
  RegPropStrategy(new CAnyTypeStrategy_ModelColor);
  RegPropStrategy(new CAnyTypeStrategy_HookData);
  RegPropStrategy(new CAnyTypeStrategy_NormalColor);
  RegPropStrategy(new CAnyTypeStrategy_Formula);
}

CAnyTypeStrategyRegister::~CAnyTypeStrategyRegister() = default;

bool CAnyTypeStrategyRegister::RegPropStrategy(CAnyTypeStrategy* s) {
  if (s == nullptr || m_mapObjects.count(s->GetEnumType()) != 0) return false;
  m_mapObjects.emplace(s->GetEnumType(), std::unique_ptr<CAnyTypeStrategy>(s));
  return true;
}

const CAnyTypeStrategy* CAnyTypeStrategyRegister::StrategyFromType(BoostAnyType kind) const {
  const auto it = m_mapObjects.find(kind);
  return it == m_mapObjects.end() ? nullptr : it->second.get();
}

CAnyTypeStrategy& CAnyTypeStrategyRegister::Require(BoostAnyType kind) const {
  const auto it = m_mapObjects.find(kind);
  if (it == m_mapObjects.end()) {
    throw std::invalid_argument("no type strategy is registered for value kind " +
                                std::to_string(static_cast<int>(kind)));
  }
  return *it->second;
}

const CAnyTypeStrategy* CAnyTypeStrategyRegister::FirstHolding(const boost::any& a) const {
  for (const auto& entry : m_mapObjects) {
    if (entry.second->IsType(a)) return entry.second.get();
  }
  return nullptr;
}

boost::any CAnyTypeStrategyRegister::BoostAnyStrategy(double f, BoostAnyType kind,
                                                      const CString& value, boost::any* target) {
  CAnyTypeStrategy& strategy = Require(kind);
  strategy.m_pAnyValue = target;
  return strategy.AnyFromString(value, f);
}

boost::any CAnyTypeStrategyRegister::BoostAnyStrategy(double f, BoostAnyType kind, int value,
                                                      boost::any* target) {
  CAnyTypeStrategy& strategy = Require(kind);
  strategy.m_pAnyValue = target;
  return strategy.AnyFromInt(value, f);
}

boost::any CAnyTypeStrategyRegister::BoostAnyStrategy(double f, BoostAnyType kind, double value,
                                                      boost::any* target) {
  CAnyTypeStrategy& strategy = Require(kind);
  strategy.m_pAnyValue = target;
  return strategy.AnyFromDouble(value, f);
}

boost::any CAnyTypeStrategyRegister::BoostAnyStrategy(double f, BoostAnyType kind,
                                                      const CTransferUiToAnyBox& value,
                                                      boost::any* target) {
  CAnyTypeStrategy& strategy = Require(kind);
  strategy.m_pAnyValue = target;
  return strategy.AnyFromBox(value, f);
}

boost::any CAnyTypeStrategyRegister::AnyFromString(double f, BoostAnyType kind,
                                                   const CString& text) const {
  return Require(kind).AnyFromString(text, f);
}

boost::any CAnyTypeStrategyRegister::AnyFromInt(double f, BoostAnyType kind, int value) const {
  return Require(kind).AnyFromInt(value, f);
}

boost::any CAnyTypeStrategyRegister::AnyFromDouble(double f, BoostAnyType kind,
                                                   double value) const {
  return Require(kind).AnyFromDouble(value, f);
}

CString CAnyTypeStrategyRegister::AnyToString(double f, BoostAnyType kind,
                                              const boost::any& a) const {
  return Require(kind).AnyToString(a, f);
}

int CAnyTypeStrategyRegister::AnyToInt(double f, BoostAnyType kind, const boost::any& a) const {
  return Require(kind).AnyToInt(a, f);
}

double CAnyTypeStrategyRegister::AnyToDouble(double f, BoostAnyType kind,
                                             const boost::any& a) const {
  return Require(kind).AnyToDouble(a, f);
}

bool CAnyTypeStrategyRegister::AnyToString(double, const boost::any& a, CString& text) const {
  const CAnyTypeStrategy* strategy = FirstHolding(a);
  if (strategy == nullptr) return false;
  text = strategy->AnyToString(a, 1.0);
  return true;
}

bool CAnyTypeStrategyRegister::StringToAny(double, const CString& text, boost::any& a) const {
  const CAnyTypeStrategy* strategy = FirstHolding(a);
  if (strategy == nullptr) return false;
  a = strategy->AnyFromString(text, 1.0);
  return true;
}

bool CAnyTypeStrategyRegister::PopupEdit(CLumoPropertyPaneBase* pane, BoostAnyType kind,
                                         boost::any& a, std::set<CPropHolder*>& holders) const {
  return Require(kind).PopupEdit(pane, a, holders);
}

void CAnyTypeStrategyRegister::AddExtInfo(BoostAnyType kind, const CPropHolder* holder,
                                          boost::any& a) const {
  Require(kind).AddExtInfo(holder, a);
}

void CAnyTypeStrategyRegister::ClearExtInfo(BoostAnyType kind, boost::any& a) const {
  Require(kind).ClearExtInfo(a);
}

CAnyPropertyItem CAnyTypeStrategyRegister::PropItemStrategy(long styleId, const CString& caption,
                                                            const CString& varName, int visible,
                                                            const CString& value) {
  const BoostAnyType kind = RequireStyleKind(styleId);
  const double f = CAnyPropertyItem::GetUnitConversion(styleId, -2.0);
  const boost::any v = BoostAnyStrategy(f, kind, value, nullptr);
  return CAnyPropertyItem(styleId, caption.GetString(), varName.GetString(), v, visible == 1,
                          value.GetString());
}
