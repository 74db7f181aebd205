// CObjID and the identifier manager without a database. Each test runs in a process of its own,
// so the manager is fresh in every one.
#include "lumotools/db/obj_id.h"

#include <gtest/gtest.h>

#include "support/bytes.h"

namespace {

TEST(IdManager, StartsAtOneThousandAndCountsUp) {
  CLumoID_Manager& manager = CLumoID_Manager::instance();
  EXPECT_EQ(manager.GetCurMaxID(), 1000);
  EXPECT_EQ(manager.GetNextID(), 1001);
  CObjID high;
  high.SetID(5000);  // registering does not raise the maximum
  EXPECT_EQ(manager.GetCurMaxID(), 1001);
  CLumoID_Manager copy = manager;
  EXPECT_EQ(copy.GetNextID(), 1002);
  EXPECT_EQ(manager.GetCurMaxID(), 1001);
  EXPECT_NE(copy.FindObjID(5000), nullptr);
}

TEST(ObjId, SettersRegisterACopyOfTheWholeIdentifier) {
  CLumoID_Manager& manager = CLumoID_Manager::instance();
  EXPECT_EQ(manager.FindObjID(5), nullptr);
  CObjID id;
  EXPECT_TRUE(id.IsNull());
  id.SetParentID(9);
  id.SetID(5);
  id.SetPropID(4);  // not registered until the next SetID or SetTableID
  ASSERT_NE(manager.FindObjID(5), nullptr);
  EXPECT_EQ(manager.FindObjID(5)->GetParentID(), 9);
  EXPECT_EQ(manager.FindObjID(5)->GetPropID(), -1);
  id.SetTableID(TB_LEVEL);
  EXPECT_EQ(manager.FindObjID(5)->GetPropID(), 4);
  EXPECT_EQ(manager.FindObjID(5)->GetTableID(), TB_LEVEL);
  id.SetNull();
  EXPECT_EQ(id.GetID(), -1);
  EXPECT_FALSE(id.IsValid());
  EXPECT_EQ(manager.FindObjID(5)->GetTableID(), TB_LEVEL);
}

TEST(ObjId, BuildsItsStatementsWithTheTablesName) {
  CObjID id;
  id.SetTableID(TB_ENT);
  id.SetID(7);
  EXPECT_EQ(id.BuildSql(), "select * from TB_ENT where ID = 7");
  EXPECT_EQ(id.BuildDynSql(TB_CAD_GRAPH, -1),
            "select * from TB_CAD_GRAPH where ParentID = 7 and PropID = -1");
  EXPECT_EQ(DbTableName(TB_WORLD), "TB_WORLD");
  EXPECT_EQ(DbTableName(TB_TEMPLATE_SOUL), "TB_TEMPLATE_SOUL");
  EXPECT_EQ(DbTableName(static_cast<DbTableID>(13)), "");
  EXPECT_EQ(DbTableName(static_cast<DbTableID>(-1)), "");
  EXPECT_EQ(id.FieldCount(), 3u);
}

TEST(ObjId, ArchivesFiveWordsAndRegistersWhatItLoads) {
  CObjID id;
  id.SetTableID(TB_AXIS);
  id.SetID(77);
  id.SetParentID(-3);
  id.SetPropID(0x01020304);
  EXPECT_EQ(lumo_test::ToHex(lumo_test::Store([&](CArchive& ar) { id.Serialize(ar); })),
            "01 00 00 00 06 00 00 00 4D 00 00 00 FD FF FF FF 04 03 02 01");
  CObjID loaded;
  // The format number is not looked at.
  lumo_test::Load(lumo_test::FromHex("09 00 00 00 06 00 00 00 4E 00 00 00 FD FF FF FF 04 03 02 01"),
                  [&](CArchive& ar) { loaded.Serialize(ar); });
  EXPECT_EQ(loaded.GetTableID(), TB_AXIS);
  EXPECT_EQ(loaded.GetID(), 78);
  EXPECT_EQ(loaded.GetPropID(), 0x01020304);
  ASSERT_NE(CLumoID_Manager::instance().FindObjID(78), nullptr);
  EXPECT_EQ(CLumoID_Manager::instance().FindObjID(78)->GetParentID(), -3);
}

}  // namespace
