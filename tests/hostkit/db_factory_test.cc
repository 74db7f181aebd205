#include "hostkit/db_factory.h"

#include <fstream>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/scratch_dir.h"
#include "support/test_database.h"

namespace {

using Factory = CDbFactoryT<CDatabase>;
using lumo_test::DbErrorOf;
using ::testing::HasSubstr;

class DbFactoryTest : public ::testing::Test {
 protected:
  DbFactoryTest() { lumo_test::RegisterOdbcDrivers(); }
  void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  lumo_test::ScratchDir dir_;
  Factory& factory_ = Factory::instance();
};

TEST_F(DbFactoryTest, MissingFileIsAnErrorNamingThePathAndCreatesNothing) {
  const std::string path = dir_.File("absent.db");
  EXPECT_THAT(DbErrorOf([&] { factory_.GetDB(path.c_str()); }), HasSubstr(path));
  EXPECT_FALSE(std::ifstream(path).good());
}

TEST_F(DbFactoryTest, OneCachedConnectionPerPathUntilClosed) {
  const std::string path = dir_.File("config.db");
  ASSERT_TRUE(factory_.CreateDB(path.c_str()));
  EXPECT_FALSE(factory_.CreateDB(path.c_str()));  // never overwrites

  CDatabase* db = factory_.GetDB(path.c_str());
  ASSERT_TRUE(db->IsOpen());
  EXPECT_EQ(db->GetEngineName(), "SQLite");
  db->ExecuteSQL("CREATE TABLE T (a INTEGER)");
  // A backslash reads as a separator: the same file, the same connection.
  std::string windowsStyle = path;
  windowsStyle.replace(windowsStyle.rfind('/'), 1, "\\");
  EXPECT_EQ(factory_.GetDB(windowsStyle.c_str()), db);

  factory_.CloseDB(path.c_str());
  factory_.CloseDB(path.c_str());  // a second close does nothing
  CDatabase* again = factory_.GetDB(path.c_str());
  ASSERT_TRUE(again->IsOpen());
  again->ExecuteSQL("INSERT INTO T VALUES (1)");  // the table created before is there
  factory_.CloseDB(path.c_str());
}

TEST_F(DbFactoryTest, ALinkFilePointsAPathAtAServerDatabase) {
  lumo_test::TestDatabase server(lumo_test::DbEngine::kPostgres);
  const std::string link = dir_.File("sys_config.mdb");
  WriteFile(link, "# configuration on the server\n\n  ODBC;" + server.connectText() + "\r\n");
  CDatabase* db = factory_.GetDB(link.c_str());
  EXPECT_EQ(db->GetEngineName(), "PostgreSQL");
  db->ExecuteSQL("CREATE TABLE T (a INTEGER)");
  factory_.CloseDB(link.c_str());
  server.Execute({"INSERT INTO T VALUES (1)"});  // the table is on the server
}

TEST_F(DbFactoryTest, AFileThatIsNeitherDatabaseNorLinkIsRefused) {
  const std::string path = dir_.File("notes.txt");
  WriteFile(path, "# only a comment\nDriver=SQLite3\n");
  EXPECT_THAT(DbErrorOf([&] { factory_.GetDB(path.c_str()); }), HasSubstr("link file"));
  WriteFile(path, "ODBC;Driver=NoSuchDriver;\n");
  EXPECT_NE(DbErrorOf([&] { factory_.GetDB(path.c_str()); }), "");
}

}  // namespace
