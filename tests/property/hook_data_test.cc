#include "lumotools/property/hook_data.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

namespace {

CHookData Make(int num1, int sub1, int num2, int sub2, bool single = false) {
  CHookData d;
  d.m_nNum1 = num1;
  d.m_nSub1 = sub1;
  d.m_nNum2 = num2;
  d.m_nSub2 = sub2;
  d.m_bSingle = single;
  return d;
}

void ExpectFields(const CHookData& d, int num1, int sub1, int num2, int sub2) {
  EXPECT_EQ(d.m_nNum1, num1);
  EXPECT_EQ(d.m_nSub1, sub1);
  EXPECT_EQ(d.m_nNum2, num2);
  EXPECT_EQ(d.m_nSub2, sub2);
}

std::string Text(const CHookData& d) { return d.GetHookDataStr().str(); }

}  // namespace

TEST(HookData, FormatsPairsWithoutZeroSubs) {
  const CHookData d;
  ExpectFields(d, 0, -1, 0, -1);
  EXPECT_FALSE(d.m_bSingle);
  // clang-format off
  const std::pair<CHookData, const char*> cases[] = {
      {d, ""},
      // Whatever the subs, main numbers below 1 give no text, in either mode.
      {Make(0, 5, 0, 7), ""}, {Make(-3, 2, -1, 4), ""}, {Make(0, 3, -2, 0, true), ""},
      {Make(3, 2, 4, 0), "3(2)*4"}, {Make(0, 0, 5, 1), "0*5(1)"}, {Make(10, 0, 20, 0), "10*20"},
      {Make(2, 10, 3, -1), "2(10)*3(-1)"}, {Make(6, 0, 0, 0, true), "6"},
      {Make(10, 0, 0, 0, true), "10"}, {Make(2, 10, 0, 0, true), "2(10)"},
      // In single mode a second main number of at least 1 still makes the text non-empty, and
      // only the first pair is shown.
      {Make(0, -1, 5, 1, true), "0(-1)"}};
  // clang-format on
  for (const auto& [data, text] : cases) {
    EXPECT_EQ(Text(data), text) << data.m_nNum1 << " " << data.m_nSub1 << " " << data.m_nNum2 << " "
                                << data.m_nSub2 << " " << data.m_bSingle;
  }
}

TEST(HookData, AnalyzesOnePair) {
  // A closing parenthesis counts as well, and a blank before the parenthesis is allowed.
  const struct {
    const char* text;
    int num, sub;
  } cases[] = {{"(4)", 0, 0}, {"-3(2)", -3, 2}, {"5", 5, 0}, {"7)3", 7, 3}, {" 8 (12)", 8, 12}};
  for (const auto& c : cases) {
    int num = 99;
    int sub = 99;
    CHookData::AnzlyzeHookZS(c.text, num, sub);
    EXPECT_EQ(num, c.num) << c.text;
    EXPECT_EQ(sub, c.sub) << c.text;
  }
}

TEST(HookData, ParsesTwoPairs) {
  ExpectFields(CHookData("3(2)*4"), 3, 2, 4, 0);
  ExpectFields(CHookData("3 * 4"), 3, 0, 4, 0);
  ExpectFields(CHookData("3 (2) * 4(5) "), 3, 2, 4, 5);
  EXPECT_FALSE(CHookData("3*4").m_bSingle);

  // Without a star the whole text is the second pair.
  const CHookData noStar("5(1)");
  ExpectFields(noStar, 0, -1, 5, 1);
  EXPECT_EQ(Text(noStar), "0(-1)*5(1)");

  // A part that is empty after trimming leaves its pair as it was.
  CHookData d = Make(1, 2, 3, 4);
  d.SetHookDataByStr("*7");
  ExpectFields(d, 1, 2, 7, 0);
  d.SetHookDataByStr("9(8) *  ");
  ExpectFields(d, 9, 8, 7, 0);
  d.SetHookDataByStr("  *  ");
  ExpectFields(d, 9, 8, 7, 0);
  d.SetHookDataByStr("");
  ExpectFields(d, 9, 8, 7, 0);
  // Only trailing blanks go from the left part, only leading ones from the right part.
  d.SetHookDataByStr(" (3)* (4)");
  ExpectFields(d, 0, 3, 0, 0);
}

TEST(HookData, ParsesOnePairInSingleMode) {
  CHookData d = Make(1, 2, 3, 4, true);
  d.SetHookDataByStr("6(2)*9");
  ExpectFields(d, 6, 2, 3, 4);
  d.SetHookDataByStr("   ");
  ExpectFields(d, 6, 2, 3, 4);
  d.SetHookDataByStr("");
  ExpectFields(d, 6, 2, 3, 4);
  d.SetHookDataByStr("11 ");
  ExpectFields(d, 11, 0, 3, 4);
  // Only trailing spaces are removed: leading blanks stay, and a tab is text.
  d.SetHookDataByStr(" (5)");
  ExpectFields(d, 0, 5, 3, 4);
  d = Make(1, 2, 3, 4, true);
  d.SetHookDataByStr("\t");
  ExpectFields(d, 0, 0, 3, 4);
}

TEST(HookData, EqualityComparesAllFields) {
  const CHookData base = Make(1, 2, 3, 4);
  EXPECT_TRUE(base == Make(1, 2, 3, 4));
  EXPECT_FALSE(base == Make(9, 2, 3, 4));
  EXPECT_FALSE(base == Make(1, 9, 3, 4));
  EXPECT_FALSE(base == Make(1, 2, 9, 4));
  EXPECT_FALSE(base == Make(1, 2, 3, 9));
  EXPECT_FALSE(base == Make(1, 2, 3, 4, true));
}

// Formatting and parsing back give the same value for main numbers of at least 1 and subs of at
// least 0; subs are kept small so that 0, 10, 100 and their neighbours turn up often.
TEST(HookData, TextRoundTrip) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> nums(1, 120);
  std::uniform_int_distribution<int> subs(0, 110);
  for (int i = 0; i < 2000; ++i) {
    const CHookData pair = Make(nums(rng), subs(rng), nums(rng), subs(rng));
    const CString text = pair.GetHookDataStr();
    SCOPED_TRACE(text.str());
    EXPECT_TRUE(CHookData(text) == pair);

    CHookData single = Make(0, 0, 0, 0, true);
    const CHookData expected = Make(pair.m_nNum1, pair.m_nSub1, 0, 0, true);
    single.SetHookDataByStr(expected.GetHookDataStr());
    EXPECT_TRUE(single == expected);
  }
}
