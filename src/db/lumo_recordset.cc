#include "lumotools/db/lumo_recordset.h"

#include <cstdlib>
#include <cstring>

namespace {

// The variant's value as a number, whatever its numeric type; a text is read as a number, NULL
// and everything else is 0.
template <class T>
T NumberOf(const CDBVariant& v) {
  switch (v.m_dwType) {
    case DBVT_BOOL:
      return static_cast<T>(v.m_boolVal);
    case DBVT_UCHAR:
      return static_cast<T>(v.m_chVal);
    case DBVT_SHORT:
      return static_cast<T>(v.m_iVal);
    case DBVT_LONG:
      return static_cast<T>(v.m_lVal);
    case DBVT_SINGLE:
      return static_cast<T>(v.m_fltVal);
    case DBVT_DOUBLE:
      return static_cast<T>(v.m_dblVal);
    case DBVT_STRING:
    case DBVT_ASTRING:
      return static_cast<T>(std::strtod(v.m_pstring->GetString(), nullptr));
    default:
      return T();
  }
}

// Reads the field at key (a name or an index) as a number.
template <class Key, class T>
void ReadNumber(CLumoRecordset& rs, const Key& key, T& value) {
  CDBVariant v;
  rs.GetFieldValue(key, v);
  value = NumberOf<T>(v);
}

// Opens a forward-only, read-only recordset on sql; a database exception is consumed and answers
// false. With columns, also stores the number of columns of the result.
bool OpensCleanly(CDatabase* db, const CString& sql, short* columns = nullptr) {
  CLumoRecordset rs(db);
  try {
    rs.Open(CRecordset::forwardOnly, sql, CRecordset::readOnly);
  } catch (CDBException* e) {
    e->Delete();
    return false;
  }
  if (columns != nullptr) *columns = rs.GetODBCFieldCount();
  rs.Close();
  return true;
}

// sql is a COUNT query: its one row always exists.
int CountOf(CDatabase* db, const CString& sql) {
  CLumoRecordset rs(db);
  rs.Open(CRecordset::forwardOnly, sql, CRecordset::readOnly);
  CDBVariant v;
  rs.GetFieldValue("CT", v);
  return static_cast<int>(NumberOf<long>(v));
}

}  // namespace

IMPLEMENT_DYNAMIC(CLumoRecordset, CRecordset)

CLumoRecordset::CLumoRecordset(CDatabase* db) : CRecordset(db) {}

long CLumoRecordset::GetMaxId(CDatabase* db, const CString& table, const CString& field,
                              long defaultValue) {
  CString sql;
  sql.Format("Select max(%s) as _Recordset_Max_ID From %s", field.GetString(), table.GetString());
  CLumoRecordset rs(db);
  rs.Open(CRecordset::forwardOnly, sql, CRecordset::readOnly);
  if (rs.IsEOF()) return defaultValue;
  CDBVariant v;
  rs.GetFieldValue("_Recordset_Max_ID", v);
  if (v.m_dwType == DBVT_SHORT) return v.m_iVal;
  if (v.m_dwType == DBVT_LONG) return v.m_lVal;
  return defaultValue;
}

void CLumoRecordset::fGetFieldValue(const CString& name, CString& value) {
  GetFieldValue(name, value);
}

void CLumoRecordset::fGetFieldValue(short index, CString& value) { GetFieldValue(index, value); }

void CLumoRecordset::fGetFieldValue(short index, int& value) { ReadNumber(*this, index, value); }

void CLumoRecordset::fGetFieldValue(const CString& name, int& value) {
  ReadNumber(*this, name, value);
}

void CLumoRecordset::fGetFieldValue(const CString& name, long& value) {
  ReadNumber(*this, name, value);
}

void CLumoRecordset::fGetFieldValue(const CString& name, short& value) {
  ReadNumber(*this, name, value);
}

void CLumoRecordset::fGetFieldValue(const CString& name, unsigned char& value) {
  ReadNumber(*this, name, value);
}

void CLumoRecordset::fGetFieldValue(const CString& name, float& value) {
  ReadNumber(*this, name, value);
}

void CLumoRecordset::fGetFieldValue(const CString& name, double& value) {
  ReadNumber(*this, name, value);
}

void CLumoRecordset::fGetFieldValue(const CString& name, COleDateTime& value) {
  CDBVariant v;
  GetFieldValue(name, v);
  if (v.m_dwType != DBVT_DATE) {
    value = COleDateTime();
    value.m_status = COleDateTime::null;
    return;
  }
  value.SetDateTime(v.m_pdate->year, v.m_pdate->month, v.m_pdate->day, v.m_pdate->hour,
                    v.m_pdate->minute, v.m_pdate->second);
}

unsigned int CLumoRecordset::fGetFieldValue(const CString& name,
                                            std::vector<unsigned char>& value) {
  CDBVariant v;
  GetFieldValue(name, v);
  value.clear();
  if (v.m_dwType != DBVT_BINARY || v.m_pbinary->m_hData == nullptr) return 0;
  const auto* bytes = static_cast<const unsigned char*>(GlobalLock(v.m_pbinary->m_hData));
  value.assign(bytes, bytes + v.m_pbinary->m_dwDataLength);
  GlobalUnlock(v.m_pbinary->m_hData);
  return static_cast<unsigned int>(value.size());
}

bool CDbOperateTool::CheckTableExistFromDatabase(CDatabase* db, const CString& table) {
  CString sql;
  sql.Format("SELECT * FROM %s", table.GetString());
  return OpensCleanly(db, sql);
}

bool CDbOperateTool::CheckTableStructFromDatabase(CDatabase* db, const CString& table,
                                                  std::vector<CString>& fields) {
  CString sql;
  sql.Format("SELECT * FROM %s", table.GetString());
  short columns = -1;
  if (!OpensCleanly(db, sql, &columns) || columns != static_cast<short>(fields.size())) {
    return false;
  }
  CString select = "SELECT ";
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) select += ", ";
    select += fields[i];
  }
  select += " FROM " + table;
  return OpensCleanly(db, select);
}

int CDbOperateTool::GetRecordCount(CDatabase* db, const CString& table, const CString& field,
                                   const CString& value) {
  return CountOf(db, "SELECT COUNT(" + field + ") AS CT FROM " + table + " WHERE " + field + "='" +
                         value + "'");
}

int CDbOperateTool::GetRecordCount(CDatabase* db, const CString& table, const CString& field,
                                   long value) {
  CString number;
  number.Format("%d", static_cast<int>(value));
  return CountOf(
      db, "SELECT COUNT(" + field + ") AS CT FROM " + table + " WHERE " + field + "=" + number);
}
