#include "lumotools/formula/build_in_fun.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "lumotools/formula/ex_fun_table.h"
#include "lumotools/formula/number_text.h"
#include "support/message_box_recorder.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const CString kNone;

std::string Call(CExFunTable& table, const std::string& name, const CString& a1 = kNone,
                 const CString& a2 = kNone, const CString& a3 = kNone) {
  return table.Execute(name, a1, a2, a3, kNone, kNone).str();
}

}  // namespace

TEST(BuildInFun, EveryNameCallsItsMember) {
  const CBuildInFun& f = CBuildInFun::Instance();
  using Member = std::function<double(double, double, double)>;
  const struct {
    const char* name;
    Member member;
  } kBindings[] = {
      {"sin", [&](double a, double, double) { return f.mf_sin(a); }},
      {"cos", [&](double a, double, double) { return f.mf_cos(a); }},
      {"tan", [&](double a, double, double) { return f.mf_tan(a); }},
      {"atan", [&](double a, double, double) { return f.mf_atan(a); }},
      {"asin", [&](double a, double, double) { return f.mf_asin(a); }},
      {"acos", [&](double a, double, double) { return f.mf_acos(a); }},
      {"rtod", [&](double a, double, double) { return f.mf_rtod(a); }},
      {"dtor", [&](double a, double, double) { return f.mf_dtor(a); }},
      {"abs", [&](double a, double, double) { return f.mf_abs(a); }},
      {"max", [&](double a, double b, double) { return f.mf_max(a, b); }},
      {"max2", [&](double a, double b, double) { return f.mf_max(a, b); }},
      {"max3", [&](double a, double b, double c) { return f.mf_max3(a, b, c); }},
      {"min", [&](double a, double b, double) { return f.mf_min(a, b); }},
      {"min2", [&](double a, double b, double) { return f.mf_min(a, b); }},
      {"min3", [&](double a, double b, double c) { return f.mf_min3(a, b, c); }},
      {"ceil", [&](double a, double, double) { return f.mf_ceil(a); }},
      {"floor", [&](double a, double, double) { return f.mf_int(a); }},
      {"iif", [&](double a, double b, double c) { return f.mf_iif(static_cast<int>(a), b, c); }},
      {"sqrt", [&](double a, double, double) { return f.mf_sqrt(a); }},
      {"round", [&](double a, double, double) { return f.mf_round(a); }},
      {"fround", [&](double a, double b, double) { return f.mf_fround(a, static_cast<int>(b)); }},
      {"intpart", [&](double a, double, double) { return f.mf_intpart(a); }},
  };
  const char* kArguments[][3] = {
      {"0.3", "2", "-7.25"}, {"-0.8", "0.25", "3"}, {"7.5", "-1.5", "40"}, {"-2.5", "0", "0"},
      {"0", "-3.6", "-3.5"}, {"1", "1", "1"},       {"123.456", "1", "2"}};
  CExFunTable table;
  for (const auto& binding : kBindings) {
    for (const auto& args : kArguments) {
      const double expected =
          binding.member(std::atof(args[0]), std::atof(args[1]), std::atof(args[2]));
      EXPECT_EQ(Call(table, binding.name, args[0], args[1], args[2]),
                FormatNumberText(expected).str())
          << binding.name << '(' << args[0] << ", " << args[1] << ", " << args[2] << ')';
    }
  }
}

TEST(BuildInFun, RoundingThroughTheTable) {
  CExFunTable table;
  EXPECT_EQ(Call(table, "floor", "-2.5"), "-2");
  EXPECT_EQ(Call(table, "floor", "2.9"), "2");
  EXPECT_EQ(Call(table, "ceil", "-2.5"), "-2");
  EXPECT_EQ(Call(table, "ceil", "2.1"), "3");
  EXPECT_EQ(Call(table, "round", "-2.5"), "-3");
  EXPECT_EQ(Call(table, "round", "2.5"), "3");
  EXPECT_EQ(Call(table, "round", "0"), "0");
  EXPECT_EQ(Call(table, "intpart", "-2.5"), "-2");
  EXPECT_EQ(Call(table, "intpart", "-2.7"), "-2");
  EXPECT_EQ(Call(table, "intpart", "2.7"), "2");
  EXPECT_EQ(Call(table, "intpart", "2.9999999999"), "3");
  EXPECT_EQ(Call(table, "intpart", "3000000000"), "3000000000");
  EXPECT_EQ(Call(table, "intpart", "3e9"), "0");
  EXPECT_EQ(Call(table, "floor", "3000000000"), "-2147483648");
  EXPECT_EQ(Call(table, "round", "3000000000"), "-2147483648");

  EXPECT_EQ(Call(table, "fround", "2.345", "2"), "2.35");
  EXPECT_EQ(Call(table, "fround", "-1.25", "1"), "-1.3");
  EXPECT_EQ(Call(table, "fround", "1.005", "2"), "1");
  EXPECT_EQ(Call(table, "fround", "2.675", "2"), "2.68");
  EXPECT_EQ(Call(table, "fround", "2.5", "-3"), "3");
  EXPECT_EQ(Call(table, "fround", "-2.5", "0"), "-3");
  EXPECT_EQ(Call(table, "fround", "1234.5678", "-1"), "1235");
  EXPECT_EQ(Call(table, "fround", "2.5"), "3");
}

TEST(BuildInFun, RoundingDirectCalls) {
  const CBuildInFun& f = CBuildInFun::Instance();
  EXPECT_EQ(f.mf_round(0.49999), 0.0);
  EXPECT_EQ(f.mf_round(-0.49999), 0.0);
  EXPECT_EQ(f.mf_round(3e9), -2147483648.0);
  EXPECT_EQ(f.mf_round(kNaN), -2147483648.0);
  EXPECT_EQ(f.mf_int(-2.5), -2.0);
  EXPECT_EQ(f.mf_int(-3e9), -2147483648.0);
  EXPECT_EQ(f.mf_int(kNaN), -2147483648.0);
  EXPECT_EQ(f.mf_intpart(3e9), 3e9);
  EXPECT_EQ(f.mf_intpart(-1e15 - 0.5), -1e15);
  EXPECT_TRUE(std::isnan(f.mf_intpart(kNaN)));

  // Nine decimals take a group of eight multiplications and one more.
  EXPECT_EQ(f.mf_fround(1.23456789012, 9), 1.23456789);
  EXPECT_EQ(f.mf_fround(-1.23456789012, 8), -1.23456789);
  EXPECT_EQ(f.mf_fround(0.125, 2), 0.13);
  // A factor beyond the double range is infinite, and so the result is not a number.
  EXPECT_TRUE(std::isnan(f.mf_fround(1.5, 400)));
  EXPECT_TRUE(std::isnan(f.mf_fround(1.5, INT_MAX)));
  EXPECT_EQ(f.mf_fround(1.5, 300), 1.5);
}

TEST(BuildInFun, Extremes) {
  const CBuildInFun& f = CBuildInFun::Instance();
  EXPECT_TRUE(std::isnan(f.mf_max(1.0, kNaN)));
  EXPECT_EQ(f.mf_max(kNaN, 1.0), 1.0);
  EXPECT_TRUE(std::isnan(f.mf_min(1.0, kNaN)));
  EXPECT_EQ(f.mf_min(kNaN, 1.0), 1.0);
  EXPECT_TRUE(std::signbit(f.mf_max(0.0, -0.0)));
  EXPECT_FALSE(std::signbit(f.mf_min(-0.0, 0.0)));
  EXPECT_EQ(f.mf_max2(2.0, 3.0), 3.0);
  EXPECT_EQ(f.mf_max2(kNaN, 3.0), 3.0);
  EXPECT_EQ(f.mf_min2(2.0, 3.0), 2.0);
  EXPECT_TRUE(std::isnan(f.mf_min2(2.0, kNaN)));

  EXPECT_EQ(f.mf_max3(5.0, 1.0, 2.0), 5.0);
  EXPECT_EQ(f.mf_max3(1.0, 5.0, 2.0), 5.0);
  EXPECT_EQ(f.mf_max3(1.0, 2.0, 5.0), 5.0);
  EXPECT_EQ(f.mf_max3(kNaN, 1.0, 2.0), 2.0);
  EXPECT_EQ(f.mf_min3(-5.0, 1.0, 2.0), -5.0);
  EXPECT_EQ(f.mf_min3(1.0, -5.0, 2.0), -5.0);
  EXPECT_EQ(f.mf_min3(1.0, 2.0, -5.0), -5.0);
  EXPECT_EQ(f.mf_min3(kNaN, 1.0, 2.0), 1.0);
  EXPECT_TRUE(std::isnan(f.mf_min3(1.0, 2.0, kNaN)));

  CExFunTable table;
  EXPECT_EQ(Call(table, "max", "2", "-3"), "2");
  EXPECT_EQ(Call(table, "MAX3", "-1", "7", "3"), "7");
  EXPECT_EQ(Call(table, "min3", "4", "7", "3"), "3");
  EXPECT_EQ(Call(table, "min", "-1"), "-1");
}

TEST(BuildInFun, AnglesAndStandardFunctions) {
  const CBuildInFun& f = CBuildInFun::Instance();
  CExFunTable table;
  EXPECT_EQ(Call(table, "rtod", "3.141592653589793"), "180");
  EXPECT_EQ(Call(table, "dtor", "180"), "3.142");
  EXPECT_EQ(f.mf_dtor(180.0), 3.141592653589793);
  EXPECT_EQ(f.mf_rtod(1.0), 180.0 / 3.141592653589793);
  EXPECT_EQ(Call(table, "sin", "1.5707963267948966"), "1");
  EXPECT_EQ(Call(table, "cos", "3.141592653589793"), "-1");
  EXPECT_EQ(Call(table, "atan", "1"), "0.785");
  EXPECT_EQ(Call(table, "tan", "0.7853981633974483"), "1");
  EXPECT_EQ(Call(table, "sqrt", "2"), "1.414");

  EXPECT_FALSE(std::signbit(f.mf_abs(-0.0)));
  EXPECT_EQ(f.mf_abs(-3.25), 3.25);
  EXPECT_TRUE(std::isnan(f.mf_asin(2.0)));
  EXPECT_TRUE(std::isnan(f.mf_acos(-1.5)));
  EXPECT_TRUE(std::isnan(f.mf_sqrt(-1.0)));
  // Not-a-number has no decimal point and is not shortened.
  for (const char* name : {"asin", "acos", "sqrt"}) {
    const std::string text = Call(table, name, "-2");
    EXPECT_NE(text.find("nan"), std::string::npos) << name;
    EXPECT_EQ(text.find('.'), std::string::npos) << name;
  }
}

TEST(BuildInFun, ConditionTakesTheIntRule) {
  const CBuildInFun& f = CBuildInFun::Instance();
  EXPECT_EQ(f.mf_iif(-1, 1.0, 2.0), 1.0);
  EXPECT_EQ(f.mf_iif(0, 1.0, 2.0), 2.0);

  CExFunTable table;
  EXPECT_EQ(Call(table, "iif", "1", "10", "20"), "10");
  EXPECT_EQ(Call(table, "iif", "-1", "10", "20"), "10");
  EXPECT_EQ(Call(table, "iif", "0.5", "10", "20"), "20");
  EXPECT_EQ(Call(table, "iif", "abc", "10", "20"), "20");
  EXPECT_EQ(Call(table, "iif", "", "10", "20"), "20");
}

TEST(BuildInFun, MessageFunctionsShowTheirValue) {
  lumo_test::MessageBoxRecorder boxes;
  CExFunTable table;
  EXPECT_EQ(Call(table, "popmsg_s", "  Wall 1 \xE5\xA2\x99  "), "");
  EXPECT_EQ(Call(table, "popmsg_d", "1.23456"), "");
  EXPECT_EQ(Call(table, "popmsg_d", "2.50"), "");
  EXPECT_EQ(Call(table, "popmsg_d", "abc"), "");
  EXPECT_EQ(Call(table, "popmsg_i", "5"), "");
  EXPECT_EQ(Call(table, "popmsg_i", "-3.9"), "");
  EXPECT_EQ(Call(table, "POPMSG_S"), "");
  CBuildInFun::Instance().sys_popmsg_d(-0.0004);
  CBuildInFun::Instance().sys_popmsg_i(INT_MIN);

  const std::vector<std::string> expected = {
      "  Wall 1 \xE5\xA2\x99  ", "1.235", "2.5", "0", "5", "-3", "", "-0", "-2147483648"};
  EXPECT_EQ(boxes.texts(), expected);
  EXPECT_EQ(boxes.styles(), std::vector<UINT>(expected.size(), MB_OK));
  EXPECT_EQ(boxes.helpIds(), std::vector<UINT>(expected.size(), 0));
}
