// Quadrilaterals that label editing works with: CQuad, four window points named by where they lie
// on screen, and CQuad3D, four world points with a pick-line hit test. Value types;
// thread-compatible.
#ifndef LUMOTOOLS_GEOMETRY_QUAD_H_
#define LUMOTOOLS_GEOMETRY_QUAD_H_

#include <vector>

#include "lumotools/export.h"
#include "lumotools/platform/point_rect.h"
#include "shapekit/line.h"
#include "shapekit/point.h"

// A window quad. The corner names hold after Sort(): the two points with the smallest y are the
// top pair, the left one of each pair (by x) its left corner. The four-point constructor sorts;
// copying keeps the corners as they are.
class LUMO_EXPORT CQuad {
 public:
  // All four corners (0, 0).
  CQuad() = default;
  // Stores the points as top-left, top-right, bottom-left, bottom-right, then sorts them.
  CQuad(const CPoint& ptTopLeft, const CPoint& ptTopRight, const CPoint& ptBottomLeft,
        const CPoint& ptBottomRight);

  CPoint& TopLeft() { return m_ptTopLeft; }
  const CPoint& TopLeft() const { return m_ptTopLeft; }
  CPoint& TopRight() { return m_ptTopRight; }
  const CPoint& TopRight() const { return m_ptTopRight; }
  CPoint& BottomLeft() { return m_ptBottomLeft; }
  const CPoint& BottomLeft() const { return m_ptBottomLeft; }
  CPoint& BottomRight() { return m_ptBottomRight; }
  const CPoint& BottomRight() const { return m_ptBottomRight; }

  // All eight coordinates compared.
  bool operator==(const CQuad& o) const;
  bool operator!=(const CQuad& o) const { return !(*this == o); }

  // The crossing point of the diagonals (top-left to bottom-right, top-right to bottom-left),
  // each coordinate truncated toward zero. (0, 0) when the diagonals do not cross in one point
  // (a degenerate quad).
  CPoint CenterPoint() const;
  // True unless pt lies strictly right (by CLumoMath2D::IsOnRight, y taken as is) of one of the
  // directed edges top-left -> top-right -> bottom-right -> bottom-left -> top-left. Points on an
  // edge are inside.
  bool PtInQuad(const CPoint& pt) const;
  // The upright rectangle of the same centre whose width is the longer and whose height is the
  // shorter of the sides at the top-left corner (each truncated to whole pixels): where an edit
  // control goes over a possibly tilted quad.
  CRect GetHoriRect() const;
  // Renames the corners by their window positions (see the class comment).
  void Sort();
  // Sorts points ascending by y, and by x where y is equal. Not stable: equal points may swap.
  static void SortByMinY(std::vector<CPoint>& points);

 private:
  CPoint m_ptTopLeft;
  CPoint m_ptTopRight;
  CPoint m_ptBottomLeft;
  CPoint m_ptBottomRight;
};

// A world quad: four corners in the order CTextRect::GetQuad3D produces them (around the
// rectangle, so P0-P1-P2-P3 is its outline). All zero by default.
class LUMO_EXPORT CQuad3D {
 public:
  CQuad3D() = default;
  // Stores the points in the order given.
  CQuad3D(const shapekit::point3d<double>& p0, const shapekit::point3d<double>& p1,
          const shapekit::point3d<double>& p2, const shapekit::point3d<double>& p3);

  // True when the infinite line meets the plane of P0, P1, P2 at a point X with
  // tol > S - T, where S is the sum of the areas of the triangles (P0 P1 X), (P1 P2 X),
  // (P2 P3 X), (P3 P0 X) and T the quad's own area as (P2 P3 P0) + (P0 P1 P2). S - T is 0 for X
  // inside a convex quad and grows with X's distance outside; tol is an area in world units
  // squared. False for a line parallel to the plane and for a degenerate quad.
  bool RayCrossQuad(const shapekit::tagLine3D& line, double tol) const;

  shapekit::point3d<double> m_pts[4];
};

#endif  // LUMOTOOLS_GEOMETRY_QUAD_H_
