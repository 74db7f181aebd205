// CLumoMath2D: planar tests and constructions on points and polylines. All members are static and
// thread-safe.
//
// Orientation follows the mathematical convention (y up): "left" of a directed line is the side
// a counter-clockwise turn leads to. In window coordinates, where y grows downward, the same
// numbers describe the mirror image, so "left" there is what the screen shows on the right.
#ifndef SHAPEKIT_MATH2D_H_
#define SHAPEKIT_MATH2D_H_

#include <vector>

#include "shapekit/export.h"
#include "shapekit/point.h"
#include "shapekit/polyline.h"

namespace shapekit {

// How two closed polylines A (first) and B (second) lie to each other.
enum Relation_Poly {
  // A or B has fewer than 3 distinct outline points.
  RELATION_POLY_INVALID = 0,
  // Apart: neither boundary comes within the tolerance of the other.
  RELATION_POLY_AWAY = 1,
  // The boundaries cross, so each region has parts inside and outside the other.
  RELATION_POLY_CROSS = 2,
  // The boundaries touch or run along each other but the interiors do not overlap.
  RELATION_POLY_TOUCH = 3,
  // B lies inside A; B may touch A's boundary from inside.
  RELATION_POLY_CONTAIN = 4,
  // A lies inside B; A may touch B's boundary from inside.
  RELATION_POLY_INSIDE = 5,
  // The two outlines coincide within the tolerance.
  RELATION_POLY_EQUAL = 6,
};

// Where a point lies with respect to a polygon.
enum PointPolygonRelation {
  POINT_OUTSIDE_POLYGON = -1,
  POINT_ON_POLYGON = 0,
  POINT_INSIDE_POLYGON = 1,
};

class SHAPEKIT_EXPORT CLumoMath2D {
 public:
  // True when p lies strictly right of the directed line from a to b, that is when
  // (b - a) x (p - a) < 0. A point on the line (or any p when a == b) is not right of it. Exact:
  // no tolerance is applied, so integer coordinates give exact answers.
  static bool IsOnRight(const point2d<double>& a, const point2d<double>& b,
                        const point2d<double>& p);

  // The crossing point of the infinite lines a1-a2 and b1-b2, stored in out. Returns false and
  // leaves out unchanged when the lines are parallel (including coincident) or either is
  // degenerate (its two points equal).
  static bool GetCrossPtLineAndLine(const point2d<double>& a1, const point2d<double>& a2,
                                    const point2d<double>& b1, const point2d<double>& b2,
                                    point2d<double>& out);

  // The distance from p to the segment a-b (to a when a == b).
  static double DistancePointToSegment(const point2d<double>& p, const point2d<double>& a,
                                       const point2d<double>& b);

  // Where p lies with respect to the polygon whose vertices are pts (closed implicitly, either
  // orientation, self-intersecting polygons by the even-odd rule): on it when within tol of an
  // edge. Fewer than 3 points: outside unless within tol of them.
  static PointPolygonRelation GetRelationPointAndPolygon(const point2d<double>& p,
                                                         const std::vector<point2d<double>>& pts,
                                                         double tol);

  // The signed area of the polygon pts (closed implicitly): positive when counter-clockwise.
  static double GetPolygonArea(const std::vector<point2d<double>>& pts);

  // How the second polyline lies to the first (see Relation_Poly), both taken as closed and
  // sampled with GetPolygonPoint(pts, 36, -1.0). Decided from the proper crossings of their edges
  // and from where each outline's vertices and edge midpoints lie in the other within tol;
  // costs O(n m) for outlines of n and m points in the worst case. 4 (RELATION_POLY_CONTAIN)
  // says that the second lies inside the first.
  static Relation_Poly GetRelationPolyLineAndPolyLine(const tagPolyLine& first,
                                                      const tagPolyLine& second, double tol);
};

}  // namespace shapekit

#endif  // SHAPEKIT_MATH2D_H_
