// CDatabase over an ODBC connection handle.
#include <algorithm>
#include <cctype>

#include "odbc_internal.h"

namespace {

std::string StripOdbcPrefix(const char* text) {
  std::string s = text == nullptr ? "" : text;
  if (s.size() >= 5 && std::equal(s.begin(), s.begin() + 5, "ODBC;", [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == b;
      })) {
    s.erase(0, 5);
  }
  return s;
}

void RequireOpen(const CDatabase::Impl& impl) {
  if (!impl.open) AfxThrowDBException(AFX_SQL_ERROR_ILLEGAL_MODE, "the database is not open");
}

}  // namespace

void CDatabase::Impl::Unregister(CRecordset* rs) {
  recordsets.erase(std::remove(recordsets.begin(), recordsets.end(), rs), recordsets.end());
}

void CDatabase::Impl::ApplyTimeout(SQLHSTMT stmt) const {
  if (queryTimeout != 0) {
    SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(queryTimeout)), 0);
  }
}

IMPLEMENT_DYNAMIC(CDatabase, CObject)

CDatabase::CDatabase() : m_impl(new Impl) {}

CDatabase::~CDatabase() { Close(); }

BOOL CDatabase::Open(LPCTSTR lpszDSN, BOOL bExclusive, BOOL bReadonly, LPCTSTR lpszConnect,
                     BOOL bUseCursorLib) {
  std::string text = StripOdbcPrefix(lpszConnect);
  if (lpszDSN != nullptr && *lpszDSN != '\0') {
    text = "DSN=" + std::string(lpszDSN) + (text.empty() ? "" : ";" + text);
  }
  DWORD options = noOdbcDialog;
  if (bExclusive) options |= openExclusive;
  if (bReadonly) options |= openReadOnly;
  if (bUseCursorLib) options |= useCursorLib;
  return OpenEx(text.c_str(), options);
}

BOOL CDatabase::OpenEx(LPCTSTR lpszConnectString, DWORD dwOptions) {
  if (m_impl->open) {
    AfxThrowDBException(AFX_SQL_ERROR_ILLEGAL_MODE, "the database is already open");
  }
  SQLHDBC dbc = SQL_NULL_HDBC;
  const SQLHENV env = lumo_odbc::Environment();
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
    lumo_odbc::ThrowDiagnostics(SQL_ERROR, SQL_HANDLE_ENV, env);
  }
  SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(m_impl->loginTimeout)), 0);
  if (dwOptions & openReadOnly) {
    SQLSetConnectAttr(dbc, SQL_ATTR_ACCESS_MODE, reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY),
                      0);
  }
  const std::string text = StripOdbcPrefix(lpszConnectString);
  SQLCHAR completed[1024] = {0};
  SQLSMALLINT completedLength = 0;
  const SQLRETURN ret =
      SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())),
                       SQL_NTS, completed, sizeof completed, &completedLength, SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(ret)) {
    try {
      lumo_odbc::ThrowDiagnostics(ret, SQL_HANDLE_DBC, dbc);
    } catch (...) {
      SQLFreeHandle(SQL_HANDLE_DBC, dbc);
      throw;
    }
  }
  SQLCHAR name[128] = {0};
  SQLGetInfo(dbc, SQL_DBMS_NAME, name, sizeof name, nullptr);
  m_impl->dbc = dbc;
  m_impl->open = true;
  m_impl->readOnly = (dwOptions & openReadOnly) != 0;
  m_impl->connect = CString("ODBC;") + reinterpret_cast<const char*>(completed);
  m_impl->engineName = reinterpret_cast<const char*>(name);
  m_impl->engine = lumo_odbc::EngineFromName(reinterpret_cast<const char*>(name));
  if (m_impl->engine == lumo_odbc::Engine::kPostgres) {
    // Every byte is a LATIN1 character, so any text of the strings' bytes reaches a UTF8 database
    // and comes back unchanged; an SQL_ASCII database converts nothing.
    try {
      lumo_odbc::Statement(dbc).ExecDirect("SET client_encoding TO 'LATIN1'");
    } catch (...) {
      Close();
      throw;
    }
  }
  return TRUE;
}

void CDatabase::Close() {
  if (!m_impl->open) return;
  // Recordsets unregister themselves as they close.
  while (!m_impl->recordsets.empty()) m_impl->recordsets.back()->Close();
  SQLDisconnect(m_impl->dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, m_impl->dbc);
  m_impl->dbc = SQL_NULL_HDBC;
  m_impl->open = false;
  m_impl->engineName.Empty();
  m_impl->lost = false;
}

BOOL CDatabase::IsOpen() const { return m_impl->open ? TRUE : FALSE; }

BOOL CDatabase::IsConnectionAlive() const {
  if (!m_impl->open || m_impl->lost) return FALSE;
  SQLUINTEGER dead = SQL_CD_FALSE;
  const SQLRETURN ret =
      SQLGetConnectAttr(m_impl->dbc, SQL_ATTR_CONNECTION_DEAD, &dead, sizeof dead, nullptr);
  return SQL_SUCCEEDED(ret) && dead == SQL_CD_TRUE ? FALSE : TRUE;
}

const CString& CDatabase::GetConnect() const { return m_impl->connect; }

CString CDatabase::GetEngineName() const { return m_impl->engineName; }

CString CDatabase::TranslateSQL(LPCTSTR lpszSQL) const {
  return CString(lumo_odbc::TranslateAccessSql(m_impl->engine, lpszSQL == nullptr ? "" : lpszSQL));
}

void CDatabase::ExecuteSQL(LPCTSTR lpszSQL) {
  RequireOpen(*m_impl);
  lumo_odbc::Statement stmt(m_impl->dbc, &m_impl->lost);
  m_impl->ApplyTimeout(stmt.get());
  const SQLRETURN ret = stmt.ExecDirect(lumo_odbc::TranslateAccessSql(m_impl->engine, lpszSQL));
  SQLLEN rows = -1;
  if (ret != SQL_NO_DATA) SQLRowCount(stmt.get(), &rows);
  m_impl->lastRowCount = ret == SQL_NO_DATA ? 0 : static_cast<long>(rows);
}

std::vector<CString> CDatabase::ExecuteSQLForWrittenRows(LPCTSTR lpszSQL) {
  RequireOpen(*m_impl);
  const char* key = lumo_odbc::RowKeyExpression(m_impl->engine);
  if (*key == '\0') {
    AfxThrowDBException(AFX_SQL_ERROR, "the engine cannot identify the records a statement wrote");
  }
  std::string text = lumo_odbc::TranslateAccessSql(m_impl->engine, lpszSQL) + " RETURNING " + key;
  // The SQLite driver returns rows only from a statement that starts as a query does.
  if (m_impl->engine == lumo_odbc::Engine::kSqlite) {
    text = "WITH lumo_written AS (SELECT 1) " + text;
  }
  lumo_odbc::Statement stmt(m_impl->dbc, &m_impl->lost);
  m_impl->ApplyTimeout(stmt.get());
  std::vector<CString> rows;
  SQLSMALLINT columns = 0;
  if (stmt.ExecDirect(text) == SQL_NO_DATA ||
      !SQL_SUCCEEDED(SQLNumResultCols(stmt.get(), &columns)) || columns == 0) {
    m_impl->lastRowCount = 0;
    return rows;
  }
  for (SQLRETURN ret = SQLFetch(stmt.get()); ret != SQL_NO_DATA; ret = SQLFetch(stmt.get())) {
    stmt.Check(ret);
    char value[64] = {0};
    SQLLEN indicator = 0;
    stmt.Check(SQLGetData(stmt.get(), 1, SQL_C_CHAR, value, sizeof value, &indicator));
    rows.emplace_back(lumo_odbc::RowKeyCondition(m_impl->engine, value).c_str());
  }
  m_impl->lastRowCount = static_cast<long>(rows.size());
  return rows;
}

long CDatabase::GetLastRowCount() const { return m_impl->lastRowCount; }

BOOL CDatabase::CanUpdate() const {
  // Drivers may ignore the access mode asked for at the open; the connection remembers it.
  if (!m_impl->open || m_impl->readOnly) return FALSE;
  SQLUINTEGER mode = SQL_MODE_READ_WRITE;
  SQLGetConnectAttr(m_impl->dbc, SQL_ATTR_ACCESS_MODE, &mode, 0, nullptr);
  return mode == SQL_MODE_READ_ONLY ? FALSE : TRUE;
}

BOOL CDatabase::CanTransact() const {
  if (!m_impl->open) return FALSE;
  SQLUSMALLINT capable = SQL_TC_NONE;
  SQLGetInfo(m_impl->dbc, SQL_TXN_CAPABLE, &capable, sizeof capable, nullptr);
  return capable == SQL_TC_NONE ? FALSE : TRUE;
}

BOOL CDatabase::BeginTrans() {
  RequireOpen(*m_impl);
  lumo_odbc::Check(SQLSetConnectAttr(m_impl->dbc, SQL_ATTR_AUTOCOMMIT,
                                     reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
                   SQL_HANDLE_DBC, m_impl->dbc);
  return TRUE;
}

namespace {

BOOL EndTransaction(CDatabase& db, CDatabase::Impl& impl, SQLSMALLINT completion) {
  RequireOpen(impl);
  // A driver may answer success on a lost connection, whose transaction the server dropped.
  if (!db.IsConnectionAlive()) {
    AfxThrowDBException(AFX_SQL_ERROR_CONNECT_FAIL,
                        "the connection is lost; its transaction did not complete");
  }
  const SQLRETURN ret = SQLEndTran(SQL_HANDLE_DBC, impl.dbc, completion);
  // Committing each statement resumes even when the end of the transaction failed.
  SQLSetConnectAttr(impl.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                    0);
  if (!SQL_SUCCEEDED(ret)) lumo_odbc::ThrowDiagnostics(ret, SQL_HANDLE_DBC, impl.dbc, &impl.lost);
  return TRUE;
}

}  // namespace

BOOL CDatabase::CommitTrans() { return EndTransaction(*this, *m_impl, SQL_COMMIT); }

BOOL CDatabase::Rollback() { return EndTransaction(*this, *m_impl, SQL_ROLLBACK); }

void CDatabase::SetLoginTimeout(DWORD dwSeconds) { m_impl->loginTimeout = dwSeconds; }

void CDatabase::SetQueryTimeout(DWORD dwSeconds) { m_impl->queryTimeout = dwSeconds; }
