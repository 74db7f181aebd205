#include "lumotools/property/property_item.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "lumotools/property/strategy_register.h"
#include "lumotools/property/style_id_cache.h"
#include "support/bytes.h"
#include "support/message_box_recorder.h"

namespace {

using lumo_test::FromHex;
using lumo_test::Load;
using lumo_test::Store;
using lumo_test::ToHex;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

constexpr long kMillimetres = 2001;  // a double shown in metres, stored in millimetres
constexpr long kText = 2002;         // a CString
constexpr long kProbed = 2003;       // the probe strategy's kind
constexpr long kUnregistered = 2999;
constexpr BoostAnyType kProbeKind = static_cast<BoostAnyType>(2600);

// Records the value each conversion is about to replace; the ext-info hooks write to the value.
class ProbeStrategy : public CClassEnumType<CAnyTypeStrategy, kProbeKind> {
 public:
  boost::any AnyFromString(const CString& s, double) const override { return Record(s); }
  boost::any AnyFromInt(int i, double) const override { return Record(i); }
  boost::any AnyFromDouble(double d, double) const override { return Record(d); }
  boost::any AnyFromBox(const CTransferUiToAnyBox&, double) const override { return Record('b'); }
  void AddExtInfo(const CPropHolder* holder, boost::any& a) const override { a = holder; }
  void ClearExtInfo(boost::any& a) const override { a = boost::any(); }

  mutable const boost::any* target_ = nullptr;
  mutable boost::any old_value_;

 private:
  boost::any Record(const boost::any& result) const {
    target_ = m_pAnyValue;
    old_value_ = m_pAnyValue ? *m_pAnyValue : boost::any();
    return result;
  }
};

ProbeStrategy& Probe() {
  static ProbeStrategy* const probe = [] {
    auto* p = new ProbeStrategy;
    CAnyTypeStrategyRegister::instance().RegPropStrategy(p);
    return p;
  }();
  return *probe;
}

void RegisterStyles() {
  CAnyPropertyStyleIdCache& cache = CAnyPropertyStyleIdCache::Instance();
  cache.AddID_StyleBaseInfo(kMillimetres, BAT_DOUBLE, 1000.0);
  cache.AddID_StyleBaseInfo(kText, BAT_CSTRING, 1.0);
  cache.AddID_StyleBaseInfo(kProbed, kProbeKind, 1.0);
  Probe();
}

CAnyPropertyItem Item(long style, const boost::any& value) {
  return CAnyPropertyItem(style, "Caption", "Var", value, true, "");
}

TEST(PropertyItem, WritesAndReadsItsRecord) {
  CAnyPropertyItem item(kMillimetres, "Width", "W", 1.5, true, "ignored");
  const std::string hex =
      "01 00 00 00 D1 07 00 00 05 57 69 64 74 68 01 57 03 00 00 00 00 00 00 00 00 00 F8 3F 01";
  EXPECT_EQ(ToHex(Store([&](CArchive& ar) { item.Serialize(ar); })), hex);
  CAnyPropertyItem back(7, "x", "y", 3, false, "");
  Load(FromHex(hex), [&](CArchive& ar) { back.Serialize(ar); });
  EXPECT_TRUE(back == item);
  EXPECT_EQ(back.GetCaption(), "Width");

  // Version 9 (ignored), caption "A\0B", var "v", value kind -1, visibility byte 2.
  lumo_test::MessageBoxRecorder boxes;
  Load(FromHex("09 00 00 00 D2 07 00 00 03 41 00 42 01 76 FF FF FF FF 02"),
       [&](CArchive& ar) { back.Serialize(ar); });
  EXPECT_EQ(back.GetCaption(), "A");
  EXPECT_EQ(boost::any_cast<double>(back.GetAnyValue()), 1.5);
  EXPECT_TRUE(back.IsVisible());
  EXPECT_EQ(boxes.texts().size(), 1u);
}

TEST(PropertyItem, ConvertsWithTheFactorTheSentinelSelects) {
  RegisterStyles();
  CAnyPropertyItem item = Item(kMillimetres, 0.0);
  item.SetValueS("2.5", -2.0);
  EXPECT_EQ(boost::any_cast<double>(item.GetAnyValue()), 2500.0);
  EXPECT_EQ(item.GetValueS(-1.9999995), "2.5");  // sentinels are matched within 1e-6
  EXPECT_EQ(item.GetValueS(-1.0000005), "2500");
  EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(kMillimetres, -1.00001), -1.00001);
  EXPECT_EQ(item.GetValueS(10.0), "250");
  EXPECT_EQ(item.GetValueI(-2.0), 3);
  EXPECT_EQ(item.GetValueD(4.0), 625.0);
  item.SetValueI(4, -2.0);
  EXPECT_EQ(item.GetValueD(-1.0), 4000.0);
  item.SetValueD(0.5, 3.0);
  EXPECT_EQ(item.GetValueD(-1.0), 1.5);

  CTransferUiToAnyBox index_box, text_box;
  index_box.AddTransfer(new CTransferUiToAny_Index(4));
  text_box.AddTransfer(new CTransferUiToAny_String("4"));
  item.SetValueBox(index_box, -2.0);  // an index is never scaled
  EXPECT_EQ(item.GetValueD(-1.0), 4.0);
  item.SetValueBox(text_box, -2.0);
  EXPECT_EQ(item.GetValueD(-1.0), 4000.0);
}

TEST(PropertyItem, SettersPointTheStrategyAtTheItemsOwnValue) {
  RegisterStyles();
  CAnyPropertyItem item = Item(kProbed, 1);
  item.SetValueS("a", 1.0);
  EXPECT_EQ(boost::any_cast<int>(Probe().old_value_), 1);
  item.SetValueI(2, 1.0);
  EXPECT_EQ(boost::any_cast<CString>(Probe().old_value_), "a");
  item.SetValueD(3.0, 1.0);
  EXPECT_EQ(boost::any_cast<int>(Probe().old_value_), 2);
  item.SetValueBox(CTransferUiToAnyBox(), 1.0);
  EXPECT_EQ(boost::any_cast<double>(Probe().old_value_), 3.0);
  EXPECT_EQ(Probe().target_, &item.GetAnyValue());
  EXPECT_EQ(boost::any_cast<char>(item.GetAnyValue()), 'b');

  int storage = 0;
  const auto* holder = reinterpret_cast<const CPropHolder*>(&storage);
  item.AddExtInfo(holder);
  EXPECT_EQ(boost::any_cast<const CPropHolder*>(item.GetAnyValue()), holder);
  item.ClearExtInfo();
  EXPECT_TRUE(item.IsValueEmpty());
}

TEST(PropertyItem, UnregisteredStyleIdThrowsNamingIt) {
  CAnyPropertyItem item = Item(kUnregistered, 5);
  CAnyTypeStrategyRegister& reg = CAnyTypeStrategyRegister::instance();
  const auto names_style = ThrowsMessage<std::invalid_argument>(HasSubstr("2999"));
  EXPECT_THAT([&] { item.GetValueS(-1.0); }, names_style);
  EXPECT_THAT([&] { item.GetValueI(-1.0); }, names_style);
  EXPECT_THAT([&] { item.GetValueD(-1.0); }, names_style);
  EXPECT_THAT([&] { item.SetValueS("1", -1.0); }, names_style);
  EXPECT_THAT([&] { item.SetValueI(1, -1.0); }, names_style);
  EXPECT_THAT([&] { item.SetValueD(1.0, -1.0); }, names_style);
  EXPECT_THAT([&] { item.SetValueBox(CTransferUiToAnyBox(), -1.0); }, names_style);
  EXPECT_THAT([&] { item.AddExtInfo(nullptr); }, names_style);
  EXPECT_THAT([&] { item.ClearExtInfo(); }, names_style);
  EXPECT_THAT([&] { reg.PropItemStrategy(kUnregistered, "", "", 1, "1"); }, names_style);
  EXPECT_EQ(boost::any_cast<int>(item.GetAnyValue()), 5);

  RegisterStyles();  // a registered style with a value of another type
  EXPECT_THROW(Item(kText, 5).GetValueS(-1.0), boost::bad_any_cast);
  EXPECT_THROW(Item(kMillimetres, boost::any()).GetValueD(-1.0), boost::bad_any_cast);
}

TEST(PropertyItem, AssignmentKeepsTheCaptionWhichEqualityIgnores) {
  const CAnyPropertyItem a(kText, "A", "name", CString("v"), false, "");
  CAnyPropertyItem b(kMillimetres, "B", "other", 1.0, true, "");
  b = a;
  EXPECT_EQ(b.GetCaption(), "B");
  EXPECT_TRUE(b == a);
  CAnyPropertyItem moved(1, "M", "", 0, true, "");
  moved = CAnyPropertyItem(a);
  EXPECT_EQ(moved.GetCaption(), "M");
  EXPECT_TRUE(moved == a);

  b.SetVarName("NAME");
  EXPECT_FALSE(b == a);
  moved.SetVisible(true);
  EXPECT_FALSE(moved == a);
  EXPECT_FALSE(Item(kText, 1) == Item(kText, 1l));
}

TEST(PropertyItem, PropItemStrategyConvertsTheTextWithTheRegisteredFactor) {
  RegisterStyles();
  CAnyTypeStrategyRegister& reg = CAnyTypeStrategyRegister::instance();
  const CAnyPropertyItem item = reg.PropItemStrategy(kMillimetres, "Width", "W", 1, "2.5");
  EXPECT_TRUE(item == CAnyPropertyItem(kMillimetres, "", "W", 2500.0, true, ""));
  EXPECT_EQ(item.GetCaption(), "Width");
  for (int hidden : {0, 2, -1}) {
    EXPECT_FALSE(reg.PropItemStrategy(kMillimetres, "", "", hidden, "1").IsVisible()) << hidden;
  }
}

}  // namespace
