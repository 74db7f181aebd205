// Private pieces of the ODBC facility: the process's environment handle, statement handles that
// free themselves, the one translation of driver diagnostics into CDBException, and the engine
// dialects that rewrite Access SQL.
#ifndef LUMOTOOLS_SRC_PLATFORM_ODBC_ODBC_INTERNAL_H_
#define LUMOTOOLS_SRC_PLATFORM_ODBC_ODBC_INTERNAL_H_

#include "lumotools/platform/odbc.h"
#include "lumotools/platform/types.h"

// The driver manager's headers would declare their own Windows types (BOOL, DWORD, ULONG, HWND),
// some with other widths; they are told the platform's are already there, and given the few it
// lacks.
#define ALREADY_HAVE_WINDOWS_TYPE 1
#define FAR
#define CALLBACK
#define SQL_API
using CHAR = char;
using WCHAR = unsigned short;
using UCHAR = unsigned char;
using SCHAR = signed char;
using SQLSCHAR = SCHAR;
using SDWORD = int;
using UDWORD = unsigned int;
using SWORD = short;
using UWORD = unsigned short;
using SLONG = long;
using SSHORT = short;
using USHORT = unsigned short;
using SDOUBLE = double;
using LDOUBLE = double;
using SFLOAT = float;
using PTR = void*;
using SQLHWND = void*;

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

namespace lumo_odbc {

// The process's ODBC environment (ODBC 3), created on first use and kept to the end.
SQLHENV Environment();

// Raises the CDBException for a failed call: ret and the diagnostics of the handle. This is the
// only place that turns driver diagnostics into an exception. When the diagnostics report a lost
// connection (SQLSTATE class 08) and lost is given, *lost becomes true.
[[noreturn]] void ThrowDiagnostics(SQLRETURN ret, SQLSMALLINT handleType, SQLHANDLE handle,
                                   bool* lost = nullptr);

// Raises when ret is an error; returns otherwise.
inline void Check(SQLRETURN ret, SQLSMALLINT handleType, SQLHANDLE handle) {
  if (!SQL_SUCCEEDED(ret) && ret != SQL_NO_DATA) ThrowDiagnostics(ret, handleType, handle);
}

// A statement handle that is freed with its owner; counted in LumoOdbcStatementCount. Failures
// that show the connection lost set *lost (when given).
class Statement {
 public:
  explicit Statement(SQLHDBC dbc, bool* lost = nullptr);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  SQLHSTMT get() const { return m_stmt; }
  // Runs text; raises on failure. Returns SQL_NO_DATA when a searched statement changed nothing.
  SQLRETURN ExecDirect(const std::string& text);
  // Raises when ret is an error.
  void Check(SQLRETURN ret) const {
    if (!SQL_SUCCEEDED(ret) && ret != SQL_NO_DATA) {
      ThrowDiagnostics(ret, SQL_HANDLE_STMT, m_stmt, m_lost);
    }
  }

 private:
  SQLHSTMT m_stmt = SQL_NULL_HSTMT;
  bool* m_lost;
};

// What an engine accepts of the Access SQL dialect, and how its rows are identified.
enum class Engine { kSqlite, kPostgres, kOther };

Engine EngineFromName(const std::string& dbmsName);

// Rewrites Access-only forms for the engine: "Delete * From" becomes "DELETE FROM"; bracketed
// identifiers outside string literals become plain (or double-quoted when not a plain
// identifier) where the engine lacks brackets.
std::string TranslateAccessSql(Engine engine, const std::string& sql);

// The column expression that identifies a row of a table ("rowid", "ctid"); empty when the engine
// has none.
const char* RowKeyExpression(Engine engine);

// The condition that selects the row whose key (the value of RowKeyExpression) is key.
std::string RowKeyCondition(Engine engine, const std::string& key);

// The table of "select ... from <table> [where ...]" when the statement reads one table; empty
// otherwise.
std::string SingleTableOf(const std::string& sql);

}  // namespace lumo_odbc

struct CDatabase::Impl {
  SQLHDBC dbc = SQL_NULL_HDBC;
  bool open = false;
  CString connect;
  CString engineName;
  lumo_odbc::Engine engine = lumo_odbc::Engine::kOther;
  DWORD loginTimeout = 15;
  DWORD queryTimeout = 15;
  long lastRowCount = -1;
  bool readOnly = false;                // opened with openReadOnly
  bool lost = false;                    // a failure showed the connection lost
  std::vector<CRecordset*> recordsets;  // open on this connection

  void Unregister(CRecordset* rs);
  // Runs text on a new statement with the connection's query time-out.
  void ApplyTimeout(SQLHSTMT stmt) const;
};

#endif  // LUMOTOOLS_SRC_PLATFORM_ODBC_ODBC_INTERNAL_H_
