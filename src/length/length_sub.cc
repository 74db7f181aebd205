#include "lumotools/length/length_sub.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Ascending, with NaN after every number, so that sorting stays defined whatever the values.
bool Before(double a, double b) { return a < b || (!std::isnan(a) && std::isnan(b)); }

// The item [p, q] exactly as given (the two-value constructor would reorder).
CLengthItem Piece(double p, double q) {
  CLengthItem item;
  item.SetRange(p, q);
  return item;
}

}  // namespace

CLengthSub::CLengthSub(double a, double b) : CLengthItem(a, b) {}

CLengthSub::CLengthSub(const CLengthSub& other) = default;

CLengthSub& CLengthSub::operator=(const CLengthSub& other) {
  CLengthItem::operator=(other);
  if (this != &other) m_vecSub = other.m_vecSub;
  return *this;
}

CLengthSub::~CLengthSub() = default;

void CLengthSub::SubLen(double a, double b) { m_vecSub.emplace_back(a, b); }

void CLengthSub::AddLen(double a, double b) {
  ItemAddLen(a, b);
  const double lo = std::min(a, b);
  const double hi = std::max(a, b);
  // Removing an element shifts the rest down and the walk never visits what it appends, so the
  // result is the untouched sub-items in their order followed by the new pieces in theirs.
  std::vector<CLengthItem> appended;
  size_t kept = 0;
  for (size_t i = 0; i < m_vecSub.size(); ++i) {
    const double s = m_vecSub[i].ItemMin();
    const double e = m_vecSub[i].ItemMax();
    const bool startGiven = lo <= s && s <= hi;
    const bool endGiven = lo <= e && e <= hi;
    if (startGiven && endGiven) continue;
    if (startGiven) {
      if (e > hi + kShortestTrimmedRemainder) appended.push_back(Piece(hi, e));
      continue;
    }
    if (endGiven) {
      if (lo > s + kShortestTrimmedRemainder) appended.push_back(Piece(s, lo));
      continue;
    }
    if (s <= lo && hi <= e) {
      appended.push_back(Piece(s, lo));
      appended.push_back(Piece(hi, e));
      continue;
    }
    if (kept != i) m_vecSub[kept] = m_vecSub[i];
    ++kept;
  }
  m_vecSub.resize(kept);
  m_vecSub.insert(m_vecSub.end(), appended.begin(), appended.end());
}

bool CLengthSub::AddLenExtend(double a, double b) {
  const CLengthItem stretch(a, b);
  if (!(GetIntersection(stretch) >= 0.0)) return false;
  m_dMin = std::min(stretch.ItemMin(), m_dMin);
  m_dMax = std::max(stretch.ItemMax(), m_dMax);
  AddLen(a, b);
  return true;
}

std::vector<CLengthItem> CLengthSub::PositivePieces() const {
  std::vector<CLengthItem> pieces;
  GetPositiveItems(pieces, false, kPieceTolerance);
  return pieces;
}

void CLengthSub::SwitchSub() { m_vecSub = PositivePieces(); }

void CLengthSub::SwitchSub(CLengthSub& out) const {
  out = *this;
  out.SwitchSub();
}

void CLengthSub::MergeItems(double) {
  std::vector<CLengthItem> merged;
  GetNegativeItems(merged, true, kPieceTolerance);
  m_vecSub.swap(merged);
}

std::vector<double> CLengthSub::OrderedScale() const {
  std::vector<double> scale;
  scale.reserve(2 * m_vecSub.size() + 2);
  scale.push_back(m_dMin);
  scale.push_back(m_dMax);
  for (const CLengthItem& sub : m_vecSub) {
    scale.push_back(sub.ItemMin());
    scale.push_back(sub.ItemMax());
  }
  std::sort(scale.begin(), scale.end(), Before);
  return scale;
}

unsigned CLengthSub::CollectPieces(PieceKind kind, std::vector<CLengthItem>& out, bool merge,
                                   double tol) const {
  const std::vector<double> scale = OrderedScale();

  // Midpoints of neighbouring cuts never decrease, so one sweep over the sub-items sorted by
  // their min decides coverage: a midpoint m lies in some sub-item exactly when the largest max
  // among the sub-items with min <= m reaches m.
  std::vector<CLengthItem> subs(m_vecSub);
  std::sort(subs.begin(), subs.end(), [](const CLengthItem& x, const CLengthItem& y) {
    return Before(x.ItemMin(), y.ItemMin());
  });
  size_t next = 0;
  double reach = -std::numeric_limits<double>::infinity();

  for (size_t k = 1; k < scale.size(); ++k) {
    const double p = scale[k - 1];
    const double q = scale[k];
    if (q - p <= tol) continue;
    const double m = (p + q) * 0.5;
    for (; next < subs.size() && subs[next].ItemMin() <= m; ++next) {
      reach = std::max(reach, subs[next].ItemMax());
    }
    const bool removed = reach >= m;
    const bool keep =
        kind == PieceKind::kNegative ? removed : !removed && m_dMin <= m && m <= m_dMax;
    if (!keep) continue;
    if (merge && !out.empty() && out.back().ItemMax() + tol >= p) {
      out.back().SetMax(q);
    } else {
      out.push_back(Piece(p, q));
    }
  }
  return static_cast<unsigned>(out.size());
}

unsigned CLengthSub::GetPositiveItems(std::vector<CLengthItem>& out, bool merge, double tol) const {
  return CollectPieces(PieceKind::kPositive, out, merge, tol);
}

unsigned CLengthSub::GetNegativeItems(std::vector<CLengthItem>& out, bool merge, double tol) const {
  return CollectPieces(PieceKind::kNegative, out, merge, tol);
}

double CLengthSub::GetLength() {
  double length = 0.0;
  for (const CLengthItem& piece : PositivePieces()) length += piece.ItemLength();
  return length;
}

bool CLengthSub::GetMinPos(double& pos) {
  const std::vector<CLengthItem> pieces = PositivePieces();
  if (pieces.empty()) return false;
  pos = pieces.front().ItemMin();
  return true;
}

bool CLengthSub::GetMaxPos(double& pos) {
  const std::vector<CLengthItem> pieces = PositivePieces();
  if (pieces.empty()) return false;
  pos = pieces.back().ItemMax();
  return true;
}

bool CLengthSub::GetMinCutRange(CLengthItem& r) {
  r.SetRange(m_dMin, m_dMin);
  std::vector<CLengthItem> removed;
  GetNegativeItems(removed, true, kPieceTolerance);
  for (const CLengthItem& piece : removed) {
    if (piece.ItemIsInRange(m_dMin)) {
      r = piece;
      return true;
    }
  }
  return false;
}

bool CLengthSub::GetMaxCutRange(CLengthItem& r) {
  r.SetRange(m_dMax, m_dMax);
  std::vector<CLengthItem> removed;
  GetNegativeItems(removed, true, kPieceTolerance);
  for (auto it = removed.rbegin(); it != removed.rend(); ++it) {
    if (it->ItemIsInRange(m_dMax)) {
      r = *it;
      return true;
    }
  }
  return false;
}

bool CLengthSub::IsInSubRange(double x) const { return IsInSubRangeExcept(x, nullptr); }

bool CLengthSub::IsInSubRangeExcept(double x, CLengthSub* skip) const {
  for (const CLengthItem& sub : m_vecSub) {
    if (static_cast<const void*>(&sub) == static_cast<const void*>(skip)) continue;
    if (sub.ItemIsInRange(x)) return true;
  }
  return false;
}
