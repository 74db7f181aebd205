// CDbFactoryT: the process's database connections, one per database path, opened on first use.
//
// A path names either an SQLite database file, opened through the SQLite3 ODBC driver, or a link
// file that points at a database elsewhere (a server). A link file is a text file whose first line
// that is neither blank nor a comment (starting with '#') is a connect text beginning with
// "ODBC;", for example
//
//   # the configuration database on the office server
//   ODBC;Driver=PostgreSQL ANSI;Server=db.example;Port=5432;Database=lumo;Uid=lumo;Pwd=secret
//
// so a deployment moves a database to a server by replacing the file with a link, without any
// change to code. A backslash in a path is read as a separator.
//
// Thread-safe: the table of connections is locked; each connection is used by one thread at a
// time (see CDatabase).
#ifndef HOSTKIT_DB_FACTORY_H_
#define HOSTKIT_DB_FACTORY_H_

#include <map>
#include <memory>
#include <mutex>

#include "lumotools/platform/cstring.h"
#include "lumotools/platform/odbc.h"

#if defined(_WIN32)
#if defined(HOSTKIT_BUILDING)
#define HOSTKIT_EXPORT __declspec(dllexport)
#else
#define HOSTKIT_EXPORT __declspec(dllimport)
#endif
#else
#define HOSTKIT_EXPORT __attribute__((visibility("default")))
#endif

template <class TDatabase>
class HOSTKIT_EXPORT CDbFactoryT {
 public:
  // The process-wide factory, created on first use (safely when several threads ask at once) and
  // destroyed, closing its connections, at exit.
  static CDbFactoryT& instance();

  // An open connection to the database at path, owned by the factory: the same one for the same
  // path until CloseDB(path). A cached connection that has died (a server went away) is replaced
  // by a new one. Raises CDBException when the database cannot be opened; a missing file is such
  // an error (naming the path), never a new empty database.
  TDatabase* GetDB(const CString& path);
  // Closes and forgets the connection of path; the pointer GetDB gave is invalid afterwards.
  // Does nothing for a path without a connection.
  void CloseDB(const CString& path);

  // Creates an empty SQLite database file at path. Returns false, changing nothing, when the path
  // already names a file; raises CDBException when the file cannot be created.
  bool CreateDB(const CString& path);

  // The connect text GetDB uses for path (reading the link file when path is one). Raises
  // CDBException for a missing file or a link without a connect text.
  static CString ConnectTextFor(const CString& path);

  CDbFactoryT(const CDbFactoryT&) = delete;
  CDbFactoryT& operator=(const CDbFactoryT&) = delete;
  ~CDbFactoryT();

 private:
  CDbFactoryT();

  std::mutex m_mutex;
  std::map<CString, std::unique_ptr<TDatabase>> m_databases;  // by normalised path
};

#endif  // HOSTKIT_DB_FACTORY_H_
