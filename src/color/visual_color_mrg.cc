#include "lumotools/color/visual_color_mrg.h"

#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "hostkit/db_factory.h"

namespace {

constexpr int kColorBytes = 32;
constexpr unsigned char kSixtySix = 0x66;  // the letter f, stored with a marker like zero

// The 32 bytes of an item in their stored order, each word lowest byte first.
void ToBytes(const CVisualColorItem& item, unsigned char bytes[kColorBytes]) {
  for (int part = 0; part < 4; ++part) {
    const DWORD words[2] = {item.m_subItems[part].m_dwColor,
                            item.m_subItems[part].m_dwTransparency};
    for (int w = 0; w < 2; ++w) {
      for (int b = 0; b < 4; ++b) {
        bytes[part * 8 + w * 4 + b] = static_cast<unsigned char>(words[w] >> (8 * b));
      }
    }
  }
}

CDbFactoryT<CDatabase>& Factory() { return CDbFactoryT<CDatabase>::instance(); }

int IntegerField(CLumoRecordset& rs, const char* name) {
  int value = 0;
  rs.fGetFieldValue(name, value);
  return value;
}

int IntegerField(CLumoRecordset& rs, short index) {
  int value = 0;
  rs.fGetFieldValue(index, value);
  return value;
}

constexpr char kRelateIdField[] = "RelateID";
constexpr char kIsSpecialField[] = "IsSpecialColor";
constexpr char kColorDataField[] = "ColorData";

// Reads the ColorDef rows of a recordset, with the column names looked up once. When the result
// lacks one of them, every row is read by name, which raises as the by-name readers do.
class ColorRowReader {
 public:
  explicit ColorRowReader(CLumoRecordset& rs)
      : rs_(rs),
        relate_(rs.GetFieldIndexByName(kRelateIdField)),
        special_(rs.GetFieldIndexByName(kIsSpecialField)),
        data_(rs.GetFieldIndexByName(kColorDataField)) {}

  CDbVisualColorItem Read() {
    if (relate_ < 0 || special_ < 0 || data_ < 0) return CDbVisualColorItem(rs_);
    const int relate = IntegerField(rs_, relate_);
    const int special = IntegerField(rs_, special_);
    rs_.fGetFieldValue(data_, text_);  // the text's storage serves every row
    return CDbVisualColorItem(relate, special, CDbVisualColorItem::DecodeColorData(text_));
  }

 private:
  CLumoRecordset& rs_;
  const short relate_;
  const short special_;
  const short data_;
  CString text_;
};

// The entry of key, or the first entry when key has none.
const CVisualColorItem* FindOrFirst(const CDbVisualColorMrg::ColorMap& map, int key) {
  if (map.empty()) return nullptr;
  const auto found = map.find(key);
  return &(found != map.end() ? found->second : map.begin()->second).m_colorItem;
}

const CVisualColorItem* Find(const CDbVisualColorMrg::ColorMap& map, int key) {
  const auto found = map.find(key);
  return found == map.end() ? nullptr : &found->second.m_colorItem;
}

CString TextForm(const CVisualColorItem* item) {
  return item == nullptr ? CString() : item->GetColorStr();
}

bool Replace(CDbVisualColorMrg::ColorMap& map, int key, const CVisualColorItem& item) {
  const auto found = map.find(key);
  if (found == map.end()) return false;
  found->second.m_colorItem = item;
  return true;
}

bool Add(CDbVisualColorMrg::ColorMap& map, int key, int special, const CVisualColorItem& item) {
  return map.emplace(key, CDbVisualColorItem(key, special, item)).second;
}

// The nodes of the maps a load empties, taken over so that the rows read serve them again
// instead of freeing every node and allocating as many anew.
class ReusedNodes {
 public:
  ReusedNodes(CDbVisualColorMrg::ColorMap& a, CDbVisualColorMrg::ColorMap& b) {
    spare_[0].swap(a);
    spare_[1].swap(b);
  }

  // Adds row under key unless map has key already (the first row of a key stays). The rows
  // usually come in key order, as SaveToDB writes them: the end is the place to try first.
  void Add(CDbVisualColorMrg::ColorMap& map, int key, const CDbVisualColorItem& row) {
    for (CDbVisualColorMrg::ColorMap& spare : spare_) {
      if (spare.empty()) continue;
      auto node = spare.extract(spare.begin());
      node.key() = key;
      node.mapped() = row;
      map.insert(map.end(), std::move(node));  // a node refused is freed here
      return;
    }
    map.emplace_hint(map.end(), key, row);
  }

 private:
  CDbVisualColorMrg::ColorMap spare_[2];
};

// Adds the keys only reference has, then removes the keys reference lacks.
template <class AddFn>
void TrimMap(CDbVisualColorMrg::ColorMap& map, const CDbVisualColorMrg::ColorMap& reference,
             AddFn add) {
  for (const auto& entry : reference) add(entry.first, entry.second.m_colorItem);
  std::vector<int> extra;
  for (const auto& entry : map) {
    if (reference.find(entry.first) == reference.end()) extra.push_back(entry.first);
  }
  for (int key : extra) map.erase(key);
}

}  // namespace

CDbVisualColorItem::CDbVisualColorItem(CLumoRecordset& rs)
    : m_nRelateID(IntegerField(rs, kRelateIdField)),
      m_nIsSpecialColor(IntegerField(rs, kIsSpecialField)) {
  CString text;
  rs.fGetFieldValue(kColorDataField, text);
  m_colorItem = DecodeColorData(text);
}

CDbVisualColorItem::CDbVisualColorItem(long relateId, int isSpecialColor, CVisualColorItem item)
    : m_nRelateID(relateId), m_nIsSpecialColor(isSpecialColor), m_colorItem(item) {}

CString CDbVisualColorItem::EncodeColorData(const CVisualColorItem& item) {
  unsigned char bytes[kColorBytes];
  ToBytes(item, bytes);
  char text[2 * kColorBytes];
  for (int i = 0; i < kColorBytes; ++i) {
    const unsigned char b = bytes[i];
    text[i] = (b == 0 || b == kSixtySix) ? 'T' : static_cast<char>(b);
    text[kColorBytes + i] = b == 0 ? 'z' : b == kSixtySix ? 'x' : 'c';
  }
  return CString(text, 2 * kColorBytes);
}

CVisualColorItem CDbVisualColorItem::DecodeColorData(const CString& text) {
  unsigned char buffer[2 * kColorBytes] = {0};
  std::memcpy(buffer, text.GetString(),
              static_cast<size_t>(text.GetLength() < 64 ? text.GetLength() : 64));
  // One pass: each byte, restored from its marker, goes straight into its word.
  DWORD words[kColorBytes / 4] = {0};
  for (int i = 0; i < kColorBytes; ++i) {
    const unsigned char marker = buffer[kColorBytes + i];
    const unsigned char b = marker == 'z' ? 0 : marker == 'x' ? kSixtySix : buffer[i];
    words[i / 4] |= static_cast<DWORD>(b) << (8 * (i % 4));
  }
  CVisualColorItem item;
  for (int part = 0; part < 4; ++part) {
    item.m_subItems[part].m_dwColor = words[2 * part];
    item.m_subItems[part].m_dwTransparency = words[2 * part + 1];
  }
  return item;
}

void CDbVisualColorItem::InsertToDB(CDatabase* db) const {
  CString data = EncodeColorData(m_colorItem);
  data.Replace("'", "''");
  CString sql;
  sql.Format("Insert Into %s(relateID, IsSpecialColor, ColorData) values (%ld,%d,'%s')",
             GetTableName().GetString(), m_nRelateID, m_nIsSpecialColor, data.GetString());
  db->ExecuteSQL(sql);
}

CDbVisualColorMrg::CDbVisualColorMrg(const CString& path) { LoadFromDB(path); }

CDbVisualColorMrg::~CDbVisualColorMrg() = default;

CDbVisualColorMrg& CDbVisualColorMrg::instance() {
  static CDbVisualColorMrg manager(GetDBPath());
  return manager;
}

const CVisualColorItem* CDbVisualColorMrg::GetColorByFigId(int id) const {
  return FindOrFirst(m_mapGJColor, id);
}

const CVisualColorItem* CDbVisualColorMrg::GetColorBySpecialId(SpecialColorKind kind) const {
  return Find(m_mapSpecialColor, kind);
}

CString CDbVisualColorMrg::GetColorStrByFigId(int id) const {
  return TextForm(GetColorByFigId(id));
}

CString CDbVisualColorMrg::GetColorStrBySpecialId(SpecialColorKind kind) const {
  return TextForm(GetColorBySpecialId(kind));
}

bool CDbVisualColorMrg::SetFigColor(int id, const CVisualColorItem& item) {
  return Replace(m_mapGJColor, id, item);
}

bool CDbVisualColorMrg::SetSpecialColor(SpecialColorKind kind, const CVisualColorItem& item) {
  return Replace(m_mapSpecialColor, kind, item);
}

bool CDbVisualColorMrg::AddFigColor(int id, const CVisualColorItem& item) {
  return Add(m_mapGJColor, id, 0, item);
}

bool CDbVisualColorMrg::AddSpecialColor(SpecialColorKind kind, const CVisualColorItem& item) {
  return Add(m_mapSpecialColor, kind, 1, item);
}

void CDbVisualColorMrg::LoadFromDB(const CString& path) {
  ReusedNodes nodes(m_mapGJColor, m_mapSpecialColor);
  CDatabase* db = Factory().GetDB(path);
  CString sql;
  sql.Format("Select * From %s", CDbVisualColorItem::GetTableName().GetString());
  CLumoRecordset rs(db);
  rs.Open(CRecordset::forwardOnly, sql, CRecordset::readOnly);
  ColorRowReader reader(rs);
  for (; !rs.IsEOF(); rs.MoveNext()) {
    const CDbVisualColorItem row = reader.Read();
    ColorMap& map = row.m_nIsSpecialColor != 0 ? m_mapSpecialColor : m_mapGJColor;
    nodes.Add(map, static_cast<int>(row.m_nRelateID), row);
  }
  rs.Close();
  Factory().CloseDB(path);
}

void CDbVisualColorMrg::SaveToDB(const CString& path) const {
  CDatabase* db = Factory().GetDB(path);
  CString sql;
  sql.Format("Delete * From %s", CDbVisualColorItem::GetTableName().GetString());
  db->ExecuteSQL(sql);
  for (const ColorMap* map : {&m_mapGJColor, &m_mapSpecialColor}) {
    for (const auto& entry : *map) entry.second.InsertToDB(db);
  }
  Factory().CloseDB(path);
}

void CDbVisualColorMrg::TrimValue(const CDbVisualColorMrg& reference) {
  TrimMap(m_mapGJColor, reference.m_mapGJColor,
          [this](int key, const CVisualColorItem& item) { AddFigColor(key, item); });
  TrimMap(m_mapSpecialColor, reference.m_mapSpecialColor,
          [this](int key, const CVisualColorItem& item) {
            AddSpecialColor(static_cast<SpecialColorKind>(key), item);
          });
}

CString CDbVisualColorMrg::GetCurDir() {
  // The framework's buffer holds 510 characters. A longer directory is named as ".", so that the
  // paths built on it still lie under it.
  constexpr size_t kLongest = 510;
  std::error_code error;
  const std::string dir = std::filesystem::current_path(error).string();
  if (error) return CString();
  return dir.size() <= kLongest ? CString(dir) : CString(".");
}

CString CDbVisualColorMrg::GetDBPath() { return GetCurDir() + "\\system\\sys_config.mdb"; }

CString CDbVisualColorMrg::GetDefaultDBPath() {
  return GetCurDir() + "\\system\\sys_config_default.mdb";
}
