#include "lumotools/geometry/bool_tool_2d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/random_polygons.h"

namespace {

using lumo_test::Area;
using shapekit::tagPolyLine;

tagPolyLine Rect(double x0, double y0, double x1, double y1, bool ccw = true) {
  if (!ccw) return tagPolyLine::FromPoints({{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}});
  return tagPolyLine::FromPoints({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

std::vector<int> Holes(const gpc_polygon& p) { return {p.hole, p.hole + p.num_contours}; }

// Polygons released at the end of a test.
struct Polygons : CBoolTool2D::Polygons {
  using CBoolTool2D::Polygons::Polygons;
  Polygons(std::initializer_list<tagPolyLine> lines) {
    for (const tagPolyLine& line : lines) Add(line);
  }
  ~Polygons() {
    for (gpc_polygon& p : *this) gpc_free_polygon(&p);
  }
  void Add(const tagPolyLine& line) {
    push_back({});
    ASSERT_TRUE(CBoolTool2D::PolyLineToGpcPolygon(line, back()));
  }
};

TEST(BoolTool2D, PolylinesBecomeCounterClockwiseContours) {
  Polygons p(1);
  EXPECT_FALSE(CBoolTool2D::PolyLineToGpcPolygon(tagPolyLine::FromPoints({{0, 0}, {1, 1}}), p[0]));
  EXPECT_TRUE(p[0].num_contours == 0 && p[0].contour == nullptr);
  tagPolyLine arch = Rect(0, 0, 2, 1);
  arch.m_vecEdges[2].m_dBulge = 1.0;  // a half circle on top, sampled
  for (const tagPolyLine& line : {Rect(0, 0, 2, 1), Rect(0, 0, 2, 1, false), arch}) p.Add(line);
  for (int i = 1; i < 4; ++i) ASSERT_EQ(Holes(p[i]), std::vector<int>{0});
  EXPECT_EQ(Area(p[1]), 2.0);
  EXPECT_EQ(Area(p[2]), 2.0);
  EXPECT_NEAR(Area(p[3]), 2.0 + M_PI / 2.0, 0.01);
}

TEST(BoolTool2D, HolesComeFirstAtTheirIndexAndTheOutlineLast) {
  CPolyLineWithHole region;
  region.m_outline = Rect(0, 0, 10, 10);
  region.m_vecHoles = {Rect(1, 1, 2, 2), tagPolyLine::FromPoints({{0, 0}, {1, 0}}),
                       Rect(3, 3, 4, 5)};
  Polygons p(2);
  ASSERT_TRUE(CBoolTool2D::PolyLineToGpcPolygon(region, p[0]));
  // The second hole yields nothing, so the third is appended.
  ASSERT_EQ(Holes(p[0]), (std::vector<int>{1, 0, 1}));
  EXPECT_EQ(Area(p[0]), 100.0 + 1.0 + 2.0);  // holes counter-clockwise too
  region.m_outline = tagPolyLine::FromPoints({{0, 0}, {5, 5}});
  EXPECT_FALSE(CBoolTool2D::PolyLineToGpcPolygon(region, p[1]));
}

TEST(BoolTool2D, UnionAndSubtractionOfPolygonLists) {
  Polygons minuends{Rect(0, 0, 4, 4), Rect(2, 0, 6, 4)}, results(2);
  Polygons subtrahends{Rect(1, 1, 2, 2), Rect(5, 3, 7, 5)};
  ASSERT_TRUE(CBoolTool2D::GpcPolygon_Union(minuends, results[0]));
  EXPECT_NEAR(Area(results[0]), 24.0, 1e-9);
  ASSERT_TRUE(CBoolTool2D::GpcPolygon_Subtract(minuends, subtrahends, results[1]));
  EXPECT_NEAR(Area(results[1]), 24.0 - 1.0 - 1.0, 1e-9);

  Polygons none, nothing(1);
  gpc_polygon untouched{7, nullptr, nullptr};
  EXPECT_FALSE(CBoolTool2D::GpcPolygon_Union(none, untouched));
  EXPECT_EQ(untouched.num_contours, 7);
  EXPECT_FALSE(CBoolTool2D::GpcPolygon_Subtract(nothing, none, untouched));  // an empty union

  // A covering square leaves nothing, and nothing is appended.
  std::vector<tagPolyLine> small{Rect(1, 1, 2, 2)}, cover{Rect(0, 0, 5, 5)};
  EXPECT_FALSE(CBoolTool2D::GpcPolygon_Subtract(small, cover, untouched));
  EXPECT_EQ(untouched.num_contours, 0);
  tagPolyLine a = Rect(0, 0, 2, 2), b = Rect(-1, -1, 3, 3);
  std::vector<tagPolyLine> lines(1);
  EXPECT_FALSE(CBoolTool2D::GpcPolygon_Subtract(a, b, lines));
  EXPECT_EQ(lines.size(), 1u);
}

TEST(BoolTool2D, ACentralHoleIsKeptByTheFormWithHolesAndByACopy) {
  std::vector<tagPolyLine> outer{Rect(0, 0, 10, 10)}, centre{Rect(4, 4, 6, 6)};
  Polygons results(2);
  ASSERT_TRUE(CBoolTool2D::GpcPolygon_Subtract(outer, centre, results[0]));
  const gpc_polygon& result = results[0];
  const CBoolTool2D::Polygons unowned{result};
  std::vector<CPolyLineWithHole> regions;
  EXPECT_EQ(CBoolTool2D::GpcPolygonToLine(unowned, regions), 1);
  ASSERT_EQ(regions[0].m_vecHoles.size(), 1u);
  EXPECT_NEAR(regions[0].m_vecHoles[0].GetSignedArea(), -4.0, 1e-9);

  // Plain polylines keep the outlines only, closed, ending at their start.
  std::vector<tagPolyLine> lines;
  EXPECT_TRUE(CBoolTool2D::GpcPolygonToLine(result, lines));
  EXPECT_EQ(CBoolTool2D::GpcPolygonToLine(unowned, lines), 2);
  EXPECT_NEAR(lines[0].GetSignedArea(), 100.0, 1e-9);
  ASSERT_EQ(lines[0].m_vecEdges.size(), 5u);
  EXPECT_TRUE(lines[0].m_bClosed);
  EXPECT_EQ(lines[0].m_vecEdges.back().m_ptStart, lines[0].m_vecEdges.front().m_ptStart);

  EXPECT_TRUE(CBoolTool2D::GpcPolygon_Copy(result, results[1]));
  EXPECT_EQ(Holes(results[1]), Holes(result));
  EXPECT_EQ(Area(results[1]), Area(result));
}

TEST(BoolTool2D, HolesGoToTheFirstOutlineHoldingThemEvenOneFromBefore) {
  std::vector<CPolyLineWithHole> regions(1);
  regions[0].m_outline = Rect(100, 100, 120, 120);
  // A polygon with a hole inside the earlier region, one inside its own outline, one in neither.
  Polygons polys(1), one;
  for (const tagPolyLine& line : {Rect(0, 0, 10, 10), Rect(105, 105, 106, 106, false),
                                  Rect(2, 2, 3, 3, false), Rect(50, 50, 51, 51, false)}) {
    one.Add(line);
    gpc_add_contour(&polys[0], &one.back().contour[0], one.size() > 1);
  }
  EXPECT_EQ(CBoolTool2D::GpcPolygonToLine(polys, regions), 2);
  EXPECT_TRUE(regions[0].m_vecHoles.size() == 1 && regions[1].m_vecHoles.size() == 1);
}

TEST(BoolTool2D, SubtractEachGivesOneResultPerSurvivingRegion) {
  std::vector<CPolyLineWithHole> minuends(3), subtrahends(2);
  minuends[0].m_outline = Rect(0, 0, 4, 4);
  minuends[1].m_outline = Rect(10, 10, 11, 11);  // covered completely
  minuends[2].m_outline = Rect(20, 0, 24, 4);
  subtrahends[0].m_outline = Rect(9, 9, 12, 12);
  subtrahends[1].m_outline = Rect(3, 0, 21, 1);
  Polygons results, m{Rect(0, 0, 1, 1)}, noSubtrahends;
  EXPECT_TRUE(CBoolTool2D::GpcPolygon_Subtract(minuends, subtrahends, results));
  ASSERT_EQ(results.size(), 2u);
  EXPECT_NEAR(Area(results[0]), 16.0 - 1.0, 1e-9);
  EXPECT_NEAR(Area(results[1]), 16.0 - 1.0, 1e-9);

  EXPECT_TRUE(CBoolTool2D::GpcPolygon_Subtract_Each(m, noSubtrahends, results));
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(Area(results[2]), 1.0);
}

TEST(BoolTool2D, IntersectionsAppendAndCountTheWholeList) {
  tagPolyLine a = Rect(0, 0, 2, 2), b = Rect(1, 1, 3, 3);
  std::vector<tagPolyLine> lines;
  EXPECT_EQ(CBoolTool2D::GpcPolygon_Intersection(a, b, lines), 1);
  EXPECT_EQ(CBoolTool2D::GpcPolygon_Intersection(a, b, lines), 2);
  EXPECT_NEAR(lines[1].GetSignedArea(), 1.0, 1e-9);

  std::vector<tagPolyLine> A{a, Rect(10, 10, 11, 11)}, B{b, Rect(0, 0, 0.5, 0.5)};
  EXPECT_EQ(CBoolTool2D::GpcPolygon_Intersection(A, B, lines), 4);

  Polygons empty, out;
  EXPECT_FALSE(CBoolTool2D::GpcPolygon_Intersection(empty, empty, out));
  EXPECT_FALSE(CBoolTool2D::GpcPolygon_Intersection(A, b, lines));
  EXPECT_EQ(lines.size(), 4u);
  EXPECT_TRUE(out.empty());
}

}  // namespace
