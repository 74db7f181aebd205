#include "lumotools/db/data_recordset.h"

#include <cstring>

#include <gmock/gmock.h>

#include "db/db_fixture.h"

namespace {

using lumo_test::DbErrorOf;

TEST(DataRecordset, FreshRecordsetAndItsDataObject) {
  CDataRecordset rs(nullptr);
  EXPECT_EQ(rs.m_nFields, 4u);
  EXPECT_STREQ(rs.GetRuntimeClass()->m_lpszClassName, "CDataRecordset");
  EXPECT_TRUE(rs.IsKindOf(RUNTIME_CLASS(CLumoRecordset)));
  const CObjID id = rs.GetObjID();
  EXPECT_EQ(id.GetTableID(), TB_NULL);
  EXPECT_EQ(id.GetID(), -1);
  EXPECT_EQ(id.GetParentID(), -1);
  EXPECT_EQ(id.GetPropID(), -1);

  std::vector<unsigned char> bytes;
  EXPECT_EQ(rs.ReadDataObj(bytes), 0u);  // no memory yet
  EXPECT_TRUE(rs.WriteDataObj({7, 0, 9}));
  EXPECT_EQ(rs.ReadDataObj(bytes), 3u);
  EXPECT_EQ(bytes, std::vector<unsigned char>({7, 0, 9}));
  EXPECT_FALSE(rs.WriteDataObj({}));  // frees the earlier block
  EXPECT_EQ(rs.ReadDataObj(bytes), 0u);
  EXPECT_TRUE(bytes.empty());
  // Without a connection the recordset tries its default data source, which is not here.
  EXPECT_NE(DbErrorOf([&] { rs.OpenForAppend("TB_ENT"); }), "");
}

class DataRecordsetTest : public lumo_test::DbFamilyTest {
 protected:
  DataRecordsetTest() {
    db_.Execute({"CREATE TABLE TB_ENT (ID INTEGER, ParentID INTEGER, PropID INTEGER, DataObj " +
                 db_.LongBinaryType() + ")"});
  }

  void Append(long id, long parent, long prop, const std::vector<unsigned char>& bytes) {
    CDataRecordset rs(conn_.get());
    ASSERT_TRUE(rs.OpenForAppend("TB_ENT"));
    EXPECT_EQ(rs.GetSQL(), "select * from TB_ENT where 1=0 ");
    EXPECT_TRUE(rs.IsEOF());
    rs.AddNew();
    CObjID objId;
    objId.SetTableID(TB_ENT);
    objId.SetID(id);
    objId.SetParentID(parent);
    objId.SetPropID(prop);
    rs.SetObjID(objId);
    rs.WriteDataObj(bytes);
    EXPECT_TRUE(rs.Update());
  }
};

TEST_P(DataRecordsetTest, AppendsAndReadsBackObjectsWithTheirData) {
  Append(7, 1, 2, {1, 2, 3});
  Append(8, 7, 2, std::vector<unsigned char>(300000, 0x5A));
  Append(9, 7, 3, {4});

  CObjID parent;
  parent.SetTableID(TB_ENT);
  parent.SetID(7);
  CDataRecordset rs(conn_.get());
  ASSERT_TRUE(rs.OpenTable(CRecordset::snapshot, parent.BuildSql(), CRecordset::readOnly));
  ASSERT_FALSE(rs.IsEOF());
  const CObjID read = rs.GetObjID();
  EXPECT_EQ(read.GetID(), 7);
  EXPECT_EQ(read.GetParentID(), 1);
  EXPECT_EQ(read.GetPropID(), 2);
  std::vector<unsigned char> bytes;
  EXPECT_EQ(rs.ReadDataObj(bytes), 3u);
  EXPECT_EQ(bytes, std::vector<unsigned char>({1, 2, 3}));
  rs.Close();

  CDataRecordset children(conn_.get());
  ASSERT_TRUE(children.OpenTable(CRecordset::forwardOnly, parent.BuildDynSql(TB_ENT, 2),
                                 CRecordset::readOnly));
  ASSERT_FALSE(children.IsEOF());
  EXPECT_EQ(children.GetObjID().GetID(), 8);
  EXPECT_EQ(children.ReadDataObj(bytes), 300000u);
  EXPECT_EQ(bytes, std::vector<unsigned char>(300000, 0x5A));
  children.MoveNext();
  EXPECT_TRUE(children.IsEOF());
}

TEST_P(DataRecordsetTest, RewritesTheDataOfTheRecordItStandsOn) {
  Append(7, 1, 2, {1});
  Append(8, 1, 2, {2});
  COleRecordset rs(conn_.get(), "DataObj");
  ASSERT_TRUE(rs.OpenTable(CRecordset::dynaset, "select DataObj from TB_ENT where ID = 8", 0));
  ASSERT_TRUE(rs.CanUpdate());
  rs.Edit();
  EXPECT_TRUE(rs.WriteDataObj({0x66, 0, 0x66}));
  EXPECT_TRUE(rs.Update());
  EXPECT_EQ(Bytes("select DataObj from TB_ENT where ID = 7", "DataObj"),
            std::vector<unsigned char>({1}));
  EXPECT_EQ(Bytes("select DataObj from TB_ENT where ID = 8", "DataObj"),
            std::vector<unsigned char>({0x66, 0, 0x66}));
}

LUMO_INSTANTIATE_FOR_EVERY_ENGINE(DataRecordsetTest);

}  // namespace
