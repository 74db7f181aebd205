#include "support/test_database.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>

namespace lumo_test {
namespace {

// A loopback port nobody listens on at the moment of asking.
int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  int port = 0;
  if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  if (fd >= 0) close(fd);
  if (port == 0) throw std::runtime_error("no free loopback port");
  return port;
}

// The account that runs the server: the current one, unless that is root.
std::string ServerAccount() {
  if (geteuid() != 0) return std::string();
  for (const char* name : {"postgres", "nobody"}) {
    if (getpwnam(name) != nullptr) return name;
  }
  throw std::runtime_error("running as root, and no unprivileged account to run PostgreSQL");
}

std::atomic<int> g_databaseCounter{0};

void ExecuteOn(const std::string& connectText, const std::vector<std::string>& statements) {
  CDatabase db;
  db.OpenEx(connectText.c_str());
  for (const std::string& s : statements) db.ExecuteSQL(s.c_str());
}

// Runs f; a CDBException becomes a test failure with its text.
template <class F>
void ReportingDbErrors(const char* what, F&& f) {
  try {
    f();
  } catch (CDBException* e) {
    const std::string text = e->GetDescription().str();
    e->Delete();
    ADD_FAILURE() << what << ": " << text;
    throw std::runtime_error(what);
  }
}

}  // namespace

std::vector<DbEngine> AllEngines() { return {DbEngine::kSqlite, DbEngine::kPostgres}; }

std::string EngineParamName(const ::testing::TestParamInfo<DbEngine>& info) {
  return info.param == DbEngine::kSqlite ? "SQLite" : "PostgreSQL";
}

void RegisterOdbcDrivers() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Lives until the program ends: the driver manager reads it on every connect.
    static ScratchDir dir;
    std::ofstream ini(dir.File("odbcinst.ini"));
    ini << "[SQLite3]\nDescription=SQLite3 ODBC driver\nDriver=" LUMO_TEST_SQLITE_ODBC_DRIVER
           "\n\n[PostgreSQL ANSI]\nDescription=PostgreSQL ODBC "
           "driver\nDriver=" LUMO_TEST_PG_ODBC_DRIVER "\n";
    ini.close();
    setenv("ODBCSYSINI", dir.path().c_str(), 1);
    setenv("ODBCINSTINI", "odbcinst.ini", 1);
  });
}

std::string SqliteConnectText(const std::string& file) {
  RegisterOdbcDrivers();
  return "Driver=SQLite3;Database=" + file + ";";
}

PgServer::PgServer() : runAs_() {
  RegisterOdbcDrivers();
  const std::string account = ServerAccount();
  if (!account.empty()) {
    runAs_ = "runuser -u " + account + " -- ";
    Run("chown " + account + " '" + dir_.path() + "'");
  }
  Run(runAs_ + "'" LUMO_TEST_PG_BINDIR "/initdb' -D '" + dir_.File("data") +
      "' -A trust -U lumo -E SQL_ASCII --locale=C --no-sync >'" + dir_.File("initdb.log") +
      "' 2>&1");
  Start();
}

PgServer::~PgServer() {
  if (!running_) return;
  try {
    Stop();
  } catch (const std::exception&) {
    // The scratch directory goes anyway; a server left behind exits when its files vanish.
  }
}

PgServer& PgServer::Shared() {
  static PgServer server;
  return server;
}

void PgServer::Run(const std::string& command) const {
  if (std::system(command.c_str()) != 0) {
    throw std::runtime_error("PostgreSQL test server: command failed: " + command);
  }
}

void PgServer::Start() {
  // Another program may take the port between asking and listening: try a few.
  // A restart keeps its port when it can, so that connect texts stay valid.
  for (int attempt = 0;; ++attempt) {
    if (port_ == 0 || attempt > 0) port_ = FreeLoopbackPort();
    const std::string command = runAs_ + "'" LUMO_TEST_PG_BINDIR "/pg_ctl' start -w -t 60 -D '" +
                                dir_.File("data") + "' -l '" + dir_.File("server.log") +
                                "' -o \"-p " + std::to_string(port_) + " -k '" + dir_.path() +
                                "' -c listen_addresses=127.0.0.1 -c fsync=off\" >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0) break;
    if (attempt == 4) {
      ADD_FAILURE() << "the PostgreSQL test server did not start; see " << dir_.File("server.log");
      throw std::runtime_error("PostgreSQL test server did not start");
    }
  }
  running_ = true;
}

void PgServer::Stop() {
  running_ = false;
  Run(runAs_ + "'" LUMO_TEST_PG_BINDIR "/pg_ctl' stop -w -m immediate -D '" + dir_.File("data") +
      "' >/dev/null 2>&1");
}

std::string PgServer::ConnectText(const std::string& database) const {
  return "Driver=PostgreSQL ANSI;Server=127.0.0.1;Port=" + std::to_string(port_) +
         ";Database=" + database + ";Uid=lumo;Pwd=;";
}

void PgServer::CreateDatabase(const std::string& name, const std::string& encoding) {
  ReportingDbErrors("creating a test database", [&] {
    ExecuteOn(ConnectText("postgres"),
              {"CREATE DATABASE " + name + " ENCODING '" + encoding + "' TEMPLATE template0"});
  });
}

void PgServer::DropDatabase(const std::string& name) {
  if (!running_) return;
  ReportingDbErrors("dropping a test database", [&] {
    ExecuteOn(ConnectText("postgres"), {"DROP DATABASE IF EXISTS " + name + " WITH (FORCE)"});
  });
}

TestDatabase::TestDatabase(DbEngine engine, const std::string& encoding) : engine_(engine) {
  RegisterOdbcDrivers();
  if (engine == DbEngine::kSqlite) {
    dir_ = std::make_unique<ScratchDir>();
    file_ = dir_->File("test.db");
    connect_ = SqliteConnectText(file_);
  } else {
    OnServer(PgServer::Shared(), encoding);
  }
}

TestDatabase::TestDatabase(PgServer& server) : engine_(DbEngine::kPostgres) {
  OnServer(server, "UTF8");
}

void TestDatabase::OnServer(PgServer& server, const std::string& encoding) {
  server_ = &server;
  database_ = "lumo_test_" + std::to_string(getpid()) + "_" + std::to_string(++g_databaseCounter);
  server_->CreateDatabase(database_, encoding);
  connect_ = server_->ConnectText(database_);
}

TestDatabase::~TestDatabase() {
  if (server_ == nullptr) return;
  try {
    server_->DropDatabase(database_);
  } catch (const std::exception&) {
    // Already reported as a failure.
  }
}

std::unique_ptr<CDatabase> TestDatabase::Connect() const {
  auto db = std::make_unique<CDatabase>();
  ReportingDbErrors("connecting to the test database", [&] { db->OpenEx(connect_.c_str()); });
  return db;
}

void TestDatabase::Execute(const std::vector<std::string>& statements) const {
  ReportingDbErrors("preparing the test database", [&] { ExecuteOn(connect_, statements); });
}

std::string TestDatabase::AutoNumberId() const {
  return engine_ == DbEngine::kSqlite ? "ID INTEGER PRIMARY KEY AUTOINCREMENT"
                                      : "ID SERIAL PRIMARY KEY";
}

std::string TestDatabase::LongBinaryType() const {
  return engine_ == DbEngine::kSqlite ? "BLOB" : "BYTEA";
}

}  // namespace lumo_test
