// What the two halves of db_benchmark share: scratch SQLite databases and their contents, in
// standard types only (the half with bare ODBC calls cannot see the framework's names).
#ifndef LUMOTOOLS_BENCH_DB_BENCHMARK_SUPPORT_H_
#define LUMOTOOLS_BENCH_DB_BENCHMARK_SUPPORT_H_

#include <string>

namespace lumo_bench {

// A scratch SQLite database file, removed with its directory when the object goes away.
class BenchDb {
 public:
  explicit BenchDb(const char* name);
  ~BenchDb();
  BenchDb(const BenchDb&) = delete;
  BenchDb& operator=(const BenchDb&) = delete;

  const std::string& file() const { return file_; }
  // The connect text both sides use.
  const std::string& connect() const { return connect_; }

 private:
  std::string dir_;
  std::string file_;
  std::string connect_;
};

// The table the insert benchmarks fill.
inline constexpr char kCreateRows[] =
    "CREATE TABLE T (a INTEGER, b VARCHAR(40), c DOUBLE, d INTEGER, e VARCHAR(40))";

// Fills the database with a ColorDef table of kColorRows figure colours; returns its path.
inline constexpr int kColorRows = 10000;
std::string ColorDatabase(const BenchDb& bench);

}  // namespace lumo_bench

#endif  // LUMOTOOLS_BENCH_DB_BENCHMARK_SUPPORT_H_
