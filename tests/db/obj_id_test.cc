// CObjID and the identifier manager without a database. Each test runs in a process of its own,
// so the manager is fresh in every one.
#include "lumotools/db/obj_id.h"

#include <gtest/gtest.h>

#include "lumotools/platform/mem_file.h"

namespace {

TEST(IdManager, StartsAtOneThousandAndCountsUp) {
  CLumoID_Manager& manager = CLumoID_Manager::instance();
  EXPECT_EQ(manager.GetCurMaxID(), 1000);
  EXPECT_EQ(manager.GetNextID(), 1001);
  EXPECT_EQ(manager.GetNextID(), 1002);
  CObjID high;
  high.SetID(5000);  // registering does not raise the maximum
  EXPECT_EQ(manager.GetCurMaxID(), 1002);
  CLumoID_Manager copy = manager;
  EXPECT_EQ(copy.GetNextID(), 1003);
  EXPECT_EQ(manager.GetCurMaxID(), 1002);
  ASSERT_NE(copy.FindObjID(5000), nullptr);
}

TEST(ObjId, SettersRegisterACopyOfTheWholeIdentifier) {
  CLumoID_Manager& manager = CLumoID_Manager::instance();
  EXPECT_EQ(manager.FindObjID(5), nullptr);
  CObjID id;
  EXPECT_TRUE(id.IsNull());
  EXPECT_FALSE(id.IsValid());
  id.SetParentID(9);
  id.SetID(5);
  id.SetPropID(4);  // not registered until the next SetID or SetTableID
  const CObjID* stored = manager.FindObjID(5);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->GetParentID(), 9);
  EXPECT_EQ(stored->GetPropID(), -1);
  EXPECT_EQ(stored->GetTableID(), TB_NULL);
  id.SetTableID(TB_LEVEL);
  EXPECT_EQ(manager.FindObjID(5)->GetPropID(), 4);
  EXPECT_EQ(manager.FindObjID(5)->GetTableID(), TB_LEVEL);
  id.SetNull();
  EXPECT_TRUE(id.IsNull());
  EXPECT_EQ(id.GetID(), -1);
  EXPECT_EQ(manager.FindObjID(5)->GetTableID(), TB_LEVEL);
}

TEST(ObjId, ComparesIdentifiersOnly) {
  CObjID area, floor, zero;
  area.SetTableID(TB_AREA);
  area.SetID(3);
  floor.SetTableID(TB_FLOOR);
  floor.SetID(3);
  zero.SetID(0);
  EXPECT_TRUE(area == floor);
  EXPECT_FALSE(area != floor);
  EXPECT_TRUE(zero < area);
  EXPECT_TRUE(area > zero);
  EXPECT_TRUE(area <= floor && area >= floor);
  EXPECT_TRUE(zero.IsValid());
}

TEST(ObjId, BuildsItsStatements) {
  CObjID id;
  id.SetTableID(TB_ENT);
  id.SetID(7);
  EXPECT_EQ(id.BuildSql(), "select * from TB_ENT where ID = 7");
  EXPECT_EQ(id.BuildDynSql(TB_ENT, 2), "select * from TB_ENT where ParentID = 7 and PropID = 2");
  EXPECT_EQ(id.BuildDynSql(TB_CAD_GRAPH, -1),
            "select * from TB_CAD_GRAPH where ParentID = 7 and PropID = -1");
  EXPECT_EQ(DbTableName(TB_WORLD), "TB_WORLD");
  EXPECT_EQ(DbTableName(TB_TEMPLATE_SOUL), "TB_TEMPLATE_SOUL");
  EXPECT_EQ(DbTableName(static_cast<DbTableID>(13)), "");
  EXPECT_EQ(id.FieldCount(), 3u);
}

TEST(ObjId, ArchivesFiveWordsAndRegistersWhatItLoads) {
  CObjID id;
  id.SetTableID(TB_AXIS);
  id.SetID(77);
  id.SetParentID(-3);
  id.SetPropID(0x01020304);
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    id.Serialize(ar);
  }
  ASSERT_EQ(file.GetLength(), 20u);
  std::vector<unsigned char> bytes(20);
  file.SeekToBegin();
  file.Read(bytes.data(), 20);
  EXPECT_EQ(bytes, std::vector<unsigned char>(
                       {1, 0, 0, 0, 6, 0, 0, 0, 77, 0, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1}));
  bytes[0] = 9;  // the format number is not looked at
  CMemFile in(bytes.data(), 20);
  CArchive ar(&in, CArchive::load);
  CObjID loaded;
  loaded.Serialize(ar);
  EXPECT_EQ(loaded.GetTableID(), TB_AXIS);
  EXPECT_EQ(loaded.GetID(), 77);
  EXPECT_EQ(loaded.GetParentID(), -3);
  EXPECT_EQ(loaded.GetPropID(), 0x01020304);
  EXPECT_EQ(CLumoID_Manager::instance().FindObjID(77)->GetParentID(), -3);
}

}  // namespace
