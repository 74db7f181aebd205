#include "hostkit/db_factory.h"

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/scratch_dir.h"
#include "support/test_database.h"

namespace {

using lumo_test::DbErrorOf;
using ::testing::HasSubstr;

class DbFactoryTest : public ::testing::Test {
 protected:
  DbFactoryTest() { lumo_test::RegisterOdbcDrivers(); }

  lumo_test::ScratchDir dir_;
  CDbFactoryT<CDatabase>& factory_ = CDbFactoryT<CDatabase>::instance();
};

TEST_F(DbFactoryTest, OneConnectionPerPathWhileAnyHoldLasts) {
  const std::string path = dir_.File("config.db");
  ASSERT_TRUE(factory_.CreateDB(path.c_str()));
  EXPECT_FALSE(factory_.CreateDB(path.c_str()));    // never overwrites
  EXPECT_GT(std::filesystem::file_size(path), 0u);  // SQLite writes its header on a change

  CDatabase* db = factory_.GetDB(path.c_str());
  EXPECT_EQ(db->GetEngineName(), "SQLite");
  db->ExecuteSQL("CREATE TABLE T (a INTEGER)");
  // A backslash reads as a separator: the same file, the same connection, a second hold.
  std::string windowsStyle = path;
  windowsStyle.replace(windowsStyle.rfind('/'), 1, "\\");
  EXPECT_EQ(factory_.GetDB(windowsStyle.c_str()), db);
  factory_.CloseDB(path.c_str());
  db->ExecuteSQL("INSERT INTO T VALUES (1)");  // one hold left: still open
  // A connection that is open and alive is handed out as it is: its temporary table stays.
  db->ExecuteSQL("CREATE TEMP TABLE Scratch (a INTEGER)");
  EXPECT_EQ(factory_.GetDB(path.c_str()), db);
  db->ExecuteSQL("INSERT INTO Scratch VALUES (1)");
  factory_.CloseDB(windowsStyle.c_str());
  factory_.CloseDB(path.c_str());
  // With the last hold gone the connection is closed, and its temporary table with it.
  db = factory_.GetDB(path.c_str());
  EXPECT_NE(DbErrorOf([&] { db->ExecuteSQL("INSERT INTO Scratch VALUES (2)"); }), "");
  factory_.CloseDB(path.c_str());
  factory_.CloseDB(path.c_str());  // no hold left: does nothing
  // A new file at the path is the one opened next; an empty file is an empty database.
  dir_.WriteFile("config.db", "");
  db = factory_.GetDB(path.c_str());
  EXPECT_NE(DbErrorOf([&] { db->ExecuteSQL("INSERT INTO T VALUES (2)"); }), "");
  db->ExecuteSQL("CREATE TABLE T (a INTEGER)");
  factory_.CloseDB(path.c_str());
}

// Names that a connect text would cut or misread, in folders and files, absolute and relative:
// each database lands exactly at its path, and nothing else is created.
TEST_F(DbFactoryTest, APathOpensExactlyTheFileItNames) {
  const std::vector<std::string> names = {"a;b/x.db",       "{c}/d=e.db",
                                          "100% f/g h.db",  "\xC3\xA9t\xC3\xA9/\xC3\x9F;{}.db",
                                          "semi;colon=.db", "%41"};
  std::set<std::string> expected;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path());
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string path = i % 2 == 0 ? dir_.File(names[i]) : names[i];
    std::filesystem::create_directories(std::filesystem::path(dir_.File(names[i])).parent_path());
    EXPECT_THAT(DbErrorOf([&] { factory_.GetDB(path.c_str()); }), HasSubstr(names[i]));
    ASSERT_TRUE(factory_.CreateDB(path.c_str())) << path;
    factory_.GetDB(path.c_str());  // opens the file just made, not another
    factory_.CloseDB(path.c_str());
    expected.insert(dir_.File(names[i]));
  }
  std::filesystem::current_path(previous);
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path())) {
    if (entry.is_regular_file()) files.insert(entry.path().string());
  }
  EXPECT_EQ(files, expected);
}

TEST_F(DbFactoryTest, ALinkFilePointsAPathAtAServerDatabase) {
  lumo_test::TestDatabase server(lumo_test::DbEngine::kPostgres);
  const std::string link =
      dir_.WriteFile("sys_config.mdb", "# configuration on the server\r\n \t\r\n  ODBC;" +
                                           server.connectText() + "\r\n");
  CDatabase* db = factory_.GetDB(link.c_str());
  EXPECT_EQ(db->GetEngineName(), "PostgreSQL");
  db->ExecuteSQL("CREATE TABLE T (a INTEGER)");
  server.Execute({"INSERT INTO T VALUES (1)"});  // the table is on the server

  // A lost connection is reopened in place by the next request for it.
  server.Execute(
      {"SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE pid <> "
       "pg_backend_pid() AND datname = current_database()"});
  EXPECT_NE(DbErrorOf([&] { db->ExecuteSQL("INSERT INTO T VALUES (2)"); }), "");
  EXPECT_EQ(factory_.GetDB(link.c_str()), db);
  db->ExecuteSQL("INSERT INTO T VALUES (3)");
  factory_.CloseDB(link.c_str());
  factory_.CloseDB(link.c_str());
}

// The connect text is the first line that is neither blank nor a comment, within the first 64.
TEST_F(DbFactoryTest, AFileThatIsNeitherDatabaseNorLinkIsRefused) {
  const std::string connect = "ODBC;Driver=NoSuchDriver;\n";
  const std::pair<std::string, bool> cases[] = {{"#\nDriver=SQLite3\n" + connect, false},
                                                {std::string(63, '\n') + connect, true},
                                                {std::string(64, '\n') + connect, false}};
  for (const auto& [text, link] : cases) {
    const std::string path = dir_.WriteFile("notes.txt", text);
    const std::string error = DbErrorOf([&] { factory_.GetDB(path.c_str()); });
    EXPECT_EQ(error.find("link file") == std::string::npos, link) << error;
  }
}

}  // namespace
