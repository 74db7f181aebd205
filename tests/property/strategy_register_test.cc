#include "lumotools/property/strategy_register.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <typeinfo>

#include "lumotools/property/style_id_cache.h"

namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

// A copy would give the strategies two owners.
static_assert(!std::is_copy_constructible_v<CEnumClassFactory<CAnyTypeStrategy>>);
static_assert(!std::is_copy_assignable_v<CAnyTypeStrategyRegister>);

CAnyTypeStrategyRegister& Reg() { return CAnyTypeStrategyRegister::instance(); }

struct HostValue {};
constexpr BoostAnyType kHostKind = static_cast<BoostAnyType>(30);

// A host strategy that records the value it was pointed at, and claims doubles besides its own
// type so that the walk by ascending kind shows.
class HostStrategy : public CClassEnumType<CAnyTypeStrategy, kHostKind> {
 public:
  boost::any AnyFromString(const CString& text, double) const override {
    m_pSeen = m_pAnyValue;
    return CString("host:") + text;
  }
  CString AnyToString(const boost::any&, double) const override { return "host"; }
  bool IsType(const boost::any& a) const override {
    return a.type() == typeid(HostValue) || a.type() == typeid(double);
  }
  bool PopupEdit(CLumoPropertyPaneBase*, boost::any& a, std::set<CPropHolder*>&) const override {
    a = 42;
    return true;
  }
  void AddExtInfo(const CPropHolder* holder, boost::any& a) const override { a = holder; }
  void ClearExtInfo(boost::any& a) const override { a = boost::any(); }

  mutable boost::any* m_pSeen = nullptr;
};

// The host strategy of kind 30, registered on first use and owned by the register from then on.
HostStrategy& Host() {
  static HostStrategy* const host = [] {
    auto s = std::make_unique<HostStrategy>();
    EXPECT_TRUE(Reg().RegPropStrategy(s.get()));
    return s.release();
  }();
  return *host;
}

class DuplicateDouble : public CClassEnumType<CAnyTypeStrategy, BAT_DOUBLE> {};

TEST(StrategyRegister, HoldsOneStrategyPerBuiltInKind) {
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
}

TEST(StrategyRegister, FirstRegistrationOfAKindStays) {
  HostStrategy& host = Host();
  auto duplicate = std::make_unique<DuplicateDouble>();  // stays ours: must not be taken
  EXPECT_FALSE(Reg().RegPropStrategy(duplicate.get()));
  EXPECT_EQ(boost::any_cast<double>(Reg().AnyFromString(1000.0, BAT_DOUBLE, "2.5")), 2500.0);
  auto again = std::make_unique<HostStrategy>();
  EXPECT_FALSE(Reg().RegPropStrategy(again.get()));

  // Only BoostAnyStrategy points the strategy at a target; the item factory passes none.
  boost::any target;
  EXPECT_EQ(boost::any_cast<CString>(Reg().BoostAnyStrategy(1.0, kHostKind, "x", &target)),
            "host:x");
  Reg().AnyFromString(1.0, kHostKind, "y");
  EXPECT_EQ(host.m_pSeen, &target);
  EXPECT_EQ(again->m_pSeen, nullptr);
  CAnyPropertyStyleIdCache::Instance().AddID_StyleBaseInfo(1100, kHostKind, 1.0);
  Reg().PropItemStrategy(1100, "", "", 1, "1");
  EXPECT_EQ(host.m_pSeen, nullptr);
}

TEST(StrategyRegister, PassesFactorAndValueToTheKindsStrategy) {
  EXPECT_EQ(boost::any_cast<int>(Reg().AnyFromInt(1000.0, BAT_INT, 3)), 3000);
  EXPECT_EQ(Reg().AnyToInt(2.0, BAT_LONG, 7L), 4);
  EXPECT_EQ(Reg().AnyToDouble(1000.0, BAT_DOUBLE, 2500.0), 2.5);
  EXPECT_EQ(boost::any_cast<long>(Reg().BoostAnyStrategy(10.0, BAT_LONG, 3, nullptr)), 30L);
  EXPECT_EQ(boost::any_cast<int>(Reg().BoostAnyStrategy(10.0, BAT_INT, 0.5, nullptr)), 5);
  CTransferUiToAnyBox box;
  box.AddTransfer(new CTransferUiToAny_String("4"));
  EXPECT_EQ(boost::any_cast<int>(Reg().BoostAnyStrategy(1000.0, BAT_INT, box, nullptr)), 4000);
}

TEST(StrategyRegister, ReachesHostHooks) {
  Host();
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
}

TEST(StrategyRegister, KindWithoutStrategyIsNamed) {
  const auto k8 = static_cast<BoostAnyType>(8);
  boost::any a = 1;
  const auto names = [](const char* text) {
    return ThrowsMessage<std::invalid_argument>(HasSubstr(text));
  };
  EXPECT_THAT([&] { Reg().BoostAnyStrategy(1.0, k8, "1", &a); }, names("kind 8"));
  EXPECT_THAT([&] { Reg().AnyToString(1.0, k8, a); }, names("kind 8"));
  EXPECT_THAT([&] { Reg().ClearExtInfo(BAT_NONE, a); }, names("kind -1"));
  EXPECT_EQ(boost::any_cast<int>(a), 1);

  EXPECT_THAT([] { Reg().PropItemStrategy(1199, "", "", 1, "1"); }, names("1199"));
  CAnyPropertyStyleIdCache::Instance().AddID_StyleBaseInfo(1102, k8, 1.0);
  EXPECT_THAT([] { Reg().PropItemStrategy(1102, "", "", 1, "1"); }, names("kind 8"));
}

TEST(StrategyRegister, KindlessConversionsGoByHeldType) {
  Host();
  CString text = "keep";
  EXPECT_TRUE(Reg().AnyToString(1000.0, 2.5, text));  // kind 3 before the host's 30; f unused
  EXPECT_EQ(text, "2.5");
  EXPECT_TRUE(Reg().AnyToString(1.0, HostValue{}, text));
  EXPECT_EQ(text, "host");
  EXPECT_FALSE(Reg().AnyToString(1.0, CHookData("3*4"), text));
  EXPECT_FALSE(Reg().AnyToString(1.0, boost::any(), text));
  EXPECT_EQ(text, "host");

  boost::any a = 0;
  EXPECT_TRUE(Reg().StringToAny(1000.0, "12", a));
  EXPECT_EQ(boost::any_cast<int>(a), 12);
  a = 1L;
  EXPECT_TRUE(Reg().StringToAny(1000.0, "2.5", a));
  EXPECT_EQ(boost::any_cast<long>(a), 3L);
  boost::any empty;
  EXPECT_FALSE(Reg().StringToAny(1.0, "12", empty));
  EXPECT_TRUE(empty.empty());
  a = CHookData("3*4");
  EXPECT_FALSE(Reg().StringToAny(1.0, "5*6", a));
  EXPECT_EQ(boost::any_cast<CHookData>(a).GetHookDataStr(), "3*4");
}

}  // namespace
