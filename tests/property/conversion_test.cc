// Converting values between texts, numbers and editing results: the strategies per kind, their
// register, the style cache that gives a style its kind and factor, and the items that use them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>

#include "lumotools/property/hook_data.h"
#include "lumotools/property/property_item.h"
#include "lumotools/property/strategy_register.h"
#include "lumotools/property/style_id_cache.h"
#include "lumotools/property/type_strategy.h"
#include "support/message_box_recorder.h"

namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

CAnyTypeStrategyRegister& Reg() { return CAnyTypeStrategyRegister::instance(); }

auto Names(const char* text) { return ThrowsMessage<std::invalid_argument>(HasSubstr(text)); }

constexpr long kMillimetres = 2001;  // a double shown in metres, stored in millimetres
constexpr long kText = 2002;         // a CString
constexpr long kHosted = 2003;       // the host strategy's kind
constexpr BoostAnyType kHostKind = static_cast<BoostAnyType>(30);

// A host strategy: records the value it was pointed at and the value that was there, and claims
// doubles besides its own type so that the walk by ascending kind shows.
class HostStrategy : public CClassEnumType<CAnyTypeStrategy, kHostKind> {
 public:
  boost::any AnyFromString(const CString& s, double) const override {
    return Record(CString("host:") + s);
  }
  boost::any AnyFromInt(int i, double) const override { return Record(i); }
  boost::any AnyFromDouble(double d, double) const override { return Record(d); }
  boost::any AnyFromBox(const CTransferUiToAnyBox&, double) const override { return Record('b'); }
  CString AnyToString(const boost::any&, double) const override { return "host"; }
  bool IsType(const boost::any& a) const override {
    return a.type() == typeid(short) || a.type() == typeid(double);
  }
  bool PopupEdit(CLumoPropertyPaneBase*, boost::any& a, std::set<CPropHolder*>&) const override {
    a = 42;
    return true;
  }
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

// Registered on first use and owned by the register from then on, with the styles the tests use.
HostStrategy& Host() {
  static HostStrategy* const host = [] {
    auto s = std::make_unique<HostStrategy>();
    EXPECT_TRUE(Reg().RegPropStrategy(s.get()));
    CAnyPropertyStyleIdCache& cache = CAnyPropertyStyleIdCache::Instance();
    cache.AddID_StyleBaseInfo(kMillimetres, BAT_DOUBLE, 1000.0);
    cache.AddID_StyleBaseInfo(kText, BAT_CSTRING, 1.0);
    cache.AddID_StyleBaseInfo(kHosted, kHostKind, 1.0);
    return s.release();
  }();
  return *host;
}

CAnyPropertyItem Item(long style, const boost::any& value) {
  return CAnyPropertyItem(style, "Caption", "Var", value, true, "");
}

TEST(TypeStrategy, TextKindsIgnoreTheFactorAndOthersKeepTheDefaults) {
  const CAnyTypeStrategy_CString s;
  EXPECT_EQ(boost::any_cast<CString>(s.AnyFromString(CString("ab\0cd", 5), 9.0)), "ab");
  EXPECT_EQ(boost::any_cast<CString>(s.AnyFromDouble(0.5, 1000.0)), "0.5");
  EXPECT_EQ(s.AnyToInt(CString("12abc"), 1000.0), 12);  // atoi, without the numeric test
  EXPECT_EQ(s.TypeToInt(CString("12abc")), 0);          // with the numeric test
  const CTransferUiToAnyBox box;
  EXPECT_EQ(boost::any_cast<CString>(s.TypeFromBox(box)), "0");
  EXPECT_EQ(boost::any_cast<CString>(s.AnyFromBox(box, 1.0)), "");

  // Formula text converts as CString but is never recognised by type.
  const CAnyTypeStrategy_Formula formula;
  EXPECT_EQ(boost::any_cast<CString>(formula.AnyFromDouble(1.23456, 9.0)), "1.235");
  EXPECT_EQ(formula.AnyToInt(CString("12abc"), 1.0), 12);
  EXPECT_FALSE(formula.IsType(CString("a")));

  const CAnyTypeStrategy_Byte byte;
  EXPECT_EQ(boost::any_cast<int>(byte.AnyFromDouble(2.0, 1.0)), 0);
  EXPECT_EQ(boost::any_cast<unsigned char>(byte.TypeFromInt(-1)), 255);
  const CAnyTypeStrategy_HookData hook;
  EXPECT_EQ(boost::any_cast<CHookData>(hook.AnyFromString("3(2)*4", 1.0)), CHookData());
  EXPECT_EQ(hook.AnyToString(CHookData("3(2)*4"), 1000.0), "3(2)*4");
  EXPECT_FALSE(hook.IsType(CHookData()));
  EXPECT_EQ(boost::any_cast<unsigned long>(CAnyTypeStrategy_NormalColor().AnyFromInt(255, 1)), 0);
}

TEST(TransferBox, FirstResultOfACodeDecidesAndAnIndexIsNotScaled) {
  CTransferUiToAnyBox box;
  box.AddTransfer(new CTransferUiToAny_String("12.5"));
  box.AddTransfer(new CTransferUiToAny_Index(3));
  box.AddTransfer(new CTransferUiToAny_Index(8));
  EXPECT_EQ(boost::any_cast<double>(CAnyTypeStrategy_Double().AnyFromBox(box, 1000.0)), 3.0);
  CTransferUiToAnyBox texts;
  texts.AddTransfer(new CTransferUiToAny_String("4"));
  texts.AddTransfer(new CTransferUiToAny_String("second"));
  texts.AddTransfer(new CTransferUiToAny_Class(CHookData("3(2)*4")));
  EXPECT_EQ(boost::any_cast<int>(CAnyTypeStrategy_Int().AnyFromBox(texts, 1000.0)), 4000);
  EXPECT_EQ(boost::any_cast<CHookData>(CAnyTypeStrategy_HookData().AnyFromBox(texts, 1.0)),
            CHookData("3(2)*4"));
}

TEST(StrategyRegister, HoldsOneStrategyPerBuiltInKindAndTheFirstStays) {
  // Each kind's strategy shows itself by the type it makes from a text.
  // clang-format off
  const std::pair<BoostAnyType, const std::type_info*> kinds[] = {
      {BAT_BYTE, &typeid(int)}, {BAT_INT, &typeid(int)}, {BAT_LONG, &typeid(long)},
      {BAT_DOUBLE, &typeid(double)}, {BAT_STRING, &typeid(std::string)},
      {BAT_CSTRING, &typeid(CString)}, {BAT_CSF, &typeid(int)},
      {BAT_MODELCOLOR, &typeid(CVisualColorItem)}, {BAT_NORMALCOLOR, &typeid(unsigned long)},
      {BAT_FORMULA, &typeid(CString)}, {BAT_HOOKDATA, &typeid(CHookData)}};
  // clang-format on
  for (const auto& kind : kinds) {
    EXPECT_EQ(Reg().AnyFromString(1.0, kind.first, "1").type(), *kind.second) << kind.first;
  }
  Host();
  auto again = std::make_unique<HostStrategy>();  // stays ours: must not be taken
  EXPECT_FALSE(Reg().RegPropStrategy(again.get()));
  EXPECT_EQ(boost::any_cast<int>(Reg().AnyFromInt(1000.0, BAT_INT, 3)), 3000);
  EXPECT_EQ(Reg().AnyToDouble(1000.0, BAT_DOUBLE, 2500.0), 2.5);
  EXPECT_EQ(Reg().AnyToInt(2.0, BAT_LONG, 7L), 4);
  EXPECT_EQ(boost::any_cast<int>(Reg().BoostAnyStrategy(10.0, BAT_INT, 0.5, nullptr)), 5);
}

TEST(StrategyRegister, ReachesHostHooksAndNamesKindsWithoutAStrategy) {
  HostStrategy& host = Host();
  boost::any target;
  EXPECT_EQ(boost::any_cast<CString>(Reg().BoostAnyStrategy(1.0, kHostKind, "x", &target)),
            "host:x");
  EXPECT_EQ(host.target_, &target);
  Reg().PropItemStrategy(kHosted, "", "", 1, "1");  // the item factory points at no target
  EXPECT_EQ(host.target_, nullptr);

  boost::any a = 1;
  std::set<CPropHolder*> holders;
  EXPECT_TRUE(Reg().PopupEdit(nullptr, kHostKind, a, holders));
  EXPECT_EQ(boost::any_cast<int>(a), 42);
  EXPECT_FALSE(Reg().PopupEdit(nullptr, BAT_INT, a, holders));
  const auto* holder = reinterpret_cast<const CPropHolder*>(&holders);
  Reg().AddExtInfo(kHostKind, holder, a);
  EXPECT_EQ(boost::any_cast<const CPropHolder*>(a), holder);
  Reg().ClearExtInfo(kHostKind, a);
  EXPECT_TRUE(a.empty());

  const auto k8 = static_cast<BoostAnyType>(8);
  EXPECT_THAT([&] { Reg().AnyToString(1.0, k8, a); }, Names("kind 8"));
  EXPECT_THAT([&] { Reg().ClearExtInfo(BAT_NONE, a); }, Names("kind -1"));
  EXPECT_THAT([] { Reg().PropItemStrategy(1199, "", "", 1, "1"); }, Names("1199"));
  CAnyPropertyStyleIdCache::Instance().AddID_StyleBaseInfo(1102, k8, 1.0);
  EXPECT_THAT([] { Reg().PropItemStrategy(1102, "", "", 1, "1"); }, Names("kind 8"));
}

TEST(StrategyRegister, KindlessConversionsGoByHeldType) {
  Host();
  CString text = "keep";
  EXPECT_TRUE(Reg().AnyToString(1000.0, 2.5, text));  // kind 3 before the host's 30; f unused
  EXPECT_EQ(text, "2.5");
  EXPECT_TRUE(Reg().AnyToString(1.0, short(1), text));
  EXPECT_EQ(text, "host");
  EXPECT_FALSE(Reg().AnyToString(1.0, CHookData("3*4"), text));
  EXPECT_EQ(text, "host");

  boost::any a = 1L;
  EXPECT_TRUE(Reg().StringToAny(1000.0, "2.5", a));
  EXPECT_EQ(boost::any_cast<long>(a), 3L);
  boost::any empty;
  EXPECT_FALSE(Reg().StringToAny(1.0, "12", empty));
  EXPECT_TRUE(empty.empty());
}

TEST(PropertyItem, UnitConversionResolvesSentinelsWithinOneMillionth) {
  Host();
  const std::pair<double, double> cases[] = {
      {-1.0, 1.0},    {-1.0000005, 1.0},    {-0.999998, -0.999998}, {-1.000002, -1.000002},
      {-2.0, 1000.0}, {-1.9999995, 1000.0}, {-1.999998, -1.999998}, {2.5, 2.5},
      {0.0, 0.0}};
  for (const auto& [f, factor] : cases) {
    EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(kMillimetres, f), factor) << f;
  }
  EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(1031, -2.0), -1.0);  // no entry
}

TEST(PropertyItem, ConvertsWithTheFactorTheSentinelSelects) {
  Host();
  CAnyPropertyItem item = Item(kMillimetres, 0.0);
  item.SetValueS("2.5", -2.0);
  EXPECT_EQ(item.GetValueS(-1.0), "2500");
  EXPECT_EQ(item.GetValueS(10.0), "250");
  EXPECT_EQ(item.GetValueI(-2.0), 3);
  EXPECT_EQ(item.GetValueD(4.0), 625.0);
  item.SetValueI(4, -2.0);
  EXPECT_EQ(item.GetValueD(-1.0), 4000.0);
  item.SetValueD(0.5, 3.0);
  EXPECT_EQ(item.GetValueD(-1.0), 1.5);
  CTransferUiToAnyBox index_box;
  index_box.AddTransfer(new CTransferUiToAny_Index(4));
  item.SetValueBox(index_box, -2.0);
  EXPECT_EQ(item.GetValueD(-1.0), 4.0);

  const CAnyPropertyItem made = Reg().PropItemStrategy(kMillimetres, "Width", "W", 1, "2.5");
  EXPECT_TRUE(made == CAnyPropertyItem(kMillimetres, "", "W", 2500.0, true, ""));
  EXPECT_EQ(made.GetCaption(), "Width");
  for (int hidden : {0, 2, -1}) {
    EXPECT_FALSE(Reg().PropItemStrategy(kMillimetres, "", "", hidden, "1").IsVisible()) << hidden;
  }
  EXPECT_THROW(Item(kText, 5).GetValueS(-1.0), boost::bad_any_cast);
  CAnyPropertyItem unregistered = Item(2999, 5);
  EXPECT_THAT([&] { unregistered.SetValueI(1, -1.0); }, Names("2999"));
  EXPECT_THAT([&] { unregistered.ClearExtInfo(); }, Names("2999"));
  EXPECT_EQ(boost::any_cast<int>(unregistered.GetAnyValue()), 5);
}

TEST(PropertyItem, SettersPointTheStrategyAtTheItemsOwnValue) {
  HostStrategy& host = Host();
  CAnyPropertyItem item = Item(kHosted, 1);
  item.SetValueS("a", 1.0);
  EXPECT_EQ(boost::any_cast<int>(host.old_value_), 1);
  item.SetValueI(2, 1.0);
  EXPECT_EQ(boost::any_cast<CString>(host.old_value_), "host:a");
  item.SetValueD(3.0, 1.0);
  EXPECT_EQ(boost::any_cast<int>(host.old_value_), 2);
  item.SetValueBox(CTransferUiToAnyBox(), 1.0);
  EXPECT_EQ(boost::any_cast<double>(host.old_value_), 3.0);
  EXPECT_EQ(host.target_, &item.GetAnyValue());
  EXPECT_EQ(boost::any_cast<char>(item.GetAnyValue()), 'b');
  const auto* holder = reinterpret_cast<const CPropHolder*>(&host);
  item.AddExtInfo(holder);
  EXPECT_EQ(boost::any_cast<const CPropHolder*>(item.GetAnyValue()), holder);
  item.ClearExtInfo();
  EXPECT_TRUE(item.IsValueEmpty());
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
  b.SetVarName("NAME");
  EXPECT_FALSE(b == a);
  moved.SetVisible(true);
  EXPECT_FALSE(moved == a);
  EXPECT_FALSE(Item(kText, 1) == Item(kText, 1l));
}

}  // namespace
