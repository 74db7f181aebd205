#include "lumotools/length.h"

#include <algorithm>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Items = std::vector<CLengthItem>;

constexpr double kFltEpsilon = CLengthSub::kPieceTolerance;

// A set whose sub-items can be seeded directly, and the reference transcription of the piece
// rules: every cut, every segment, every sub-item tested for every midpoint.
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
      const double p = scale[k - 1];
      const double q = scale[k];
      if (q - p <= tol) continue;
      const double m = (p + q) * 0.5;
      bool inSub = false;
      for (const CLengthItem& sub : m_vecSub) {
        if (sub.ItemMin() <= m && m <= sub.ItemMax()) inSub = true;
      }
      const bool keep = negative ? inSub : (m_dMin <= m && m <= m_dMax && !inSub);
      if (!keep) continue;
      if (merge && !out.empty() && out.back().ItemMax() + tol >= p) {
        out.back().SetMax(q);
      } else {
        CLengthItem piece;
        piece.SetRange(p, q);
        out.push_back(piece);
      }
    }
    return static_cast<unsigned>(out.size());
  }

  // AddLen as an element-by-element walk that erases in place.
  void ReferenceAddLen(double a, double b) {
    ItemAddLen(a, b);
    const double lo = std::min(a, b), hi = std::max(a, b);
    size_t n = m_vecSub.size();
    for (size_t i = 0; i < n;) {
      const double s = m_vecSub[i].ItemMin(), e = m_vecSub[i].ItemMax();
      bool remove = true;
      auto append = [this](double p, double q) {
        CLengthItem piece;
        piece.SetRange(p, q);
        m_vecSub.push_back(piece);
      };
      if (lo <= s && s <= hi && lo <= e && e <= hi) {
      } else if (lo <= s && s <= hi) {
        if (e > hi + 1.0) append(hi, e);
      } else if (lo <= e && e <= hi) {
        if (lo > s + 1.0) append(s, lo);
      } else if (s <= lo && hi <= e) {
        append(s, lo);
        append(hi, e);
      } else {
        remove = false;
      }
      if (remove) {
        m_vecSub.erase(m_vecSub.begin() + static_cast<std::ptrdiff_t>(i));
        --n;
      } else {
        ++i;
      }
    }
  }
};

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

Items Positive(const CLengthSub& set) {
  Items out;
  set.GetPositiveItems(out, false, kFltEpsilon);
  return out;
}

Items Negative(const CLengthSub& set, bool merge = false) {
  Items out;
  set.GetNegativeItems(out, merge, kFltEpsilon);
  return out;
}

TEST(LengthItem, OrdersEndsAndMeasures) {
  CLengthItem item(7.0, -3.0);
  EXPECT_EQ(-3.0, item.ItemMin());
  EXPECT_EQ(7.0, item.ItemMax());
  EXPECT_EQ(2.0, item.ItemMid());
  EXPECT_EQ(10.0, item.ItemLength());
  EXPECT_TRUE(item.ItemIsInRange(-3.0));
  EXPECT_TRUE(item.ItemIsInRange(7.0));
  EXPECT_FALSE(item.ItemIsInRange(7.0000001));
  item.SetRange(5.0, 1.0);  // stored as given
  EXPECT_EQ(5.0, item.ItemMin());
  EXPECT_EQ(-4.0, item.ItemLength());
  EXPECT_TRUE(item.ItemAdd(0, 1).empty());
  EXPECT_TRUE(item.ItemSub(0, 1).empty());
}

TEST(LengthItem, AddLenGrowsOnlyWhenTouchingWithinTolerance) {
  CLengthItem item(0, 10);
  EXPECT_TRUE(item.ItemAddLen(20, 10 + 5e-7));
  EXPECT_EQ(20.0, item.ItemMax());
  EXPECT_FALSE(item.ItemAddLen(20 + 2e-6, 30));
  EXPECT_EQ(0.0, item.ItemMin());
  EXPECT_EQ(20.0, item.ItemMax());
  EXPECT_TRUE(item.ItemAddLen(-5, 1));
  EXPECT_EQ(-5.0, item.ItemMin());
  CLengthItem left(-5, 0);  // a gap of exactly the tolerance still touches
  EXPECT_TRUE(left.ItemAddLen(1e-6, 3));
  EXPECT_EQ(3.0, left.ItemMax());
}

TEST(LengthSub, ReversedIntervalMeasuresAndLocates) {
  CLengthSub set(10, 0);
  EXPECT_EQ(10.0, set.GetLength());
  double pos = -1;
  EXPECT_TRUE(set.GetMinPos(pos));
  EXPECT_EQ(0.0, pos);
  EXPECT_TRUE(set.GetMaxPos(pos));
  EXPECT_EQ(10.0, pos);

  CLengthSub empty;
  pos = 42;
  EXPECT_EQ(0.0, empty.GetLength());
  EXPECT_FALSE(empty.GetMinPos(pos));
  EXPECT_FALSE(empty.GetMaxPos(pos));
  EXPECT_EQ(42.0, pos);
}

TEST(LengthSub, SubtractedPiecesAndSwitch) {
  CLengthSub set(0, 10);
  set.SubLen(3, 2);
  set.SubLen(5, 6);
  ExpectSameItems(Pieces({{0, 2}, {3, 5}, {6, 10}}), Positive(set));
  EXPECT_EQ(8.0, set.GetLength());

  CLengthSub copy;
  set.SwitchSub(copy);
  ExpectSameItems(Pieces({{2, 3}, {5, 6}}), set.GetSubItems());
  ExpectSameItems(Pieces({{0, 2}, {3, 5}, {6, 10}}), copy.GetSubItems());
  set.SwitchSub();
  ExpectSameItems(copy.GetSubItems(), set.GetSubItems());
  ExpectSameItems(Pieces({{2, 3}, {5, 6}}), Positive(set));
}

TEST(LengthSub, CutRangesAtTheEnds) {
  CLengthSub set(0, 10);
  set.SubLen(2, 4);
  set.SubLen(0, 2);
  double pos = 0;
  EXPECT_TRUE(set.GetMinPos(pos));
  EXPECT_EQ(4.0, pos);
  CLengthItem r;
  EXPECT_TRUE(set.GetMinCutRange(r));
  EXPECT_EQ(0.0, r.ItemMin());
  EXPECT_EQ(4.0, r.ItemMax());
  EXPECT_FALSE(set.GetMaxCutRange(r));
  EXPECT_EQ(10.0, r.ItemMin());
  EXPECT_EQ(10.0, r.ItemMax());

  // Pieces that touch are merged before the search (at both ends), and one crossing the end
  // counts.
  set.SubLen(9, 10.5);
  set.SubLen(8, 9);
  EXPECT_TRUE(set.GetMaxCutRange(r));
  EXPECT_EQ(8.0, r.ItemMin());
  EXPECT_EQ(10.5, r.ItemMax());
  CLengthSub uncut(0, 10);
  uncut.SubLen(4, 5);
  EXPECT_FALSE(uncut.GetMinCutRange(r));
  EXPECT_EQ(0.0, r.ItemMin());
  EXPECT_EQ(0.0, r.ItemMax());
}

TEST(LengthSub, PiecesOutsideTheInterval) {
  CLengthSub set(0, 10);
  set.SubLen(12, 15);
  ExpectSameItems(Pieces({{0, 10}}), Positive(set));
  ExpectSameItems(Pieces({{12, 15}}), Negative(set));
}

TEST(LengthSub, MergeJoinsTouchingAndDropsEmpty) {
  CLengthSub set(0, 10);
  set.SubLen(2, 3);
  set.SubLen(3, 4);
  set.SubLen(5, 5);
  set.SubLen(9, 12);
  set.MergeItems(100.0);  // the argument does not matter
  ExpectSameItems(Pieces({{2, 4}, {9, 12}}), set.GetSubItems());
}

TEST(LengthSub, PiecesAppendBehindExistingOutput) {
  CLengthSub set(0, 10);
  set.SubLen(0, 2);
  Items out = Pieces({{-5, -1}});
  EXPECT_EQ(2u, set.GetPositiveItems(out, false, kFltEpsilon));
  ExpectSameItems(Pieces({{-5, -1}, {2, 10}}), out);

  out = Pieces({{-5, 2}});
  EXPECT_EQ(1u, set.GetPositiveItems(out, true, kFltEpsilon));
  ExpectSameItems(Pieces({{-5, 10}}), out);
}

TEST(LengthSub, AddLenSplitsTrimsAndRemoves) {
  CLengthSub set(0, 10);
  set.SubLen(0, 10);
  set.AddLen(3, 5);
  ExpectSameItems(Pieces({{0, 3}, {5, 10}}), set.GetSubItems());

  CLengthSub reversed(0, 10);
  reversed.SubLen(0, 10);
  reversed.AddLen(5, 3);
  ExpectSameItems(set.GetSubItems(), reversed.GetSubItems());

  CLengthSub trimmed(0, 10);
  trimmed.SubLen(2, 8);
  trimmed.AddLen(0, 7.5);
  EXPECT_TRUE(trimmed.GetSubItems().empty());

  CLengthSub kept(0, 10);
  kept.SubLen(2, 8);
  kept.AddLen(0, 6);
  ExpectSameItems(Pieces({{6, 8}}), kept.GetSubItems());

  // A split keeps even tiny pieces; untouched sub-items keep their place before new pieces.
  CLengthSub split(0, 10);
  split.SubLen(1, 9);
  split.SubLen(0.1, 0.2);
  split.AddLen(1.5, 8.5);
  ExpectSameItems(Pieces({{0.1, 0.2}, {1, 1.5}, {8.5, 9}}), split.GetSubItems());
}

TEST(LengthSub, AddLenBeyondTheIntervalStillGivesBack) {
  CLengthSub set(0, 10);
  set.SubLen(13, 14);
  set.SubLen(2, 3);
  set.AddLen(12, 20);
  EXPECT_EQ(10.0, set.ItemMax());
  ExpectSameItems(Pieces({{2, 3}}), set.GetSubItems());

  set.AddLen(10 + 5e-7, 20);
  EXPECT_EQ(0.0, set.ItemMin());
  EXPECT_EQ(20.0, set.ItemMax());
}

TEST(LengthSub, AddLenExtendNeedsExactContact) {
  CLengthSub set(0, 10);
  EXPECT_FALSE(set.AddLenExtend(10 + 5e-7, 20));
  EXPECT_EQ(10.0, set.ItemMax());
  set.SubLen(8, 12);
  EXPECT_TRUE(set.AddLenExtend(10, 20));
  EXPECT_EQ(0.0, set.ItemMin());
  EXPECT_EQ(20.0, set.ItemMax());
  ExpectSameItems(Pieces({{8, 10}}), set.GetSubItems());
}

TEST(LengthSub, SubRangeTestsAndSkip) {
  CLengthSub set(0, 10);
  set.SubLen(2, 4);
  set.SubLen(3, 5);
  EXPECT_TRUE(set.IsInSubRange(2));
  EXPECT_TRUE(set.IsInSubRange(5));
  EXPECT_FALSE(set.IsInSubRange(5.5));
  auto* first = reinterpret_cast<CLengthSub*>(&const_cast<CLengthItem&>(set.GetSubItems()[0]));
  EXPECT_FALSE(set.IsInSubRangeExcept(2.5, first));
  EXPECT_TRUE(set.IsInSubRangeExcept(3.5, first));
  set.GetLengthSubBack().SetMax(6);
  EXPECT_TRUE(set.IsInSubRange(6));
}

TEST(LengthSub, CopyAndAssignCarryTheSubItems) {
  CLengthSub set(0, 10);
  set.SubLen(1, 2);
  CLengthSub copy(set);
  CLengthSub assigned;
  assigned = set;
  assigned = assigned;
  set.SubLen(3, 4);
  ExpectSameItems(Pieces({{1, 2}}), copy.GetSubItems());
  ExpectSameItems(Pieces({{1, 2}}), assigned.GetSubItems());
  EXPECT_EQ(10.0, assigned.ItemMax());
}

// Values on a grid of halves make ties, touching ends, empty segments and trimmed remainders of
// exactly the 1.0 bound common; the rest are free.
double RandomValue(std::mt19937& rng) {
  std::uniform_int_distribution<int> kind(0, 3);
  if (kind(rng) == 0) return std::uniform_real_distribution<double>(-20, 120)(rng);
  return std::uniform_int_distribution<int>(-8, 48)(rng) * 2.5 + (kind(rng) == 1 ? 1.0 : 0.0);
}

TestSet RandomSet(std::mt19937& rng) {
  TestSet set(RandomValue(rng), RandomValue(rng));
  const int n = std::uniform_int_distribution<int>(0, 30)(rng);
  Items subs;
  for (int i = 0; i < n; ++i) {
    const double a = RandomValue(rng);
    const double b = std::uniform_int_distribution<int>(0, 4)(rng) == 0
                         ? a + std::uniform_real_distribution<double>(-1e-7, 1e-7)(rng)
                         : RandomValue(rng);
    CLengthItem sub(a, b);
    if (std::uniform_int_distribution<int>(0, 20)(rng) == 0)
      sub.SetRange(b < a ? a : b, b < a ? b : a);
    subs.push_back(sub);
  }
  set.SetSubs(subs);
  return set;
}

TEST(LengthSub, FastPiecesMatchTheRulesOnRandomSets) {
  std::mt19937 rng(20240611);
  const double tolerances[] = {kFltEpsilon, 0.0, 2.5};
  for (int round = 0; round < 4000; ++round) {
    const TestSet set = RandomSet(rng);
    for (double tol : tolerances) {
      for (bool merge : {false, true}) {
        for (bool negative : {false, true}) {
          Items seed;
          if (round % 3 == 0) seed.emplace_back(RandomValue(rng), RandomValue(rng));
          Items expected = seed, actual = seed;
          const unsigned expectedCount = set.ReferencePieces(negative, expected, merge, tol);
          const unsigned actualCount = negative ? set.GetNegativeItems(actual, merge, tol)
                                                : set.GetPositiveItems(actual, merge, tol);
          ASSERT_EQ(expectedCount, actualCount) << "round " << round;
          ExpectSameItems(expected, actual);
          if (HasFatalFailure() || HasFailure()) FAIL() << "round " << round;
        }
      }
    }
  }
}

TEST(LengthSub, AddLenMatchesTheWalkOnRandomSets) {
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    TestSet fast = RandomSet(rng);
    TestSet walked = fast;
    const double a = RandomValue(rng), b = RandomValue(rng);
    fast.AddLen(a, b);
    walked.ReferenceAddLen(a, b);
    EXPECT_EQ(walked.ItemMin(), fast.ItemMin());
    EXPECT_EQ(walked.ItemMax(), fast.ItemMax());
    ExpectSameItems(walked.GetSubItems(), fast.GetSubItems());
    if (HasFailure()) FAIL() << "round " << round;
  }
}

}  // namespace
