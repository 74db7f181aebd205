// The archive records of values, variables, items, groups and key-value bags: the bytes of the
// application's files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "lumotools/color/visual_color_item.h"
#include "lumotools/property/hook_data.h"
#include "lumotools/property/prop_reg_map.h"
#include "lumotools/property/property_group.h"
#include "lumotools/property/property_var.h"
#include "lumotools/property/style_id_cache.h"
#include "lumotools/property/super_prop.h"
#include "support/bytes.h"
#include "support/message_box_recorder.h"

namespace {

using lumo_test::ArchiveErrorCause;
using lumo_test::FromHex;
using lumo_test::Load;
using lumo_test::MessageBoxRecorder;
using lumo_test::Store;
using lumo_test::ToHex;

const std::vector<std::string> kOneUnknownKindMessage = {"未知万能属性"};

// Writes or reads anything with a Serialize(CArchive&).
template <class T>
std::string Write(T& object) {
  return ToHex(Store([&](CArchive& ar) { object.Serialize(ar); }));
}
template <class T>
void Read(T& object, const std::string& hex) {
  Load(FromHex(hex), [&](CArchive& ar) { object.Serialize(ar); });
}

std::string StoreValue(const boost::any& value, bool expected_result = true) {
  return ToHex(Store([&](CArchive& ar) {
    EXPECT_EQ(CAnyPropRegMap::instance().ArchiveStore(ar, value), expected_result);
  }));
}

boost::any LoadValue(const std::string& hex) {
  boost::any value;
  Load(FromHex(hex),
       [&](CArchive& ar) { EXPECT_TRUE(CAnyPropRegMap::instance().ArchiveLoad(ar, value)); });
  return value;
}

TEST(ValueRecord, EachBuiltInKindStoresItsLayoutAndLoadsBackItsType) {
  MessageBoxRecorder boxes;
  // clang-format off
  const std::pair<boost::any, std::string> kinds[] = {
      {CString("abc"), "05 00 00 00 03 61 62 63"}, {1.5, "03 00 00 00 00 00 00 00 00 00 F8 3F"},
      {static_cast<unsigned char>(7), "00 00 00 00 07"}, {255ul, "0A 00 00 00 FF 00 00 00"},
      {-2, "01 00 00 00 FE FF FF FF"}, {-3l, "02 00 00 00 FD FF FF FF"},
      {std::string("hi"), "04 00 00 00 02 68 69"}};
  // clang-format on
  for (const auto& [value, hex] : kinds) {
    EXPECT_EQ(StoreValue(value), hex);
    const boost::any back = LoadValue(hex);
    EXPECT_EQ(back.type(), value.type()) << hex;
    EXPECT_TRUE(CAnyPropRegMap::instance().IsEqual(back, value)) << hex;
  }
  EXPECT_TRUE(boxes.texts().empty());
  // Kind 12 is a formula text and reads back as a CString; a wide string payload is narrowed.
  EXPECT_EQ(boost::any_cast<CString>(LoadValue("0C 00 00 00 01 3D")), "=");
  EXPECT_EQ(boost::any_cast<CString>(LoadValue("05 00 00 00 FF FE FF 01 41 00")), "A");
}

TEST(ValueRecord, UnknownKindsShowTheMessageAndKeepTheTarget) {
  for (const boost::any& value : {boost::any(), boost::any(CHookData()), boost::any(1.5f)}) {
    MessageBoxRecorder boxes;
    EXPECT_EQ(StoreValue(value, false), "FF FF FF FF");
    EXPECT_EQ(boxes.texts(), kOneUnknownKindMessage);
    EXPECT_EQ(boxes.styles(), std::vector<UINT>{MB_OK});
  }
  // Reading stops after the kind.
  for (const char* kind : {"FF FF FF FF", "19 00 00 00", "06 00 00 00"}) {
    MessageBoxRecorder boxes;
    boost::any value = 42;
    int next = 0;
    Load(FromHex(std::string(kind) + " 2A 00 00 00"), [&](CArchive& ar) {
      EXPECT_FALSE(CAnyPropRegMap::instance().ArchiveLoad(ar, value));
      ar >> next;
    });
    EXPECT_EQ(boost::any_cast<int>(value), 42) << kind;
    EXPECT_EQ(next, 42) << kind;
    EXPECT_EQ(boxes.texts(), kOneUnknownKindMessage) << kind;
  }
  for (const char* hex : {"03 00", "03 00 00 00 00 00 F8 3F", "05 00 00 00 03 61"}) {
    boost::any value = CString("before");
    EXPECT_EQ(ArchiveErrorCause([&] {
                Load(FromHex(hex),
                     [&](CArchive& ar) { CAnyPropRegMap::instance().ArchiveLoad(ar, value); });
              }),
              CArchiveException::endOfFile)
        << hex;
    EXPECT_EQ(boost::any_cast<CString>(value), "before") << hex;
  }
}

TEST(ValueRecord, IsEqualComparesTypeThenValue) {
  MessageBoxRecorder boxes;
  CAnyPropRegMap& registry = CAnyPropRegMap::instance();
  EXPECT_FALSE(registry.IsEqual(1, 1l));
  EXPECT_FALSE(registry.IsEqual(boost::any(), 0));
  EXPECT_TRUE(registry.IsEqual(boost::any(), boost::any()));
  EXPECT_FALSE(registry.IsEqual(std::nan(""), std::nan("")));
  EXPECT_FALSE(registry.IsEqual(CString("Abc"), CString("abc")));
  EXPECT_TRUE(boxes.texts().empty());
  EXPECT_FALSE(registry.IsEqual(CHookData(), CHookData()));
  EXPECT_EQ(boxes.texts(), kOneUnknownKindMessage);
}

// Stores doubles as their value times ten in an int, to tell a replacement from the original.
class TenthsDoubleReg : public CAnyPropReg_TBase<double, BAT_DOUBLE> {
 public:
  void Store(CArchive& ar, const boost::any& a) const override {
    ar << static_cast<int>(boost::any_cast<double>(a) * 10);
  }
  void Load(CArchive& ar, boost::any& a) const override {
    int tenths = 0;
    ar >> tenths;
    a = tenths / 10.0;
  }
};

TEST(ValueRecord, ReRegisteringAKindReplacesItAndMovesItLast) {
  CAnyPropRegMap& registry = CAnyPropRegMap::instance();
  registry.RegisterType(new TenthsDoubleReg);
  EXPECT_EQ(StoreValue(1.5), "03 00 00 00 0F 00 00 00");
  EXPECT_EQ(boost::any_cast<double>(LoadValue("03 00 00 00 0F 00 00 00")), 1.5);
  EXPECT_FALSE(registry.RegisterType(new CAnyPropReg_Type<double, BAT_DOUBLE>));
  EXPECT_EQ(StoreValue(1.5), "03 00 00 00 00 00 00 00 00 00 F8 3F");
  EXPECT_FALSE(registry.RegisterType(nullptr));

  // CString values go to the first kind that holds them: behind the formula kind once moved.
  registry.RegisterType(new CAnyPropReg_Class<CString, BAT_CSTRING>);
  EXPECT_EQ(StoreValue(CString("abc")), "0C 00 00 00 03 61 62 63");
  EXPECT_EQ(boost::any_cast<CString>(LoadValue("05 00 00 00 03 61 62 63")), "abc");
  registry.RegisterType(new CAnyPropReg_Class<CString, BAT_FORMULA>);
  EXPECT_EQ(StoreValue(CString("abc")), "05 00 00 00 03 61 62 63");

  // A host kind; the registration it holds already is kept, not replaced by itself.
  auto* host = new CAnyPropReg_Type<short, 40>;
  registry.RegisterType(host);
  EXPECT_FALSE(registry.RegisterType(host));
  EXPECT_EQ(StoreValue(static_cast<short>(-1)), "28 00 00 00 FF FF");
}

TEST(PropertyVar, WritesAndReadsItsRecord) {
  CAnyPropertyVar var(BAT_INT);
  var.ID(7);
  var.SetVarName("a");
  var.SetValueI(5);
  const std::string hex = "01 00 00 00 07 00 00 00 01 61 01 00 00 00 05 00 00 00 01 00 00 00";
  EXPECT_EQ(Write(var), hex);
  // Read back, each field shows in the record written again.
  CAnyPropertyVar back(BAT_STRING);
  back.SetValueS("old");
  Read(back, hex);
  EXPECT_EQ(Write(back), hex);

  // Version 9 (not checked), ID -1, name "n\0m", a CString value, kind 3: the value keeps its
  // stored type whatever the kind.
  Read(back, "09 00 00 00 FF FF FF FF 03 6E 00 6D 05 00 00 00 01 78 03 00 00 00");
  EXPECT_EQ(Write(back), "01 00 00 00 FF FF FF FF 01 6E 05 00 00 00 01 78 03 00 00 00");

  // An empty value writes kind -1; reading one keeps the value.
  MessageBoxRecorder boxes;
  CAnyPropertyVar empty(BAT_CSTRING);
  empty.ID(2);
  empty.SetVarName("e");
  const std::string emptyHex = "01 00 00 00 02 00 00 00 01 65 FF FF FF FF 05 00 00 00";
  EXPECT_EQ(Write(empty), emptyHex);
  back.SetValueD(1.25);
  Read(back, emptyHex);
  EXPECT_EQ(boxes.texts().size(), 2u);
  EXPECT_EQ(Write(back),
            "01 00 00 00 02 00 00 00 01 65 03 00 00 00 00 00 00 00 00 00 F4 3F 05 00 00 00");
}

TEST(PropertyVar, ConvertsThroughItsKindWithoutAFactor) {
  CAnyPropertyVar var(BAT_DOUBLE);
  var.SetValueS("2.5");
  EXPECT_EQ(var.GetValueI(), 3);
  EXPECT_EQ(var.GetValueS(), "2.5");
  var.Type(BAT_INT);  // the value keeps its type
  EXPECT_THROW(var.GetValueI(), boost::bad_any_cast);
  var.SetValueD(-2.5);
  EXPECT_EQ(boost::any_cast<int>(var.GetAnyValue()), -3);
}

constexpr long kGroupMillimetres = 2101;
constexpr long kGroupCount = 2102;

// Item "a": style 2102, no caption, the int 1, visible. Item "b": style 2101, the CString x,
// hidden. A minimal item: style 2102, no texts, no value, visible (15 bytes).
const std::string kItemA = "01 00 00 00 36 08 00 00 00 01 61 01 00 00 00 01 00 00 00 01";
const std::string kItemB = "01 00 00 00 35 08 00 00 00 01 62 05 00 00 00 01 78 00";
const std::string kMinimalItem = "01 00 00 00 36 08 00 00 00 00 FF FF FF FF 01";

CAnyPropertyGroup GroupOf(std::initializer_list<boost::any> values) {
  CAnyPropertyGroup group;
  for (const boost::any& value : values) {
    group.AddPropItem(CAnyPropertyItem(kGroupCount, "", "old", value, true, ""));
  }
  return group;
}

TEST(PropertyItem, WritesAndReadsItsRecord) {
  CAnyPropertyItem item(2001, "Width", "W", 1.5, true, "ignored");
  const std::string hex =
      "01 00 00 00 D1 07 00 00 05 57 69 64 74 68 01 57 03 00 00 00 00 00 00 00 00 00 F8 3F 01";
  EXPECT_EQ(Write(item), hex);
  CAnyPropertyItem back(7, "x", "y", 3, false, "");
  Read(back, hex);
  EXPECT_EQ(Write(back), hex);

  // Version 9 (ignored), caption "A\0B", var "v", value kind -1 (the value stays), visibility
  // byte 2.
  MessageBoxRecorder boxes;
  Read(back, "09 00 00 00 D2 07 00 00 03 41 00 42 01 76 FF FF FF FF 02");
  EXPECT_EQ(Write(back),
            "01 00 00 00 D2 07 00 00 01 41 01 76 03 00 00 00 00 00 00 00 00 00 F8 3F 01");
}

TEST(PropertyGroup, WritesVersionCountAndItemsAndReadsThemInPlace) {
  CAnyPropertyGroup group;
  EXPECT_EQ(Write(group), "01 00 00 00 00 00 00 00");
  group.AddPropItem(CAnyPropertyItem(kGroupCount, "", "a", 1, true, ""));
  group.AddPropItem(CAnyPropertyItem(kGroupMillimetres, "", "b", CString("x"), false, ""));
  EXPECT_EQ(Write(group), "01 00 00 00 02 00 00 00 " + kItemA + " " + kItemB);

  CAnyPropertyGroup three = GroupOf({1, 2, 3});
  Read(three, "01 00 00 00 01 00 00 00 " + kItemA);
  EXPECT_EQ(Write(three), "01 00 00 00 01 00 00 00 " + kItemA);

  // Value records of unknown kind keep the value at their position; an appended item has none.
  MessageBoxRecorder boxes;
  CAnyPropertyGroup one = GroupOf({9.5});
  Read(one, "01 00 00 00 02 00 00 00 " + kMinimalItem + " " + kMinimalItem);
  EXPECT_EQ(Write(one),
            "01 00 00 00 02 00 00 00 01 00 00 00 36 08 00 00 00 00 03 00 00 00 "
            "00 00 00 00 00 00 23 40 01 " +
                kMinimalItem);
}

TEST(PropertyGroup, CountBeyondTheRemainingBytesFailsBeforeReadingAnItem) {
  MessageBoxRecorder boxes;
  // Two items promised: one minimal item and 14 more bytes are one byte short of two.
  for (const std::string& hex :
       {"01 00 00 00 02 00 00 00 " + kMinimalItem + " 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
        std::string("01 00 00 00 FF FF FF FF")}) {
    CAnyPropertyGroup group = GroupOf({1, 2.5});
    const std::string before = Write(group);
    EXPECT_EQ(ArchiveErrorCause([&] { Read(group, hex); }), CArchiveException::endOfFile) << hex;
    EXPECT_EQ(Write(group), before);
  }
  EXPECT_TRUE(boxes.texts().empty());
}

TEST(PropertyGroup, FindsAndConvertsByNameIgnoringCase) {
  CAnyPropertyStyleIdCache::Instance().AddID_StyleBaseInfo(kGroupMillimetres, BAT_DOUBLE, 1000.0);
  CAnyPropertyGroup group;
  group.AddPropItem(CAnyPropertyItem(kGroupMillimetres, "", "Len", 2500.0, true, ""));
  group.AddPropItem(CAnyPropertyItem(kGroupCount, "", "len", 2, true, ""));
  const CAnyPropertyGroup& const_group = group;
  EXPECT_EQ(const_group.FindPropItemByName("LEN"), &group.GetPropertyItems()[0]);
  // Named values are not converted.
  EXPECT_EQ(group.GetValueS("len"), "2500");
  EXPECT_EQ(group.GetValueI("LEN"), 2500);
  group.SetValueS("len", "1.5");
  EXPECT_EQ(group.GetValueD("Len"), 1.5);
  EXPECT_EQ(group.GetValueS("none"), "");
  EXPECT_EQ(group.GetValueD("none"), 0.0);
  group.SetValueS("none", "7");
  EXPECT_EQ(group.FindPropItemByName("none", false), nullptr);

  const CAnyPropertyItem* created = group.FindPropItemByName("H", true);
  ASSERT_EQ(group.GetPropertyItems().size(), 3u);
  EXPECT_EQ(created, &group.GetPropertyItems().back());
  EXPECT_TRUE(*created == CAnyPropertyItem(0, "", "H", 0, true, ""));

  CAnyPropertyGroup copy = GroupOf({1, 2});
  copy = group;
  EXPECT_EQ(Write(copy), Write(group));
}

Kv_SuperProp Bag(std::initializer_list<std::pair<const char*, const char*>> entries) {
  Kv_SuperProp bag;
  for (const auto& entry : entries) bag.m_mapVars[entry.first] = entry.second;
  return bag;
}

TEST(SuperProp, WritesCountThenEntriesInByteOrderOfNames) {
  EXPECT_EQ(ToHex(Bag({{"B", "2"}, {"A", "1"}}).ToByteArray()),
            "02 00 00 00 01 41 01 31 01 42 01 32");
  EXPECT_EQ(ToHex(Kv_SuperProp().ToByteArray()), "00 00 00 00");
  EXPECT_EQ(ToHex(Bag({{"b", ""}, {"宋", ""}, {"Z", ""}}).ToByteArray()),
            "03 00 00 00 01 5A 00 01 62 00 03 E5 AE 8B 00");

  Kv_SuperProp bag = Bag({{"Width", "300"}, {"Name", "宋体"}, {"Empty", ""}});
  bag.m_mapVars["Long"] = CString('x', 70000);
  Kv_SuperProp back = Bag({{"old", "x"}});
  back.FromByteArray(bag.ToByteArray());
  EXPECT_TRUE(back == bag);
  EXPECT_TRUE(back.HaveVar("Width"));
  EXPECT_FALSE(back.HaveVar("width"));
  back.m_mapVars["Width"] = "301";
  EXPECT_FALSE(back == bag);
  back.FromByteArray({});
  EXPECT_TRUE(back.empty());
}

TEST(SuperProp, ReadsRepeatedNamesWideStringsAndStopsAtTheEnd) {
  Kv_SuperProp bag;
  bag.FromByteArray(FromHex("03 00 00 00 01 41 01 31 01 41 01 32 01 42 00"));
  EXPECT_EQ(ToHex(bag.ToByteArray()), "02 00 00 00 01 41 01 31 01 42 00");
  bag.FromByteArray(FromHex("01 00 00 00 FF FE FF 01 41 00 FF FE FF 02 8B 5B 53 4F"));
  EXPECT_EQ(ToHex(bag.ToByteArray()), "01 00 00 00 01 41 06 E5 AE 8B E4 BD 93");

  // What was read before the end stays.
  const auto truncated = FromHex("02 00 00 00 01 41 01 31 01 42 05 32");
  EXPECT_EQ(ArchiveErrorCause([&] { bag.FromByteArray(truncated); }), CArchiveException::endOfFile);
  EXPECT_EQ(ToHex(bag.ToByteArray()), "01 00 00 00 01 41 01 31");
  const int cause =
      ArchiveErrorCause([&] { bag.FromByteArray(FromHex("01 00 00 00 FF FF FF FE FF FF FF 41")); });
  EXPECT_TRUE(cause == CArchiveException::endOfFile ||
              cause == CArchiveException::genericException);
  EXPECT_TRUE(bag.empty());
}

}  // namespace
