#include "lumotools/formula/number_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "support/soak.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();

// The number text the slow way: add +-0.0005, "%f", keep three decimals, drop trailing zeros
// and a trailing point.
std::string NumberTextByPrintf(double value) {
  const double half = value < -1.1754943508222875e-38 ? -0.5 : 0.5;
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%f", value + half / 10.0 / 10.0 / 10.0);
  std::string text = buffer;
  const size_t point = text.find('.');
  if (point != std::string::npos) {
    if (point + 4 < text.size()) text.resize(point + 4);
    while (!text.empty() && text.back() == '0') text.pop_back();
    while (!text.empty() && text.back() == '.') text.pop_back();
  }
  return text;
}

uint64_t Bits(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Digit texts at large go against atof in the stress test below; these are the rule's edges.
TEST(NumberText, NumericTextRuleAndConversions) {
  for (const char* text : {"-.5", "5.", "007", "-0", " 2.5 ", "\t3\n", "\v\f7\r"}) {
    EXPECT_TRUE(IsNumericText(text)) << '"' << text << '"';
  }
  for (const char* text : {"", "   ", ".", "-", "-.", "1e5", "+5", "1.2.3", "1,5", "abc", "- 5",
                           "1 2", "--5", "5-", "0x10", "inf", "nan"}) {
    EXPECT_FALSE(IsNumericText(text)) << '"' << text << '"';
  }
  EXPECT_FALSE(IsNumericText(CString("5\0", 2)));
  EXPECT_EQ(NumericTextToDouble(" 2.5 "), 2.5);
  EXPECT_EQ(NumericTextToDouble("1e5"), 0.0);
  EXPECT_EQ(NumericTextToInt("-2.9"), -2);
  EXPECT_EQ(NumericTextToInt("-99999999999"), INT_MIN);
  EXPECT_EQ(NumericTextToInt("1e5"), 0);
}

TEST(NumberText, FormatsDocumentedExamples) {
  const struct {
    double value;
    const char* text;
  } kCases[] = {
      // clang-format off
      {2.0, "2"}, {0.1, "0.1"}, {1.23456, "1.235"}, {-1.5, "-1.5"}, {0.0, "0"}, {-0.0, "0"},
      // Half a thousandth rounds away from zero; a negative value that rounds to 0 keeps its sign.
      {0.0005, "0.001"}, {0.00049, "0"}, {-0.0006, "-0.001"}, {-0.0004, "-0"},
      {1234.9999, "1235"}, {100.0, "100"}, {0.9995, "1"}, {-0.9996, "-1"},
      {123456789.125, "123456789.125"}, {1e20, "100000000000000000000"},
      {-18446744073709551616.0, "-18446744073709551616"},
      {kInf, "inf"}, {-kInf, "-inf"}, {std::nan(""), "nan"},
      // clang-format on
  };
  for (const auto& c : kCases) EXPECT_EQ(FormatNumberText(c.value).str(), c.text) << c.value;
}

// The integer routes against atof and snprintf, on texts with runs of zeros and nines and on
// values at their limits: any bit pattern, any magnitude around the 2^64 bound and the smallest
// millionth, and exact binary fractions, ties at the sixth decimal among them.
void MatchesTheLibraryRoutes(unsigned seed) {
  std::mt19937_64 random(seed);
  for (int i = 0; i < 1500; ++i) {
    std::string text = random() % 2 ? "-" : "";
    const int digits = 1 + static_cast<int>(random() % 30);
    const int point = static_cast<int>(random() % static_cast<uint64_t>(digits + 1));
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      const uint64_t kind = random() % 8;
      text += kind == 0 ? '0' : kind == 1 ? '9' : static_cast<char>('0' + random() % 10);
    }
    ASSERT_EQ(Bits(NumericTextToDouble(text.c_str())), Bits(std::atof(text.c_str()))) << text;

    uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (i % 3 == 1)
      value = std::ldexp(static_cast<double>(bits >> 11), static_cast<int>(bits % 140) - 140);
    if (i % 3 == 2)
      value = static_cast<double>(bits >> 24) / 128.0 - static_cast<double>(bits % 8) * 0.0005;
    if (i % 2 == 1) value = -value;
    ASSERT_EQ(FormatNumberText(value).str(), NumberTextByPrintf(value))
        << "value with bits " << std::hex << Bits(value);
  }
}

TEST(NumberTextStress, MatchesAtofAndPrintfOnRandomValues) {
  const double kFloatMin = FLT_MIN;
  for (double value : {DBL_MIN, -DBL_TRUE_MIN, DBL_MAX, -kFloatMin, std::nextafter(-kFloatMin, 0.0),
                       18446744073709551615.0, 9223372036854775808.0, 4503599627370495.5,
                       0.0015 - 1e-17, 2.0005 + 1e-16}) {
    EXPECT_EQ(FormatNumberText(value).str(), NumberTextByPrintf(value)) << value;
  }
  lumo_test::RunStressRounds(7, MatchesTheLibraryRoutes);
}

// The common cases go through the round and floor functions of the formula table.
TEST(NumberText, IntegerRoundingAndTruncationAtTheLimits) {
  EXPECT_EQ(RoundHalfAwayFromZero(-0.49999), 0);
  EXPECT_EQ(RoundHalfAwayFromZero(2147483646.6), 2147483647);
  EXPECT_EQ(RoundHalfAwayFromZero(2147483647.5), INT_MIN);
  EXPECT_EQ(TruncateToInt32(2147483647.9), 2147483647);
  EXPECT_EQ(TruncateToInt32(-2147483648.9), INT_MIN);
  EXPECT_EQ(TruncateToInt32(2147483648.0), INT_MIN);
  EXPECT_EQ(TruncateToInt32(std::nan("")), INT_MIN);
}

}  // namespace
