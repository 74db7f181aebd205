#include "lumotools/property/hook_data.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

namespace {

CHookData Make(int num1, int sub1, int num2, int sub2, bool single = false) {
  CHookData d;
  std::tie(d.m_nNum1, d.m_nSub1, d.m_nNum2, d.m_nSub2, d.m_bSingle) =
      std::make_tuple(num1, sub1, num2, sub2, single);
  return d;
}

std::string Fields(const CHookData& d) {
  return std::to_string(d.m_nNum1) + " " + std::to_string(d.m_nSub1) + " " +
         std::to_string(d.m_nNum2) + " " + std::to_string(d.m_nSub2) +
         (d.m_bSingle ? " single" : "");
}

TEST(HookData, FormatsPairsWithoutZeroSubs) {
  EXPECT_EQ(Fields(CHookData()), "0 -1 0 -1");
  // clang-format off
  const std::pair<CHookData, const char*> cases[] = {
      {CHookData(), ""},
      // Whatever the subs, main numbers below 1 give no text, in either mode.
      {Make(0, 5, 0, 7), ""}, {Make(-3, 2, -1, 4), ""}, {Make(0, 3, -2, 0, true), ""},
      {Make(3, 2, 4, 0), "3(2)*4"}, {Make(0, 0, 1, 1), "0*1(1)"}, {Make(10, 0, 20, 0), "10*20"},
      {Make(2, 10, 3, -1), "2(10)*3(-1)"}, {Make(1, 0, 0, 0, true), "1"},
      {Make(2, 10, 0, 0, true), "2(10)"},
      // In single mode a second main number of at least 1 still makes the text non-empty, and
      // only the first pair is shown.
      {Make(0, -1, 5, 1, true), "0(-1)"}};
  // clang-format on
  for (const auto& [data, text] : cases) {
    EXPECT_EQ(data.GetHookDataStr().str(), text) << Fields(data);
  }
}

TEST(HookData, ParsesTwoPairsOrOneInSingleMode) {
  // Each text is parsed into the value of the line before; parts that are empty after trimming
  // leave their pair as it was.
  // clang-format off
  const std::pair<const char*, const char*> pairs[] = {
      {"3 (2) * 4(5) ", "3 2 4 5"}, {"*7", "3 2 7 0"}, {"9(8) *  ", "9 8 7 0"}, {"  *  ", "9 8 7 0"},
      {"", "9 8 7 0"},
      // Only trailing blanks go from the left part, only leading ones from the right part.
      {" (3)* (4)", "0 3 0 0"},
      // Without a star the whole text is the second pair.
      {"5(1)", "0 3 5 1"}};
  const std::pair<const char*, const char*> singles[] = {
      {"6(2)*9", "6 2 3 4 single"}, {"   ", "6 2 3 4 single"}, {"", "6 2 3 4 single"},
      {"11 ", "11 0 3 4 single"},
      // Only trailing spaces are removed: leading blanks stay, and a tab is text.
      {" (5)", "0 5 3 4 single"}, {"\t", "0 0 3 4 single"}};
  // clang-format on
  const auto parseInTurn = [](CHookData d, const auto& cases) {
    for (const auto& [text, fields] : cases) {
      d.SetHookDataByStr(text);
      EXPECT_EQ(Fields(d), fields) << '"' << text << '"';
    }
  };
  parseInTurn(Make(1, 2, 3, 4), pairs);
  parseInTurn(Make(1, 2, 3, 4, true), singles);
}

TEST(HookData, EqualityComparesAllFields) {
  const CHookData base = Make(1, 2, 3, 4);
  EXPECT_TRUE(base == Make(1, 2, 3, 4));
  for (const CHookData& other : {Make(9, 2, 3, 4), Make(1, 9, 3, 4), Make(1, 2, 9, 4),
                                 Make(1, 2, 3, 9), Make(1, 2, 3, 4, true)}) {
    EXPECT_FALSE(base == other) << Fields(other);
  }
}

}  // namespace
