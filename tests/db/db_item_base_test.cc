#include "lumotools/db/db_item_base.h"

#include <gmock/gmock.h>

#include "db/db_fixture.h"

namespace {

using lumo_test::DbErrorOf;

class NamedItem : public CDbItemBaseWithID {
 public:
  explicit NamedItem(const char* name) : m_name(name) {}
  explicit NamedItem(CLumoRecordset& rs) : CDbItemBaseWithID(rs) {
    rs.fGetFieldValue("Name", m_name);
  }
  CString m_name;

 protected:
  void GetFieldValue(CSqlStrHelper& builder) const override {
    builder.AddFieldValue("Name", m_name);
  }
};

class BareItem : public CDbItemBaseWithID {};

class DbItemBaseTest : public lumo_test::DbFamilyTest {
 protected:
  DbItemBaseTest() {
    db_.Execute({"CREATE TABLE Items (" + db_.AutoNumberId() + ", Name VARCHAR(40))"});
  }
  std::vector<std::string> Names() { return Column("select Name from Items order by ID"); }
  std::vector<std::string> Ids() { return Column("select ID from Items order by ID"); }
};

TEST_P(DbItemBaseTest, InsertTakesTheNumberTheDatabaseGave) {
  NamedItem a("a"), b("b");
  EXPECT_EQ(a.GetID(), -1);
  a.InsertToDB(conn_.get(), "Items");
  b.InsertToDB(conn_.get(), "Items");
  EXPECT_EQ(a.GetID(), 1);
  EXPECT_EQ(b.GetID(), 2);

  CLumoRecordset rs(conn_.get());
  rs.Open(CRecordset::forwardOnly, "select * from Items where ID = 2", CRecordset::readOnly);
  NamedItem read(rs);
  EXPECT_EQ(read.GetID(), 2);
  EXPECT_EQ(read.m_name, "b");

  BareItem bare;  // no fields: INSERT INTO Items() VALUES() is refused, the identifier stays
  EXPECT_NE(DbErrorOf([&] { bare.InsertToDB(conn_.get(), "Items"); }), "");
  EXPECT_EQ(bare.GetID(), -1);
}

TEST_P(DbItemBaseTest, UpdateAndDeleteTouchOnlyTheItemsRecord) {
  NamedItem a("a"), b("b"), c("c");
  for (NamedItem* item : {&a, &b, &c}) item->InsertToDB(conn_.get(), "Items");
  b.m_name = "B";
  b.UpdateToDB(conn_.get(), "Items");
  NamedItem unsaved("x");
  unsaved.UpdateToDB(conn_.get(), "Items");  // ID = -1: changes nothing
  EXPECT_EQ(Names(), std::vector<std::string>({"a", "B", "c"}));
  a.UpdateToDB(conn_.get(), "Items", "Name = 'c'");  // by a condition of the caller's
  EXPECT_EQ(Names(), std::vector<std::string>({"a", "B", "a"}));
  a.DeleteFromDB(conn_.get(), "Items");
  EXPECT_EQ(Names(), std::vector<std::string>({"B", "a"}));
  c.DeleteFromDB(conn_.get(), "Items", "Name = 'B'");
  EXPECT_EQ(Ids(), std::vector<std::string>({"3"}));
}

TEST_P(DbItemBaseTest, ModifyIdRefusesATakenIdentifier) {
  NamedItem a("a"), b("b");
  a.InsertToDB(conn_.get(), "Items");
  b.InsertToDB(conn_.get(), "Items");
  EXPECT_FALSE(a.ModifyID(conn_.get(), "Items", 2));
  EXPECT_EQ(a.GetID(), 1);
  EXPECT_TRUE(a.ModifyID(conn_.get(), "Items", 40));
  EXPECT_EQ(a.GetID(), 40);
  EXPECT_EQ(Ids(), std::vector<std::string>({"2", "40"}));
  a.m_name = "moved";
  a.UpdateToDB(conn_.get(), "Items");
  EXPECT_EQ(Names(), std::vector<std::string>({"b", "moved"}));
  NamedItem unsaved("x");  // no record carries -1
  EXPECT_FALSE(unsaved.ModifyID(conn_.get(), "Items", 50));
  EXPECT_EQ(unsaved.GetID(), -1);
}

// Through a view whose trigger does the update, the engine reports no changed record although
// the record moved: the identifier is checked in the table instead.
TEST_P(DbItemBaseTest, ModifyIdTrustsTheTableWhereTheRowCountHidesTheChange) {
  NamedItem a("a");
  a.InsertToDB(conn_.get(), "Items");
  conn_->ExecuteSQL("CREATE VIEW ItemView AS SELECT * FROM Items");
  if (db_.engine() == lumo_test::DbEngine::kSqlite) {
    conn_->ExecuteSQL(
        "CREATE TRIGGER move INSTEAD OF UPDATE ON ItemView "
        "BEGIN UPDATE Items SET ID = NEW.ID WHERE ID = OLD.ID; END");
  } else {
    conn_->ExecuteSQL(
        "CREATE FUNCTION move() RETURNS trigger AS $$ BEGIN UPDATE Items SET ID = NEW.ID "
        "WHERE ID = OLD.ID; RETURN NULL; END $$ LANGUAGE plpgsql");
    conn_->ExecuteSQL(
        "CREATE TRIGGER move INSTEAD OF UPDATE ON ItemView FOR EACH ROW EXECUTE FUNCTION move()");
  }
  EXPECT_TRUE(a.ModifyID(conn_.get(), "ItemView", 40));
  EXPECT_EQ(a.GetID(), 40);
  NamedItem unsaved("x");
  EXPECT_FALSE(unsaved.ModifyID(conn_.get(), "ItemView", 50));
  EXPECT_EQ(Ids(), std::vector<std::string>({"40"}));
}

TEST_P(DbItemBaseTest, CreateTableSendsNothing) {
  CDatabase closed;  // any statement on it would raise
  NamedItem("a").CreateTable(&closed, "Items");
  NamedItem("a").CreateTable(conn_.get(), "Elsewhere");
  EXPECT_FALSE(CDbOperateTool::CheckTableExistFromDatabase(conn_.get(), "Elsewhere"));
}

LUMO_INSTANTIATE_FOR_EVERY_ENGINE(DbItemBaseTest);

}  // namespace
