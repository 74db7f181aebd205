// The ODBC environment, statement handles, and the translation of driver diagnostics into
// CDBException; the exception and value classes.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "odbc_internal.h"

namespace {

std::atomic<long> g_statements{0};

// Splits the vendor prefixes ("[unixODBC][SQLite]") off the front of a driver message.
void SplitOrigin(const std::string& message, std::string& origin, std::string& text) {
  size_t pos = 0;
  while (pos < message.size() && message[pos] == '[') {
    const size_t close = message.find(']', pos);
    if (close == std::string::npos) break;
    pos = close + 1;
  }
  origin = message.substr(0, pos);
  text = message.substr(pos);
  while (!text.empty() && (text.back() == '\n' || text.back() == ';' || text.back() == ' ')) {
    text.pop_back();
  }
}

// Connection exceptions (class 08) and the server's operator intervention (57P01 shutdown, 57P02
// crash, 57P03 cannot connect now) end a connection.
bool ShowsConnectionLost(const char* state) {
  return std::strncmp(state, "08", 2) == 0 || std::strncmp(state, "57P0", 4) == 0;
}

}  // namespace

namespace lumo_odbc {

SQLHENV Environment() {
  // Never freed: connections may still be closed by objects destroyed at process exit.
  static SQLHENV env = [] {
    SQLHENV handle = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle))) {
      AfxThrowDBException(AFX_SQL_ERROR, "the ODBC driver manager cannot be initialised");
    }
    SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return handle;
  }();
  return env;
}

void ThrowDiagnostics(SQLRETURN ret, SQLSMALLINT handleType, SQLHANDLE handle, bool* lost) {
  CString errors;
  CString stateLine;
  std::vector<std::string> messages;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {0};
    SQLINTEGER native = 0;
    SQLCHAR message[SQL_MAX_MESSAGE_LENGTH] = {0};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(handleType, handle, record, state, &native, message,
                                     sizeof message, &length))) {
      break;
    }
    std::string origin, text;
    SplitOrigin(reinterpret_cast<const char*>(message), origin, text);
    // Drivers repeat a message on several records; each is kept once.
    if (std::find(messages.begin(), messages.end(), text) == messages.end()) {
      if (!messages.empty()) errors += '\n';
      errors += text.c_str();
      messages.push_back(text);
    }
    if (record == 1) {
      if (lost != nullptr && ShowsConnectionLost(reinterpret_cast<const char*>(state))) {
        *lost = true;
      }
      stateLine.Format("State:%s,Native:%ld,Origin:%s", reinterpret_cast<const char*>(state),
                       static_cast<long>(native), origin.c_str());
    }
  }
  if (errors.IsEmpty()) {
    errors.Format("the ODBC call failed with return code %d and no diagnostics",
                  static_cast<int>(ret));
  }
  throw new CDBException(static_cast<RETCODE>(ret), errors, stateLine);
}

Statement::Statement(SQLHDBC dbc, bool* lost) : m_lost(lost) {
  const SQLRETURN ret = SQLAllocHandle(SQL_HANDLE_STMT, dbc, &m_stmt);
  if (!SQL_SUCCEEDED(ret)) ThrowDiagnostics(ret, SQL_HANDLE_DBC, dbc);
  g_statements.fetch_add(1);
}

Statement::~Statement() {
  SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
  g_statements.fetch_sub(1);
}

SQLRETURN Statement::ExecDirect(const std::string& text) {
  const SQLRETURN ret =
      SQLExecDirect(m_stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())), SQL_NTS);
  Check(ret);
  return ret;
}

}  // namespace lumo_odbc

long LumoOdbcStatementCount() { return g_statements.load(); }

CDBException::CDBException(RETCODE nRetCode, const CString& strError,
                           const CString& strStateNativeOrigin)
    : m_nRetCode(nRetCode), m_strError(strError), m_strStateNativeOrigin(strStateNativeOrigin) {}

CString CDBException::GetDescription() const {
  if (m_strStateNativeOrigin.IsEmpty()) return m_strError;
  return m_strError + " (" + m_strStateNativeOrigin + ")";
}

void AfxThrowDBException(RETCODE nRetCode, LPCTSTR lpszError) {
  throw new CDBException(nRetCode, lpszError, "State:HY000,Native:0,Origin:[LumoTools]");
}

CLongBinary::~CLongBinary() {
  if (m_hData != nullptr) GlobalFree(m_hData);
}

void CDBVariant::Clear() {
  switch (m_dwType) {
    case DBVT_DATE:
      delete m_pdate;
      break;
    case DBVT_STRING:
    case DBVT_ASTRING:
    case DBVT_WSTRING:
      delete m_pstring;
      break;
    case DBVT_BINARY:
      delete m_pbinary;
      break;
    default:
      break;
  }
  m_dwType = DBVT_NULL;
}
