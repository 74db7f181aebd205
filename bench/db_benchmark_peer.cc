// The bare side of db_benchmark: the same work as the library's, in direct ODBC calls.
#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "db_benchmark_support.h"

namespace {

using lumo_bench::BenchDb;
using lumo_bench::ColorDatabase;
using lumo_bench::kColorRows;
using lumo_bench::kCreateRows;

// A bare ODBC connection.
class BareConnection {
 public:
  explicit BareConnection(const std::string& connect) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
    if (!SQL_SUCCEEDED(SQLDriverConnect(
            dbc_, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connect.c_str())), SQL_NTS,
            nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT))) {
      std::fprintf(stderr, "cannot connect: %s\n", connect.c_str());
      std::abort();
    }
  }
  ~BareConnection() {
    SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }
  SQLHDBC dbc() const { return dbc_; }

 private:
  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
};

void BM_BareOdbc_SQLExecDirect(benchmark::State& state) {
  BenchDb bench("insert.db");
  BareConnection conn(bench.connect());
  SQLHSTMT stmt;
  SQLAllocHandle(SQL_HANDLE_STMT, conn.dbc(), &stmt);
  SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(kCreateRows)), SQL_NTS);
  SQLFreeStmt(stmt, SQL_CLOSE);
  const std::string text = "INSERT INTO T(a,b,c,d,e) VALUES(12345,'some text',2.5,7,'more text')";
  for (auto _ : state) {
    SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())), SQL_NTS);
    SQLFreeStmt(stmt, SQL_CLOSE);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}
BENCHMARK(BM_BareOdbc_SQLExecDirect);

// Reads every ColorDef row on conn as the colour manager does: relate id, flag and colour text.
long FetchColorRows(SQLHDBC dbc) {
  SQLHSTMT stmt;
  SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
  SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>("Select * From ColorDef")),
                SQL_NTS);
  SQLINTEGER relate = 0, special = 0;
  char data[80];
  SQLLEN indicator = 0;
  long rows = 0;
  while (SQL_SUCCEEDED(SQLFetch(stmt))) {
    SQLGetData(stmt, 1, SQL_C_SLONG, &relate, 0, &indicator);
    SQLGetData(stmt, 2, SQL_C_SLONG, &special, 0, &indicator);
    SQLGetData(stmt, 3, SQL_C_CHAR, data, sizeof data, &indicator);
    benchmark::DoNotOptimize(data);
    ++rows;
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  return rows;
}

// The rows on a connection held open across iterations.
void BM_BareOdbc_FetchColorRows(benchmark::State& state) {
  BenchDb bench("sys_config.mdb");
  ColorDatabase(bench);
  BareConnection conn(bench.connect());
  long rows = 0;
  for (auto _ : state) rows = FetchColorRows(conn.dbc());
  if (rows != kColorRows) state.SkipWithError("rows missing");
  state.SetItemsProcessed(state.iterations() * kColorRows);
}
BENCHMARK(BM_BareOdbc_FetchColorRows)->Unit(benchmark::kMillisecond);

// The same work LoadFromDB does: connect to the file, read the rows, disconnect.
void BM_BareOdbc_ConnectAndFetchColorRows(benchmark::State& state) {
  BenchDb bench("sys_config.mdb");
  ColorDatabase(bench);
  long rows = 0;
  for (auto _ : state) {
    BareConnection conn(bench.connect());
    rows = FetchColorRows(conn.dbc());
  }
  if (rows != kColorRows) state.SkipWithError("rows missing");
  state.SetItemsProcessed(state.iterations() * kColorRows);
}
BENCHMARK(BM_BareOdbc_ConnectAndFetchColorRows)->Unit(benchmark::kMillisecond);

void BM_BareOdbc_LongBinary16MiB(benchmark::State& state) {
  BenchDb bench("data.db");
  BareConnection conn(bench.connect());
  SQLHSTMT stmt;
  SQLAllocHandle(SQL_HANDLE_STMT, conn.dbc(), &stmt);
  auto run = [&](const char* text) {
    SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)), SQL_NTS);
    SQLFreeStmt(stmt, SQL_CLOSE);
  };
  run("CREATE TABLE TB_BODY_3D (ID INTEGER, ParentID INTEGER, PropID INTEGER, DataObj BLOB)");
  std::vector<unsigned char> bytes(16 << 20);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 131);
  std::vector<unsigned char> read;
  for (auto _ : state) {
    SQLLEN length = static_cast<SQLLEN>(bytes.size());
    SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY, bytes.size(), 0,
                     bytes.data(), length, &length);
    run("INSERT INTO TB_BODY_3D (ID, ParentID, PropID, DataObj) VALUES (1, -1, -1, ?)");
    SQLFreeStmt(stmt, SQL_RESET_PARAMS);
    SQLExecDirect(
        stmt,
        reinterpret_cast<SQLCHAR*>(const_cast<char*>("select * from TB_BODY_3D where ID = 1")),
        SQL_NTS);
    SQLFetch(stmt);
    unsigned char first[8192];
    SQLLEN total = 0;
    SQLGetData(stmt, 4, SQL_C_BINARY, first, sizeof first, &total);
    read.assign(first, first + sizeof first);
    read.resize(static_cast<size_t>(total));
    SQLLEN rest = 0;
    SQLGetData(stmt, 4, SQL_C_BINARY, read.data() + sizeof first,
               static_cast<SQLLEN>(read.size() - sizeof first), &rest);
    SQLFreeStmt(stmt, SQL_CLOSE);
    if (read != bytes) state.SkipWithError("the bytes read back differ");
    state.PauseTiming();
    run("DELETE FROM TB_BODY_3D");
    state.ResumeTiming();
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  state.SetBytesProcessed(state.iterations() * 2 * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_BareOdbc_LongBinary16MiB)->Unit(benchmark::kMillisecond);

}  // namespace
