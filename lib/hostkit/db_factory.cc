#include "hostkit/db_factory.h"

#include <cctype>
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

// The connections are kept by absolute path, so that one stays with its file when the current
// directory changes. The driver is still given the path as the caller wrote it: it takes only
// about 500 characters, and a relative path is shorter.
CString AbsoluteKey(const CString& path) {
  const std::string p = NormalisePath(path);
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(p, error);
  return CString((error ? p : absolute.lexically_normal().string()).c_str());
}

// The SQLite driver reads its Database value up to the next ';' and takes braces literally, but
// opens a file: URI, whose percent escapes carry any byte of a path intact. mode=rw opens only an
// existing file; mode=rwc creates it.
std::string SqliteConnectText(const std::string& file, const char* mode) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string uri = "file:";
  for (const char c : file) {
    const auto b = static_cast<unsigned char>(c);
    if (std::isalnum(b) || std::strchr("/-._~", c) != nullptr) {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[b >> 4];
      uri += kHex[b & 0xF];
    }
  }
  return "ODBC;Driver=SQLite3;Database=" + uri + "?mode=" + mode + ";";
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
  return CString(SqliteConnectText(file, "rw").c_str());
}

template <class TDatabase>
TDatabase* CDbFactoryT<TDatabase>::GetDB(const CString& path) {
  const CString key = AbsoluteKey(path);
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_databases.find(key);
  if (found == m_databases.end()) {
    auto db = std::make_unique<TDatabase>();
    db->OpenEx(ConnectTextFor(path), TDatabase::noOdbcDialog);
    found = m_databases.emplace(key, Connection{std::move(db), 0}).first;
  } else if (!found->second.db->IsOpen() || !found->second.db->IsConnectionAlive()) {
    // Reopened in place: every holder's pointer stays valid and works again.
    found->second.db->Close();
    found->second.db->OpenEx(ConnectTextFor(key), TDatabase::noOdbcDialog);
  }
  ++found->second.holds;
  return found->second.db.get();
}

template <class TDatabase>
void CDbFactoryT<TDatabase>::CloseDB(const CString& path) {
  std::unique_ptr<TDatabase> closing;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_databases.find(AbsoluteKey(path));
    if (found == m_databases.end() || --found->second.holds > 0) return;
    closing = std::move(found->second.db);
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
  db.OpenEx(CString(SqliteConnectText(file, "rwc").c_str()), TDatabase::noOdbcDialog);
  // SQLite writes the file's header with its first change.
  db.ExecuteSQL("PRAGMA user_version = 1");
  db.Close();
  return true;
}

template class CDbFactoryT<CDatabase>;
