// CLengthItem: a closed interval [min, max] on one axis, in the caller's unit.
//
// A plain value for one thread at a time. The two-value constructor orders its ends; the setters
// store what they are given, so min <= max holds only as far as callers keep it.
#ifndef LUMOTOOLS_LENGTH_LENGTH_ITEM_H_
#define LUMOTOOLS_LENGTH_LENGTH_ITEM_H_

#include <vector>

#include "lumotools/export.h"

class LUMO_EXPORT CLengthItem {
 public:
  CLengthItem() = default;
  // The interval from the smaller of a and b to the larger.
  CLengthItem(double a, double b);
  CLengthItem(const CLengthItem&) = default;
  CLengthItem& operator=(const CLengthItem&) = default;
  virtual ~CLengthItem();

  void SetMin(double dMin) { m_dMin = dMin; }
  void SetMax(double dMax) { m_dMax = dMax; }
  void SetRange(double dMin, double dMax) {
    m_dMin = dMin;
    m_dMax = dMax;
  }

  double ItemMin() const { return m_dMin; }
  double ItemMax() const { return m_dMax; }
  double ItemMid() const { return (m_dMax + m_dMin) * 0.5; }
  double ItemLength() const { return m_dMax - m_dMin; }

  // min <= x <= max, both ends included, no tolerance.
  bool ItemIsInRange(double x) const { return m_dMin <= x && x <= m_dMax; }

  // Grows the interval to cover [smaller of a and b, larger] when the two overlap, touch or are
  // apart by at most 1e-6, and returns true; otherwise changes nothing and returns false.
  bool ItemAddLen(double a, double b);

  // Always an empty array, whatever the arguments.
  std::vector<CLengthItem> ItemAdd(double a, double b);
  std::vector<CLengthItem> ItemSub(double a, double b);

 protected:
  // The length both intervals share: min(max, o.max) - max(min, o.min); negative when apart.
  double GetIntersection(const CLengthItem& o) const;

  double m_dMin = 0.0;
  double m_dMax = 0.0;
};

#endif  // LUMOTOOLS_LENGTH_LENGTH_ITEM_H_
