#include "lumotools/property/type_strategy.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

// The whole-number strategies share every rule; only the held type differs.
template <class Case>
class TypeStrategyWhole : public ::testing::Test {
 protected:
  using Held = typename Case::second_type;
  static Held Get(const boost::any& a) { return boost::any_cast<Held>(a); }
  const typename Case::first_type s{};
  const boost::any seven = Held(7);
};

using WholeCases =
    ::testing::Types<std::pair<CAnyTypeStrategy_Int, int>, std::pair<CAnyTypeStrategy_Long, long>>;
TYPED_TEST_SUITE(TypeStrategyWhole, WholeCases);

TYPED_TEST(TypeStrategyWhole, MultipliesInAndDividesOut) {
  EXPECT_EQ(this->Get(this->s.AnyFromString("2.5", 1.0)), 3);
  EXPECT_EQ(this->Get(this->s.AnyFromString("-2.5", 1.0)), -3);
  EXPECT_EQ(this->Get(this->s.AnyFromString(" 2.5 ", 1000.0)), 2500);
  EXPECT_EQ(this->Get(this->s.AnyFromString("12abc", 1.0)), 0);
  EXPECT_EQ(this->Get(this->s.AnyFromInt(-3, 0.5)), -2);
  EXPECT_EQ(this->Get(this->s.AnyFromDouble(0.25, 10.0)), 3);
  EXPECT_EQ(this->s.AnyToString(this->seven, 2.0), "3.5");
  EXPECT_EQ(this->s.AnyToInt(this->seven, 2.0), 4);
  EXPECT_EQ(this->s.AnyToInt(typename TestFixture::Held(-7), 2.0), -4);
  EXPECT_EQ(this->s.AnyToDouble(this->seven, 2.0), 3.5);
}

TYPED_TEST(TypeStrategyWhole, ConvertsWithoutFactor) {
  EXPECT_EQ(this->Get(this->s.TypeFromString("2.9")), 2);  // truncated, not rounded
  EXPECT_EQ(this->Get(this->s.TypeFromString("-2.9")), -2);
  EXPECT_EQ(this->Get(this->s.TypeFromString("x")), 0);
  EXPECT_EQ(this->Get(this->s.TypeFromDouble(-2.5)), -3);
  EXPECT_EQ(this->s.TypeToString(this->seven), "7");
  EXPECT_EQ(this->s.TypeToDouble(this->seven), 7.0);
}

TYPED_TEST(TypeStrategyWhole, ReadsOnlyItsHeldType) {
  EXPECT_TRUE(this->s.IsType(this->seven));
  EXPECT_FALSE(this->s.IsType(boost::any()));
  EXPECT_NE(this->s.IsType(7), this->s.IsType(7L));  // int and long are distinct
  EXPECT_THROW(this->s.AnyToInt(boost::any(), 1.0), boost::bad_any_cast);
  EXPECT_THROW(this->s.AnyToString(7.0, 1.0), boost::bad_any_cast);
  EXPECT_THROW(this->s.TypeToString(CString("7")), boost::bad_any_cast);
}

TEST(TypeStrategy, DoubleScalesWithoutRounding) {
  const CAnyTypeStrategy_Double s;
  EXPECT_EQ(boost::any_cast<double>(s.AnyFromString("2.5", 1000.0)), 2500.0);
  EXPECT_EQ(boost::any_cast<double>(s.AnyFromString("-.5", 1.0)), -0.5);
  EXPECT_EQ(boost::any_cast<double>(s.AnyFromInt(3, 0.5)), 1.5);
  EXPECT_EQ(s.AnyToString(2500.0, 1000.0), "2.5");
  EXPECT_EQ(s.AnyToString(1.0 / 3.0, 1.0), "0.333");
  EXPECT_EQ(boost::any_cast<double>(s.TypeFromString("1,5")), 0.0);
  EXPECT_EQ(s.TypeToString(1.23456), "1.235");
  EXPECT_EQ(s.TypeToInt(-2.5), -3);
  EXPECT_THROW(s.AnyToDouble(2, 1.0), boost::bad_any_cast);
}

TEST(TypeStrategy, ByteUsesDefaultsWithFactorAndLowBitsWithout) {
  const CAnyTypeStrategy_Byte s;
  using Byte = unsigned char;
  EXPECT_EQ(s.AnyToString(Byte(5), 1.0), "");  // the default: no conversion with factor
  EXPECT_EQ(boost::any_cast<Byte>(s.TypeFromString("300")), 44);
  EXPECT_EQ(boost::any_cast<Byte>(s.TypeFromInt(-1)), 255);
  EXPECT_EQ(boost::any_cast<Byte>(s.TypeFromDouble(255.5)), 0);
  EXPECT_TRUE(s.IsType(Byte(0)));
  EXPECT_FALSE(s.IsType(0));
}

TEST(TypeStrategy, TextKindsIgnoreTheFactor) {
  const CAnyTypeStrategy_CString s;
  EXPECT_EQ(boost::any_cast<CString>(s.AnyFromString(CString("ab\0cd", 5), 9.0)), "ab");
  EXPECT_EQ(boost::any_cast<CString>(s.AnyFromInt(-3, 1000.0)), "-3");
  EXPECT_EQ(boost::any_cast<CString>(s.AnyFromDouble(0.5, 1000.0)), "0.5");
  EXPECT_EQ(s.AnyToInt(CString("12abc"), 1000.0), 12);  // atoi, without the numeric test
  EXPECT_EQ(s.AnyToDouble(CString("2.5x"), 1000.0), 2.5);
  EXPECT_EQ(s.TypeToInt(CString("12abc")), 0);  // with the numeric test
  EXPECT_EQ(s.TypeToDouble(CString("2.5x")), 0.0);
  EXPECT_THROW(s.AnyToString(std::string("a"), 1.0), boost::bad_any_cast);
  // Without index or text, TypeFromBox gives "0" where AnyFromBox gives "".
  const CTransferUiToAnyBox box;
  EXPECT_EQ(boost::any_cast<CString>(s.TypeFromBox(box)), "0");
  EXPECT_EQ(boost::any_cast<CString>(s.AnyFromBox(box, 1.0)), "");

  const CAnyTypeStrategy_String str;
  EXPECT_EQ(boost::any_cast<std::string>(str.AnyFromDouble(2.0, 1000.0)), "2");
  EXPECT_TRUE(str.IsType(std::string()));

  // Formula text converts as CString but is never recognised by type.
  const CAnyTypeStrategy_Formula formula;
  EXPECT_EQ(boost::any_cast<CString>(formula.AnyFromDouble(1.23456, 9.0)), "1.235");
  EXPECT_EQ(formula.AnyToInt(CString("12abc"), 1.0), 12);
  EXPECT_FALSE(formula.IsType(CString("a")));
}

TEST(TypeStrategy, StructuredKindsIgnoreTextAndNumbers) {
  const CAnyTypeStrategy_HookData hook;
  const boost::any h = hook.AnyFromString("3(2)*4", 1.0);
  EXPECT_EQ(boost::any_cast<CHookData>(h), CHookData());
  EXPECT_EQ(hook.AnyToString(h, 1.0), "");
  EXPECT_EQ(hook.AnyToString(CHookData("3(2)*4"), 1000.0), "3(2)*4");
  EXPECT_THROW(hook.AnyToString(CString("3*4"), 1.0), boost::bad_any_cast);

  const CAnyTypeStrategy_ModelColor model;
  EXPECT_EQ(boost::any_cast<CVisualColorItem>(model.AnyFromInt(0xFF, 1.0)), CVisualColorItem());
  CVisualColorItem color;
  color.SetColor(VCK_TEXT, 0x0000FF);
  color.SetTransparency(VCK_LINE, 0xFF0000);
  EXPECT_EQ(model.AnyToString(color, 1.0), color.GetColorStr());
  EXPECT_THROW(model.AnyToString(0, 1.0), boost::bad_any_cast);

  EXPECT_EQ(boost::any_cast<unsigned long>(CAnyTypeStrategy_NormalColor().AnyFromInt(255, 1)), 0);
  EXPECT_FALSE(CAnyTypeStrategy_NormalColor().IsType(255ul));
  EXPECT_FALSE(hook.IsType(CHookData()));
}

}  // namespace
