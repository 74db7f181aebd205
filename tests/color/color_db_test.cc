// The colour manager against a configuration database on every engine, reached by path as the
// application reaches it: an SQLite file, or a link file pointing at the PostgreSQL database.
#include <filesystem>
#include <fstream>

#include <gmock/gmock.h>

#include "db/db_fixture.h"
#include "lumotools/color.h"

namespace {

using lumo_test::DbErrorOf;

class ColorDbTest : public lumo_test::DbFamilyTest {
 protected:
  ColorDbTest() {
    conn_->ExecuteSQL(
        "CREATE TABLE ColorDef (relateID INTEGER, IsSpecialColor INTEGER, ColorData "
        "VARCHAR(64))");
    if (db_.engine() == lumo_test::DbEngine::kSqlite) {
      path_ = db_.file();
    } else {
      path_ = dir_.File("sys_config.mdb");
      std::ofstream(path_) << "ODBC;" << db_.connectText() << "\n";
    }
  }

  // An item whose 32 bytes are all different, including the awkward ones.
  static CVisualColorItem Awkward(BYTE seed) {
    CVisualColorItem item;
    const DWORD words[8] = {0x00006627u, 0x80FF0100u, 0x6666u + seed, 0xC3A9E2u,
                            0x27272727u, 0x5Cu,       0x0u,           0xFFFFFFFFu};
    for (int part = 0; part < 4; ++part) {
      item.SetColor(static_cast<VisualColorKind>(part), words[2 * part]);
      item.SetTransparency(static_cast<VisualColorKind>(part), words[2 * part + 1]);
    }
    return item;
  }

  lumo_test::ScratchDir dir_;
  std::string path_;
};

TEST_P(ColorDbTest, SaveThenLoadGivesBackTheSameMapsByteForByte) {
  CDbVisualColorMrg saved;
  saved.AddFigColor(12, Awkward(1));
  saved.AddFigColor(-4, CVisualColorItem());
  saved.AddSpecialColor(static_cast<SpecialColorKind>(3), Awkward(2));
  saved.SaveToDB(path_.c_str());

  EXPECT_EQ(Column("select ColorData from ColorDef where relateID = -4"),
            std::vector<std::string>({std::string(32, 'T') + std::string(32, 'z')}));
  EXPECT_EQ(Column("select IsSpecialColor from ColorDef order by IsSpecialColor, relateID"),
            std::vector<std::string>({"0", "0", "1"}));

  CDbVisualColorMrg loaded(path_.c_str());
  ASSERT_EQ(loaded.GetGJColorMap().size(), 2u);
  ASSERT_EQ(loaded.GetSpecialColorMap().size(), 1u);
  EXPECT_TRUE(*loaded.GetColorByFigId(12) == Awkward(1));
  EXPECT_TRUE(*loaded.GetColorByFigId(-4) == CVisualColorItem());
  EXPECT_TRUE(*loaded.GetColorBySpecialId(static_cast<SpecialColorKind>(3)) == Awkward(2));

  // Saving again replaces the whole table.
  CDbVisualColorMrg smaller;
  smaller.AddFigColor(1, Awkward(3));
  smaller.SaveToDB(path_.c_str());
  loaded.LoadFromDB(path_.c_str());
  EXPECT_EQ(loaded.GetGJColorMap().size(), 1u);
  EXPECT_TRUE(loaded.GetSpecialColorMap().empty());
}

TEST_P(ColorDbTest, LoadSortsRowsByTheirFlagAndTheFirstOfAKeyWins) {
  const std::string red = "\xFF" + std::string(31, 'T') + "c" + std::string(31, 'z');
  conn_->ExecuteSQL(("INSERT INTO ColorDef VALUES (5, 2, '" + red + "')").c_str());
  conn_->ExecuteSQL(("INSERT INTO ColorDef VALUES (5, 0, '" + red + "')").c_str());
  conn_->ExecuteSQL("INSERT INTO ColorDef VALUES (5, 0, 'short')");
  CDbVisualColorMrg fresh(path_.c_str());
  // A manager that held entries before (more than the rows, under the same and other keys) ends
  // with the rows alone.
  CDbVisualColorMrg reloaded;
  reloaded.AddFigColor(5, Awkward(4));
  reloaded.AddFigColor(9, Awkward(5));
  reloaded.AddSpecialColor(static_cast<SpecialColorKind>(5), Awkward(6));
  reloaded.AddSpecialColor(static_cast<SpecialColorKind>(1), Awkward(7));
  reloaded.LoadFromDB(path_.c_str());
  for (const CDbVisualColorMrg* mrg : {&fresh, &reloaded}) {
    ASSERT_EQ(mrg->GetSpecialColorMap().size(), 1u);
    EXPECT_EQ(mrg->GetSpecialColorMap().at(5).m_nIsSpecialColor, 2);
    EXPECT_EQ(mrg->GetSpecialColorMap().at(5).m_nRelateID, 5);
    ASSERT_EQ(mrg->GetGJColorMap().size(), 1u);
    EXPECT_EQ(mrg->GetColorByFigId(5)->GetColor(VCK_LINE), 0xFFu);
    EXPECT_EQ(mrg->GetColorByFigId(5)->GetTransparency(VCK_TEXT), 0u);
  }
}

TEST_P(ColorDbTest, DatabaseErrorsReachTheCaller) {
  conn_->ExecuteSQL("DROP TABLE ColorDef");
  CDbVisualColorMrg mrg;
  mrg.AddFigColor(1, CVisualColorItem());
  EXPECT_NE(DbErrorOf([&] { mrg.LoadFromDB(path_.c_str()); }), "");
  EXPECT_TRUE(mrg.GetGJColorMap().empty());  // emptied before the failure
  EXPECT_NE(DbErrorOf([&] { mrg.SaveToDB(path_.c_str()); }), "");
  EXPECT_THAT(DbErrorOf([&] { mrg.LoadFromDB(dir_.File("none.mdb").c_str()); }),
              ::testing::HasSubstr("none.mdb"));
}

LUMO_INSTANTIATE_FOR_EVERY_ENGINE(ColorDbTest);

// The process's manager loads <current directory>/system/sys_config.mdb on first use.
TEST(ColorManagerInstance, LoadsTheConfigurationDatabaseOfTheCurrentDirectory) {
  lumo_test::ScratchDir dir;
  std::filesystem::create_directory(dir.File("system"));
  const std::string file = dir.File("system/sys_config.mdb");
  {
    CDatabase db;
    db.OpenEx(lumo_test::SqliteConnectText(file).c_str());
    db.ExecuteSQL(
        "CREATE TABLE ColorDef (relateID INTEGER, IsSpecialColor INTEGER, "
        "ColorData VARCHAR(64))");
    CDbVisualColorMrg mrg;
    mrg.AddFigColor(8, CVisualColorItem());
    db.Close();
    mrg.SaveToDB(file.c_str());
  }
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  CDbVisualColorMrg& instance = CDbVisualColorMrg::instance();
  std::filesystem::current_path(previous);
  EXPECT_EQ(&instance, &CDbVisualColorMrg::instance());
  EXPECT_EQ(instance.GetGJColorMap().count(8), 1u);
}

}  // namespace
