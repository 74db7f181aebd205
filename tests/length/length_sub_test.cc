#include "lumotools/length.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "support/soak.h"

namespace {

using Items = std::vector<CLengthItem>;

constexpr double kTol = CLengthSub::kPieceTolerance;

Items Pieces(std::initializer_list<std::pair<double, double>> ends) {
  Items items;
  for (const auto& [p, q] : ends) items.emplace_back(p, q);
  return items;
}

void ExpectSameItems(const Items& expected, const Items& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(expected[i].ItemMin(), actual[i].ItemMin()) << "piece " << i;
    EXPECT_EQ(expected[i].ItemMax(), actual[i].ItemMax()) << "piece " << i;
  }
}

void ExpectRange(const CLengthItem& r, double lo, double hi) {
  EXPECT_EQ(lo, r.ItemMin());
  EXPECT_EQ(hi, r.ItemMax());
}

TEST(LengthItem, OrdersEndsMeasuresAndGrowsWhenTouchingWithinTolerance) {
  CLengthItem item(7.0, -3.0);
  ExpectRange(item, -3.0, 7.0);
  EXPECT_EQ(2.0, item.ItemMid());
  EXPECT_EQ(10.0, item.ItemLength());
  EXPECT_TRUE(item.ItemIsInRange(-3.0) && item.ItemIsInRange(7.0));
  EXPECT_FALSE(item.ItemIsInRange(7.0000001));
  EXPECT_TRUE(item.ItemAdd(0, 1).empty() && item.ItemSub(0, 1).empty());

  EXPECT_TRUE(item.ItemAddLen(20, 7 + 5e-7));
  EXPECT_FALSE(item.ItemAddLen(20 + 2e-6, 30));
  ExpectRange(item, -3.0, 20.0);
  CLengthItem left(-5, 0);  // a gap of exactly the tolerance still touches
  EXPECT_TRUE(left.ItemAddLen(1e-6, 3));
  ExpectRange(left, -5.0, 3.0);
}

TEST(LengthSub, MeasuresLocatesSwitchesAndMergesThePieces) {
  CLengthSub set(10, 0);
  set.SubLen(3, 2);
  set.SubLen(5, 6);
  EXPECT_EQ(8.0, set.GetLength());
  double pos = -1;
  EXPECT_TRUE(set.GetMinPos(pos));
  EXPECT_EQ(0.0, pos);
  EXPECT_TRUE(set.GetMaxPos(pos));
  EXPECT_EQ(10.0, pos);
  CLengthSub switched;
  set.SwitchSub(switched);
  ExpectSameItems(Pieces({{0, 2}, {3, 5}, {6, 10}}), switched.GetSubItems());

  // A negative tolerance keeps empty segments, also the one at the end of a point interval.
  Items out;
  EXPECT_EQ(1u, CLengthSub(5, 5).GetPositiveItems(out, false, -1.0));
  ExpectSameItems(Pieces({{5, 5}}), out);
  CLengthSub empty;
  pos = 42;
  EXPECT_EQ(0.0, empty.GetLength());
  EXPECT_FALSE(empty.GetMinPos(pos) || empty.GetMaxPos(pos));
  EXPECT_EQ(42.0, pos);

  CLengthSub merged(0, 10);
  for (const CLengthItem& sub : Pieces({{2, 3}, {3, 4}, {5, 5}, {9, 12}})) {
    merged.SubLen(sub.ItemMin(), sub.ItemMax());
  }
  merged.MergeItems(100.0);  // the argument does not matter
  ExpectSameItems(Pieces({{2, 4}, {9, 12}}), merged.GetSubItems());
}

// Ends that are not numbers sort after every number and bound no piece.
TEST(LengthSub, NaNEndsLeaveTheOtherPiecesAlone) {
  const double nan = std::nan("");
  CLengthSub set(0, 10);
  set.SubLen(nan, nan);
  set.SubLen(2, 3);
  Items out;
  set.GetPositiveItems(out, false, kTol);
  ExpectSameItems(Pieces({{0, 2}, {3, 10}}), out);
}

TEST(LengthSub, CutRangesAtTheEndsJoinTouchingPieces) {
  CLengthSub set(0, 10);
  set.SubLen(2, 4);
  set.SubLen(0, 2);
  CLengthItem r;
  EXPECT_TRUE(set.GetMinCutRange(r));
  ExpectRange(r, 0, 4);
  EXPECT_FALSE(set.GetMaxCutRange(r));
  ExpectRange(r, 10, 10);
  set.SubLen(9, 10.5);
  set.SubLen(8, 9);
  EXPECT_TRUE(set.GetMaxCutRange(r));
  ExpectRange(r, 8, 10.5);
  CLengthSub uncut(0, 10);
  uncut.SubLen(4, 5);
  EXPECT_FALSE(uncut.GetMinCutRange(r));
  ExpectRange(r, 0, 0);
}

TEST(LengthSub, AddLenExtendNeedsExactContact) {
  CLengthSub extended(0, 10);
  EXPECT_FALSE(extended.AddLenExtend(10 + 5e-7, 20));
  ExpectRange(extended, 0, 10);
  extended.SubLen(8, 12);
  EXPECT_TRUE(extended.AddLenExtend(10, 20));
  ExpectRange(extended, 0, 20);
  ExpectSameItems(Pieces({{8, 10}}), extended.GetSubItems());
}

TEST(LengthSub, SubRangeTestsCopiesAndAssignment) {
  CLengthSub set(0, 10);
  set.SubLen(2, 4);
  set.SubLen(3, 5);
  EXPECT_TRUE(set.IsInSubRange(2) && set.IsInSubRange(5));
  EXPECT_FALSE(set.IsInSubRange(5.5));
  auto* first = reinterpret_cast<CLengthSub*>(&const_cast<CLengthItem&>(set.GetSubItems()[0]));
  EXPECT_FALSE(set.IsInSubRangeExcept(2.5, first));
  EXPECT_TRUE(set.IsInSubRangeExcept(3.5, first));

  CLengthSub assigned;
  assigned = set;
  assigned = assigned;
  set.SubLen(7, 8);
  ExpectSameItems(Pieces({{2, 4}, {3, 5}}), assigned.GetSubItems());
  ExpectRange(assigned, 0, 10);
}

// A set whose sub-items are seeded directly, with the rules written out the plain way: every cut,
// every segment, every sub-item tested for every midpoint; AddLen as a walk that erases in place.
class TestSet : public CLengthSub {
 public:
  using CLengthSub::CLengthSub;

  void SetSubs(const Items& subs) { m_vecSub = subs; }

  unsigned ReferencePieces(bool negative, Items& out, bool merge, double tol) const {
    std::vector<double> scale{m_dMin, m_dMax};
    for (const CLengthItem& sub : m_vecSub) {
      scale.push_back(sub.ItemMin());
      scale.push_back(sub.ItemMax());
    }
    std::sort(scale.begin(), scale.end());
    for (size_t k = 1; k < scale.size(); ++k) {
      const double p = scale[k - 1], q = scale[k], m = (p + q) * 0.5;
      if (q - p <= tol) continue;
      bool inSub = false;
      for (const CLengthItem& sub : m_vecSub) inSub |= sub.ItemMin() <= m && m <= sub.ItemMax();
      if (!(negative ? inSub : (m_dMin <= m && m <= m_dMax && !inSub))) continue;
      if (merge && !out.empty() && out.back().ItemMax() + tol >= p) {
        out.back().SetMax(q);
      } else {
        out.emplace_back(p, q);
      }
    }
    return static_cast<unsigned>(out.size());
  }

  void ReferenceAddLen(double a, double b) {
    ItemAddLen(a, b);
    const double lo = std::min(a, b), hi = std::max(a, b);
    size_t n = m_vecSub.size();
    for (size_t i = 0; i < n;) {
      const double s = m_vecSub[i].ItemMin(), e = m_vecSub[i].ItemMax();
      auto append = [this](double p, double q) { m_vecSub.emplace_back(p, q); };
      const bool startIn = lo <= s && s <= hi, endIn = lo <= e && e <= hi;
      if (startIn && !endIn && e > hi + 1.0) append(hi, e);
      if (endIn && !startIn && lo > s + 1.0) append(s, lo);
      if (!startIn && !endIn && s <= lo && hi <= e) {
        append(s, lo);
        append(hi, e);
      }
      if (startIn || endIn || (s <= lo && hi <= e)) {
        m_vecSub.erase(m_vecSub.begin() + static_cast<std::ptrdiff_t>(i));
        --n;
      } else {
        ++i;
      }
    }
  }
};

// Values on a grid of halves make ties, touching ends, empty segments and trimmed remainders of
// exactly the 1.0 bound common; the rest are free.
double RandomValue(std::mt19937& rng) {
  std::uniform_int_distribution<int> kind(0, 3);
  if (kind(rng) == 0) return std::uniform_real_distribution<double>(-20, 120)(rng);
  return std::uniform_int_distribution<int>(-8, 48)(rng) * 2.5 + (kind(rng) == 1 ? 1.0 : 0.0);
}

TestSet RandomSet(std::mt19937& rng) {
  TestSet set(RandomValue(rng), RandomValue(rng));
  Items subs(std::uniform_int_distribution<size_t>(0, 30)(rng));
  for (CLengthItem& sub : subs) {
    const double a = RandomValue(rng);
    const double b = rng() % 5 == 0 ? a + std::uniform_real_distribution<double>(-1e-7, 1e-7)(rng)
                                    : RandomValue(rng);
    sub = CLengthItem(a, b);
    if (rng() % 20 == 0) sub.SetRange(sub.ItemMax(), sub.ItemMin());  // reversed ends
  }
  set.SetSubs(subs);
  return set;
}

// One seed normally; LUMO_SOAK_SECONDS runs random seeds for that long.
TEST(LengthSub, PiecesAndAddLenFollowTheRulesOnRandomSets) {
  lumo_test::RunStressRounds(20240611, [](unsigned seed) {
    std::mt19937 rng(seed);
    for (int round = 0; round < 400 && !testing::Test::HasFailure(); ++round) {
      SCOPED_TRACE(testing::Message() << "seed " << seed << ", round " << round);
      TestSet set = RandomSet(rng);
      for (double tol : {kTol, 0.0, 2.5, -1.0}) {
        for (int kind = 0; kind < 4; ++kind) {
          const bool merge = kind & 1, negative = kind & 2;
          Items expected, actual;
          if (round % 3 == 0) expected = actual = {CLengthItem(RandomValue(rng), RandomValue(rng))};
          EXPECT_EQ(set.ReferencePieces(negative, expected, merge, tol),
                    negative ? set.GetNegativeItems(actual, merge, tol)
                             : set.GetPositiveItems(actual, merge, tol));
          ExpectSameItems(expected, actual);
        }
      }
      TestSet walked = set;
      const double a = RandomValue(rng), b = RandomValue(rng);
      set.AddLen(a, b);
      walked.ReferenceAddLen(a, b);
      ExpectRange(set, walked.ItemMin(), walked.ItemMax());
      ExpectSameItems(walked.GetSubItems(), set.GetSubItems());
    }
  });
}

}  // namespace
