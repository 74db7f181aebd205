#include "shapekit/math2d.h"

#include <algorithm>
#include <cmath>

#include "shapekit/tolerance.h"

namespace shapekit {
namespace {

using Pt = point2d<double>;

struct Bounds {
  double minX, minY, maxX, maxY;

  bool Meets(const Bounds& o) const {
    return !(minX > o.maxX || o.minX > maxX || minY > o.maxY || o.minY > maxY);
  }
};

Bounds SegmentBounds(const Pt& a, const Pt& b) {
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

Bounds PolygonBounds(const std::vector<Pt>& pts) {
  Bounds bounds = SegmentBounds(pts.front(), pts.front());
  for (const Pt& p : pts) {
    bounds.minX = std::min(bounds.minX, p.x);
    bounds.minY = std::min(bounds.minY, p.y);
    bounds.maxX = std::max(bounds.maxX, p.x);
    bounds.maxY = std::max(bounds.maxY, p.y);
  }
  return bounds;
}

// Signed distance of p from the line a-b, positive on the left; 0 when a == b.
double SideDistance(const Pt& a, const Pt& b, const Pt& p) {
  const double len = a.distance(b);
  return len == 0.0 ? 0.0 : (b - a).cross(p - a) / len;
}

// True when the segments cross at a point inside both, each one's ends lying farther than tol
// on opposite sides of the other's line.
bool CrossProperly(const Pt& a1, const Pt& a2, const Pt& b1, const Pt& b2, double tol) {
  const double d1 = SideDistance(a1, a2, b1);
  const double d2 = SideDistance(a1, a2, b2);
  if (!((d1 > tol && d2 < -tol) || (d1 < -tol && d2 > tol))) return false;
  const double d3 = SideDistance(b1, b2, a1);
  const double d4 = SideDistance(b1, b2, a2);
  return (d3 > tol && d4 < -tol) || (d3 < -tol && d4 > tol);
}

// Where the vertices and edge midpoints of one outline lie in another polygon.
struct Placement {
  bool inside = false;
  bool outside = false;
  bool on = false;
};

Placement Place(const std::vector<Pt>& pts, const std::vector<Pt>& polygon, double tol) {
  Placement placement;
  auto record = [&](const Pt& p) {
    switch (CLumoMath2D::GetRelationPointAndPolygon(p, polygon, tol)) {
      case POINT_INSIDE_POLYGON:
        placement.inside = true;
        break;
      case POINT_OUTSIDE_POLYGON:
        placement.outside = true;
        break;
      case POINT_ON_POLYGON:
        placement.on = true;
        break;
    }
  };
  for (size_t i = 0; i < pts.size(); ++i) {
    record(pts[i]);
    record((pts[i] + pts[(i + 1) % pts.size()]) * 0.5);
  }
  return placement;
}

std::vector<Pt> ClosedOutline(const tagPolyLine& line) {
  std::vector<Pt> pts;
  if (line.m_bClosed) {
    line.GetPolygonPoint(pts, 36, -1.0);
  } else {
    tagPolyLine closed = line;
    closed.m_bClosed = true;
    closed.GetPolygonPoint(pts, 36, -1.0);
  }
  return pts;
}

}  // namespace

bool CLumoMath2D::IsOnRight(const Pt& a, const Pt& b, const Pt& p) {
  return (b - a).cross(p - a) < 0.0;
}

bool CLumoMath2D::GetCrossPtLineAndLine(const Pt& a1, const Pt& a2, const Pt& b1, const Pt& b2,
                                        Pt& out) {
  const Pt da = a2 - a1;
  const Pt db = b2 - b1;
  const double lengths = da.length() * db.length();
  const double denom = da.cross(db);
  // |denom| = |da| |db| sin(angle between the lines).
  if (lengths == 0.0 ||
      std::fabs(denom) <= lengths * CGeometryTolerate::GetDefaultTol().GetAngleTol()) {
    return false;
  }
  const double t = (b1 - a1).cross(db) / denom;
  out = a1 + da * t;
  return true;
}

double CLumoMath2D::DistancePointToSegment(const Pt& p, const Pt& a, const Pt& b) {
  const Pt ab = b - a;
  const double len2 = ab.length2();
  if (len2 == 0.0) return p.distance(a);
  const double t = std::clamp((p - a).dot(ab) / len2, 0.0, 1.0);
  return p.distance(a + ab * t);
}

PointPolygonRelation CLumoMath2D::GetRelationPointAndPolygon(const Pt& p,
                                                             const std::vector<Pt>& pts,
                                                             double tol) {
  const size_t n = pts.size();
  for (size_t i = 0; i < n; ++i) {
    if (DistancePointToSegment(p, pts[i], pts[(i + 1) % n]) <= tol) return POINT_ON_POLYGON;
  }
  if (n < 3) return POINT_OUTSIDE_POLYGON;
  // Even-odd rule: count the edges that a ray from p toward +x crosses.
  bool inside = false;
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    const Pt& a = pts[i];
    const Pt& b = pts[j];
    if ((a.y > p.y) != (b.y > p.y)) {
      const double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (p.x < x) inside = !inside;
    }
  }
  return inside ? POINT_INSIDE_POLYGON : POINT_OUTSIDE_POLYGON;
}

double CLumoMath2D::GetPolygonArea(const std::vector<Pt>& pts) {
  if (pts.size() < 3) return 0.0;
  double twiceArea = 0.0;
  const Pt& origin = pts.front();
  for (size_t i = 1; i + 1 < pts.size(); ++i)
    twiceArea += (pts[i] - origin).cross(pts[i + 1] - origin);
  return 0.5 * twiceArea;
}

Relation_Poly CLumoMath2D::GetRelationPolyLineAndPolyLine(const tagPolyLine& first,
                                                          const tagPolyLine& second, double tol) {
  const std::vector<Pt> a = ClosedOutline(first);
  const std::vector<Pt> b = ClosedOutline(second);
  if (a.size() < 3 || b.size() < 3) return RELATION_POLY_INVALID;

  // A proper crossing of two edges decides at once. Edges that come within tol of each other
  // without crossing properly bring a vertex within tol of the other boundary, which the
  // placements below see as "on".
  const Bounds boundsB = PolygonBounds(b);
  for (size_t i = 0; i < a.size(); ++i) {
    const Pt& a1 = a[i];
    const Pt& a2 = a[(i + 1) % a.size()];
    const Bounds edgeA = SegmentBounds(a1, a2);
    if (!edgeA.Meets(boundsB)) continue;
    for (size_t j = 0; j < b.size(); ++j) {
      const Pt& b1 = b[j];
      const Pt& b2 = b[(j + 1) % b.size()];
      if (edgeA.Meets(SegmentBounds(b1, b2)) && CrossProperly(a1, a2, b1, b2, tol)) {
        return RELATION_POLY_CROSS;
      }
    }
  }

  const Placement bInA = Place(b, a, tol);
  const Placement aInB = Place(a, b, tol);
  if ((bInA.inside && bInA.outside) || (aInB.inside && aInB.outside)) return RELATION_POLY_CROSS;
  if (!bInA.outside && !aInB.outside) return RELATION_POLY_EQUAL;
  if (!bInA.outside) return RELATION_POLY_CONTAIN;
  if (!aInB.outside) return RELATION_POLY_INSIDE;
  return bInA.on || aInB.on ? RELATION_POLY_TOUCH : RELATION_POLY_AWAY;
}

}  // namespace shapekit
