#include "lumotools/db/lumo_recordset.h"

#include <gmock/gmock.h>

#include "db/db_fixture.h"

namespace {

using lumo_test::DbEngine;
using lumo_test::DbErrorOf;

class LumoRecordsetTest : public lumo_test::DbFamilyTest {
 protected:
  LumoRecordsetTest() {
    conn_->ExecuteSQL(
        "CREATE TABLE People (ID INTEGER, Name VARCHAR(40), Age SMALLINT, Height REAL, "
        "Weight DOUBLE PRECISION, Born TIMESTAMP, Photo " +
        CString(db_.LongBinaryType().c_str()) + ")");
  }
};

TEST_P(LumoRecordsetTest, GetMaxIdFallsBackToTheDefaultOnlyWithoutAValue) {
  EXPECT_EQ(CLumoRecordset::GetMaxId(conn_.get(), "People", "ID", 42), 42);  // NULL maximum
  conn_->ExecuteSQL("INSERT INTO People(ID) VALUES(-5)");
  EXPECT_EQ(CLumoRecordset::GetMaxId(conn_.get(), "People", "ID", 42), -5);
  conn_->ExecuteSQL("INSERT INTO People(ID, Age) VALUES(17, 3)");
  EXPECT_EQ(CLumoRecordset::GetMaxId(conn_.get(), "People", "ID", 0), 17);
  EXPECT_EQ(CLumoRecordset::GetMaxId(conn_.get(), "People", "Age", 0), 3);  // a short column
  // A text maximum is neither short nor long.
  EXPECT_EQ(CLumoRecordset::GetMaxId(conn_.get(), "People", "Name", 7), 7);
  EXPECT_NE(DbErrorOf([&] { CLumoRecordset::GetMaxId(conn_.get(), "Nobody", "ID", 0); }), "");
}

TEST_P(LumoRecordsetTest, FieldReadersTakeEachColumnInItsOwnType) {
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
  EXPECT_EQ(id, 1);
  EXPECT_EQ(idLong, 1);
  EXPECT_EQ(age, 31);
  EXPECT_FLOAT_EQ(height, 1.5f);
  EXPECT_EQ(weight, 62.25);
  EXPECT_EQ(name, "Ann");
  EXPECT_EQ(born.GetYear(), 2001);
  EXPECT_EQ(born.GetMonth(), 2);
  EXPECT_EQ(born.GetDay(), 3);
  EXPECT_EQ(born.GetHour(), 4);
  EXPECT_EQ(born.GetMinute(), 5);
  EXPECT_EQ(born.GetSecond(), 6);
  // A NULL field reads as nothing.
  std::vector<unsigned char> photo{9, 9};
  EXPECT_EQ(rs.fGetFieldValue("Photo", photo), 0u);
  EXPECT_TRUE(photo.empty());
  EXPECT_NE(DbErrorOf([&] { rs.fGetFieldValue("Nickname", name); }), "");
}

TEST_P(LumoRecordsetTest, TableChecksConsumeTheirOwnErrors) {
  EXPECT_TRUE(CDbOperateTool::CheckTableExistFromDatabase(conn_.get(), "People"));
  EXPECT_FALSE(CDbOperateTool::CheckTableExistFromDatabase(conn_.get(), "Nobody"));

  std::vector<CString> fields{"photo", "ID", "NAME", "Age", "Height", "Weight", "Born"};
  EXPECT_TRUE(CDbOperateTool::CheckTableStructFromDatabase(conn_.get(), "People", fields));
  EXPECT_EQ(fields.size(), 7u);
  fields[0] = "Foto";  // misspelt, right count
  EXPECT_FALSE(CDbOperateTool::CheckTableStructFromDatabase(conn_.get(), "People", fields));
  fields[0] = "Photo";
  fields.push_back("ID");  // one too many, each a column
  EXPECT_FALSE(CDbOperateTool::CheckTableStructFromDatabase(conn_.get(), "People", fields));
  fields.resize(6);  // one too few
  EXPECT_FALSE(CDbOperateTool::CheckTableStructFromDatabase(conn_.get(), "People", fields));
  EXPECT_FALSE(CDbOperateTool::CheckTableStructFromDatabase(conn_.get(), "Nobody", fields));
  // The connection is still usable after the consumed failures.
  conn_->ExecuteSQL("INSERT INTO People(ID) VALUES(1)");
}

TEST_P(LumoRecordsetTest, GetRecordCountQuotesTextsAsTheyStand) {
  conn_->ExecuteSQL("INSERT INTO People(ID, Name) VALUES(1, 'Ann')");
  conn_->ExecuteSQL("INSERT INTO People(ID, Name) VALUES(2, 'Ann')");
  conn_->ExecuteSQL("INSERT INTO People(ID, Name) VALUES(2, 'Bob')");
  EXPECT_EQ(CDbOperateTool::GetRecordCount(conn_.get(), "People", "Name", CString("Ann")), 2);
  EXPECT_EQ(CDbOperateTool::GetRecordCount(conn_.get(), "People", "Name", CString("Cy")), 0);
  EXPECT_EQ(CDbOperateTool::GetRecordCount(conn_.get(), "People", "ID", 2L), 2);
  EXPECT_EQ(CDbOperateTool::GetRecordCount(conn_.get(), "People", "ID", -1L), 0);
  EXPECT_NE(DbErrorOf([&] {
              CDbOperateTool::GetRecordCount(conn_.get(), "People", "Name", CString("O'Brien"));
            }),
            "");
}

LUMO_INSTANTIATE_FOR_EVERY_ENGINE(LumoRecordsetTest);

}  // namespace
