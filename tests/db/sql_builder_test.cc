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

TEST_P(SqlBuilderTest, LongBinariesGoIntoTheRecordJustInserted) {
  std::vector<unsigned char> first{1, 2, 3}, second{0, 0x27, 0xFF}, none;
  for (auto* bytes : {&first, &second}) {
    CSqlInsert insert;  // two records with the same values
    insert.AddFieldValue("Name", CString("bolt"));
    insert.AddFieldValue("Qty", 2);
    insert.AddFieldValue("Shape", *bytes);
    insert.AddFieldValue("NoSuchColumn", none);  // empty: opens nothing, so no error
    insert.ExecuteSQL(conn_.get(), "Parts");
  }
  EXPECT_EQ(Bytes("select Shape from Parts where ID = 1", "Shape"), first);
  EXPECT_EQ(Bytes("select Shape from Parts where ID = 2", "Shape"), second);
  EXPECT_TRUE(Bytes("select Note from Parts where ID = 2", "Note").empty());
  EXPECT_EQ(Column("select Len from Parts"), std::vector<std::string>({"", ""}));
}

TEST_P(SqlBuilderTest, UpdateWritesValuesAndLongBinariesWhereTold) {
  conn_->ExecuteSQL("INSERT INTO Parts(Name, Qty) VALUES('a', 1)");
  conn_->ExecuteSQL("INSERT INTO Parts(Name, Qty) VALUES('b', 1)");
  std::vector<unsigned char> shape(100000, 0x66);
  CSqlUpdate update;
  update.AddFieldValue("Qty", 9);
  update.AddFieldValue("Len", 2.5);
  update.AddFieldValue("Shape", shape);
  update.SetWhere("Name = 'b'");
  update.ExecuteSQL(conn_.get(), "Parts");
  update.ExecuteSQL(conn_.get(), "Parts");  // not emptied: the same again
  EXPECT_EQ(Column("select Qty from Parts order by ID"), std::vector<std::string>({"1", "9"}));
  EXPECT_EQ(Column("select Len from Parts order by ID"), std::vector<std::string>({"", "2.5"}));
  EXPECT_TRUE(Bytes("select Shape from Parts where ID = 1", "Shape").empty());
  EXPECT_EQ(Bytes("select Shape from Parts where ID = 2", "Shape"), shape);
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
