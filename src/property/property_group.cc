#include "lumotools/property/property_group.h"

namespace {

// The smallest item record: version, style ID, two empty texts, kind -1, visibility.
constexpr ULONGLONG kMinItemRecordBytes = 4 + 4 + 1 + 1 + 4 + 1;

}  // namespace

CAnyPropertyGroup::~CAnyPropertyGroup() = default;

CAnyPropertyGroup& CAnyPropertyGroup::operator=(const CAnyPropertyGroup& other) {
  std::vector<CAnyPropertyItem> copy(other.m_vecItems);
  m_vecItems.swap(copy);
  return *this;
}

void CAnyPropertyGroup::AddPropItem(const CAnyPropertyItem& item) { m_vecItems.push_back(item); }

CAnyPropertyItem* CAnyPropertyGroup::FindPropItemByName(const CString& name, bool create) {
  for (CAnyPropertyItem& item : m_vecItems) {
    if (name.CompareNoCase(item.GetVarName().c_str()) == 0) return &item;
  }
  if (!create) return nullptr;
  m_vecItems.emplace_back(0, std::string(), name.GetString(), boost::any(0), true, std::string());
  return &m_vecItems.back();
}

const CAnyPropertyItem* CAnyPropertyGroup::FindPropItemByName(const CString& name) const {
  return const_cast<CAnyPropertyGroup*>(this)->FindPropItemByName(name, false);
}

CString CAnyPropertyGroup::GetValueS(const CString& name) const {
  const CAnyPropertyItem* item = FindPropItemByName(name);
  return item ? item->GetValueS(-1.0) : CString();
}

int CAnyPropertyGroup::GetValueI(const CString& name) const {
  const CAnyPropertyItem* item = FindPropItemByName(name);
  return item ? item->GetValueI(-1.0) : 0;
}

double CAnyPropertyGroup::GetValueD(const CString& name) const {
  const CAnyPropertyItem* item = FindPropItemByName(name);
  return item ? item->GetValueD(-1.0) : 0.0;
}

void CAnyPropertyGroup::SetValueS(const CString& name, const CString& value) {
  if (CAnyPropertyItem* item = FindPropItemByName(name, false)) item->SetValueS(value, -1.0);
}

void CAnyPropertyGroup::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << 1 << static_cast<DWORD>(m_vecItems.size());
    for (CAnyPropertyItem& item : m_vecItems) item.Serialize(ar);
    return;
  }
  int version = 0;
  DWORD count = 0;
  ar >> version >> count;
  if (count * kMinItemRecordBytes > ar.GetLoadRemaining()) {
    AfxThrowArchiveException(CArchiveException::endOfFile);
  }
  m_vecItems.resize(count);
  for (CAnyPropertyItem& item : m_vecItems) item.Serialize(ar);
}
