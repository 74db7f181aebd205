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

namespace {

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

}  // namespace

TEST(NumberText, NumericTextRule) {
  for (const char* text : {"-.5", "5.", "007", "0", "-0", "123.456", " 2.5 ", "\t3\n", "\v\f7\r"}) {
    EXPECT_TRUE(IsNumericText(text)) << '"' << text << '"';
  }
  for (const char* text : {"", "   ", ".", "-", "-.", "1e5", "+5", "1-2", "1.2.3", "1,5", "abc",
                           "- 5", "1 2", "--5", "5-", "0x10", "inf", "nan"}) {
    EXPECT_FALSE(IsNumericText(text)) << '"' << text << '"';
  }
  EXPECT_FALSE(IsNumericText(CString("5\0", 2)));
}

TEST(NumberText, ConvertsTextsToNumbers) {
  EXPECT_EQ(NumericTextToDouble("-.5"), -0.5);
  EXPECT_EQ(NumericTextToDouble("5."), 5.0);
  EXPECT_EQ(NumericTextToDouble("007"), 7.0);
  EXPECT_EQ(NumericTextToDouble(" 2.5 "), 2.5);
  EXPECT_EQ(NumericTextToDouble("0.1"), 0.1);
  EXPECT_TRUE(std::signbit(NumericTextToDouble("-0")));
  for (const char* text : {"", "abc", "1,5", "1e5", "+5"}) {
    EXPECT_EQ(NumericTextToDouble(text), 0.0) << text;
  }

  EXPECT_EQ(NumericTextToInt("3.7"), 3);
  EXPECT_EQ(NumericTextToInt("-2.9"), -2);
  EXPECT_EQ(NumericTextToInt(" 42 "), 42);
  EXPECT_EQ(NumericTextToInt(".5"), 0);
  EXPECT_EQ(NumericTextToInt("99999999999"), INT_MAX);
  EXPECT_EQ(NumericTextToInt("-99999999999"), INT_MIN);
  for (const char* text : {"", "abc", "1,5", "1e5", "+5"}) {
    EXPECT_EQ(NumericTextToInt(text), 0) << text;
  }
}

TEST(NumberText, DoubleConversionMatchesAtofOnRandomTexts) {
  std::mt19937_64 random(20240611);
  std::uniform_int_distribution<int> digit('0', '9');
  std::uniform_int_distribution<int> length(1, 30);
  for (int i = 0; i < 200000; ++i) {
    std::string text;
    if (random() % 2) text += '-';
    const int digits = length(random);
    const int point = static_cast<int>(random() % static_cast<uint64_t>(digits + 2)) - 1;
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      // Runs of zeros and nines reach the limits of the exact path.
      const uint64_t kind = random() % 8;
      text += kind == 0 ? '0' : kind == 1 ? '9' : static_cast<char>(digit(random));
    }
    if (point == digits) text += '.';
    ASSERT_EQ(Bits(NumericTextToDouble(text.c_str())), Bits(std::atof(text.c_str()))) << text;
  }
  for (const char* text :
       {"9007199254740992", "9007199254740993", "9007199254740993.0", "0.0000000000000000000001",
        "0.00000000000000000000001", "1234567890123456789", "12345678901234567890",
        "123456789012345678901234567890.5"}) {
    EXPECT_EQ(Bits(NumericTextToDouble(text)), Bits(std::atof(text))) << text;
  }
}

TEST(NumberText, FormatsDocumentedExamples) {
  const struct {
    double value;
    const char* text;
  } kCases[] = {
      {2.0, "2"},          {0.1, "0.1"},
      {1.23456, "1.235"},  {3.14159265, "3.142"},
      {-1.5, "-1.5"},      {0.0, "0"},
      {0.0005, "0.001"},   {0.00049, "0"},
      {1234.9999, "1235"}, {100.0, "100"},
      {-0.0006, "-0.001"}, {-0.0004, "-0"},
      {-0.0, "0"},         {1e20, "100000000000000000000"},
      {-2.5, "-2.5"},      {0.9995, "1"},
      {-0.9996, "-1"},     {123456789.125, "123456789.125"},
  };
  for (const auto& c : kCases) EXPECT_EQ(FormatNumberText(c.value).str(), c.text) << c.value;

  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(FormatNumberText(inf).str(), "inf");
  EXPECT_EQ(FormatNumberText(-inf).str(), "-inf");
  EXPECT_EQ(FormatNumberText(std::nan("")).str(), "nan");
}

// The integer route against snprintf on values that reach its limits: a rounding that carries
// into the whole part, the 2^64 bound of whole numbers, fractions too small to reach a
// millionth, exact ties at the sixth decimal (odd multiples of 2^-7), and any bit pattern.
TEST(NumberText, MatchesPrintfRouteOnAMillionValues) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::uniform_int_distribution<int> exponent(-330, 330);
  const double inf = std::numeric_limits<double>::infinity();
  const double fixed[] = {0.0,
                          -0.0,
                          inf,
                          -inf,
                          std::nan(""),
                          -std::nan(""),
                          DBL_MIN,
                          -DBL_MIN,
                          DBL_TRUE_MIN,
                          -DBL_TRUE_MIN,
                          DBL_MAX,
                          -DBL_MAX,
                          FLT_MIN,
                          -FLT_MIN,
                          std::nextafter(-FLT_MIN, 0.0),
                          0.0019995,
                          1.0 / 128,
                          18446744073709551615.0,
                          9223372036854775808.0,
                          -18446744073709551616.0,
                          4503599627370495.5,
                          4503599627370496.0};
  for (double value : fixed) {
    ASSERT_EQ(FormatNumberText(value).str(), NumberTextByPrintf(value)) << value;
  }
  for (int i = 0; i < 1000000; ++i) {
    double value = 0.0;
    switch (i % 8) {
      case 0:  // Any magnitude.
        value = std::ldexp(unit(random), exponent(random) / 3);
        break;
      case 1:  // Around halves of the third decimal.
        value = std::nextafter(static_cast<double>(random() % 2000000) / 1000.0 + 0.0005,
                               (random() % 2) ? inf : -inf);
        if (random() % 3 == 0) value = static_cast<double>(random() % 2000000) / 2000.0;
        break;
      case 2:  // Exact binary fractions, ties at the sixth decimal among them.
        value = static_cast<double>(random() % (uint64_t{1} << 40)) / 128.0 -
                static_cast<double>(random() % 8) * 0.0005;
        break;
      case 3:  // Tiny.
        value = std::ldexp(unit(random), -static_cast<int>(random() % 1075));
        break;
      case 4:  // Huge.
        value = std::ldexp(unit(random) + 1.0, 40 + static_cast<int>(random() % 984));
        break;
      case 5:  // Any bit pattern.
        value = [&] {
          const uint64_t bits = random();
          double d;
          std::memcpy(&d, &bits, sizeof d);
          return d;
        }();
        break;
      case 6:  // Near whole numbers.
        value = std::nextafter(static_cast<double>(static_cast<int64_t>(random() % 100000) - 50000),
                               (random() % 2) ? inf : -inf);
        break;
      default:  // Ordinary measurements.
        value = (unit(random) - 0.5) * 20000.0;
        break;
    }
    if (i % 16 == 3) value = -value;
    ASSERT_EQ(FormatNumberText(value).str(), NumberTextByPrintf(value))
        << "value with bits " << std::hex << Bits(value);
  }
}

TEST(NumberText, IntegerRoundingAndTruncation) {
  const double nan = std::nan("");
  EXPECT_EQ(RoundHalfAwayFromZero(2.5), 3);
  EXPECT_EQ(RoundHalfAwayFromZero(-2.5), -3);
  EXPECT_EQ(RoundHalfAwayFromZero(0.0), 0);
  EXPECT_EQ(RoundHalfAwayFromZero(0.49999), 0);
  EXPECT_EQ(RoundHalfAwayFromZero(-0.49999), 0);
  EXPECT_EQ(RoundHalfAwayFromZero(2147483646.6), 2147483647);
  EXPECT_EQ(RoundHalfAwayFromZero(2147483647.5), INT_MIN);
  EXPECT_EQ(RoundHalfAwayFromZero(-2147483648.4), INT_MIN);
  EXPECT_EQ(RoundHalfAwayFromZero(3e9), INT_MIN);
  EXPECT_EQ(RoundHalfAwayFromZero(nan), INT_MIN);

  EXPECT_EQ(TruncateToInt32(2.9), 2);
  EXPECT_EQ(TruncateToInt32(-2.9), -2);
  EXPECT_EQ(TruncateToInt32(2147483647.9), 2147483647);
  EXPECT_EQ(TruncateToInt32(-2147483648.9), INT_MIN);
  EXPECT_EQ(TruncateToInt32(2147483648.0), INT_MIN);
  EXPECT_EQ(TruncateToInt32(-3e9), INT_MIN);
  EXPECT_EQ(TruncateToInt32(nan), INT_MIN);
}
