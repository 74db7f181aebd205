// CLumoRecordset: a recordset with typed field readers and a largest-identifier query; and
// CDbOperateTool: checks and counts on tables.
//
// Every operation works on a connection the caller has opened; none opens or closes one. Table and
// field names are inserted into the SQL texts as they stand, without quoting. Database exceptions
// (CDBException) pass to the caller except where a contract says they are consumed. Not
// thread-safe: a connection and its recordsets are used by one thread at a time.
#ifndef LUMOTOOLS_DB_LUMO_RECORDSET_H_
#define LUMOTOOLS_DB_LUMO_RECORDSET_H_

#include <vector>

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/odbc.h"
#include "lumotools/platform/time.h"

class LUMO_EXPORT CLumoRecordset : public CRecordset {
  DECLARE_DYNAMIC(CLumoRecordset)

 public:
  explicit CLumoRecordset(CDatabase* db);

  // The largest value of field in table ("Select max(field) as _Recordset_Max_ID From table"), or
  // defaultValue when the table gives no row, a NULL (an empty table) or a value that is neither a
  // short nor a long.
  static long GetMaxId(CDatabase* db, const CString& table, const CString& field,
                       long defaultValue);

  // Read the field `name` of the current record. The text reader takes the field's text form;
  // the others read the field with the column's default type and convert a value of another
  // numeric type as C++ does (a text is read as a number). A NULL field gives 0, the empty text,
  // a null date or no bytes. An unknown field or a missing record raises CDBException.
  // REQUIRES: open, with a current record.
  void fGetFieldValue(const CString& name, CString& value);
  void fGetFieldValue(const CString& name, int& value);
  void fGetFieldValue(const CString& name, long& value);
  void fGetFieldValue(const CString& name, short& value);
  void fGetFieldValue(const CString& name, unsigned char& value);
  void fGetFieldValue(const CString& name, float& value);
  void fGetFieldValue(const CString& name, double& value);
  // Year, month, day, hour, minute and second of a date field (the fraction is dropped).
  void fGetFieldValue(const CString& name, COleDateTime& value);
  // Replaces value with the bytes of a long-binary field; returns their number.
  unsigned int fGetFieldValue(const CString& name, std::vector<unsigned char>& value);

  // The text and integer readers by column index (0-based, as GetFieldIndexByName gives it), for
  // loops over many records that look each name up once. An index out of range or a missing
  // record raises CDBException.
  void fGetFieldValue(short index, CString& value);
  void fGetFieldValue(short index, int& value);
};

// Static checks and counts on the tables of an open connection. Each opens a forward-only,
// read-only recordset, reads what it needs and closes it.
class LUMO_EXPORT CDbOperateTool {
 public:
  CDbOperateTool() = delete;

  // Whether "SELECT * FROM table" opens; the database exception of a failure is consumed.
  static bool CheckTableExistFromDatabase(CDatabase* db, const CString& table);
  // Whether the table has exactly as many columns as fields names, and every name is accepted in
  // a select list (order and letter case are not compared). Database exceptions are consumed.
  static bool CheckTableStructFromDatabase(CDatabase* db, const CString& table,
                                           std::vector<CString>& fields);
  // "SELECT COUNT(field) AS CT FROM table WHERE field='value'": the value is quoted as it stands
  // (a quote inside it makes the statement fail with CDBException). 0 when there is no row.
  static int GetRecordCount(CDatabase* db, const CString& table, const CString& field,
                            const CString& value);
  // The same with the number written by "%d" and not quoted.
  static int GetRecordCount(CDatabase* db, const CString& table, const CString& field, long value);
};

#endif  // LUMOTOOLS_DB_LUMO_RECORDSET_H_
