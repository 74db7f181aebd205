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

void ExpectCorners(const CQuad& q, CPoint tl, CPoint tr, CPoint bl, CPoint br) {
  EXPECT_EQ(q.TopLeft(), tl);
  EXPECT_EQ(q.TopRight(), tr);
  EXPECT_EQ(q.BottomLeft(), bl);
  EXPECT_EQ(q.BottomRight(), br);
}

// A vertical pick line through (x, y).
tagLine3D Vertical(double x, double y) { return tagLine3D(P3(x, y, 10.0), P3(x, y, -10.0)); }

TEST(Quad, ConstructorSortsCornersByWindowPosition) {
  ExpectCorners(CQuad(CPoint(10, 10), CPoint(0, 0), CPoint(10, 0), CPoint(0, 10)), CPoint(0, 0),
                CPoint(10, 0), CPoint(0, 10), CPoint(10, 10));
}

TEST(Quad, DiamondSortsCentresAndFitsAnUprightRectangle) {
  const CQuad diamond(CPoint(5, 0), CPoint(10, 5), CPoint(5, 10), CPoint(0, 5));
  ExpectCorners(diamond, CPoint(0, 5), CPoint(5, 0), CPoint(5, 10), CPoint(10, 5));
  EXPECT_EQ(diamond.CenterPoint(), CPoint(5, 5));
  const CRect rect = diamond.GetHoriRect();
  EXPECT_EQ(rect, CRect(2, 2, 9, 9));
  EXPECT_EQ(rect.Width(), 7);
  EXPECT_EQ(rect.Height(), 7);
}

TEST(Quad, EqualXPairs) {
  // Top pair (0,0), (0,5) after sorting: not less, so the second becomes the top-left.
  // Bottom pair (0,7), (0,9): not greater, so the sorted order stays.
  const CQuad q(CPoint(0, 9), CPoint(0, 0), CPoint(0, 7), CPoint(0, 5));
  ExpectCorners(q, CPoint(0, 5), CPoint(0, 0), CPoint(0, 7), CPoint(0, 9));
}

TEST(Quad, CopyKeepsCornersUnsortedAndComparesAllCoordinates) {
  CQuad q;
  q.TopLeft() = CPoint(9, 9);  // deliberately not a sorted quad
  const CQuad copy = q;
  EXPECT_EQ(copy.TopLeft(), CPoint(9, 9));
  EXPECT_EQ(copy, q);
  CQuad other = q;
  other.BottomRight().y = 1;
  EXPECT_NE(other, q);
  std::vector<CPoint> points = {CPoint(3, 2), CPoint(1, 2), CPoint(5, 0)};
  CQuad::SortByMinY(points);
  EXPECT_EQ(points, (std::vector<CPoint>{CPoint(5, 0), CPoint(1, 2), CPoint(3, 2)}));
}

TEST(Quad, PointInQuadIncludesEdgesAndFollowsTilt) {
  const CQuad square(CPoint(0, 0), CPoint(10, 0), CPoint(0, 10), CPoint(10, 10));
  EXPECT_TRUE(square.PtInQuad(CPoint(5, 5)));
  EXPECT_TRUE(square.PtInQuad(CPoint(0, 0)));
  EXPECT_TRUE(square.PtInQuad(CPoint(10, 5)));
  EXPECT_TRUE(square.PtInQuad(CPoint(5, 10)));
  EXPECT_FALSE(square.PtInQuad(CPoint(11, 5)));
  EXPECT_FALSE(square.PtInQuad(CPoint(5, -1)));
  EXPECT_FALSE(square.PtInQuad(CPoint(-1, 5)));
  const CQuad diamond(CPoint(5, 0), CPoint(10, 5), CPoint(5, 10), CPoint(0, 5));
  EXPECT_TRUE(diamond.PtInQuad(CPoint(5, 5)));
  EXPECT_TRUE(diamond.PtInQuad(CPoint(2, 3)));  // on the edge (0,5)-(5,0)
  EXPECT_FALSE(diamond.PtInQuad(CPoint(1, 1)));
  EXPECT_FALSE(diamond.PtInQuad(CPoint(9, 9)));
}

TEST(Quad, DegenerateQuadCentresAtOrigin) {
  const CQuad point(CPoint(4, 4), CPoint(4, 4), CPoint(4, 4), CPoint(4, 4));
  EXPECT_EQ(point.CenterPoint(), CPoint(0, 0));
  // A tilted quad whose centre has fractions: truncated toward zero.
  const CQuad tilted(CPoint(0, 0), CPoint(7, 0), CPoint(0, 3), CPoint(7, 3));
  EXPECT_EQ(tilted.CenterPoint(), CPoint(3, 1));
  const CQuad negative(CPoint(-7, -3), CPoint(0, -3), CPoint(-7, 0), CPoint(0, 0));
  EXPECT_EQ(negative.CenterPoint(), CPoint(-3, -1));
}

TEST(TextRect, WorldCornersAndPickLines) {
  const CTextRect rect(P3(0, 0, 0), vector3d<double>(1, 0, 0), 4, 2);
  const CQuad3D quad = rect.GetQuad3D();
  EXPECT_EQ(quad.m_pts[0], P3(-2, 1, 0));
  EXPECT_EQ(quad.m_pts[1], P3(-2, -1, 0));
  EXPECT_EQ(quad.m_pts[2], P3(2, -1, 0));
  EXPECT_EQ(quad.m_pts[3], P3(2, 1, 0));
  // S - T = 0, 1 and 22 for these three lines.
  EXPECT_TRUE(rect.RayCrossRect(Vertical(0, 0), kPickTol));
  EXPECT_TRUE(rect.RayCrossRect(Vertical(2.5, 0), kPickTol));
  EXPECT_FALSE(rect.RayCrossRect(Vertical(5, 5), kPickTol));
  // The same lines against tolerances just around their S - T.
  EXPECT_TRUE(rect.RayCrossRect(Vertical(2.5, 0), 1.01));
  EXPECT_FALSE(rect.RayCrossRect(Vertical(2.5, 0), 0.99));
  EXPECT_TRUE(rect.RayCrossRect(Vertical(5, 5), 22.01));
  EXPECT_FALSE(rect.RayCrossRect(Vertical(5, 5), 21.99));
  // An oblique line through the centre.
  EXPECT_TRUE(rect.RayCrossRect(tagLine3D(P3(-3, -3, 3), P3(3, 3, -3)), 1e-9));
}

TEST(TextRect, LinesParallelToTheLabelNeverHit) {
  const CTextRect rect(P3(0, 0, 0), vector3d<double>(1, 0, 0), 4, 2);
  EXPECT_FALSE(rect.RayCrossRect(tagLine3D(P3(-5, 0, 1), P3(5, 0, 1)), 1e9));
  EXPECT_FALSE(rect.RayCrossRect(tagLine3D(P3(-5, 0, 0), P3(5, 0, 0)), 1e9));  // in the plane
  EXPECT_FALSE(rect.RayCrossRect(tagLine3D(P3(0, 0, 1), P3(0, 0, 1)), 1e9));   // no direction
}

TEST(TextRect, TurnedAndRaisedLabel) {
  // Direction (0, 2, 0) unnormalised: the width runs along y, the height along x.
  const CTextRect rect(P3(10, 20, 5), vector3d<double>(0, 2, 0), 4, 2);
  const CQuad3D quad = rect.GetQuad3D();
  EXPECT_EQ(quad.m_pts[0], P3(9, 18, 5));
  EXPECT_EQ(quad.m_pts[1], P3(11, 18, 5));
  EXPECT_EQ(quad.m_pts[2], P3(11, 22, 5));
  EXPECT_EQ(quad.m_pts[3], P3(9, 22, 5));
  EXPECT_TRUE(rect.RayCrossRect(Vertical(10.5, 21), 1e-9));
  EXPECT_FALSE(rect.RayCrossRect(Vertical(12, 21), 1e-9));
}

TEST(TextRect, ZeroDirectionAndZeroWidth) {
  const CTextRect noDirection(P3(0, 0, 0), vector3d<double>(0, 0, 0), 4, 2);
  const CTextRect alongX(P3(0, 0, 0), vector3d<double>(1, 0, 0), 4, 2);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(noDirection.GetQuad3D().m_pts[i], alongX.GetQuad3D().m_pts[i]);
  }
  EXPECT_EQ(noDirection.GetQuad(CPoint(50, 50), 3.0), alongX.GetQuad(CPoint(50, 50), 3.0));

  const CTextRect noWidth(P3(1, 2, 3), vector3d<double>(1, 1, 0), 0, 2);
  for (const P3& corner : noWidth.GetQuad3D().m_pts) EXPECT_EQ(corner, P3(1, 2, 3));
  const CQuad flat = noWidth.GetQuad(CPoint(40, 30), 2.0);
  EXPECT_EQ(flat, CQuad(CPoint(40, 30), CPoint(40, 30), CPoint(40, 30), CPoint(40, 30)));
}

TEST(TextRect, WindowQuadAroundAnchor) {
  const CTextRect rect(P3(0, 0, 0), vector3d<double>(1, 0, 0), 10, 4);
  const CQuad quad = rect.GetQuad(CPoint(100, 100), 2.0);
  ExpectCorners(quad, CPoint(90, 96), CPoint(110, 96), CPoint(90, 104), CPoint(110, 104));
  EXPECT_TRUE(rect.PtInRect(CPoint(109, 103), CPoint(100, 100), 2.0));
  EXPECT_FALSE(rect.PtInRect(CPoint(111, 100), CPoint(100, 100), 2.0));
  EXPECT_EQ(quad.GetHoriRect(), CRect(90, 96, 110, 104));
}

TEST(TextRect, WindowQuadOfTurnedLabelTruncatesTowardZero) {
  // Turned 45 degrees: hw = 5, hh = 2 at scale 1, A = (3.54, 3.54), B = (-1.41, 1.41).
  const CTextRect rect(P3(0, 0, 0), vector3d<double>(1, 1, 0), 10, 4);
  const CQuad quad = rect.GetQuad(CPoint(0, 0), 1.0);
  // Q0 = (-4.95, -2.12), Q1 = (-2.12, -4.95), Q2 = (2.12, 4.95), Q3 = (4.95, 2.12); sorted by
  // y the top pair is (-2,-4), (-4,-2) and the bottom pair (4,2), (2,4).
  ExpectCorners(quad, CPoint(-4, -2), CPoint(-2, -4), CPoint(2, 4), CPoint(4, 2));
  EXPECT_TRUE(quad.PtInQuad(CPoint(0, 0)));
  // The upright rectangle: 8 wide (side 8.49) and 2 high (side 2.83... truncated to 2).
  const CRect upright = quad.GetHoriRect();
  EXPECT_EQ(upright.Width(), 8);
  EXPECT_EQ(upright.Height(), 2);
}

// A view that draws world x, y at ten pixels per unit with y flipped, for the translator's
// defaults.
class PlanView : public CCoordTranslator {
 public:
  CPoint WorldToWindow(const P3& pt) const override {
    return CPoint(static_cast<int>(pt.x * 10), static_cast<int>(-pt.y * 10));
  }
  tagLine3D WindowToWorldLine(const CPoint& pt) const override {
    return Vertical(pt.x / 10.0, -pt.y / 10.0);
  }
};

TEST(CoordTranslator, HostViewPicksLabelsWithDefaults) {
  PlanView view;
  const CCoordTranslator& translator = view;
  EXPECT_EQ(translator.GetTranslateScale(P3(1, 2, 3)), 1.0);
  EXPECT_TRUE(translator.IsTextRotate());
  const CTextRect rect(P3(3, 4, 0), vector3d<double>(1, 0, 0), 4, 2);
  const CPoint anchor = translator.WorldToWindow(rect.m_ptPos);
  EXPECT_EQ(anchor, CPoint(30, -40));
  EXPECT_TRUE(rect.RayCrossRect(translator.WindowToWorldLine(anchor), 1e-9));
  EXPECT_FALSE(rect.RayCrossRect(translator.WindowToWorldLine(CPoint(60, -40)), 1e-9));
}

}  // namespace
