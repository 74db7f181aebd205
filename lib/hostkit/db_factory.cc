#include "hostkit/db_factory.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string NormalisePath(const CString& path) {
  std::string p = path.str();
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  return p;
}

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// The connect text of a link file; empty for an SQLite file (or an empty one, which SQLite takes
// for an empty database). Raises for any other file.
std::string LinkTarget(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  char header[16] = {0};
  in.read(header, sizeof header);
  if (in.gcount() == 0 || std::memcmp(header, "SQLite format 3", 16) == 0) return std::string();
  in.clear();
  in.seekg(0);
  std::string line;
  for (int lines = 0; lines < 64 && std::getline(in, line); ++lines) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
      line.pop_back();
    }
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    line.erase(0, start);
    if (StartsWith(line, "ODBC;")) return line;
    break;
  }
  AfxThrowDBException(
      AFX_SQL_ERROR_CONNECT_FAIL,
      CString(("neither an SQLite database nor a link file (a connect text starting with "
               "\"ODBC;\"): " +
               file)
                  .c_str()));
}

}  // namespace

template <class TDatabase>
CDbFactoryT<TDatabase>& CDbFactoryT<TDatabase>::instance() {
  static CDbFactoryT factory;
  return factory;
}

template <class TDatabase>
CDbFactoryT<TDatabase>::CDbFactoryT() = default;

template <class TDatabase>
CDbFactoryT<TDatabase>::~CDbFactoryT() = default;

template <class TDatabase>
CString CDbFactoryT<TDatabase>::ConnectTextFor(const CString& path) {
  const std::string file = NormalisePath(path);
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    AfxThrowDBException(AFX_SQL_ERROR_CONNECT_FAIL,
                        CString(("the database file does not exist: " + file).c_str()));
  }
  const std::string link = LinkTarget(file);
  if (!link.empty()) return CString(link.c_str());
  return CString(("ODBC;Driver=SQLite3;Database=" + file + ";NoCreat=1;").c_str());
}

template <class TDatabase>
TDatabase* CDbFactoryT<TDatabase>::GetDB(const CString& path) {
  const CString key(NormalisePath(path).c_str());
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_databases.find(key);
  if (found != m_databases.end()) {
    if (found->second->IsOpen() && found->second->IsConnectionAlive()) return found->second.get();
    m_databases.erase(found);
  }
  auto db = std::make_unique<TDatabase>();
  db->OpenEx(ConnectTextFor(key), TDatabase::noOdbcDialog);
  TDatabase* result = db.get();
  m_databases.emplace(key, std::move(db));
  return result;
}

template <class TDatabase>
void CDbFactoryT<TDatabase>::CloseDB(const CString& path) {
  std::unique_ptr<TDatabase> closing;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_databases.find(CString(NormalisePath(path).c_str()));
    if (found == m_databases.end()) return;
    closing = std::move(found->second);
    m_databases.erase(found);
  }
  closing->Close();
}

template <class TDatabase>
bool CDbFactoryT<TDatabase>::CreateDB(const CString& path) {
  const std::string file = NormalisePath(path);
  std::error_code error;
  if (std::filesystem::exists(file, error)) return false;
  TDatabase db;
  db.OpenEx(CString(("ODBC;Driver=SQLite3;Database=" + file + ";").c_str()),
            TDatabase::noOdbcDialog);
  // SQLite writes the file's header with its first change.
  db.ExecuteSQL("PRAGMA user_version = 1");
  db.Close();
  return true;
}

template class CDbFactoryT<CDatabase>;
