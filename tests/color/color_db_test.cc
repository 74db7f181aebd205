// The colour manager against a configuration database on every engine, reached by path as the
// application reaches it: an SQLite file, or a link file pointing at the PostgreSQL database.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include <gmock/gmock.h>

#include "db/db_fixture.h"
#include "hostkit/db_factory.h"
#include "lumotools/color.h"

namespace {

using lumo_test::DbErrorOf;

const char kCreateTable[] =
    "CREATE TABLE ColorDef (relateID INTEGER, IsSpecialColor INTEGER, ColorData VARCHAR(64))";

class ColorDbTest : public lumo_test::DbFamilyTest {
 protected:
  ColorDbTest() {
    conn_->ExecuteSQL(kCreateTable);
    if (db_.engine() == lumo_test::DbEngine::kSqlite) {
      path_ = db_.file();
    } else {
      path_ = dir_.File("sys_config.mdb");
      std::ofstream(path_) << "ODBC;" << db_.connectText() << "\n";
    }
  }

  // The item of the 32 bytes first, first + 1, ... (mod 256), each word lowest byte first.
  static CVisualColorItem Bytes(int first) {
    CVisualColorItem item;
    for (int i = 0; i < 32; ++i) {
      CVisualColorSubItem& sub = item.m_subItems[i / 8];
      (i % 8 < 4 ? sub.m_dwColor : sub.m_dwTransparency) |= static_cast<DWORD>((first + i) & 0xFF)
                                                            << (8 * (i % 4));
    }
    return item;
  }

  lumo_test::ScratchDir dir_;
  std::string path_;
};

// Bytes 0x00-0xFF, 32 to a colour item, saved and loaded back: on PostgreSQL both on a UTF8
// database, as users' servers are, and on an SQL_ASCII one.
TEST_P(ColorDbTest, SaveThenLoadGivesBackEveryByteAndReplacesTheTable) {
  auto& factory = CDbFactoryT<CDatabase>::instance();
  CDatabase* host = factory.GetDB(path_.c_str());
  CDbVisualColorMrg saved;
  for (int first = 0; first < 256; first += 32) saved.AddFigColor(first, Bytes(first));
  saved.AddFigColor(-4, CVisualColorItem());
  saved.AddSpecialColor(static_cast<SpecialColorKind>(3), Bytes(64));
  std::vector<std::string> paths{path_};
  std::unique_ptr<lumo_test::TestDatabase> sqlAscii;
  if (db_.engine() == lumo_test::DbEngine::kPostgres) {
    sqlAscii = std::make_unique<lumo_test::TestDatabase>(db_.engine(), "SQL_ASCII");
    sqlAscii->Execute({kCreateTable});
    paths.push_back(dir_.File("ascii.mdb"));
    std::ofstream(paths.back()) << "ODBC;" << sqlAscii->connectText() << "\n";
  }
  for (const std::string& path : paths) {
    saved.SaveToDB(path.c_str());
    CDbVisualColorMrg loaded(path.c_str());
    ASSERT_EQ(loaded.GetGJColorMap().size(), 9u) << path;
    for (const auto& entry : saved.GetGJColorMap()) {
      EXPECT_TRUE(*loaded.GetColorByFigId(entry.first) == entry.second.m_colorItem)
          << path << ": key " << entry.first;
    }
    ASSERT_EQ(loaded.GetSpecialColorMap().size(), 1u);
    EXPECT_TRUE(*loaded.GetColorBySpecialId(static_cast<SpecialColorKind>(3)) == Bytes(64));
  }
  EXPECT_EQ(Column("select ColorData from ColorDef where relateID = -4"),
            std::vector<std::string>({std::string(32, 'T') + std::string(32, 'z')}));
  EXPECT_EQ(Column("select relateID from ColorDef where IsSpecialColor <> 0"),
            std::vector<std::string>({"3"}));

  // Saving again replaces the whole table. A host's own connection to the database, opened
  // before, stays open and valid through the manager's loads and saves.
  CDbVisualColorMrg smaller;
  smaller.AddFigColor(1, Bytes(96));
  smaller.SaveToDB(path_.c_str());
  ASSERT_TRUE(host->IsOpen());
  host->ExecuteSQL("INSERT INTO ColorDef VALUES (2, 0, 'x')");
  CDbVisualColorMrg loaded(path_.c_str());
  EXPECT_EQ(loaded.GetGJColorMap().size(), 2u);
  EXPECT_TRUE(loaded.GetSpecialColorMap().empty());
  EXPECT_EQ(factory.GetDB(path_.c_str()), host);
  factory.CloseDB(path_.c_str());
  factory.CloseDB(path_.c_str());
}

TEST_P(ColorDbTest, LoadSortsRowsByTheirFlagTheFirstOfAKeyWinsAndErrorsReachTheCaller) {
  const std::string red = "\xFF" + std::string(31, 'T') + "c" + std::string(31, 'z');
  conn_->ExecuteSQL(("INSERT INTO ColorDef VALUES (5, 2, '" + red + "')").c_str());
  conn_->ExecuteSQL(("INSERT INTO ColorDef VALUES (5, 0, '" + red + "')").c_str());
  conn_->ExecuteSQL("INSERT INTO ColorDef VALUES (5, 0, 'short')");
  CDbVisualColorMrg fresh(path_.c_str());
  // A manager that held entries before (more than the rows, under the same and other keys) ends
  // with the rows alone.
  CDbVisualColorMrg reloaded;
  reloaded.AddFigColor(5, Bytes(128));
  reloaded.AddFigColor(9, Bytes(160));
  reloaded.AddSpecialColor(static_cast<SpecialColorKind>(5), Bytes(192));
  reloaded.AddSpecialColor(static_cast<SpecialColorKind>(1), Bytes(224));
  reloaded.LoadFromDB(path_.c_str());
  for (const CDbVisualColorMrg* mrg : {&fresh, &reloaded}) {
    ASSERT_EQ(mrg->GetSpecialColorMap().size(), 1u);
    EXPECT_EQ(mrg->GetSpecialColorMap().at(5).m_nIsSpecialColor, 2);
    EXPECT_EQ(mrg->GetSpecialColorMap().at(5).m_nRelateID, 5);
    ASSERT_EQ(mrg->GetGJColorMap().size(), 1u);
    EXPECT_EQ(mrg->GetColorByFigId(5)->GetColor(VCK_LINE), 0xFFu);
    EXPECT_EQ(mrg->GetColorByFigId(5)->GetTransparency(VCK_TEXT), 0u);
  }

  // Database errors reach the caller; a failed load has emptied the maps.
  conn_->ExecuteSQL("DROP TABLE ColorDef");
  EXPECT_NE(DbErrorOf([&] { reloaded.LoadFromDB(path_.c_str()); }), "");
  EXPECT_TRUE(reloaded.GetGJColorMap().empty() && reloaded.GetSpecialColorMap().empty());
  EXPECT_NE(DbErrorOf([&] { fresh.SaveToDB(path_.c_str()); }), "");
  EXPECT_THAT(DbErrorOf([&] { fresh.LoadFromDB(dir_.File("none.mdb").c_str()); }),
              ::testing::HasSubstr("none.mdb"));
}

LUMO_INSTANTIATE_FOR_EVERY_ENGINE(ColorDbTest);

// The process's manager loads <current directory>/system/sys_config.mdb on first use. A current
// directory longer than the framework's buffer is named relatively: the configuration path still
// leads to the file under it (a link file there can point at a server; SQLite itself opens no path
// longer than 512 bytes).
TEST(ColorManagerInstance, LoadsTheConfigurationDatabaseOfTheCurrentDirectory) {
  lumo_test::ScratchDir dir;
  const std::string file = dir.WriteFile("system/sys_config.mdb", "");
  {
    CDatabase db;
    db.OpenEx(lumo_test::SqliteConnectText(file).c_str());
    db.ExecuteSQL(kCreateTable);
    db.ExecuteSQL("INSERT INTO ColorDef VALUES (8, 0, '')");
  }
  std::string deep;
  while (deep.size() <= 520) deep += std::string(100, 'd') + "/";
  const std::string deepFile = dir.WriteFile(deep + "system/sys_config.mdb", "# link\n");

  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  CDbVisualColorMrg& instance = CDbVisualColorMrg::instance();
  std::filesystem::current_path(dir.File(deep));
  const std::string cwd = CDbVisualColorMrg::GetCurDir().str();
  std::string path = CDbVisualColorMrg::GetDBPath().str();
  std::replace(path.begin(), path.end(), '\\', '/');
  std::error_code error;
  const bool same = std::filesystem::equivalent(path, deepFile, error);
  std::filesystem::current_path(previous);
  EXPECT_EQ(&instance, &CDbVisualColorMrg::instance());
  EXPECT_EQ(instance.GetGJColorMap().count(8), 1u);
  EXPECT_LE(cwd.size(), 510u);
  EXPECT_TRUE(same) << path;
}

}  // namespace
