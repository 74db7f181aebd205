#include "lumotools/property/type_strategy.h"

#include <vector>

namespace {

template <class Transfer>
const Transfer* FirstOfCode(const std::vector<std::unique_ptr<CTransferUiToAny>>& transfers,
                            int code) {
  for (const auto& transfer : transfers) {
    if (transfer->GetTransferType() == code) return dynamic_cast<const Transfer*>(transfer.get());
  }
  return nullptr;
}

}  // namespace

CAnyTypeStrategy::~CAnyTypeStrategy() = default;

boost::any CAnyTypeStrategy::AnyFromString(const CString&, double) const { return 0; }
boost::any CAnyTypeStrategy::AnyFromInt(int, double) const { return 0; }
boost::any CAnyTypeStrategy::AnyFromDouble(double, double) const { return 0; }
boost::any CAnyTypeStrategy::AnyFromBox(const CTransferUiToAnyBox&, double) const { return 0; }
CString CAnyTypeStrategy::AnyToString(const boost::any&, double) const { return CString(); }
int CAnyTypeStrategy::AnyToInt(const boost::any&, double) const { return 0; }
double CAnyTypeStrategy::AnyToDouble(const boost::any&, double) const { return 0.0; }
bool CAnyTypeStrategy::IsType(const boost::any&) const { return false; }
bool CAnyTypeStrategy::PopupEdit(CLumoPropertyPaneBase*, boost::any&,
                                 std::set<CPropHolder*>&) const {
  return false;
}
void CAnyTypeStrategy::AddExtInfo(const CPropHolder*, boost::any&) const {}
void CAnyTypeStrategy::ClearExtInfo(boost::any&) const {}

const int* CAnyTypeStrategy::BoxIndex(const CTransferUiToAnyBox& box) {
  const auto* t = FirstOfCode<CTransferUiToAny_Index>(box.m_transfers, 0);
  return t ? &t->m_nIndex : nullptr;
}

const CString* CAnyTypeStrategy::BoxText(const CTransferUiToAnyBox& box) {
  const auto* t = FirstOfCode<CTransferUiToAny_String>(box.m_transfers, 2);
  return t ? &t->m_strText : nullptr;
}

const boost::any* CAnyTypeStrategy::BoxValue(const CTransferUiToAnyBox& box) {
  const auto* t = FirstOfCode<CTransferUiToAny_Class>(box.m_transfers, 3);
  return t ? &t->m_anyValue : nullptr;
}

boost::any CAnyTypeStrategy_Formula::AnyFromString(const CString& text, double) const {
  return CAnyTextConversion<CString>::FromText(text);
}
boost::any CAnyTypeStrategy_Formula::AnyFromInt(int value, double) const {
  return CAnyTextConversion<CString>::FromInt(value);
}
boost::any CAnyTypeStrategy_Formula::AnyFromDouble(double value, double) const {
  return CAnyTextConversion<CString>::FromDouble(value);
}
boost::any CAnyTypeStrategy_Formula::AnyFromBox(const CTransferUiToAnyBox& box, double) const {
  if (const int* index = BoxIndex(box)) return AnyFromInt(*index, 1.0);
  if (const CString* text = BoxText(box)) return AnyFromString(*text, 1.0);
  return AnyFromString(CString(), 1.0);
}
CString CAnyTypeStrategy_Formula::AnyToString(const boost::any& a, double) const {
  return CAnyTextConversion<CString>::ToText(a);
}
int CAnyTypeStrategy_Formula::AnyToInt(const boost::any& a, double) const {
  return CrtAtoi(boost::any_cast<const CString&>(a));
}
double CAnyTypeStrategy_Formula::AnyToDouble(const boost::any& a, double) const {
  return std::atof(boost::any_cast<const CString&>(a));
}

CString CAnyTypeStrategy_ModelColor::AnyToString(const boost::any& a, double) const {
  return boost::any_cast<const CVisualColorItem&>(a).GetColorStr(VCK_LINE, VCK_FACE, VCK_EDGE,
                                                                 VCK_TEXT, VCK_END);
}

CString CAnyTypeStrategy_HookData::AnyToString(const boost::any& a, double) const {
  return boost::any_cast<const CHookData&>(a).GetHookDataStr();
}
