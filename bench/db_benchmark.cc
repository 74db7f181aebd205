// The database layer on SQLite against bare ODBC calls doing the same work:
// - CSqlInsert::ExecuteSQL of a row of five fields, against SQLExecDirect of the same text;
// - a 16 MiB long binary written and read back through CDataRecordset (bytes processed are the
//   bytes written plus the bytes read);
// - CDbVisualColorMrg::LoadFromDB of 10,000 rows (which opens and closes its connection through
//   the database factory), against fetching the same rows with SQLFetch and SQLGetData, both on a
//   connection held open and on one opened for each read.
// The databases are files in a temporary directory, reached through the SQLite3 driver that the
// libsqliteodbc package registers; both sides use the same connect text (with synchronous writes
// off, so that the work measured is the layer's, not the disk's). The bare side is in
// db_benchmark_peer.cc, which the driver manager's headers keep apart from the framework's names.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "db_benchmark_support.h"
#include "hostkit/db_factory.h"
#include "lumotools/color.h"
#include "lumotools/db.h"

namespace lumo_bench {

BenchDb::BenchDb(const char* name) {
  std::random_device seed;
  dir_ = (std::filesystem::temp_directory_path() /
          ("lumo-bench-" + std::to_string(std::mt19937_64(seed())())))
             .string();
  std::filesystem::create_directories(dir_);
  file_ = (std::filesystem::path(dir_) / name).string();
  connect_ = "Driver=SQLite3;Database=" + file_ + ";SyncPragma=OFF;";
  CDbFactoryT<CDatabase>::instance().CreateDB(file_.c_str());
}

BenchDb::~BenchDb() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

}  // namespace lumo_bench

namespace {

using lumo_bench::BenchDb;
using lumo_bench::kColorRows;
using lumo_bench::kCreateRows;

CSqlInsert FiveFieldRow() {
  CSqlInsert insert;
  insert.AddFieldValue("a", 12345);
  insert.AddFieldValue("b", CString("some text"));
  insert.AddFieldValue("c", 2.5);
  insert.AddFieldValue("d", 7L);
  insert.AddFieldValue("e", CString("more text"));
  return insert;
}

void BM_SqlInsert_ExecuteSQL(benchmark::State& state) {
  BenchDb bench("insert.db");
  CDatabase db;
  db.OpenEx(bench.connect().c_str());
  db.ExecuteSQL(kCreateRows);
  CSqlInsert insert = FiveFieldRow();
  for (auto _ : state) insert.ExecuteSQL(&db, "T");
}
BENCHMARK(BM_SqlInsert_ExecuteSQL);

void BM_DataRecordset_LongBinary16MiB(benchmark::State& state) {
  BenchDb bench("data.db");
  CDatabase db;
  db.OpenEx(bench.connect().c_str());
  db.ExecuteSQL(
      "CREATE TABLE TB_BODY_3D (ID INTEGER, ParentID INTEGER, PropID INTEGER, "
      "DataObj BLOB)");
  std::vector<unsigned char> bytes(16 << 20);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 131);
  CObjID id;
  id.SetTableID(TB_BODY_3D);
  id.SetID(1);
  std::vector<unsigned char> read;
  for (auto _ : state) {
    {
      CDataRecordset rs(&db);
      rs.OpenForAppend("TB_BODY_3D");
      rs.AddNew();
      rs.SetObjID(id);
      rs.WriteDataObj(bytes);
      rs.Update();
    }
    {
      CDataRecordset rs(&db);
      rs.OpenTable(CRecordset::forwardOnly, id.BuildSql(), CRecordset::readOnly);
      rs.ReadDataObj(read);
    }
    if (read != bytes) state.SkipWithError("the bytes read back differ");
    state.PauseTiming();
    db.ExecuteSQL("Delete * From TB_BODY_3D");
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * 2 * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_DataRecordset_LongBinary16MiB)->Unit(benchmark::kMillisecond);

}  // namespace

namespace lumo_bench {

std::string ColorDatabase(const BenchDb& bench) {
  CDatabase db;
  db.OpenEx(bench.connect().c_str());
  db.ExecuteSQL(
      "CREATE TABLE ColorDef (relateID INTEGER, IsSpecialColor INTEGER, "
      "ColorData VARCHAR(64))");
  CDbVisualColorMrg mrg;
  for (int i = 0; i < kColorRows; ++i) {
    CVisualColorItem item;
    item.SetColor(VCK_LINE, 0x10203 * static_cast<DWORD>(i));
    item.SetTransparency(VCK_FACE, static_cast<DWORD>(i));
    mrg.AddFigColor(i, item);
  }
  db.Close();
  mrg.SaveToDB(bench.file().c_str());
  return bench.file();
}

}  // namespace lumo_bench

namespace {

using lumo_bench::ColorDatabase;

void BM_ColorMrg_LoadFromDB(benchmark::State& state) {
  BenchDb bench("sys_config.mdb");
  const std::string path = ColorDatabase(bench);
  CDbVisualColorMrg mrg;
  for (auto _ : state) {
    mrg.LoadFromDB(path.c_str());
    benchmark::DoNotOptimize(mrg.GetGJColorMap().size());
  }
  if (mrg.GetGJColorMap().size() != kColorRows) state.SkipWithError("rows missing");
  state.SetItemsProcessed(state.iterations() * kColorRows);
}
BENCHMARK(BM_ColorMrg_LoadFromDB)->Unit(benchmark::kMillisecond);

}  // namespace
