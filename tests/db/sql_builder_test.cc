// Writing records: the statement texts of the builders, long binaries written after the statement
// into the records it touched, and the items that insert, update and delete themselves.
#include <gmock/gmock.h>

#include "db/db_fixture.h"
#include "lumotools/db/db_item_base.h"

// Reaches the statement texts the builders send.
class CSqlBuilderTextPeer {
 public:
  static CString Insert(const CSqlInsert& b, const char* table) { return b.MakeInsertSQL(table); }
  static CString Update(const CSqlUpdate& b, const char* table) { return b.MakeUpdateSQL(table); }
  static CString Filter(const CSqlInsert& b) { return b.MakeFilterStr(); }
};

namespace {

using lumo_test::DbErrorOf;
using Peer = CSqlBuilderTextPeer;
using Blob = std::vector<unsigned char>;
using Texts = std::vector<std::string>;

TEST(SqlBuilderText, ListsFieldsInTheOrderAddedWithNumbersAsNumberText) {
  CSqlInsert insert;
  insert.AddFieldValue("a", 5);
  insert.AddFieldValue("b", CString("x"));
  insert.AddFieldValue("c", 7L);
  insert.AddFieldValue("a", 0.00049);  // the same field twice stays twice
  EXPECT_EQ(Peer::Insert(insert, "T"), "INSERT INTO T(a,b,c,a) VALUES(5,'x',7,0)");
  EXPECT_EQ(Peer::Insert(CSqlInsert(), "T"), "INSERT INTO T() VALUES()");
  EXPECT_EQ(Peer::Filter(insert), "a=5 AND b='x' AND c=7 AND a=0");

  CSqlUpdate update;
  update.AddFieldValue("a", 5);
  update.AddFieldValue("b", 1.5);
  update.AddFieldValue("c", -1.5);
  update.AddFieldValue("d", 1.23456);
  update.AddFieldValue("e", 1e20);
  update.SetWhere("ID = 7");
  EXPECT_EQ(Peer::Update(update, "T"),
            "UPDATE T SET a=5, b=1.5, c=-1.5, d=1.235, e=100000000000000000000 WHERE ID = 7");
  CSqlUpdate quoted;
  quoted.AddFieldValue("Name", CString("O'Brien"));  // quotes are not doubled
  EXPECT_EQ(Peer::Update(quoted, "T"), "UPDATE T SET Name='O'Brien' WHERE ");
}

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

class WritingTest : public lumo_test::DbFamilyTest {
 protected:
  WritingTest() {
    db_.Execute({"CREATE TABLE Parts (" + db_.AutoNumberId() +
                     ", Name VARCHAR(40), Qty INTEGER, Len DOUBLE PRECISION, Shape " +
                     db_.LongBinaryType() + ", Note " + db_.LongBinaryType() + ")",
                 "CREATE TABLE Items (" + db_.AutoNumberId() + ", Name VARCHAR(40))"});
  }
  Blob Of(const char* column, const std::string& id) {
    return Bytes("select " + std::string(column) + " from Parts where ID = " + id, column);
  }
  Texts Names() { return Column("select Name from Items order by ID"); }
  // A row trigger that runs statement; event is e.g. "AFTER INSERT ON T FOR EACH ROW".
  void Trigger(const std::string& name, const std::string& event, const std::string& statement) {
    const std::string create = "CREATE TRIGGER " + name + " " + event;
    if (db_.engine() == lumo_test::DbEngine::kSqlite) {
      conn_->ExecuteSQL((create + " BEGIN " + statement + "; END").c_str());
      return;
    }
    conn_->ExecuteSQL(("CREATE FUNCTION " + name + "() RETURNS trigger AS $$ BEGIN " + statement +
                       "; RETURN NULL; END $$ LANGUAGE plpgsql")
                          .c_str());
    conn_->ExecuteSQL((create + " EXECUTE FUNCTION " + name + "()").c_str());
  }
};

TEST_P(WritingTest, EveryLongBinaryGoesIntoTheRecordJustInsertedOnly) {
  conn_->ExecuteSQL("INSERT INTO Parts(Name, Qty) VALUES('no returning', 2)");  // equal values
  Blob shape{1, 2, 3}, note{0, 0x27, 0xFF}, none;
  CSqlInsert insert;
  insert.AddFieldValue("Name", CString("no returning"));
  insert.AddFieldValue("Qty", 2);
  insert.AddFieldValue("Shape", shape);
  insert.AddFieldValue("NoSuchColumn", none);  // empty: opens nothing, so no error
  insert.AddFieldValue("Note", note);          // written after Shape moved the record
  insert.ExecuteSQL(conn_.get(), "Parts");
  insert.ExecuteSQL(conn_.get(), "Parts");  // not emptied: a third record with its own copies
  EXPECT_TRUE(Of("Shape", "1").empty());
  EXPECT_TRUE(Of("Note", "1").empty());
  for (const char* id : {"2", "3"}) {
    EXPECT_EQ(Of("Shape", id), shape);
    EXPECT_EQ(Of("Note", id), note);
  }
  EXPECT_EQ(Column("select Qty from Parts order by ID"), Texts({"2", "2", "2"}));
}

TEST_P(WritingTest, UpdateWritesLongBinariesIntoEveryRecordItChanged) {
  for (const char* name : {"a", "b", "b"}) {
    conn_->ExecuteSQL(
        (std::string("INSERT INTO Parts(Name, Qty) VALUES('") + name + "', 1)").c_str());
  }
  Blob shape(100000, 0x66), note{9};
  CSqlUpdate update;
  update.AddFieldValue("Qty", 9);
  update.AddFieldValue("Name", CString("c"));  // no longer what the where text selects
  update.AddFieldValue("Len", 2.5);
  update.AddFieldValue("Shape", shape);
  update.AddFieldValue("Note", note);
  update.SetWhere("Name = 'b'");
  update.ExecuteSQL(conn_.get(), "Parts");
  update.ExecuteSQL(conn_.get(), "Parts");  // selects nothing now: changes nothing
  EXPECT_EQ(Column("select Name from Parts order by ID"), Texts({"a", "c", "c"}));
  EXPECT_EQ(Column("select Len from Parts order by ID"), Texts({"", "2.5", "2.5"}));
  EXPECT_TRUE(Of("Shape", "1").empty());
  for (const char* id : {"2", "3"}) {
    EXPECT_EQ(Of("Shape", id), shape);
    EXPECT_EQ(Of("Note", id), note);
  }
}

// A record that is gone when its value is to be written, and a connection opened read-only, end
// the writing of long binaries without an error and without writing anywhere else.
TEST_P(WritingTest, UnreachableRecordsGetNoLongBinaryAndRaiseNothing) {
  conn_->ExecuteSQL("INSERT INTO Parts(Name) VALUES('older')");
  Trigger("gone", "AFTER INSERT ON Parts FOR EACH ROW WHEN (NEW.Name = 'gone')",
          "DELETE FROM Parts WHERE ID = NEW.ID");
  Blob shape{1}, note{2};
  for (const char* name : {"gone", "read-only"}) {
    CDatabase readOnly;
    readOnly.OpenEx(db_.connectText().c_str(), CDatabase::openReadOnly);
    CSqlInsert insert;
    insert.AddFieldValue("Name", CString(name));
    insert.AddFieldValue("Shape", shape);
    insert.AddFieldValue("Note", note);
    insert.ExecuteSQL(std::string(name) == "gone" ? conn_.get() : &readOnly, "Parts");
  }
  // The drivers leave the access mode to the application: the read-only connection's statement
  // ran, its recordsets could not update.
  EXPECT_EQ(Column("select Name from Parts order by ID"), Texts({"older", "read-only"}));
  EXPECT_TRUE(Column("select ID from Parts where Shape is not null or Note is not null").empty());
}

TEST_P(WritingTest, ItemsInsertUpdateAndDeleteTheirOwnRecord) {
  NamedItem a("a"), b("b"), c("c");
  EXPECT_EQ(a.GetID(), -1);
  for (NamedItem* item : {&a, &b, &c}) item->InsertToDB(conn_.get(), "Items");
  EXPECT_EQ(b.GetID(), 2);  // the number the database gave
  CLumoRecordset rs(conn_.get());
  rs.Open(CRecordset::forwardOnly, "select * from Items where ID = 2", CRecordset::readOnly);
  const NamedItem read(rs);
  EXPECT_EQ(read.GetID(), 2);
  EXPECT_EQ(read.m_name, "b");
  rs.Close();

  b.m_name = "B";
  b.UpdateToDB(conn_.get(), "Items");
  NamedItem("x").UpdateToDB(conn_.get(), "Items");  // ID = -1: changes nothing
  EXPECT_EQ(Names(), Texts({"a", "B", "c"}));
  a.UpdateToDB(conn_.get(), "Items", "Name = 'c'");  // by a condition of the caller's
  EXPECT_EQ(Names(), Texts({"a", "B", "a"}));
  a.DeleteFromDB(conn_.get(), "Items");
  EXPECT_EQ(Names(), Texts({"B", "a"}));
  c.DeleteFromDB(conn_.get(), "Items", "Name = 'B'");
  EXPECT_EQ(Column("select ID from Items"), Texts({"3"}));
}

TEST_P(WritingTest, ModifyIdRefusesATakenIdentifierAndChecksTheTableWhereCountsHide) {
  NamedItem a("a"), b("b");
  a.InsertToDB(conn_.get(), "Items");
  b.InsertToDB(conn_.get(), "Items");
  EXPECT_FALSE(a.ModifyID(conn_.get(), "Items", 2));
  EXPECT_EQ(a.GetID(), 1);
  EXPECT_TRUE(a.ModifyID(conn_.get(), "Items", 40));
  EXPECT_EQ(a.GetID(), 40);
  a.m_name = "moved";
  a.UpdateToDB(conn_.get(), "Items");
  EXPECT_EQ(Names(), Texts({"b", "moved"}));
  NamedItem unsaved("x");  // no record carries -1
  EXPECT_FALSE(unsaved.ModifyID(conn_.get(), "Items", 50));
  EXPECT_EQ(unsaved.GetID(), -1);

  // Through a view whose trigger does the update, the engine reports no changed record although
  // the record moved.
  conn_->ExecuteSQL("CREATE VIEW ItemView AS SELECT * FROM Items");
  Trigger("move", "INSTEAD OF UPDATE ON ItemView FOR EACH ROW",
          "UPDATE Items SET ID = NEW.ID WHERE ID = OLD.ID");
  EXPECT_TRUE(a.ModifyID(conn_.get(), "ItemView", 41));
  EXPECT_FALSE(unsaved.ModifyID(conn_.get(), "ItemView", 50));
  EXPECT_EQ(Column("select ID from Items order by ID"), Texts({"2", "41"}));
}

LUMO_INSTANTIATE_FOR_EVERY_ENGINE(WritingTest);

}  // namespace
