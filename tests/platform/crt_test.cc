#include "lumotools/platform/crt.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

namespace {

// Each row probes one rule: optional sign after C-locale white space (a UTF-8 no-break space is
// none), the first non-digit ends the number, no number reads as 0, overflow clamps.
TEST(CrtAtoi, ReadsLikeTheCRuntime) {
  // clang-format off
  const std::pair<const char*, int> cases[] = {
      {"0", 0}, {"123", 123}, {"+45", 45}, {"-678", -678}, {"-0012", -12},
      {" \t\n\v\f\r9", 9}, {"  -7", -7},
      {"12abc", 12}, {"3.9", 3}, {"1e5", 1}, {"0x1A", 0}, {"42 17", 42}, {"-5-", -5},
      {"", 0}, {"   ", 0}, {"abc", 0}, {"+-3", 0}, {"- 3", 0}, {"x12", 0}, {"\302\2405", 0},
      {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"2147483648", INT_MAX},
      {"-2147483649", INT_MIN}, {"4294967296", INT_MAX},
      {"99999999999999999999999999", INT_MAX}, {"-99999999999999999999999999", INT_MIN},
      {"  +00000000000000000000000000012x", 12}};
  // clang-format on
  for (const auto& [text, value] : cases) EXPECT_EQ(CrtAtoi(text), value) << '"' << text << '"';
}

}  // namespace
