#include "lumotools/length.h"

#include <iterator>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Items = std::vector<CLengthItem>;

constexpr double kTol = CLengthSub::kPieceTolerance;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void ExpectSameItems(const Items& expected, const Items& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(expected[i].ItemMin(), actual[i].ItemMin()) << "piece " << i;
    EXPECT_EQ(expected[i].ItemMax(), actual[i].ItemMax()) << "piece " << i;
  }
}

CLengthSub MakeSet(double lo, double hi, const Items& subs) {
  CLengthSub set(lo, hi);
  for (const CLengthItem& sub : subs) set.SubLen(sub.ItemMin(), sub.ItemMax());
  return set;
}

TEST(LengthItem, OrdersEndsAndGrowsWhenTouchingWithinTolerance) {
  CLengthItem item(7.0, -3.0);
  ExpectSameItems({{-3.0, 7.0}}, {item});
  EXPECT_TRUE(item.ItemIsInRange(-3.0) && item.ItemIsInRange(7.0));
  EXPECT_FALSE(item.ItemIsInRange(7.0000001));

  EXPECT_TRUE(item.ItemAddLen(20, 7 + 5e-7));
  EXPECT_FALSE(item.ItemAddLen(20 + 2e-6, 30));
  ExpectSameItems({{-3.0, 20.0}}, {item});
  CLengthItem left(-5, 0);  // a gap of exactly the tolerance still touches
  EXPECT_TRUE(left.ItemAddLen(1e-6, 3));
  ExpectSameItems({{-5.0, 3.0}}, {left});
}

// Pieces of [0, 10] less the sub-items.
TEST(LengthSub, PositiveAndNegativePieces) {
  struct Case {
    Items subs;
    double tol;
    bool negative, merge;
    Items expected;
  };
  const Items overlapping{{8, 12}, {-2, 1}, {0.5, 3}};
  const Items nearby{{1, 4}, {4.5, 6}};
  const Case cases[] = {
      {overlapping, kTol, false, true, {{3, 8}}},
      {overlapping, kTol, true, false, {{-2, 0}, {0, 0.5}, {0.5, 1}, {1, 3}, {8, 10}, {10, 12}}},
      {overlapping, kTol, true, true, {{-2, 3}, {8, 12}}},
      {{{kNaN, kNaN}, {2, 3}}, kTol, false, false, {{0, 2}, {3, 10}}},
      // A negative tolerance keeps the empty segment at a point sub-item, zero drops it.
      {{{4, 4}}, -1, false, false, {{0, 4}, {4, 10}}},
      {{{4, 4}}, -1, true, false, {{4, 4}}},
      {{{4, 4}}, 0, true, false, {}},
      {{{4, 4}}, 0, false, true, {{0, 10}}},
      // The gap [4, 4.5] is within the tolerance: skipped, and merged across.
      {nearby, 0.75, true, false, nearby},
      {nearby, 0.75, true, true, {{1, 6}}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const Case& c = cases[i];
    const CLengthSub set = MakeSet(0, 10, c.subs);
    Items out;
    EXPECT_EQ(c.expected.size(), c.negative ? set.GetNegativeItems(out, c.merge, c.tol)
                                            : set.GetPositiveItems(out, c.merge, c.tol));
    ExpectSameItems(c.expected, out);
  }

  // Pieces are appended to what out holds, merging into its last element.
  Items out{{-5, 0}};
  EXPECT_EQ(2u, MakeSet(0, 10, {{2, 3}}).GetPositiveItems(out, true, kTol));
  ExpectSameItems({{-5, 2}, {3, 10}}, out);
  out.clear();
  EXPECT_EQ(1u, CLengthSub(5, 5).GetPositiveItems(out, false, -1.0));
  ExpectSameItems({{5, 5}}, out);
}

// AddLen on [0, 100] with the given sub-items.
TEST(LengthSub, AddLenGivesTheStretchBack) {
  struct Case {
    Items subs;
    double a, b;
    Items expected;
  };
  const Case cases[] = {
      // Untouched sub-items keep their order; the parts left of the others follow in walk order.
      {{{1, 2}, {3, 6}, {6, 7}, {8, 12}, {13, 14}}, 5, 9, {{1, 2}, {13, 14}, {3, 5}, {9, 12}}},
      // Remainders of 1.0 or less are dropped where one end is trimmed.
      {{{9, 11}, {19, 21}}, 20, 10, {}},
      {{{8.5, 11}, {19, 21.5}}, 10, 20, {{8.5, 10}, {20, 21.5}}},
      // Ends touching the stretch count as given.
      {{{5, 10}, {30, 40}, {10, 25}}, 10, 20, {{30, 40}, {5, 10}, {20, 25}}},
      {{{5, 20}, {30, 40}, {20, 25}}, 10, 20, {{30, 40}, {5, 10}, {20, 25}}},
      // A sub-item holding the stretch is split, whatever the lengths.
      {{{19.5, 21}, {0, 50}}, 20, 20.5, {{19.5, 20}, {20.5, 21}, {0, 20}, {20.5, 50}}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    CLengthSub set = MakeSet(0, 100, cases[i].subs);
    set.AddLen(cases[i].a, cases[i].b);
    ExpectSameItems(cases[i].expected, set.GetSubItems());
  }

  CLengthSub grown(0, 10);
  grown.AddLen(20, 10 + 5e-7);
  ExpectSameItems({{0, 20}}, {grown});
  // AddLenExtend needs exact contact.
  CLengthSub extended = MakeSet(0, 10, {{8, 12}});
  EXPECT_FALSE(extended.AddLenExtend(10 + 5e-7, 20));
  ExpectSameItems({{0, 10}}, {extended});
  EXPECT_TRUE(extended.AddLenExtend(10, 20));
  ExpectSameItems({{0, 20}}, {extended});
  ExpectSameItems({{8, 10}}, extended.GetSubItems());
}

TEST(LengthSub, MeasuresLocatesSwitchesMergesAndFindsCutRanges) {
  CLengthSub set = MakeSet(10, 0, {{3, 2}, {5, 6}, {7, 7}});
  EXPECT_EQ(8.0, set.GetLength());
  double pos = -1;
  EXPECT_TRUE(set.GetMinPos(pos));
  EXPECT_EQ(0.0, pos);
  EXPECT_TRUE(set.GetMaxPos(pos));
  EXPECT_EQ(10.0, pos);
  CLengthSub switched;
  set.SwitchSub(switched);
  ExpectSameItems({{0, 2}, {3, 5}, {6, 7}, {7, 10}}, switched.GetSubItems());  // unmerged

  CLengthSub empty;
  pos = 42;
  EXPECT_EQ(0.0, empty.GetLength());
  EXPECT_FALSE(empty.GetMinPos(pos) || empty.GetMaxPos(pos));
  EXPECT_EQ(42.0, pos);

  CLengthSub merged = MakeSet(0, 10, {{2, 3}, {3, 4}, {5, 5}, {9, 12}});
  merged.MergeItems(100.0);  // the argument does not matter
  ExpectSameItems({{2, 4}, {9, 12}}, merged.GetSubItems());

  // Cut ranges at the ends join touching pieces.
  CLengthSub cut = MakeSet(0, 10, {{2, 4}, {0, 2}});
  CLengthItem r;
  EXPECT_TRUE(cut.GetMinCutRange(r));
  ExpectSameItems({{0, 4}}, {r});
  EXPECT_FALSE(cut.GetMaxCutRange(r));
  ExpectSameItems({{10, 10}}, {r});
  cut.SubLen(9, 10.5);
  cut.SubLen(8, 9);
  EXPECT_TRUE(cut.GetMaxCutRange(r));
  ExpectSameItems({{8, 10.5}}, {r});
  CLengthSub uncut = MakeSet(0, 10, {{4, 5}});
  EXPECT_FALSE(uncut.GetMinCutRange(r));
  ExpectSameItems({{0, 0}}, {r});
}

TEST(LengthSub, SubRangeTestsCopiesAndAssignment) {
  CLengthSub set = MakeSet(0, 10, {{2, 4}, {3, 5}});
  EXPECT_TRUE(set.IsInSubRange(2) && set.IsInSubRange(5));
  EXPECT_FALSE(set.IsInSubRange(5.5));
  auto* first = reinterpret_cast<CLengthSub*>(&const_cast<CLengthItem&>(set.GetSubItems()[0]));
  EXPECT_FALSE(set.IsInSubRangeExcept(2.5, first));
  EXPECT_TRUE(set.IsInSubRangeExcept(3.5, first));

  CLengthSub assigned;
  assigned = set;
  assigned = assigned;
  set.SubLen(7, 8);
  ExpectSameItems({{2, 4}, {3, 5}}, assigned.GetSubItems());
  ExpectSameItems({{0, 10}}, {assigned});
}

}  // namespace
