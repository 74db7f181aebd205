#include <gmock/gmock.h>

#include "db/db_fixture.h"

namespace {

using lumo_test::DbErrorOf;

class IdManagerDbTest : public lumo_test::DbFamilyTest {};

TEST_P(IdManagerDbTest, SavesAndLoadsTheRunningMaximumInTheConfigRow) {
  CLumoID_Manager manager = CLumoID_Manager::instance();  // a copy: the process's stays apart
  EXPECT_NE(DbErrorOf([&] { manager.SaveInfo(conn_.get()); }), "");  // no config table
  EXPECT_NE(DbErrorOf([&] { manager.LoadInfo(conn_.get()); }), "");

  conn_->ExecuteSQL("CREATE TABLE config (key VARCHAR(20), nVal INTEGER)");
  manager.SaveInfo(conn_.get());  // no max_id row: nothing is inserted
  EXPECT_TRUE(Column("select nVal from config").empty());
  const long before = manager.GetCurMaxID();
  manager.LoadInfo(conn_.get());  // nor read
  EXPECT_EQ(manager.GetCurMaxID(), before);

  conn_->ExecuteSQL("INSERT INTO config (key, nVal) VALUES ('other', 5)");
  conn_->ExecuteSQL("INSERT INTO config (key, nVal) VALUES ('max_id', 0)");
  const long next = manager.GetNextID();
  manager.SaveInfo(conn_.get());
  EXPECT_EQ(Column("select nVal from config where key = 'max_id'"),
            std::vector<std::string>({std::to_string(next)}));
  EXPECT_EQ(Column("select nVal from config where key = 'other'"), std::vector<std::string>({"5"}));

  conn_->ExecuteSQL("UPDATE config SET nVal = 123456 WHERE key = 'max_id'");
  manager.LoadInfo(conn_.get());
  EXPECT_EQ(manager.GetCurMaxID(), 123456);
  EXPECT_EQ(manager.GetNextID(), 123457);
}

LUMO_INSTANTIATE_FOR_EVERY_ENGINE(IdManagerDbTest);

}  // namespace
