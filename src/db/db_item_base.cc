#include "lumotools/db/db_item_base.h"

namespace {

CString IdCondition(long id) {
  CString where;
  where.Format("ID = %d", static_cast<int>(id));
  return where;
}

}  // namespace

CDbItemBase::~CDbItemBase() = default;

void CDbItemBase::InsertToDB(CDatabase* db, const CString& table) {
  CSqlInsert insert;
  GetFieldValue(insert);
  insert.ExecuteSQL(db, table);
}

void CDbItemBase::UpdateToDB(CDatabase* db, const CString& table, const CString& where) const {
  CSqlUpdate update;
  GetFieldValue(update);
  update.SetWhere(where);
  update.ExecuteSQL(db, table);
}

void CDbItemBase::DeleteFromDB(CDatabase* db, const CString& table, const CString& where) const {
  CString sql;
  sql.Format("Delete * From %s Where %s", table.GetString(), where.GetString());
  db->ExecuteSQL(sql);
}

void CDbItemBase::CreateTable(CDatabase*, const CString&) const {}

CDbItemBaseWithID::CDbItemBaseWithID(CLumoRecordset& rs) { rs.fGetFieldValue("ID", m_nID); }

void CDbItemBaseWithID::InsertToDB(CDatabase* db, const CString& table) {
  CDbItemBase::InsertToDB(db, table);
  m_nID = CLumoRecordset::GetMaxId(db, table, "ID", 0);
}

void CDbItemBaseWithID::UpdateToDB(CDatabase* db, const CString& table) const {
  CDbItemBase::UpdateToDB(db, table, IdCondition(m_nID));
}

void CDbItemBaseWithID::DeleteFromDB(CDatabase* db, const CString& table) const {
  CDbItemBase::DeleteFromDB(db, table, IdCondition(m_nID));
}

bool CDbItemBaseWithID::ModifyID(CDatabase* db, const CString& table, long newId) {
  if (CDbOperateTool::GetRecordCount(db, table, "ID", newId) != 0) return false;
  CString sql;
  sql.Format("UPDATE %s SET ID = %d WHERE %s", table.GetString(), static_cast<int>(newId),
             IdCondition(m_nID).GetString());
  db->ExecuteSQL(sql);
  // A driver that cannot tell the count (-1), or a view whose triggers hide it (0), is checked by
  // looking for the new identifier, which no record carried before.
  if (db->GetLastRowCount() <= 0 && CDbOperateTool::GetRecordCount(db, table, "ID", newId) == 0) {
    return false;
  }
  m_nID = newId;
  return true;
}

void CDbItemBaseWithID::GetFieldValue(CSqlStrHelper&) const {}
