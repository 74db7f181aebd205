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
// change to code. A backslash in a path is read as a separator; a relative path is taken from the
// current directory at the time of the call. Any file name works: the path reaches the driver
// percent-encoded, never cut at a ';' or a brace.
//
// Ownership: the factory owns every connection. Each GetDB(path) is a hold on the path's one
// connection, and each CloseDB(path) releases one hold; the connection is closed and destroyed
// when its last hold is released (or with the factory at exit). So a pointer from GetDB stays
// valid, and its connection open, until its caller's own CloseDB, whatever other callers of the
// same path do.
//
// Thread-safe: the table of connections is locked. A connection, and GetDB of its path (which
// checks the connection and may reopen it), are used by one thread at a time (see CDatabase).
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

  // The open connection to the database at path, with one more hold on it: the same connection
  // for the same path while any hold lasts. A connection that has died (a server went away) is
  // reopened in place, so the pointers handed out before stay valid. Raises CDBException when the
  // database cannot be opened (the hold is then not taken); a missing file is such an error
  // (naming the path), never a new empty database.
  TDatabase* GetDB(const CString& path);
  // Releases one hold on the connection of path; the last release closes and destroys it. After
  // it, the caller uses its pointer no more. Does nothing for a path without a connection.
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

  struct Connection {
    std::unique_ptr<TDatabase> db;
    int holds;  // GetDB calls not yet matched by a CloseDB
  };

  std::mutex m_mutex;
  std::map<CString, Connection> m_databases;  // by absolute path
};

#endif  // HOSTKIT_DB_FACTORY_H_
