#include <gtest/gtest.h>

#include <vector>

#include "shapekit/line.h"
#include "shapekit/math2d.h"
#include "shapekit/math3d.h"
#include "shapekit/polyline.h"
#include "shapekit/tolerance.h"

namespace {

using namespace shapekit;
using Pt = point2d<double>;
using P3 = point3d<double>;

// The tolerance the polygon tools pass when they sort holes into outlines.
constexpr double kRelationTol = 1.0;

tagPolyLine Rect(double x0, double y0, double x1, double y1, bool ccw = true) {
  tagPolyLine line = tagPolyLine::FromPoints({Pt(x0, y0), Pt(x1, y0), Pt(x1, y1), Pt(x0, y1)});
  if (!ccw) line.Reverse();
  return line;
}

TEST(Math2D, OnRightIsStrict) {
  const Pt a(0, 0), b(10, 0);
  EXPECT_TRUE(CLumoMath2D::IsOnRight(a, b, Pt(5, -1)) && CLumoMath2D::IsOnRight(b, a, Pt(5, 1)));
  // Left of the line, on it, on it beyond b, and right of a line of no direction.
  EXPECT_FALSE(CLumoMath2D::IsOnRight(a, b, Pt(5, 1)) || CLumoMath2D::IsOnRight(a, b, Pt(5, 0)) ||
               CLumoMath2D::IsOnRight(a, b, Pt(20, 0)) || CLumoMath2D::IsOnRight(a, a, Pt(3, -3)));
}

TEST(Math2D, CrossingOfLines) {
  Pt out(7, 7);
  EXPECT_TRUE(CLumoMath2D::GetCrossPtLineAndLine(Pt(0, 0), Pt(2, 2), Pt(0, 4), Pt(1, 3), out));
  EXPECT_EQ(out, Pt(2, 2));
  // The lines are infinite: the crossing may lie beyond the given points.
  EXPECT_TRUE(CLumoMath2D::GetCrossPtLineAndLine(Pt(1, 0), Pt(2, 1), Pt(5, 1), Pt(5, 2), out));
  EXPECT_EQ(out, Pt(5, 4));
  out = Pt(7, 7);
  EXPECT_FALSE(CLumoMath2D::GetCrossPtLineAndLine(Pt(0, 0), Pt(1, 1), Pt(0, 1), Pt(2, 3), out));
  EXPECT_FALSE(CLumoMath2D::GetCrossPtLineAndLine(Pt(1, 1), Pt(1, 1), Pt(0, 1), Pt(2, 3), out));
  EXPECT_EQ(out, Pt(7, 7));
  // Lines 1e-12 radians apart are parallel by default; with no angle tolerance they meet, and only
  // exactly parallel lines do not.
  const Pt almost(1, 2 + 1e-12);
  EXPECT_FALSE(CLumoMath2D::GetCrossPtLineAndLine(Pt(0, 0), Pt(1, 1), Pt(0, 1), almost, out));
  const CGeometryTolerate saved = CGeometryTolerate::GetDefaultTol();
  CGeometryTolerate::SetDefaultTol(CGeometryTolerate(saved.GetPointTol(), 0.0));
  EXPECT_TRUE(CLumoMath2D::GetCrossPtLineAndLine(Pt(0, 0), Pt(1, 1), Pt(0, 1), almost, out));
  EXPECT_FALSE(CLumoMath2D::GetCrossPtLineAndLine(Pt(0, 0), Pt(1, 1), Pt(0, 1), Pt(2, 3), out));
  CGeometryTolerate::SetDefaultTol(saved);
}

TEST(Math2D, PointAndPolygon) {
  const std::vector<Pt> l = {Pt(0, 0), Pt(4, 0), Pt(4, 1), Pt(1, 1), Pt(1, 4), Pt(0, 4)};
  EXPECT_EQ(CLumoMath2D::GetRelationPointAndPolygon(Pt(0.5, 2), l, 1e-9), POINT_INSIDE_POLYGON);
  EXPECT_EQ(CLumoMath2D::GetRelationPointAndPolygon(Pt(2, 2), l, 1e-9), POINT_OUTSIDE_POLYGON);
  EXPECT_EQ(CLumoMath2D::GetRelationPointAndPolygon(Pt(2, 1), l, 1e-9), POINT_ON_POLYGON);
  EXPECT_EQ(CLumoMath2D::GetRelationPointAndPolygon(Pt(2, 1.05), l, 0.1), POINT_ON_POLYGON);
  EXPECT_EQ(CLumoMath2D::GetRelationPointAndPolygon(Pt(4, 4), l, 1e-9), POINT_OUTSIDE_POLYGON);
  const std::vector<Pt> triangle = {Pt(0, 0), Pt(4, 0), Pt(0, 4)};
  EXPECT_EQ(CLumoMath2D::GetRelationPointAndPolygon(Pt(0, 2), triangle, 1e-9), POINT_ON_POLYGON);
  EXPECT_EQ(CLumoMath2D::GetPolygonArea(l), 7.0);
  EXPECT_EQ(CLumoMath2D::DistancePointToSegment(Pt(3, 4), Pt(0, 0), Pt(0, 0)), 5.0);
  EXPECT_EQ(CLumoMath2D::DistancePointToSegment(Pt(-3, 4), Pt(0, 0), Pt(10, 0)), 5.0);
}

TEST(Math2D, RelationOfPolylines) {
  const tagPolyLine outer = Rect(0, 0, 100, 100);
  // A circle of radius 50 about (50, 50), and a concave outline notched down to (50, 20).
  const tagPolyLine round({CPolyEdge(Pt(100, 50), 1.0), CPolyEdge(Pt(0, 50), 1.0)}, true);
  const tagPolyLine notched =
      tagPolyLine::FromPoints({Pt(0, 0), Pt(100, 0), Pt(100, 100), Pt(50, 20), Pt(0, 100)});
  struct Case {
    const char* what;
    tagPolyLine first, second;
    Relation_Poly expected;
  };
  const Case cases[] = {
      {"hole in the middle", outer, Rect(40, 40, 60, 60), RELATION_POLY_CONTAIN},
      {"hole running clockwise", outer, Rect(40, 40, 60, 60, false), RELATION_POLY_CONTAIN},
      {"hole touching the outline at a vertex", outer,
       tagPolyLine::FromPoints({Pt(0, 0), Pt(30, 10), Pt(10, 30)}), RELATION_POLY_CONTAIN},
      {"hole along an edge", outer, Rect(0, 40, 20, 60), RELATION_POLY_CONTAIN},
      {"hole within the tolerance outside", outer, Rect(-0.5, 40, 20, 60), RELATION_POLY_CONTAIN},
      {"larger square around it", outer, Rect(-10, -10, 110, 110), RELATION_POLY_INSIDE},
      {"same square", outer, Rect(0, 0, 100, 100, false), RELATION_POLY_EQUAL},
      {"overlapping", outer, Rect(50, 50, 150, 150), RELATION_POLY_CROSS},
      {"plus sign", outer, Rect(-10, 40, 110, 60), RELATION_POLY_CROSS},
      {"sharing an edge outside", outer, Rect(100, 20, 150, 80), RELATION_POLY_TOUCH},
      {"a corner within the tolerance", outer, Rect(100.5, 100.5, 150, 150), RELATION_POLY_TOUCH},
      {"an edge exactly the tolerance inside", outer, Rect(99, 20, 150, 80), RELATION_POLY_TOUCH},
      {"the same, the other way round", Rect(99, 20, 150, 80), outer, RELATION_POLY_TOUCH},
      {"the same, clockwise", Rect(99, 20, 150, 80), Rect(0, 0, 100, 100, false),
       RELATION_POLY_TOUCH},
      {"a triangle's first vertex on the edge", outer,
       tagPolyLine::FromPoints({Pt(100, 40), Pt(150, 20), Pt(150, 80)}), RELATION_POLY_TOUCH},
      {"a kite poking in between two vertices on the edge", outer,
       tagPolyLine::FromPoints({Pt(100, 10), Pt(60, 20), Pt(100, 30), Pt(150, 20)}),
       RELATION_POLY_CROSS},
      {"apart", outer, Rect(200, 0, 300, 100), RELATION_POLY_AWAY},
      {"two points", outer, tagPolyLine::FromPoints({Pt(1, 1), Pt(2, 2)}), RELATION_POLY_INVALID},
      // No vertex or edge midpoint of either bar lies inside the other.
      {"bars crossing", Rect(0, 10, 100, 20), Rect(40, 0, 45, 100), RELATION_POLY_CROSS},
      // Only the strip's first edge crosses the outline, cutting off a corner within the tolerance
      // of its far side, and the strip's midpoints lie outside.
      {"strip across a corner", outer,
       tagPolyLine::FromPoints({Pt(60, 137), Pt(107, 90), Pt(110.35, 90.35), Pt(60.35, 140.35)}),
       RELATION_POLY_CROSS},
      {"hole in a circle", round, Rect(40, 40, 60, 60), RELATION_POLY_CONTAIN},
      {"square poking out of a circle", round, Rect(80, 80, 95, 95), RELATION_POLY_CROSS},
      {"square beside a circle", round, Rect(90, 90, 99, 99), RELATION_POLY_AWAY},
      {"circle in a square", round, outer, RELATION_POLY_INSIDE},
      {"triangle on three corners across a notch", notched,
       tagPolyLine::FromPoints({Pt(0, 0), Pt(100, 100), Pt(0, 100)}), RELATION_POLY_CROSS},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CLumoMath2D::GetRelationPolyLineAndPolyLine(c.first, c.second, kRelationTol),
              c.expected)
        << c.what;
  }
}

TEST(Math3D, LineThroughPlane) {
  const geo_plane<double> plane(P3(0, 0, 2), P3(1, 0, 2), P3(0, 1, 2));
  EXPECT_EQ(plane.normal(), vector3d<double>(0, 0, 1));
  EXPECT_EQ(plane.signed_distance(P3(5, 5, 5)), 3.0);
  EXPECT_EQ(plane.project(P3(5, 5, 5)), P3(5, 5, 2));
  P3 out(9, 9, 9);
  EXPECT_TRUE(CLumoMath3D::GetCrossPtLineToPlane(plane, P3(1, 1, 0), P3(2, 3, 1), out));
  EXPECT_EQ(out, P3(3, 5, 2));  // beyond the second point: the line is infinite
  out = P3(9, 9, 9);
  EXPECT_FALSE(CLumoMath3D::GetCrossPtLineToPlane(plane, P3(0, 0, 1), P3(1, 5, 1), out));
  EXPECT_FALSE(CLumoMath3D::GetCrossPtLineToPlane(plane, P3(1, 1, 1), P3(1, 1, 1), out));
  const geo_plane<double> collinear(P3(0, 0, 0), P3(1, 1, 1), P3(2, 2, 2));
  EXPECT_FALSE(collinear.is_valid());
  EXPECT_FALSE(CLumoMath3D::GetCrossPtLineToPlane(collinear, P3(0, 0, 1), P3(0, 0, -1), out));
  EXPECT_EQ(out, P3(9, 9, 9));
  EXPECT_EQ(CLumoMath3D::GetTriangleArea(P3(1, 1, 1), P3(5, 1, 1), P3(1, 4, 8)),
            0.5 * 4 * std::sqrt(9.0 + 49.0));
}

}  // namespace
