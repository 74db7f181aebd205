#include "lumotools/property/property_group.h"

#include <gtest/gtest.h>

#include <string>

#include "lumotools/property/style_id_cache.h"
#include "support/bytes.h"
#include "support/message_box_recorder.h"

namespace {

using lumo_test::ArchiveErrorCause;
using lumo_test::FromHex;
using lumo_test::Load;
using lumo_test::Store;
using lumo_test::ToHex;

constexpr long kMillimetres = 2101;  // a double with the factor 1000
constexpr long kCount = 2102;        // an int

// Item "a": style 2102, no caption, the int 1, visible. Item "b": style 2101, the CString x,
// hidden. A minimal item: style 2102, no texts, no value, visible (15 bytes).
const std::string kItemA = "01 00 00 00 36 08 00 00 00 01 61 01 00 00 00 01 00 00 00 01";
const std::string kItemB = "01 00 00 00 35 08 00 00 00 01 62 05 00 00 00 01 78 00";
const std::string kMinimalItem = "01 00 00 00 36 08 00 00 00 00 FF FF FF FF 01";

CAnyPropertyGroup GroupOf(std::initializer_list<boost::any> values) {
  CAnyPropertyGroup group;
  for (const boost::any& value : values) {
    group.AddPropItem(CAnyPropertyItem(kCount, "", "old", value, true, ""));
  }
  return group;
}

void Read(CAnyPropertyGroup& group, const std::string& hex) {
  Load(FromHex(hex), [&](CArchive& ar) { group.Serialize(ar); });
}

TEST(PropertyGroup, WritesVersionCountAndItems) {
  CAnyPropertyGroup group;
  EXPECT_EQ(ToHex(Store([&](CArchive& ar) { group.Serialize(ar); })), "01 00 00 00 00 00 00 00");
  group.AddPropItem(CAnyPropertyItem(kCount, "", "a", 1, true, ""));
  group.AddPropItem(CAnyPropertyItem(kMillimetres, "", "b", CString("x"), false, ""));
  EXPECT_EQ(ToHex(Store([&](CArchive& ar) { group.Serialize(ar); })),
            "01 00 00 00 02 00 00 00 " + kItemA + " " + kItemB);
}

TEST(PropertyGroup, ReadResizesAndOverwritesInPlace) {
  CAnyPropertyGroup three = GroupOf({1, 2, 3});
  Read(three, "01 00 00 00 01 00 00 00 " + kItemA);
  ASSERT_EQ(three.GetPropertyItems().size(), 1u);
  EXPECT_TRUE(three.GetPropertyItems()[0] == CAnyPropertyItem(kCount, "", "a", 1, true, ""));

  // Value records of unknown kind keep the value at their position; an appended item has none.
  lumo_test::MessageBoxRecorder boxes;
  CAnyPropertyGroup one = GroupOf({9.5});
  Read(one, "01 00 00 00 02 00 00 00 " + kMinimalItem + " " + kMinimalItem);
  ASSERT_EQ(one.GetPropertyItems().size(), 2u);
  EXPECT_EQ(boost::any_cast<double>(one.GetPropertyItems()[0].GetAnyValue()), 9.5);
  EXPECT_TRUE(one.GetPropertyItems()[1].IsValueEmpty());
  EXPECT_EQ(boxes.texts().size(), 2u);
}

TEST(PropertyGroup, CountBeyondTheRemainingBytesFailsBeforeResizing) {
  lumo_test::MessageBoxRecorder boxes;
  for (const std::string& hex :
       {"01 00 00 00 02 00 00 00 " + kMinimalItem, std::string("01 00 00 00 FF FF FF FF")}) {
    CAnyPropertyGroup group = GroupOf({1, 2.5});
    EXPECT_EQ(ArchiveErrorCause([&] { Read(group, hex); }), CArchiveException::endOfFile) << hex;
    ASSERT_EQ(group.GetPropertyItems().size(), 2u);
    EXPECT_EQ(boost::any_cast<int>(group.GetPropertyItems()[0].GetAnyValue()), 1);
    EXPECT_EQ(boost::any_cast<double>(group.GetPropertyItems()[1].GetAnyValue()), 2.5);
  }
  EXPECT_TRUE(boxes.texts().empty());
}

TEST(PropertyGroup, FindsByNameIgnoringCaseAndCreatesOnRequest) {
  CAnyPropertyGroup group;
  group.AddPropItem(CAnyPropertyItem(kCount, "", "W", 1, true, ""));
  group.AddPropItem(CAnyPropertyItem(kCount, "", "w", 2, true, ""));
  const CAnyPropertyGroup& const_group = group;
  EXPECT_EQ(const_group.FindPropItemByName("w"), &group.GetPropertyItems()[0]);
  EXPECT_EQ(group.FindPropItemByName("H", false), nullptr);
  EXPECT_EQ(group.GetPropertyItems().size(), 2u);

  const CAnyPropertyItem* created = group.FindPropItemByName("H", true);
  ASSERT_EQ(group.GetPropertyItems().size(), 3u);
  EXPECT_EQ(created, &group.GetPropertyItems().back());
  EXPECT_TRUE(*created == CAnyPropertyItem(0, "", "H", 0, true, ""));
}

TEST(PropertyGroup, NamedValuesAreNotConverted) {
  CAnyPropertyStyleIdCache::Instance().AddID_StyleBaseInfo(kMillimetres, BAT_DOUBLE, 1000.0);
  CAnyPropertyGroup group;
  group.AddPropItem(CAnyPropertyItem(kMillimetres, "", "Len", 2500.0, true, ""));
  EXPECT_EQ(group.GetValueS("len"), "2500");
  EXPECT_EQ(group.GetValueI("LEN"), 2500);
  EXPECT_EQ(group.GetValueD("Len"), 2500.0);
  group.SetValueS("len", "1.5");
  EXPECT_EQ(boost::any_cast<double>(group.GetPropertyItems()[0].GetAnyValue()), 1.5);

  EXPECT_EQ(group.GetValueS("none"), "");
  EXPECT_EQ(group.GetValueI("none"), 0);
  EXPECT_EQ(group.GetValueD("none"), 0.0);
  group.SetValueS("none", "7");
  EXPECT_EQ(group.GetPropertyItems().size(), 1u);
}

TEST(PropertyGroup, AssignmentCopiesItemsWithTheirCaptions) {
  CAnyPropertyGroup source;
  source.AddPropItem(CAnyPropertyItem(kCount, "Source caption", "s", 1, true, ""));
  CAnyPropertyGroup target;
  target.AddPropItem(CAnyPropertyItem(kCount, "Target caption", "t", 2, true, ""));
  target.AddPropItem(CAnyPropertyItem(kCount, "Extra", "e", 3, true, ""));
  target = source;
  ASSERT_EQ(target.GetPropertyItems().size(), 1u);
  EXPECT_EQ(target.GetPropertyItems()[0].GetCaption(), "Source caption");
  EXPECT_TRUE(target.GetPropertyItems()[0] == source.GetPropertyItems()[0]);
}

}  // namespace
