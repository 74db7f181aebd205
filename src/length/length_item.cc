#include "lumotools/length/length_item.h"

#include <algorithm>

namespace {

// How far apart ItemAddLen still counts two intervals as touching.
constexpr double kTouchTolerance = 1e-6;

}  // namespace

CLengthItem::CLengthItem(double a, double b) : m_dMin(std::min(a, b)), m_dMax(std::max(a, b)) {}

CLengthItem::~CLengthItem() = default;

double CLengthItem::GetIntersection(const CLengthItem& o) const {
  return std::min(m_dMax, o.m_dMax) - std::max(m_dMin, o.m_dMin);
}

bool CLengthItem::ItemAddLen(double a, double b) {
  const CLengthItem stretch(a, b);
  if (!(GetIntersection(stretch) >= -kTouchTolerance)) return false;
  m_dMin = std::min(stretch.m_dMin, m_dMin);
  m_dMax = std::max(stretch.m_dMax, m_dMax);
  return true;
}

std::vector<CLengthItem> CLengthItem::ItemAdd(double, double) { return {}; }

std::vector<CLengthItem> CLengthItem::ItemSub(double, double) { return {}; }
