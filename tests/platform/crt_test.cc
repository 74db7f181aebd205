#include "lumotools/platform/crt.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(CrtAtoi, ReadsSignAndDigitsAfterWhiteSpace) {
  EXPECT_EQ(CrtAtoi("0"), 0);
  EXPECT_EQ(CrtAtoi("123"), 123);
  EXPECT_EQ(CrtAtoi("+45"), 45);
  EXPECT_EQ(CrtAtoi("-678"), -678);
  EXPECT_EQ(CrtAtoi("-0012"), -12);
  EXPECT_EQ(CrtAtoi(" \t\n\v\f\r9"), 9);
  EXPECT_EQ(CrtAtoi("  -7"), -7);
}

TEST(CrtAtoi, StopsAtFirstNonDigit) {
  EXPECT_EQ(CrtAtoi("12abc"), 12);
  EXPECT_EQ(CrtAtoi("3.9"), 3);
  EXPECT_EQ(CrtAtoi("1e5"), 1);
  EXPECT_EQ(CrtAtoi("0x1A"), 0);
  EXPECT_EQ(CrtAtoi("42 17"), 42);
  EXPECT_EQ(CrtAtoi("-5-"), -5);
}

TEST(CrtAtoi, ReturnsZeroWithoutNumber) {
  EXPECT_EQ(CrtAtoi(""), 0);
  EXPECT_EQ(CrtAtoi("   "), 0);
  EXPECT_EQ(CrtAtoi("abc"), 0);
  EXPECT_EQ(CrtAtoi("+-3"), 0);
  EXPECT_EQ(CrtAtoi("- 3"), 0);
  EXPECT_EQ(CrtAtoi("x12"), 0);
  EXPECT_EQ(CrtAtoi("\xC2\xA0"
                    "5"),
            0);  // A UTF-8 no-break space is not white space.
}

TEST(CrtAtoi, ClampsOnOverflow) {
  EXPECT_EQ(CrtAtoi("2147483647"), INT_MAX);
  EXPECT_EQ(CrtAtoi("-2147483648"), INT_MIN);
  EXPECT_EQ(CrtAtoi("2147483648"), INT_MAX);
  EXPECT_EQ(CrtAtoi("-2147483649"), INT_MIN);
  EXPECT_EQ(CrtAtoi("4294967296"), INT_MAX);
  EXPECT_EQ(CrtAtoi("99999999999999999999999999"), INT_MAX);
  EXPECT_EQ(CrtAtoi("-99999999999999999999999999"), INT_MIN);
  EXPECT_EQ(CrtAtoi("  +00000000000000000000000000012x"), 12);
}

}  // namespace
