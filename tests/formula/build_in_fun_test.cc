#include "lumotools/formula/build_in_fun.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "lumotools/formula/ex_fun_table.h"
#include "support/message_box_recorder.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(BuildInFun, EachNameGivesItsNumberText) {
  const struct {
    const char* name;
    const char* args[3];
    const char* text;
  } kCases[] = {
      // clang-format off
      {"sin", {"1.5707963267948966"}, "1"}, {"cos", {"3.141592653589793"}, "-1"},
      {"tan", {"0.7853981633974483"}, "1"}, {"atan", {"1"}, "0.785"}, {"asin", {"1"}, "1.571"},
      {"acos", {"0"}, "1.571"}, {"rtod", {"3.141592653589793"}, "180"}, {"dtor", {"180"}, "3.142"},
      {"abs", {"-3.25"}, "3.25"}, {"sqrt", {"2"}, "1.414"},
      {"max", {"2", "-3"}, "2"}, {"max2", {"-2", "3"}, "3"},
      {"MAX3", {"-1", "7", "3"}, "7"}, {"max3", {"9", "7", "3"}, "9"},
      {"min", {"-1"}, "-1"}, {"min2", {"2", "3"}, "2"},
      {"min3", {"4", "7", "3"}, "3"}, {"min3", {"1", "7", "3"}, "1"},
      // floor and round go through a 32-bit integer; intpart does not.
      {"floor", {"-2.5"}, "-2"}, {"floor", {"3000000000"}, "-2147483648"}, {"ceil", {"-2.5"}, "-2"},
      {"round", {"-2.5"}, "-3"}, {"round", {"2.5"}, "3"}, {"round", {"3000000000"}, "-2147483648"},
      {"intpart", {"-2.7"}, "-2"}, {"intpart", {"2.9999999999"}, "3"},
      {"intpart", {"3000000000"}, "3000000000"},
      {"fround", {"2.345", "2"}, "2.35"}, {"fround", {"-1.25", "1"}, "-1.3"},
      {"fround", {"1.005", "2"}, "1"}, {"fround", {"2.5", "-3"}, "3"},
      {"iif", {"1", "10", "20"}, "10"}, {"iif", {"0.5", "10", "20"}, "20"},
      {"iif", {"abc", "10", "20"}, "20"},
      // clang-format on
  };
  CExFunTable table;
  for (const auto& c : kCases) {
    const CString a[3] = {c.args[0], c.args[1], c.args[2]};
    EXPECT_EQ(table.Execute(c.name, a[0], a[1], a[2], "", "").str(), c.text)
        << c.name << '(' << a[0].str() << ", " << a[1].str() << ", " << a[2].str() << ')';
  }
  // Not-a-number has no decimal point and is not shortened.
  EXPECT_EQ(table.Execute("sqrt", "-2", "", "", "", "").str().find('.'), std::string::npos);
}

TEST(BuildInFun, DirectCallsAtTheEdges) {
  const CBuildInFun& f = CBuildInFun::Instance();
  EXPECT_EQ(f.mf_rtod(1.0), 180.0 / 3.141592653589793);
  EXPECT_EQ(f.mf_dtor(180.0), 3.141592653589793);
  EXPECT_FALSE(std::signbit(f.mf_abs(-0.0)));
  EXPECT_TRUE(std::isnan(f.mf_max(1.0, kNaN)));
  EXPECT_EQ(f.mf_max(kNaN, 1.0), 1.0);
  EXPECT_TRUE(std::signbit(f.mf_max(0.0, -0.0)));
  EXPECT_EQ(f.mf_max3(kNaN, 1.0, 2.0), 2.0);
  EXPECT_TRUE(std::isnan(f.mf_min2(2.0, kNaN)));
  EXPECT_EQ(f.mf_min3(kNaN, 1.0, 2.0), 1.0);
  EXPECT_TRUE(std::isnan(f.mf_min3(1.0, 2.0, kNaN)));
  EXPECT_EQ(f.mf_round(kNaN), -2147483648.0);
  EXPECT_EQ(f.mf_int(kNaN), -2147483648.0);
  EXPECT_EQ(f.mf_intpart(-1e15 - 0.5), -1e15);
  // Nine decimals take a group of eight multiplications and one more.
  EXPECT_EQ(f.mf_fround(1.23456789012, 9), 1.23456789);
  EXPECT_EQ(f.mf_fround(1.5, 300), 1.5);
  // A factor beyond the double range is infinite, and so the result is not a number.
  EXPECT_TRUE(std::isnan(f.mf_fround(1.5, INT_MAX)));
}

TEST(BuildInFun, MessageFunctionsShowTheirValue) {
  lumo_test::MessageBoxRecorder boxes;
  CExFunTable table;
  for (const char* name : {"popmsg_s", "popmsg_d", "popmsg_i"}) {
    EXPECT_EQ(table.Execute(name, "  -3.9996 \xE5\xA2\x99", "", "", "", "").str(), "") << name;
    EXPECT_EQ(table.Execute(name, "-3.9996", "", "", "", "").str(), "") << name;
  }
  CBuildInFun::Instance().sys_popmsg_i(INT_MIN);

  const std::vector<std::string> expected = {
      "  -3.9996 \xE5\xA2\x99", "-3.9996", "0", "-4", "0", "-3", "-2147483648"};
  EXPECT_EQ(boxes.texts(), expected);
  EXPECT_EQ(boxes.styles(), std::vector<UINT>(expected.size(), MB_OK));
  EXPECT_EQ(boxes.helpIds(), std::vector<UINT>(expected.size(), 0));
}

}  // namespace
