#include "lumotools/db/obj_id.h"

#include "lumotools/db/lumo_recordset.h"

namespace {

const char* const kTableNames[] = {
    "TB_WORLD",         "TB_AREA",    "TB_FLOOR",         "TB_TC",           "TB_LEVEL",
    "TB_ENT",           "TB_AXIS",    "TB_AXIS_TEMPLATE", "TB_ENT_TEMPLATE", "TB_ENT_SOUL",
    "TB_TEMPLATE_SOUL", "TB_BODY_3D", "TB_CAD_GRAPH",
};

}  // namespace

CString DbTableName(DbTableID table) {
  if (table < TB_WORLD || table > TB_CAD_GRAPH) return CString();
  return kTableNames[table];
}

void CObjID::SetTableID(DbTableID table) {
  m_tableId = table;
  CLumoID_Manager::instance().RegisterObjID(*this);
}

void CObjID::SetID(long id) {
  m_id = id;
  CLumoID_Manager::instance().RegisterObjID(*this);
}

void CObjID::SetNull() { *this = CObjID(); }

void CObjID::DoFieldExchange(CFieldExchange* fx) {
  RFX_Long(fx, "[ID]", m_id);
  RFX_Long(fx, "[ParentID]", m_parentId);
  RFX_Long(fx, "[PropID]", m_propId);
}

CString CObjID::BuildSql() const {
  CString sql;
  sql.Format("select * from %s where ID = %d", DbTableName(m_tableId).GetString(),
             static_cast<int>(m_id));
  return sql;
}

CString CObjID::BuildDynSql(DbTableID table, int propId) const {
  CString sql;
  sql.Format("select * from %s where ParentID = %d and PropID = %d", DbTableName(table).GetString(),
             static_cast<int>(m_id), propId);
  return sql;
}

void CObjID::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << static_cast<LONG>(1) << static_cast<LONG>(m_tableId) << static_cast<LONG>(m_id)
       << static_cast<LONG>(m_parentId) << static_cast<LONG>(m_propId);
    return;
  }
  LONG format = 0, table = 0, id = 0, parent = 0, prop = 0;
  ar >> format >> table >> id >> parent >> prop;
  m_tableId = static_cast<DbTableID>(table);
  m_id = id;
  m_parentId = parent;
  m_propId = prop;
  CLumoID_Manager::instance().RegisterObjID(*this);
}

CLumoID_Manager& CLumoID_Manager::instance() {
  static CLumoID_Manager manager;
  return manager;
}

long CLumoID_Manager::GetNextID() { return ++m_curMaxId; }

void CLumoID_Manager::RegisterObjID(const CObjID& id) { m_registry[id.GetID()] = id; }

const CObjID* CLumoID_Manager::FindObjID(long id) const {
  const auto found = m_registry.find(id);
  return found == m_registry.end() ? nullptr : &found->second;
}

void CLumoID_Manager::SaveInfo(CDatabase* db) {
  CString sql;
  sql.Format("update config set nVal=%d where key ='max_id'", static_cast<int>(m_curMaxId));
  db->ExecuteSQL(sql);
}

void CLumoID_Manager::LoadInfo(CDatabase* db) {
  CLumoRecordset rs(db);
  rs.Open(CRecordset::forwardOnly, "select nVal from config where key ='max_id'",
          CRecordset::readOnly);
  if (rs.IsEOF()) return;
  CDBVariant value;
  rs.GetFieldValue("nVal", value);
  if (value.m_dwType == DBVT_NULL) return;
  rs.fGetFieldValue("nVal", m_curMaxId);
}
