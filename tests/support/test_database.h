// Temporary databases on every supported engine, for tests that run once per engine.
//
// SQLite: a file in a scratch directory. PostgreSQL: a private throwaway server (initdb in a
// scratch directory, postgres on a free loopback port) started on first use by a test program and
// stopped when the program ends, with a fresh database per TestDatabase. When the tests run as
// root, initdb and the server run as the unprivileged `postgres` account (or `nobody`) through
// runuser, since PostgreSQL refuses to run as root. Databases are created with the encoding UTF8,
// as users' servers have them, unless a test asks for another (SQL_ASCII).
//
// The ODBC drivers are made known to the driver manager without any system configuration: an
// odbcinst.ini naming the driver libraries found at build time is written to a scratch directory
// and ODBCSYSINI points at it.
#ifndef LUMOTOOLS_TESTS_SUPPORT_TEST_DATABASE_H_
#define LUMOTOOLS_TESTS_SUPPORT_TEST_DATABASE_H_

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lumotools/platform/odbc.h"
#include "support/scratch_dir.h"

namespace lumo_test {

enum class DbEngine { kSqlite, kPostgres };

// Every engine, for INSTANTIATE_TEST_SUITE_P(..., ::testing::ValuesIn(AllEngines()),
// EngineParamName).
std::vector<DbEngine> AllEngines();
std::string EngineParamName(const ::testing::TestParamInfo<DbEngine>& info);

// Writes the private odbcinst.ini and points the driver manager at it. Idempotent.
void RegisterOdbcDrivers();

// The connect text of an SQLite file through the registered driver.
std::string SqliteConnectText(const std::string& file);

// A private PostgreSQL server in a scratch directory; stopped and removed with the object.
class PgServer {
 public:
  PgServer();  // initdb and start; fails the calling test (and throws) when that fails
  ~PgServer();
  PgServer(const PgServer&) = delete;
  PgServer& operator=(const PgServer&) = delete;

  // The server shared by the test program, started on first use, stopped at exit.
  static PgServer& Shared();

  // Starts the server (again), on its earlier port when that is still free.
  void Start();
  // Stops the server at once, cutting every connection.
  void Stop();

  std::string ConnectText(const std::string& database) const;
  // Creates (or drops, cutting its connections) a database on the server.
  void CreateDatabase(const std::string& name, const std::string& encoding = "UTF8");
  void DropDatabase(const std::string& name);

 private:
  void Run(const std::string& command) const;

  ScratchDir dir_;
  std::string runAs_;  // command prefix that runs a program as the server's account
  int port_ = 0;
  bool running_ = false;
};

// A fresh, empty database on one engine, removed with the object.
class TestDatabase {
 public:
  // encoding: that of a PostgreSQL database; SQLite files ignore it.
  explicit TestDatabase(DbEngine engine, const std::string& encoding = "UTF8");
  // A database on a server of the caller's (the fault tests stop it).
  TestDatabase(PgServer& server);
  ~TestDatabase();
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;

  DbEngine engine() const { return engine_; }
  const std::string& connectText() const { return connect_; }
  // The SQLite file; empty on PostgreSQL.
  const std::string& file() const { return file_; }

  // A new connection to the database.
  std::unique_ptr<CDatabase> Connect() const;
  // Runs statements on a connection of its own.
  void Execute(const std::vector<std::string>& statements) const;

  // Column definitions that differ by engine: an automatically numbered integer key named ID, and
  // a long-binary type.
  std::string AutoNumberId() const;
  std::string LongBinaryType() const;

 private:
  void OnServer(PgServer& server, const std::string& encoding);

  DbEngine engine_;
  PgServer* server_ = nullptr;
  std::string database_;
  std::string file_;
  std::string connect_;
  std::unique_ptr<ScratchDir> dir_;
};

// The description of a thrown CDBException, released; fails the test when something else or
// nothing is thrown.
template <class F>
std::string DbErrorOf(F&& f) {
  try {
    f();
  } catch (CDBException* e) {
    std::string text = e->m_strError.str();
    e->Delete();
    return text;
  }
  ADD_FAILURE() << "no CDBException was raised";
  return std::string();
}

}  // namespace lumo_test

#endif  // LUMOTOOLS_TESTS_SUPPORT_TEST_DATABASE_H_
