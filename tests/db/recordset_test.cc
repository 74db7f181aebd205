// Reading records: the recordset's typed field readers and table checks, the data recordset's
// long binary, and the identifier manager's row in the config table.
#include <gmock/gmock.h>

#include "db/db_fixture.h"
#include "lumotools/db/data_recordset.h"

namespace {

using lumo_test::DbErrorOf;
using Blob = std::vector<unsigned char>;

class RecordsetTest : public lumo_test::DbFamilyTest {
 protected:
  RecordsetTest() {
    db_.Execute(
        {"CREATE TABLE People (ID INTEGER, Name VARCHAR(40), Age SMALLINT, Height REAL, "
         "Weight DOUBLE PRECISION, Born TIMESTAMP, Photo " +
             db_.LongBinaryType() + ")",
         "CREATE TABLE TB_ENT (ID INTEGER, ParentID INTEGER, PropID INTEGER, DataObj " +
             db_.LongBinaryType() + ")"});
  }

  void Append(long id, long parent, long prop, const Blob& bytes) {
    CDataRecordset rs(conn_.get());
    ASSERT_TRUE(rs.OpenForAppend("TB_ENT"));
    EXPECT_EQ(rs.GetSQL(), "select * from TB_ENT where 1=0 ");
    EXPECT_TRUE(rs.IsEOF());
    rs.AddNew();
    CObjID objId;
    objId.SetID(id);
    objId.SetParentID(parent);
    objId.SetPropID(prop);
    rs.SetObjID(objId);
    rs.WriteDataObj(bytes);
    EXPECT_TRUE(rs.Update());
  }
};

TEST_P(RecordsetTest, GetMaxIdFallsBackToTheDefaultOnlyWithoutANumber) {
  EXPECT_EQ(CLumoRecordset::GetMaxId(conn_.get(), "People", "ID", 42), 42);  // NULL maximum
  conn_->ExecuteSQL("INSERT INTO People(ID) VALUES(-5)");
  EXPECT_EQ(CLumoRecordset::GetMaxId(conn_.get(), "People", "ID", 42), -5);
  conn_->ExecuteSQL("INSERT INTO People(ID, Age, Name) VALUES(17, 3, 'x')");
  EXPECT_EQ(CLumoRecordset::GetMaxId(conn_.get(), "People", "Age", 0), 3);  // a short column
  EXPECT_EQ(CLumoRecordset::GetMaxId(conn_.get(), "People", "Name", 7), 7);
  EXPECT_NE(DbErrorOf([&] { CLumoRecordset::GetMaxId(conn_.get(), "Nobody", "ID", 0); }), "");
}

TEST_P(RecordsetTest, FieldReadersTakeEachColumnInItsOwnType) {
  conn_->ExecuteSQL(
      "INSERT INTO People(ID, Name, Age, Height, Weight, Born) "
      "VALUES(1, 'Ann', 31, 1.5, 62.25, '2001-02-03 04:05:06')");
  CLumoRecordset rs(conn_.get());
  rs.Open(CRecordset::forwardOnly, "select * from People", CRecordset::readOnly);
  int id = 0;
  long idLong = 0;
  short age = 0;
  float height = 0;
  double weight = 0;
  CString name;
  COleDateTime born;
  rs.fGetFieldValue("ID", id);
  rs.fGetFieldValue("id", idLong);
  rs.fGetFieldValue("Age", age);
  rs.fGetFieldValue("Height", height);
  rs.fGetFieldValue("Weight", weight);
  rs.fGetFieldValue("Name", name);
  rs.fGetFieldValue("Born", born);
  EXPECT_EQ(id + idLong, 2);
  EXPECT_EQ(age, 31);
  EXPECT_FLOAT_EQ(height, 1.5f);
  EXPECT_EQ(weight, 62.25);
  EXPECT_EQ(name, "Ann");
  EXPECT_TRUE(born == COleDateTime(2001, 2, 3, 4, 5, 6));
  Blob photo{9, 9};  // a NULL field reads as nothing
  EXPECT_EQ(rs.fGetFieldValue("Photo", photo), 0u);
  EXPECT_TRUE(photo.empty());
  EXPECT_NE(DbErrorOf([&] { rs.fGetFieldValue("Nickname", name); }), "");
}

TEST_P(RecordsetTest, TableChecksAndCountsConsumeTheirOwnErrors) {
  EXPECT_TRUE(CDbOperateTool::CheckTableExistFromDatabase(conn_.get(), "People"));
  EXPECT_FALSE(CDbOperateTool::CheckTableExistFromDatabase(conn_.get(), "Nobody"));
  std::vector<CString> fields{"photo", "ID", "NAME", "Age", "Height", "Weight", "Born"};
  EXPECT_TRUE(CDbOperateTool::CheckTableStructFromDatabase(conn_.get(), "People", fields));
  fields[0] = "Foto";  // misspelt, right count
  EXPECT_FALSE(CDbOperateTool::CheckTableStructFromDatabase(conn_.get(), "People", fields));
  fields[0] = "Photo";
  fields.push_back("ID");  // one too many, each a column
  EXPECT_FALSE(CDbOperateTool::CheckTableStructFromDatabase(conn_.get(), "People", fields));
  fields.resize(6);
  EXPECT_FALSE(CDbOperateTool::CheckTableStructFromDatabase(conn_.get(), "People", fields));

  for (const char* row : {"1, 'Ann'", "2, 'Ann'", "2, 'Bob'"}) {
    conn_->ExecuteSQL((std::string("INSERT INTO People(ID, Name) VALUES(") + row + ")").c_str());
  }
  EXPECT_EQ(CDbOperateTool::GetRecordCount(conn_.get(), "People", "Name", CString("Ann")), 2);
  EXPECT_EQ(CDbOperateTool::GetRecordCount(conn_.get(), "People", "ID", 2L), 2);
  EXPECT_EQ(CDbOperateTool::GetRecordCount(conn_.get(), "People", "ID", -1L), 0);
  // Texts are quoted as they stand.
  EXPECT_NE(DbErrorOf([&] {
              CDbOperateTool::GetRecordCount(conn_.get(), "People", "Name", CString("O'Brien"));
            }),
            "");
}

TEST(DataRecordset, KeepsOneDataBlockUntilTheNextWrite) {
  CDataRecordset rs(nullptr);
  Blob bytes{1};
  EXPECT_EQ(rs.ReadDataObj(bytes), 0u);  // no memory yet
  EXPECT_TRUE(bytes.empty());
  EXPECT_TRUE(rs.WriteDataObj({7, 0, 9}));
  EXPECT_EQ(rs.ReadDataObj(bytes), 3u);
  EXPECT_EQ(bytes, Blob({7, 0, 9}));
  EXPECT_FALSE(rs.WriteDataObj({}));  // frees the earlier block
  EXPECT_EQ(rs.ReadDataObj(bytes), 0u);
  // Without a connection the recordset tries its default data source, which is not here.
  EXPECT_NE(DbErrorOf([&] { rs.OpenForAppend("TB_ENT"); }), "");
}

TEST_P(RecordsetTest, DataRecordsetsAppendReadAndRewriteObjects) {
  Append(7, 1, 2, {1, 2, 3});
  Append(8, 7, 2, Blob(300000, 0x5A));
  Append(9, 7, 3, {4});
  CObjID parent;
  parent.SetTableID(TB_ENT);
  parent.SetID(7);
  CDataRecordset rs(conn_.get());
  ASSERT_TRUE(rs.OpenTable(CRecordset::snapshot, parent.BuildSql(), CRecordset::readOnly));
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_EQ(rs.GetObjID().GetParentID(), 1);
  EXPECT_EQ(rs.GetObjID().GetPropID(), 2);
  Blob bytes;
  EXPECT_EQ(rs.ReadDataObj(bytes), 3u);
  EXPECT_EQ(bytes, Blob({1, 2, 3}));
  rs.Close();

  CDataRecordset children(conn_.get());
  ASSERT_TRUE(children.OpenTable(CRecordset::forwardOnly, parent.BuildDynSql(TB_ENT, 2),
                                 CRecordset::readOnly));
  ASSERT_FALSE(children.IsEOF());
  EXPECT_EQ(children.GetObjID().GetID(), 8);
  EXPECT_EQ(children.ReadDataObj(bytes), 300000u);
  EXPECT_EQ(bytes, Blob(300000, 0x5A));
  children.MoveNext();
  EXPECT_TRUE(children.IsEOF());

  COleRecordset one(conn_.get(), "DataObj");
  ASSERT_TRUE(one.OpenTable(CRecordset::dynaset, "select DataObj from TB_ENT where ID = 8", 0));
  one.Edit();
  EXPECT_TRUE(one.WriteDataObj({0x66, 0, 0x66}));
  EXPECT_TRUE(one.Update());
  EXPECT_EQ(Bytes("select DataObj from TB_ENT where ID = 7", "DataObj"), Blob({1, 2, 3}));
  EXPECT_EQ(Bytes("select DataObj from TB_ENT where ID = 8", "DataObj"), Blob({0x66, 0, 0x66}));
}

TEST_P(RecordsetTest, IdManagerSavesAndLoadsTheRunningMaximumInTheConfigRow) {
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
  EXPECT_EQ(Column("select nVal from config order by key"),
            std::vector<std::string>({std::to_string(next), "5"}));
  conn_->ExecuteSQL("UPDATE config SET nVal = 123456 WHERE key = 'max_id'");
  manager.LoadInfo(conn_.get());
  EXPECT_EQ(manager.GetNextID(), 123457);
}

LUMO_INSTANTIATE_FOR_EVERY_ENGINE(RecordsetTest);

}  // namespace
