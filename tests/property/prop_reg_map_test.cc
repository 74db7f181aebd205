#include "lumotools/property/prop_reg_map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "lumotools/color/visual_color_item.h"
#include "lumotools/property/hook_data.h"
#include "support/bytes.h"
#include "support/message_box_recorder.h"

namespace {

using lumo_test::ArchiveErrorCause;
using lumo_test::Bytes;
using lumo_test::FromHex;
using lumo_test::Load;
using lumo_test::MessageBoxRecorder;
using lumo_test::Store;
using lumo_test::ToHex;

const std::vector<std::string> kOneUnknownKindMessage = {"未知万能属性"};

std::string StoreValue(const boost::any& value, bool expected_result = true) {
  return ToHex(Store([&](CArchive& ar) {
    EXPECT_EQ(CAnyPropRegMap::instance().ArchiveStore(ar, value), expected_result);
  }));
}

boost::any LoadValue(const std::string& hex, bool expected_result = true) {
  boost::any value;
  Load(FromHex(hex), [&](CArchive& ar) {
    EXPECT_EQ(CAnyPropRegMap::instance().ArchiveLoad(ar, value), expected_result);
  });
  return value;
}

// Registers a replacement for one kind and puts the original registration back afterwards, so
// the process-wide registry is the same for every test.
template <class Replacement, class Original>
class ScopedRegistration {
 public:
  ScopedRegistration() { CAnyPropRegMap::instance().RegisterType(new Replacement); }
  ~ScopedRegistration() { CAnyPropRegMap::instance().RegisterType(new Original); }
};

TEST(PropRegMap, EachBuiltInKindStoresItsLayoutAndLoadsBackItsType) {
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
  EXPECT_EQ(boost::any_cast<unsigned long>(LoadValue("0A 00 00 00 FF FF FF FF")), 0xFFFFFFFFul);
  // Kind 12 is a formula text and reads back as a CString.
  EXPECT_EQ(boost::any_cast<CString>(LoadValue("0C 00 00 00 01 3D")), "=");
  // A wide string payload is narrowed.
  EXPECT_EQ(boost::any_cast<CString>(LoadValue("05 00 00 00 FF FE FF 01 41 00")), "A");
}

TEST(PropRegMap, EmptyOrUnregisteredValueStoresMinusOneAndShowsTheMessage) {
  for (const boost::any& value :
       {boost::any(), boost::any(CHookData()), boost::any(CVisualColorItem()), boost::any(1.5f)}) {
    MessageBoxRecorder boxes;
    EXPECT_EQ(StoreValue(value, false), "FF FF FF FF");
    EXPECT_EQ(boxes.texts(), kOneUnknownKindMessage);
    EXPECT_EQ(boxes.styles(), std::vector<UINT>{MB_OK});
  }
}

TEST(PropRegMap, UnknownKindStopsAfterTheKindAndKeepsTheTarget) {
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
}

TEST(PropRegMap, TruncatedRecordRaisesAndKeepsTheTarget) {
  for (const char* hex :
       {"", "03 00", "03 00 00 00 00 00 F8 3F", "05 00 00 00 03 61", "04 00 00 00"}) {
    boost::any value = CString("before");
    const int cause = ArchiveErrorCause([&] {
      Load(FromHex(hex), [&](CArchive& ar) { CAnyPropRegMap::instance().ArchiveLoad(ar, value); });
    });
    EXPECT_EQ(cause, CArchiveException::endOfFile) << hex;
    EXPECT_EQ(boost::any_cast<CString>(value), "before") << hex;
  }
}

TEST(PropRegMap, IsEqualComparesTypeThenValue) {
  MessageBoxRecorder boxes;
  CAnyPropRegMap& registry = CAnyPropRegMap::instance();
  EXPECT_FALSE(registry.IsEqual(1, 1l));
  EXPECT_FALSE(registry.IsEqual(boost::any(), 0));
  EXPECT_TRUE(registry.IsEqual(boost::any(), boost::any()));
  EXPECT_TRUE(registry.IsEqual(2.5, 2.5));
  EXPECT_FALSE(registry.IsEqual(std::nan(""), std::nan("")));
  EXPECT_TRUE(registry.IsEqual(CString("Abc"), CString("Abc")));
  EXPECT_FALSE(registry.IsEqual(CString("Abc"), CString("abc")));
  EXPECT_TRUE(registry.IsEqual(std::string("x"), std::string("x")));
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

TEST(PropRegMap, ReRegisteringAKindReplacesTheOldRegistration) {
  {
    ScopedRegistration<TenthsDoubleReg, CAnyPropReg_Type<double, BAT_DOUBLE>> replaced;
    EXPECT_EQ(StoreValue(1.5), "03 00 00 00 0F 00 00 00");
    EXPECT_EQ(boost::any_cast<double>(LoadValue("03 00 00 00 0F 00 00 00")), 1.5);
  }
  EXPECT_EQ(StoreValue(1.5), "03 00 00 00 00 00 00 00 00 00 F8 3F");
  EXPECT_FALSE(CAnyPropRegMap::instance().RegisterType(nullptr));
}

TEST(PropRegMap, ReRegisteredCStringKindMovesBehindFormula) {
  {
    ScopedRegistration<CAnyPropReg_Class<CString, BAT_CSTRING>,
                       CAnyPropReg_Class<CString, BAT_CSTRING>>
        moved;
    EXPECT_EQ(StoreValue(CString("abc")), "0C 00 00 00 03 61 62 63");
    EXPECT_EQ(boost::any_cast<CString>(LoadValue("0C 00 00 00 03 61 62 63")), "abc");
    EXPECT_EQ(boost::any_cast<CString>(LoadValue("05 00 00 00 03 61 62 63")), "abc");
  }
  // Putting kind 12 back at the end restores the original order: CString first as kind 5.
  CAnyPropRegMap::instance().RegisterType(new CAnyPropReg_Class<CString, BAT_FORMULA>);
  EXPECT_EQ(StoreValue(CString("abc")), "05 00 00 00 03 61 62 63");
}

// A host kind that counts how many of its registrations were destroyed.
class CountingReg : public CAnyPropReg_Type<short, 40> {
 public:
  ~CountingReg() override { ++destroyed; }
  static int destroyed;
};
int CountingReg::destroyed = 0;

TEST(PropRegMap, RegisterTypeReportsNewKindsAndDestroysReplacedOnes) {
  // The registry lives for the whole process, so a repeated run finds kind 40 registered already.
  const int before = CountingReg::destroyed;
  const bool fresh = CAnyPropRegMap::instance().RegisterType(new CountingReg);
  EXPECT_EQ(fresh, before == 0);
  EXPECT_EQ(CountingReg::destroyed, before + (fresh ? 0 : 1));
  EXPECT_EQ(StoreValue(static_cast<short>(-1)), "28 00 00 00 FF FF");
  auto* again = new CountingReg;
  EXPECT_FALSE(CAnyPropRegMap::instance().RegisterType(again));
  EXPECT_EQ(CountingReg::destroyed, before + (fresh ? 1 : 2));
  // The same registration once more is already there: kept, not destroyed.
  EXPECT_FALSE(CAnyPropRegMap::instance().RegisterType(again));
  EXPECT_EQ(CountingReg::destroyed, before + (fresh ? 1 : 2));
  EXPECT_EQ(StoreValue(static_cast<short>(2)), "28 00 00 00 02 00");
}

}  // namespace
