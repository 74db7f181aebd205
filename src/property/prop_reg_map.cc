#include "lumotools/property/prop_reg_map.h"

#include <string>

#include "lumotools/platform/message_box.h"

namespace {

const char kUnknownKindMessage[] = "未知万能属性";

void ReportUnknownKind() { AfxMessageBox(kUnknownKindMessage, MB_OK); }

}  // namespace

CAnyPropReg::~CAnyPropReg() = default;

CAnyPropRegMap& CAnyPropRegMap::instance() {
  static CAnyPropRegMap registry;
  return registry;
}

CAnyPropRegMap::CAnyPropRegMap() {
  RegisterType(new CAnyPropReg_Type<unsigned char, BAT_BYTE>);
  RegisterType(new CAnyPropReg_Type<int, BAT_INT>);
  RegisterType(new CAnyPropReg_Type<long, BAT_LONG>);
  RegisterType(new CAnyPropReg_Type<double, BAT_DOUBLE>);
  RegisterType(new CAnyPropReg_Type<unsigned long, BAT_NORMALCOLOR>);
  RegisterType(new CAnyPropReg_Class<std::string, BAT_STRING>);
  RegisterType(new CAnyPropReg_Class<CString, BAT_CSTRING>);
  RegisterType(new CAnyPropReg_Class<CString, BAT_FORMULA>);
}

CAnyPropRegMap::~CAnyPropRegMap() = default;

bool CAnyPropRegMap::RegisterType(CAnyPropReg* reg) {
  if (reg == nullptr) return false;
  for (const auto& kept : m_regs) {
    if (kept.get() == reg) return false;
  }
  std::unique_ptr<CAnyPropReg> owned(reg);
  bool fresh = true;
  for (auto it = m_regs.begin(); it != m_regs.end(); ++it) {
    if ((*it)->GetType() == reg->GetType()) {
      m_regs.erase(it);
      fresh = false;
      break;
    }
  }
  m_regs.push_back(std::move(owned));
  return fresh;
}

const CAnyPropReg* CAnyPropRegMap::FindHolder(const boost::any& a) const {
  for (const auto& reg : m_regs) {
    if (reg->Holds(a)) return reg.get();
  }
  return nullptr;
}

bool CAnyPropRegMap::IsEqual(const boost::any& a, const boost::any& b) {
  if (a.type() != b.type()) return false;
  if (a.empty()) return true;
  if (const CAnyPropReg* reg = FindHolder(a)) return reg->Equals(a, b);
  ReportUnknownKind();
  return false;
}

bool CAnyPropRegMap::ArchiveStore(CArchive& ar, const boost::any& a) {
  const CAnyPropReg* reg = FindHolder(a);
  ar << static_cast<int>(reg ? reg->GetType() : BAT_NONE);
  if (reg == nullptr) {
    ReportUnknownKind();
    return false;
  }
  reg->Store(ar, a);
  return true;
}

bool CAnyPropRegMap::ArchiveLoad(CArchive& ar, boost::any& a) {
  int kind = BAT_NONE;
  ar >> kind;
  for (const auto& reg : m_regs) {
    if (reg->GetType() == kind) {
      reg->Load(ar, a);
      return true;
    }
  }
  ReportUnknownKind();
  return false;
}
