#include "shapekit/polyline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "shapekit/math2d.h"

namespace {

using shapekit::CLumoMath2D;
using shapekit::CPolyEdge;
using shapekit::tagPolyLine;
using Pt = shapekit::point2d<double>;

constexpr double kPi = 3.14159265358979323846;
constexpr double kTol = 1e-9;

tagPolyLine Square(double x, double y, double size) {
  return tagPolyLine::FromPoints(
      {Pt(x, y), Pt(x + size, y), Pt(x + size, y + size), Pt(x, y + size)});
}

// A circle of radius r about (cx, cy) as two half-circle edges.
tagPolyLine Circle(double cx, double cy, double r, bool ccw = true) {
  const double bulge = ccw ? 1.0 : -1.0;
  return tagPolyLine({CPolyEdge(Pt(cx + r, cy), bulge), CPolyEdge(Pt(cx - r, cy), bulge)}, true);
}

TEST(PolyLine, StraightOutlineWithoutRepeatedPoints) {
  tagPolyLine line = Square(0, 0, 2);
  line.AppendEdge(CPolyEdge(Pt(0, 0)));  // the closing vertex written out again
  line.m_vecEdges.insert(line.m_vecEdges.begin() + 1, CPolyEdge(Pt(0, 0)));  // a repeat
  EXPECT_EQ(line.GetEdgeCount(), 6);
  std::vector<Pt> pts = {Pt(9, 9)};
  line.GetPolygonPoint(pts);
  EXPECT_EQ(pts, (std::vector<Pt>{Pt(0, 0), Pt(2, 0), Pt(2, 2), Pt(0, 2)}));
  line.m_bClosed = false;  // an open polyline keeps its last point
  line.GetPolygonPoint(pts);
  EXPECT_EQ(pts, (std::vector<Pt>{Pt(0, 0), Pt(2, 0), Pt(2, 2), Pt(0, 2), Pt(0, 0)}));
  tagPolyLine::FromPoints({Pt(1, 1)}, true).GetPolygonPoint(pts);
  EXPECT_EQ(pts, std::vector<Pt>{Pt(1, 1)});
}

TEST(PolyLine, ArcsAreSampledBySegmentsPerCircle) {
  std::vector<Pt> pts;
  Circle(1, 2, 3).GetPolygonPoint(pts, 36, -1.0);
  ASSERT_EQ(pts.size(), 36u);  // 18 segments per half circle
  for (const Pt& p : pts) EXPECT_NEAR(p.distance(Pt(1, 2)), 3.0, kTol);
  EXPECT_GT(CLumoMath2D::GetPolygonArea(pts), 0.0);  // counter-clockwise
  // Points run counter-clockwise from (4, 2) in steps of 10 degrees.
  EXPECT_LT(pts[1].distance(Pt(1 + 3 * std::cos(kPi / 18), 2 + 3 * std::sin(kPi / 18))), kTol);

  // A quarter circle gets 9 segments; a chord tolerance asks for more where needed.
  const tagPolyLine quarter({CPolyEdge(Pt(1, 0), std::tan(kPi / 8)), CPolyEdge(Pt(0, 1))}, false);
  quarter.GetPolygonPoint(pts, 36, -1.0);
  EXPECT_EQ(pts.size(), 10u);
  quarter.GetPolygonPoint(pts, 36, 1e-4);
  EXPECT_GT(pts.size(), 50u);
  for (size_t i = 0; i + 1 < pts.size(); ++i) {
    const Pt mid = (pts[i] + pts[i + 1]) * 0.5;
    EXPECT_LE(1.0 - mid.length(), 1e-4 + kTol);
  }
  quarter.GetPolygonPoint(pts, 0, -1.0);  // neither: the chord
  EXPECT_EQ(pts, (std::vector<Pt>{Pt(1, 0), Pt(0, 1)}));
  // The arc from (0, 0) to (2, 0) of bulge 2 has radius 1.25 and rises 2 from its chord: the
  // chord alone serves tolerances above 2, and two segments serve down to the radius and below.
  const tagPolyLine high({CPolyEdge(Pt(0, 0), 2.0), CPolyEdge(Pt(2, 0))}, false);
  for (const double tol : {1.0, 1.25, 1.9, 2.1, 2.5}) {
    high.GetPolygonPoint(pts, 0, tol);
    EXPECT_EQ(pts.size(), tol < 2.0 ? 3u : 2u) << tol;
  }
}

TEST(PolyLine, SignedAreaCountsArcsExactly) {
  EXPECT_NEAR(Circle(0, 0, 2).GetSignedArea(), 4 * kPi, kTol);
  EXPECT_NEAR(Circle(0, 0, 2, false).GetSignedArea(), -4 * kPi, kTol);
  EXPECT_TRUE(Circle(0, 0, 2).IsCCW());
  EXPECT_EQ(Square(5, -7, 3).GetSignedArea(), 9.0);
  // A square whose top edge bulges outward by a half circle of radius 1.5.
  tagPolyLine rounded = Square(0, 0, 3);
  rounded.m_vecEdges[2].m_dBulge = 1.0;  // (3,3) -> (0,3), counter-clockwise: bulges up
  EXPECT_NEAR(rounded.GetSignedArea(), 9 + kPi * 1.5 * 1.5 / 2, kTol);
  // A shallow arc: the sampled area converges on the exact one.
  std::vector<Pt> pts;
  tagPolyLine shallow = Square(0, 0, 3);
  shallow.m_vecEdges[0].m_dBulge = -0.3;  // bottom edge, turning clockwise: bulges inward
  shallow.GetPolygonPoint(pts, 3600, -1.0);
  EXPECT_LT(shallow.GetSignedArea(), 9.0);
  EXPECT_NEAR(CLumoMath2D::GetPolygonArea(pts), shallow.GetSignedArea(), 1e-4);
  EXPECT_EQ(tagPolyLine().GetSignedArea(), 0.0);
  // An open polyline has no closing arc: the bulge of its last vertex counts for nothing.
  const tagPolyLine open({CPolyEdge(Pt(0, 0)), CPolyEdge(Pt(4, 0)), CPolyEdge(Pt(4, 4), 0.5)},
                         false);
  EXPECT_EQ(open.GetSignedArea(), 8.0);
  EXPECT_FALSE(tagPolyLine::FromPoints({Pt(0, 0), Pt(1, 1), Pt(2, 2)}).IsCCW());
}

// Each edge comes to start at its old end, with the opposite bulge; the closing edge of a closed
// polyline comes first.
TEST(PolyLine, ReverseWalksTheEdgesBackWithOppositeBulges) {
  tagPolyLine line = Square(0, 0, 3);
  line.m_vecEdges[1].m_dBulge = 0.4;
  line.m_vecEdges[3].m_dBulge = -0.2;
  const double area = line.GetSignedArea();
  line.Reverse();
  EXPECT_EQ(line.m_vecEdges,
            (std::vector<CPolyEdge>{CPolyEdge(Pt(0, 0), 0.2), CPolyEdge(Pt(0, 3)),
                                    CPolyEdge(Pt(3, 3), -0.4), CPolyEdge(Pt(3, 0))}));
  EXPECT_NEAR(line.GetSignedArea(), -area, kTol);

  tagPolyLine open({CPolyEdge(Pt(0, 0), 0.5), CPolyEdge(Pt(4, 0), -0.25), CPolyEdge(Pt(4, 4))},
                   false);
  open.Reverse();
  EXPECT_EQ(open.m_vecEdges,
            (std::vector<CPolyEdge>{CPolyEdge(Pt(4, 4), 0.25), CPolyEdge(Pt(4, 0), -0.5),
                                    CPolyEdge(Pt(0, 0), 0.0)}));
}

}  // namespace
