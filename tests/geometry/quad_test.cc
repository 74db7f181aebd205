#include "lumotools/geometry/quad.h"

#include <gtest/gtest.h>

#include <vector>

#include "lumotools/geometry/coord_translator.h"
#include "lumotools/geometry/text_rect.h"

namespace {

using shapekit::point3d;
using shapekit::tagLine3D;
using shapekit::vector3d;
using P3 = point3d<double>;

// The tolerance the message passer uses for pick lines: an area in world units squared.
constexpr double kPickTol = 10.0;

// Top left, top right, bottom left, bottom right.
std::vector<CPoint> Corners(const CQuad& q) {
  return {q.TopLeft(), q.TopRight(), q.BottomLeft(), q.BottomRight()};
}

// A vertical pick line through (x, y).
tagLine3D Vertical(double x, double y) { return tagLine3D(P3(x, y, 10.0), P3(x, y, -10.0)); }

// Corners sorted by window position; the centre where the diagonals cross, truncated toward zero,
// or none when they are parallel; equality and the points inside.
TEST(Quad, SortedCornersCentreEqualityAndInside) {
  // Equal x: the top pair (0,0), (0,5) is not less, so the second becomes the top-left; the
  // bottom pair (0,7), (0,9) is not greater, so the sorted order stays.
  const struct {
    CQuad quad;
    std::vector<CPoint> corners;
    CPoint centre;
  } cases[] = {
      {{{10, 10}, {0, 0}, {10, 0}, {0, 10}}, {{0, 0}, {10, 0}, {0, 10}, {10, 10}}, {5, 5}},
      {{{5, 0}, {10, 5}, {5, 10}, {0, 5}}, {{0, 5}, {5, 0}, {5, 10}, {10, 5}}, {5, 5}},
      {{{0, 9}, {0, 0}, {0, 7}, {0, 5}}, {{0, 5}, {0, 0}, {0, 7}, {0, 9}}, {0, 0}},
      {{{0, 0}, {7, 0}, {0, 3}, {7, 3}}, {{0, 0}, {7, 0}, {0, 3}, {7, 3}}, {3, 1}},
      {{{-7, -3}, {0, -3}, {-7, 0}, {0, 0}}, {{-7, -3}, {0, -3}, {-7, 0}, {0, 0}}, {-3, -1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Corners(c.quad), c.corners);
    EXPECT_EQ(c.quad.CenterPoint(), c.centre);
  }
  const CQuad& diamond = cases[1].quad;
  EXPECT_EQ(diamond.GetHoriRect(), CRect(2, 2, 9, 9));
  CQuad other = diamond;
  EXPECT_EQ(other, diamond);
  other.BottomRight().y = 1;
  EXPECT_NE(other, diamond);
  other = diamond;
  other.TopRight().x = 1;
  EXPECT_NE(other, diamond);

  // Points on the edges are inside, and the tilt of the diamond counts.
  const CQuad& square = cases[0].quad;
  for (CPoint in : {CPoint(5, 5), CPoint(0, 0), CPoint(10, 5), CPoint(5, 10)})
    EXPECT_TRUE(square.PtInQuad(in)) << in.x << " " << in.y;
  for (CPoint out : {CPoint(11, 5), CPoint(5, -1), CPoint(-1, 5)})
    EXPECT_FALSE(square.PtInQuad(out)) << out.x << " " << out.y;
  EXPECT_TRUE(diamond.PtInQuad(CPoint(2, 3)));  // on the edge (0,5)-(5,0)
  EXPECT_FALSE(diamond.PtInQuad(CPoint(1, 1)) || diamond.PtInQuad(CPoint(9, 9)));
}

TEST(Quad3D, RayCrossesAQuadOfNoParallelSides) {
  const CQuad3D quad(P3(0, 0, 0), P3(4, 0, 0), P3(4, 2, 0), P3(0, 4, 0));
  EXPECT_TRUE(quad.RayCrossQuad(Vertical(1, 1), 1e-9) && quad.RayCrossQuad(Vertical(3, 2), 1e-9));
  EXPECT_FALSE(quad.RayCrossQuad(Vertical(3, 3), 1e-9));
}

void ExpectWorldCorners(const CTextRect& rect, const std::vector<P3>& corners) {
  const CQuad3D quad = rect.GetQuad3D();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(quad.m_pts[i], corners[i]) << "corner " << i;
}

TEST(TextRect, WorldCornersAndPickLines) {
  const CTextRect rect(P3(0, 0, 0), vector3d<double>(1, 0, 0), 4, 2);
  ExpectWorldCorners(rect, {P3(-2, 1, 0), P3(-2, -1, 0), P3(2, -1, 0), P3(2, 1, 0)});
  // S - T is 0, 1 and 22 for the three vertical lines; tolerances just around them.
  const struct {
    tagLine3D line;
    double tol;
    bool hit;
  } picks[] = {
      {Vertical(0, 0), kPickTol, true},
      {Vertical(2.5, 0), 1.01, true},
      {Vertical(2.5, 0), 0.99, false},
      {Vertical(5, 5), 22.01, true},
      {Vertical(5, 5), 21.99, false},
      {tagLine3D(P3(-3, -3, 3), P3(3, 3, -3)), 1e-9, true},  // oblique through the centre
      {tagLine3D(P3(-5, 0, 1), P3(5, 0, 1)), 1e9, false},    // parallel
      {tagLine3D(P3(-5, 0, 0), P3(5, 0, 0)), 1e9, false},    // in the plane
      {tagLine3D(P3(0, 0, 1), P3(0, 0, 1)), 1e9, false},     // no direction
  };
  for (const auto& pick : picks) EXPECT_EQ(rect.RayCrossRect(pick.line, pick.tol), pick.hit);

  // Direction (0, 2, 0) unnormalised: the width runs along y, the height along x.
  const CTextRect turned(P3(10, 20, 5), vector3d<double>(0, 2, 0), 4, 2);
  ExpectWorldCorners(turned, {P3(9, 18, 5), P3(11, 18, 5), P3(11, 22, 5), P3(9, 22, 5)});
  EXPECT_TRUE(turned.RayCrossRect(Vertical(10.5, 21), 1e-9));
  EXPECT_FALSE(turned.RayCrossRect(Vertical(12, 21), 1e-9));
}

TEST(TextRect, ZeroDirectionIsAlongXAndZeroWidthIsAPoint) {
  const CTextRect noDirection(P3(0, 0, 0), vector3d<double>(0, 0, 0), 4, 2);
  ExpectWorldCorners(noDirection, {P3(-2, 1, 0), P3(-2, -1, 0), P3(2, -1, 0), P3(2, 1, 0)});
  const CTextRect alongX(P3(0, 0, 0), vector3d<double>(1, 0, 0), 4, 2);
  EXPECT_EQ(noDirection.GetQuad(CPoint(50, 50), 3.0), alongX.GetQuad(CPoint(50, 50), 3.0));
  const CTextRect noWidth(P3(1, 2, 3), vector3d<double>(1, 1, 0), 0, 2);
  ExpectWorldCorners(noWidth, std::vector<P3>(4, P3(1, 2, 3)));
  const CPoint c(40, 30);
  EXPECT_EQ(noWidth.GetQuad(c, 2.0), CQuad(c, c, c, c));
}

TEST(TextRect, WindowQuadsAroundTheAnchorTruncateTowardZero) {
  const CTextRect rect(P3(0, 0, 0), vector3d<double>(1, 0, 0), 10, 4);
  const CQuad quad = rect.GetQuad(CPoint(100, 100), 2.0);
  EXPECT_EQ(Corners(quad), (std::vector<CPoint>{{90, 96}, {110, 96}, {90, 104}, {110, 104}}));
  EXPECT_TRUE(rect.PtInRect(CPoint(109, 103), CPoint(100, 100), 2.0));
  EXPECT_FALSE(rect.PtInRect(CPoint(111, 100), CPoint(100, 100), 2.0));

  // Turned 45 degrees: Q0 = (-4.95, -2.12), Q1 = (-2.12, -4.95), Q2 = (2.12, 4.95),
  // Q3 = (4.95, 2.12); sorted by y the top pair is (-2,-4), (-4,-2), the bottom pair (4,2), (2,4).
  const CQuad turned = CTextRect(P3(0, 0, 0), vector3d<double>(1, 1, 0), 10, 4).GetQuad({0, 0}, 1);
  EXPECT_EQ(Corners(turned), (std::vector<CPoint>{{-4, -2}, {-2, -4}, {2, 4}, {4, 2}}));
  // The upright rectangle: 8 wide (side 8.49) and 2 high (side 2.83).
  EXPECT_EQ(turned.GetHoriRect(), CRect(-4, -1, 4, 1));
}

// The defaults a translator inherits.
TEST(CoordTranslator, DefaultsScaleOneAndRotatedText) {
  struct PlanView : CCoordTranslator {
    CPoint WorldToWindow(const P3&) const override { return CPoint(); }
    tagLine3D WindowToWorldLine(const CPoint&) const override { return tagLine3D(); }
  } view;
  EXPECT_EQ(view.GetTranslateScale(P3(1, 2, 3)), 1.0);
  EXPECT_TRUE(view.IsTextRotate());
}

}  // namespace
