// The framework's ODBC classes over the system's ODBC driver manager: connections (CDatabase),
// result sets read and written record by record (CRecordset with CFieldExchange and the RFX
// functions), field values (CDBVariant, CLongBinary) and the database exception (CDBException).
//
// Connect texts take the forms "ODBC;DSN=..." and "Driver=...;..." (the "ODBC;" prefix is
// optional). The embedded engine is SQLite (driver SQLite3), the server engine PostgreSQL.
//
// SQL written for the Access engine is accepted on every engine: each connection learns its engine
// once, when it opens, and from then on rewrites "Delete * From" as "DELETE FROM" and, where the
// engine lacks them, bracketed identifiers ([ID]) as plain or quoted ones. Column names are matched
// without regard to case. Texts travel as the bytes CString holds: every byte 0x01-0xFF of a text
// comes back as it was written. On PostgreSQL the client encoding is LATIN1, in which every byte
// is a character: a UTF8 database stores bytes from 0x80 up as two-byte characters and gives them
// back as the single bytes, and an SQL_ASCII database stores them as they are.
//
// Every failure of the driver or of the engine raises CDBException (thrown as a pointer, released
// with Delete()) carrying the driver's diagnostics. A connection and the recordsets on it are used
// by one thread at a time; distinct connections may be used from different threads.
#ifndef LUMOTOOLS_PLATFORM_ODBC_H_
#define LUMOTOOLS_PLATFORM_ODBC_H_

#include <memory>
#include <vector>

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/exception.h"
#include "lumotools/platform/global_memory.h"
#include "lumotools/platform/object.h"
#include "lumotools/platform/types.h"

using RETCODE = short;

// Return codes of the failures the layer detects itself (driver failures carry the driver's
// code, -1 for an error).
constexpr RETCODE AFX_SQL_ERROR = 1000;
constexpr RETCODE AFX_SQL_ERROR_CONNECT_FAIL = 1002;
constexpr RETCODE AFX_SQL_ERROR_ILLEGAL_MODE = 1007;
constexpr RETCODE AFX_SQL_ERROR_NO_CURRENT_RECORD = 1009;
constexpr RETCODE AFX_SQL_ERROR_NO_ROWS_AFFECTED = 1010;
constexpr RETCODE AFX_SQL_ERROR_RECORDSET_READONLY = 1011;
constexpr RETCODE AFX_SQL_ERROR_FIELD_NOT_FOUND = 1021;

// The recordset's default open type (see CRecordset::m_nDefaultType).
constexpr UINT AFX_DB_USE_DEFAULT_TYPE = 0xFFFFFFFF;

class CDatabase;
class CRecordset;
class CFieldExchange;

class LUMO_PLATFORM_EXPORT CDBException : public CException {
 public:
  CDBException(RETCODE nRetCode, const CString& strError, const CString& strStateNativeOrigin);
  // The error text, then the state line.
  CString GetDescription() const override;

  RETCODE m_nRetCode;
  CString m_strError;              // the driver's or the engine's message(s), one per line
  CString m_strStateNativeOrigin;  // "State:%s,Native:%ld,Origin:%s" of the first diagnostic
};

// Raises a CDBException for a failure found by the layer itself (not reported by a driver).
[[noreturn]] LUMO_PLATFORM_EXPORT void AfxThrowDBException(RETCODE nRetCode, LPCTSTR lpszError);

// A long binary value: a block of global memory and its length. Owns the block: the destructor
// frees it. Whoever replaces m_hData frees the old block first.
class LUMO_PLATFORM_EXPORT CLongBinary : public CObject {
 public:
  CLongBinary() = default;
  ~CLongBinary() override;
  CLongBinary(const CLongBinary&) = delete;
  CLongBinary& operator=(const CLongBinary&) = delete;

  HGLOBAL m_hData = nullptr;
  SIZE_T m_dwDataLength = 0;
};

// A date and time as the driver reports it.
struct CDBTimestamp {
  short year = 0;
  unsigned short month = 0;
  unsigned short day = 0;
  unsigned short hour = 0;
  unsigned short minute = 0;
  unsigned short second = 0;
  unsigned int fraction = 0;  // nanoseconds
};

enum : DWORD {
  DBVT_NULL = 0,
  DBVT_BOOL = 1,
  DBVT_UCHAR = 2,
  DBVT_SHORT = 3,
  DBVT_LONG = 4,
  DBVT_SINGLE = 5,
  DBVT_DOUBLE = 6,
  DBVT_DATE = 7,
  DBVT_STRING = 8,
  DBVT_BINARY = 9,
  DBVT_ASTRING = 10,
  DBVT_WSTRING = 11,
};

// A field value: a type tag and a union. The date, text and binary members point to objects the
// variant owns; Clear (and the destructor) frees them and sets the tag to DBVT_NULL.
class LUMO_PLATFORM_EXPORT CDBVariant {
 public:
  CDBVariant() = default;
  ~CDBVariant() { Clear(); }
  CDBVariant(const CDBVariant&) = delete;
  CDBVariant& operator=(const CDBVariant&) = delete;

  void Clear();

  DWORD m_dwType = DBVT_NULL;
  union {
    BOOL m_boolVal;
    unsigned char m_chVal;
    short m_iVal;
    long m_lVal;
    float m_fltVal;
    double m_dblVal;
    CDBTimestamp* m_pdate;
    CString* m_pstring;
    CLongBinary* m_pbinary;
  };
};

// A connection to a database.
class LUMO_PLATFORM_EXPORT CDatabase : public CObject {
  DECLARE_DYNAMIC(CDatabase)

 public:
  enum { openExclusive = 0x01, openReadOnly = 0x02, useCursorLib = 0x04, noOdbcDialog = 0x08 };

  CDatabase();
  // Closes the connection (and every recordset still open on it).
  ~CDatabase() override;
  CDatabase(const CDatabase&) = delete;
  CDatabase& operator=(const CDatabase&) = delete;

  // Connects to the data source lpszDSN (may be null or empty) with the further connect text
  // lpszConnect. Returns TRUE; raises CDBException when the connection fails.
  // REQUIRES: not open.
  virtual BOOL Open(LPCTSTR lpszDSN, BOOL bExclusive = FALSE, BOOL bReadonly = FALSE,
                    LPCTSTR lpszConnect = "ODBC;", BOOL bUseCursorLib = TRUE);
  // Connects with a whole connect text. Returns TRUE; raises CDBException on failure.
  virtual BOOL OpenEx(LPCTSTR lpszConnectString, DWORD dwOptions = 0);
  // Closes the recordsets still open on the connection, then the connection. Harmless when
  // closed.
  virtual void Close();
  BOOL IsOpen() const;
  // FALSE when the connection is known to be lost (a call failed because a server went away, or
  // the driver says so); TRUE otherwise. A connection that has not been used since its server
  // went away still counts as alive.
  BOOL IsConnectionAlive() const;
  // The connect text the driver completed, prefixed with "ODBC;".
  const CString& GetConnect() const;
  // The engine's name as the driver reports it ("SQLite", "PostgreSQL"), empty when closed.
  CString GetEngineName() const;

  // Runs a statement directly (after the connection's rewriting of Access SQL). A statement that
  // changes no record is not an error. Raises CDBException on failure.
  void ExecuteSQL(LPCTSTR lpszSQL);
  // Runs an INSERT or UPDATE statement as ExecuteSQL does and returns, for every record it wrote,
  // the condition that selects that record in the statement's table by the engine's row identity
  // ("rowid = 7" on SQLite, "ctid = '(0,3)'" on PostgreSQL), in the order the engine reports them.
  // The identities are those the records have once the statement is done. Raises CDBException on
  // failure, and before sending anything when the engine has no row identity.
  std::vector<CString> ExecuteSQLForWrittenRows(LPCTSTR lpszSQL);
  // The number of records the last ExecuteSQL changed (-1 when the driver cannot tell).
  long GetLastRowCount() const;
  // The statement text the connection sends for lpszSQL on its engine.
  CString TranslateSQL(LPCTSTR lpszSQL) const;

  // FALSE when the connection was opened read-only (openReadOnly, or Open's bReadonly) or the
  // driver reports it so. Recordsets on it are not updatable; statements run by ExecuteSQL are
  // refused only where the driver enforces the access mode itself.
  BOOL CanUpdate() const;
  BOOL CanTransact() const;
  // Transactions: BeginTrans stops committing each statement on its own; CommitTrans and Rollback
  // end the transaction and resume it. Raise CDBException when the driver refuses.
  BOOL BeginTrans();
  BOOL CommitTrans();
  BOOL Rollback();
  // Seconds to wait for a login (before Open) and for each statement; 0 waits without limit.
  void SetLoginTimeout(DWORD dwSeconds);
  void SetQueryTimeout(DWORD dwSeconds);

  struct Impl;
  // The connection's private state; not for use outside the platform layer.
  Impl* GetImpl() const { return m_impl.get(); }

 private:
  std::unique_ptr<Impl> m_impl;
};

// Field exchange: the RFX functions, called by a recordset's DoFieldExchange, tell the recordset
// which columns its members stand for. Output columns are matched by name, without regard to case
// and brackets; a name the result set lacks binds by position instead.
class LUMO_PLATFORM_EXPORT CFieldExchange {
 public:
  enum FieldType { noFieldType = -1, outputColumn = 0, param = 1 };
  enum RFX_Operation { BindFieldToColumn = 0 };

  // Makes the following RFX calls describe fields of the given type; only output columns are
  // exchanged.
  void SetFieldType(UINT nFieldType) { m_nFieldType = nFieldType; }

  UINT m_nOperation = BindFieldToColumn;
  CRecordset* m_prs = nullptr;
  UINT m_nFieldType = noFieldType;

  struct Fields;
  Fields* m_pFields = nullptr;  // where the RFX functions record their fields
};

LUMO_PLATFORM_EXPORT void RFX_Long(CFieldExchange* pFX, LPCTSTR szName, long& value);
LUMO_PLATFORM_EXPORT void RFX_Int(CFieldExchange* pFX, LPCTSTR szName, int& value);
LUMO_PLATFORM_EXPORT void RFX_Double(CFieldExchange* pFX, LPCTSTR szName, double& value);
LUMO_PLATFORM_EXPORT void RFX_Text(CFieldExchange* pFX, LPCTSTR szName, CString& value);
LUMO_PLATFORM_EXPORT void RFX_LongBinary(CFieldExchange* pFX, LPCTSTR szName, CLongBinary& value);

// A result set on a connection, read record by record, optionally with bound field members
// (m_nFields of them, described by DoFieldExchange) that can be edited and written back.
//
// Updatable recordsets (any open type but forwardOnly, without readOnly, on a SELECT from one
// table) write back through the engine's row identity, so an update changes exactly the record
// the recordset stands on.
class LUMO_PLATFORM_EXPORT CRecordset : public CObject {
  DECLARE_DYNAMIC(CRecordset)

 public:
  enum OpenType { dynaset = 0, snapshot = 1, forwardOnly = 2, dynamic = 3 };
  enum OpenOptions { none = 0, appendOnly = 0x1, readOnly = 0x4 };
  static constexpr short DEFAULT_FIELD_TYPE = 0;

  // pDatabase may be null: Open then opens a connection of its own with GetDefaultConnect().
  explicit CRecordset(CDatabase* pDatabase = nullptr);
  ~CRecordset() override;
  CRecordset(const CRecordset&) = delete;
  CRecordset& operator=(const CRecordset&) = delete;

  // Runs lpszSQL (GetDefaultSQL() when null) with m_strFilter added as its WHERE condition, and
  // stands on the first record (IsEOF when there is none). nOpenType AFX_DB_USE_DEFAULT_TYPE means
  // m_nDefaultType. Returns TRUE; raises CDBException on failure, leaving the recordset closed.
  virtual BOOL Open(UINT nOpenType = AFX_DB_USE_DEFAULT_TYPE, LPCTSTR lpszSQL = nullptr,
                    DWORD dwOptions = none);
  // Releases the statement. Harmless when closed.
  virtual void Close();
  BOOL IsOpen() const;
  BOOL IsBOF() const;
  BOOL IsEOF() const;
  // Moves to the next record. REQUIRES: open and not IsEOF().
  void MoveNext();

  // The number of columns of the result.
  short GetODBCFieldCount() const;
  // The name of column nIndex (0-based) as the driver reports it.
  CString GetFieldName(short nIndex) const;
  // The index of the column named lpszName (letter case aside, brackets allowed), or -1. Readers
  // of many records look a name up once and then read by index.
  short GetFieldIndexByName(LPCTSTR lpszName) const;
  // Reads a field of the current record into var with the default type for the column (BIT to
  // DBVT_BOOL, TINYINT to UCHAR, SMALLINT to SHORT, INTEGER to LONG, a BIGINT within 32 bits to
  // LONG, REAL to SINGLE, FLOAT and DOUBLE to DOUBLE, dates and times to DATE, binaries to BINARY,
  // everything else to STRING; NULL to DBVT_NULL). An unknown name raises CDBException.
  void GetFieldValue(LPCTSTR lpszName, CDBVariant& varValue, short nFieldType = DEFAULT_FIELD_TYPE);
  void GetFieldValue(short nIndex, CDBVariant& varValue, short nFieldType = DEFAULT_FIELD_TYPE);
  // The field as text (empty for NULL; binaries as hexadecimal digits).
  void GetFieldValue(LPCTSTR lpszName, CString& strValue);
  void GetFieldValue(short nIndex, CString& strValue);

  BOOL CanUpdate() const;
  BOOL CanAppend() const;
  // Starts changing the current record. REQUIRES: CanUpdate() and a current record.
  virtual void Edit();
  // Starts a new record: the bound fields are set to NULL. REQUIRES: CanAppend().
  virtual void AddNew();
  // Writes the bound fields changed since Edit or AddNew (or marked with SetFieldDirty). Returns
  // FALSE when nothing changed; raises CDBException when the engine refuses or no record changes.
  virtual BOOL Update();
  void CancelUpdate();
  // Marks a bound field (by the address of its member; null for every field) as changed or not,
  // NULL or not.
  void SetFieldDirty(void* pv, BOOL bDirty = TRUE);
  void SetFieldNull(void* pv, BOOL bNull = TRUE);
  BOOL IsFieldNull(void* pv);

  // The condition that selects the current record in its table by the engine's row identity, as
  // that identity stands after the last Update (PostgreSQL gives an updated record a new one);
  // empty when the recordset is not updatable or has no current record.
  CString GetRowCondition() const;
  // The statement text of the last Open, after the filter, the sort and the engine's rewriting.
  CString GetSQL() const;
  // The table of a single-table SELECT, empty otherwise.
  CString GetTableName() const;

  virtual CString GetDefaultConnect();
  virtual CString GetDefaultSQL();
  virtual void DoFieldExchange(CFieldExchange* pFX);

  CDatabase* m_pDatabase;
  UINT m_nFields = 0;
  UINT m_nParams = 0;
  UINT m_nDefaultType = snapshot;
  CString m_strFilter;
  CString m_strSort;

  struct Impl;

 private:
  std::unique_ptr<Impl> m_impl;
};

// Live ODBC statement handles of the process (diagnostics: every one is released by the
// recordset or statement that took it).
LUMO_PLATFORM_EXPORT long LumoOdbcStatementCount();

#endif  // LUMOTOOLS_PLATFORM_ODBC_H_
