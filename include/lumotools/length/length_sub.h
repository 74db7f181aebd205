// CLengthSub: an interval with subtracted pieces, its sub-items. What remains (the positive
// pieces) is the interval minus the union of the sub-items; the removed pieces (the negative
// pieces) are the union of the sub-items, wherever they lie.
//
// The piece queries cut the axis at every end of the interval and of the sub-items and keep a
// segment between two neighbouring cuts by testing its midpoint; segments no longer than the
// tolerance are dropped. They cost O(n log n) in the number n of sub-items. Sub-items may overlap
// each other and may lie partly or wholly outside the interval.
//
// A plain value for one thread at a time.
#ifndef LUMOTOOLS_LENGTH_LENGTH_SUB_H_
#define LUMOTOOLS_LENGTH_LENGTH_SUB_H_

#include <vector>

#include "lumotools/export.h"
#include "lumotools/length/length_item.h"

class LUMO_EXPORT CLengthSub : public CLengthItem {
 public:
  // The tolerance every internal piece query passes: the single-precision epsilon, 2^-23.
  static constexpr double kPieceTolerance = 1.1920928955078125e-7;
  // AddLen drops a remainder of this length or less where it trims a sub-item at one end.
  static constexpr double kShortestTrimmedRemainder = 1.0;

  CLengthSub() = default;
  // The interval [smaller of a and b, larger] with no sub-items.
  CLengthSub(double a, double b);
  CLengthSub(const CLengthSub& other);
  CLengthSub& operator=(const CLengthSub& other);
  ~CLengthSub() override;

  // Appends the sub-item [smaller of a and b, larger]: no clipping to the interval, no merging.
  void SubLen(double a, double b);

  // Gives the stretch [lo, hi] (lo, hi the smaller and larger of a and b) back. The interval grows
  // as by ItemAddLen. Of every sub-item touching the stretch (ends included) what lies outside
  // it stays: a sub-item inside the stretch is removed; one crossing an end is replaced by its
  // part beyond the stretch, appended at the end of the array, unless that part is 1.0 long or
  // shorter; one holding the whole stretch is replaced by its two parts, appended whatever their
  // lengths. Sub-items that do not touch the stretch keep their order.
  void AddLen(double a, double b);

  // When [lo, hi] overlaps or exactly touches the interval (no tolerance): grows the interval to
  // cover it, gives it back as AddLen, and returns true. Otherwise changes nothing, false.
  bool AddLenExtend(double a, double b);

  // The sub-items become the positive pieces (unmerged): for sub-items inside the interval that
  // do not overlap, their complement.
  void SwitchSub();
  // out becomes a copy of this set whose sub-items are this set's positive pieces.
  void SwitchSub(CLengthSub& out) const;

  // The sub-items become their union: sorted pieces that do not overlap, joined across gaps of
  // at most kPieceTolerance. The argument is accepted and not used.
  void MergeItems(double dTolerance);

  // Append the positive (remaining) or negative (removed) pieces to out, in ascending order,
  // without emptying it first; segments of length <= tol are skipped. With merge, a piece that
  // starts within tol of the end of out's last element (one already there included) extends that
  // element instead of being appended. Return out's element count afterwards.
  unsigned GetPositiveItems(std::vector<CLengthItem>& out, bool merge, double tol) const;
  unsigned GetNegativeItems(std::vector<CLengthItem>& out, bool merge, double tol) const;

  // The sum of the lengths of the positive pieces; 0.0 when there is none.
  double GetLength();
  // The min of the first (max of the last) positive piece, and true; false with pos untouched
  // when there is no positive piece.
  bool GetMinPos(double& pos);
  bool GetMaxPos(double& pos);

  // r = the first merged negative piece that holds the interval's min (ends included), and true.
  // Otherwise false, with r = [min, min].
  bool GetMinCutRange(CLengthItem& r);
  // The same at the interval's max, searching from the last piece; r = [max, max] on failure.
  bool GetMaxCutRange(CLengthItem& r);

  // The last sub-item. REQUIRES: there is at least one.
  CLengthItem& GetLengthSubBack() { return m_vecSub.back(); }

  // True when some sub-item holds x (ends included).
  bool IsInSubRange(double x) const;
  // The same test, passing over the sub-item at address skip (an element of this set's array).
  bool IsInSubRangeExcept(double x, CLengthSub* skip) const;

  const std::vector<CLengthItem>& GetSubItems() const { return m_vecSub; }

 protected:
  std::vector<CLengthItem> m_vecSub;

 private:
  enum class PieceKind { kPositive, kNegative };

  // The interval's ends and both ends of every sub-item, ascending with repeats kept.
  std::vector<double> OrderedScale() const;
  unsigned CollectPieces(PieceKind kind, std::vector<CLengthItem>& out, bool merge,
                         double tol) const;
  std::vector<CLengthItem> PositivePieces() const;
};

#endif  // LUMOTOOLS_LENGTH_LENGTH_SUB_H_
