#include "lumotools/db/sql_builder.h"

#include <gmock/gmock.h>

#include "db/db_fixture.h"

// Reaches the statement texts the builders send.
class CSqlBuilderTextPeer {
 public:
  static CString Insert(const CSqlInsert& b, const char* table) { return b.MakeInsertSQL(table); }
  static CString Update(const CSqlUpdate& b, const char* table) { return b.MakeUpdateSQL(table); }
};

namespace {

using lumo_test::DbErrorOf;
using Peer = CSqlBuilderTextPeer;

TEST(SqlBuilderText, InsertListsFieldsInTheOrderAdded) {
  CSqlInsert insert;
  insert.AddFieldValue("a", 5);
  insert.AddFieldValue("b", CString("x"));
  insert.AddFieldValue("c", 7L);
  insert.AddFieldValue("a", 0.00049);  // the same field twice stays twice
  EXPECT_EQ(Peer::Insert(insert, "T"), "INSERT INTO T(a,b,c,a) VALUES(5,'x',7,0)");
  EXPECT_EQ(Peer::Insert(CSqlInsert(), "T"), "INSERT INTO T() VALUES()");
}

TEST(SqlBuilderText, RealsAreWrittenAsNumberText) {
  CSqlUpdate update;
  update.AddFieldValue("a", 5);
  update.AddFieldValue("b", 1.5);
  update.AddFieldValue("c", -1.5);
  update.AddFieldValue("d", 1.23456);
  update.AddFieldValue("e", 1e20);
  update.SetWhere("ID = 7");
  EXPECT_EQ(Peer::Update(update, "T"),
            "UPDATE T SET a=5, b=1.5, c=-1.5, d=1.235, e=100000000000000000000 WHERE ID = 7");
}

TEST(SqlBuilderText, UpdateWithoutWhereEndsInWhere) {
  CSqlUpdate update;
  update.AddFieldValue("Name", CString("O'Brien"));  // quotes are not doubled
  EXPECT_EQ(Peer::Update(update, "T"), "UPDATE T SET Name='O'Brien' WHERE ");
  CSqlUpdate copy(update);
  copy.SetWhere("ID = 1");
  EXPECT_EQ(Peer::Update(copy, "T"), "UPDATE T SET Name='O'Brien' WHERE ID = 1");
}

class SqlBuilderTest : public lumo_test::DbFamilyTest {
 protected:
  SqlBuilderTest() {
    db_.Execute({"CREATE TABLE Parts (" + db_.AutoNumberId() +
                 ", Name VARCHAR(40), Qty INTEGER, Len DOUBLE PRECISION, Shape " +
                 db_.LongBinaryType() + ", Note " + db_.LongBinaryType() + ")"});
  }
};

TEST_P(SqlBuilderTest, EveryLongBinaryGoesIntoTheRecordJustInsertedOnly) {
  conn_->ExecuteSQL("INSERT INTO Parts(Name, Qty) VALUES('no returning', 2)");  // equal values
  std::vector<unsigned char> shape{1, 2, 3}, note{0, 0x27, 0xFF}, none;
  CSqlInsert insert;
  insert.AddFieldValue("Name", CString("no returning"));
  insert.AddFieldValue("Qty", 2);
  insert.AddFieldValue("Shape", shape);
  insert.AddFieldValue("NoSuchColumn", none);  // empty: opens nothing, so no error
  insert.AddFieldValue("Note", note);          // written after Shape moved the record
  insert.ExecuteSQL(conn_.get(), "Parts");
  insert.ExecuteSQL(conn_.get(), "Parts");  // not emptied: a third record with its own copies
  EXPECT_TRUE(Bytes("select Shape from Parts where ID = 1", "Shape").empty());
  EXPECT_TRUE(Bytes("select Note from Parts where ID = 1", "Note").empty());
  for (const char* id : {"2", "3"}) {
    EXPECT_EQ(Bytes(std::string("select Shape from Parts where ID = ") + id, "Shape"), shape);
    EXPECT_EQ(Bytes(std::string("select Note from Parts where ID = ") + id, "Note"), note);
  }
}

TEST_P(SqlBuilderTest, UpdateWritesLongBinariesIntoEveryRecordItChanged) {
  for (const char* name : {"a", "b", "b"}) {
    conn_->ExecuteSQL(
        (std::string("INSERT INTO Parts(Name, Qty) VALUES('") + name + "', 1)").c_str());
  }
  std::vector<unsigned char> shape(100000, 0x66), note{9};
  CSqlUpdate update;
  update.AddFieldValue("Qty", 9);
  update.AddFieldValue("Name", CString("c"));  // no longer what the where text selects
  update.AddFieldValue("Len", 2.5);
  update.AddFieldValue("Shape", shape);
  update.AddFieldValue("Note", note);
  update.SetWhere("Name = 'b'");
  update.ExecuteSQL(conn_.get(), "Parts");
  update.ExecuteSQL(conn_.get(), "Parts");  // selects nothing now: changes nothing
  EXPECT_EQ(Column("select Name from Parts order by ID"),
            std::vector<std::string>({"a", "c", "c"}));
  EXPECT_EQ(Column("select Len from Parts order by ID"),
            std::vector<std::string>({"", "2.5", "2.5"}));
  EXPECT_TRUE(Bytes("select Shape from Parts where ID = 1", "Shape").empty());
  for (const char* id : {"2", "3"}) {
    EXPECT_EQ(Bytes(std::string("select Shape from Parts where ID = ") + id, "Shape"), shape);
    EXPECT_EQ(Bytes(std::string("select Note from Parts where ID = ") + id, "Note"), note);
  }
}

// A record that is gone when its value is to be written, and a connection opened read-only, end
// the writing of long binaries without an error and without writing anywhere else.
TEST_P(SqlBuilderTest, UnreachableRecordsGetNoLongBinaryAndRaiseNothing) {
  conn_->ExecuteSQL("INSERT INTO Parts(Name) VALUES('older')");
  if (db_.engine() == lumo_test::DbEngine::kSqlite) {
    conn_->ExecuteSQL(
        "CREATE TRIGGER gone AFTER INSERT ON Parts WHEN NEW.Name = 'gone' "
        "BEGIN DELETE FROM Parts WHERE ID = NEW.ID; END");
  } else {
    conn_->ExecuteSQL(
        "CREATE FUNCTION gone() RETURNS trigger AS $$ BEGIN DELETE FROM Parts WHERE ID = NEW.ID; "
        "RETURN NULL; END $$ LANGUAGE plpgsql");
    conn_->ExecuteSQL(
        "CREATE TRIGGER gone AFTER INSERT ON Parts FOR EACH ROW WHEN (NEW.Name = 'gone') "
        "EXECUTE FUNCTION gone()");
  }
  std::vector<unsigned char> shape{1}, note{2};
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
  EXPECT_EQ(Column("select Name from Parts order by ID"),
            std::vector<std::string>({"older", "read-only"}));
  EXPECT_EQ(Column("select Shape from Parts where Shape is not null or Note is not null").size(),
            0u);
}

TEST_P(SqlBuilderTest, RejectedStatementsWriteNothing) {
  std::vector<unsigned char> shape{1};
  CSqlInsert quoted;
  quoted.AddFieldValue("Name", CString("O'Brien"));
  quoted.AddFieldValue("Shape", shape);
  EXPECT_NE(DbErrorOf([&] { quoted.ExecuteSQL(conn_.get(), "Parts"); }), "");
  EXPECT_NE(DbErrorOf([&] { CSqlInsert().ExecuteSQL(conn_.get(), "Parts"); }), "");
  CSqlUpdate noWhere;
  noWhere.AddFieldValue("Qty", 1);
  EXPECT_NE(DbErrorOf([&] { noWhere.ExecuteSQL(conn_.get(), "Parts"); }), "");
  CSqlInsert missingTable;
  missingTable.AddFieldValue("Qty", 1);
  EXPECT_NE(DbErrorOf([&] { missingTable.ExecuteSQL(conn_.get(), "Nowhere"); }), "");
  EXPECT_TRUE(Column("select ID from Parts").empty());
}

LUMO_INSTANTIATE_FOR_EVERY_ENGINE(SqlBuilderTest);

}  // namespace
