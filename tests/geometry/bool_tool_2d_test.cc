#include "lumotools/geometry/bool_tool_2d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using shapekit::point2d;
using shapekit::tagPolyLine;

tagPolyLine Rect(double x0, double y0, double x1, double y1, bool ccw = true) {
  std::vector<point2d<double>> pts = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
  if (!ccw) pts = {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
  return tagPolyLine::FromPoints(pts);
}

// Outer contours count positive, holes negative (they run clockwise).
double SignedArea(const gpc_polygon& p) {
  double total = 0.0;
  for (int c = 0; c < p.num_contours; ++c) {
    const gpc_vertex_list& list = p.contour[c];
    double twice = 0.0;
    for (int i = 0; i < list.num_vertices; ++i) {
      const gpc_vertex& a = list.vertex[i];
      const gpc_vertex& b = list.vertex[(i + 1) % list.num_vertices];
      twice += a.x * b.y - b.x * a.y;
    }
    total += twice / 2.0;
  }
  return total;
}

// Owns polygons made in a test.
struct Polygons {
  std::vector<gpc_polygon> list;
  ~Polygons() {
    for (gpc_polygon& p : list) gpc_free_polygon(&p);
  }
  void Add(const tagPolyLine& line) {
    gpc_polygon p;
    ASSERT_TRUE(CBoolTool2D::PolyLineToGpcPolygon(line, p));
    list.push_back(p);
  }
};

TEST(BoolTool2D, PolylinesBecomeCounterClockwiseContours) {
  gpc_polygon poly;
  const tagPolyLine twoPoints = tagPolyLine::FromPoints({{0, 0}, {1, 1}});
  EXPECT_FALSE(CBoolTool2D::PolyLineToGpcPolygon(twoPoints, poly));
  EXPECT_EQ(poly.num_contours, 0);
  EXPECT_EQ(poly.contour, nullptr);

  gpc_polygon ccw;
  gpc_polygon cw;
  ASSERT_TRUE(CBoolTool2D::PolyLineToGpcPolygon(Rect(0, 0, 2, 1), ccw));
  ASSERT_TRUE(CBoolTool2D::PolyLineToGpcPolygon(Rect(0, 0, 2, 1, false), cw));
  ASSERT_EQ(ccw.num_contours, 1);
  ASSERT_EQ(cw.num_contours, 1);
  EXPECT_EQ(ccw.hole[0], 0);
  EXPECT_GT(SignedArea(cw), 0.0);
  EXPECT_DOUBLE_EQ(SignedArea(cw), SignedArea(ccw));
  gpc_free_polygon(&ccw);
  gpc_free_polygon(&cw);

  // A half-circle top edge is sampled: the area comes close to the exact one.
  tagPolyLine arch = Rect(0, 0, 2, 1);
  arch.m_vecEdges[2].m_dBulge = 1.0;
  gpc_polygon sampled;
  ASSERT_TRUE(CBoolTool2D::PolyLineToGpcPolygon(arch, sampled));
  EXPECT_NEAR(SignedArea(sampled), 2.0 + M_PI / 2.0, 0.01);
  gpc_free_polygon(&sampled);
}

TEST(BoolTool2D, HolesComeFirstAtTheirIndexAndTheOutlineLast) {
  CPolyLineWithHole region;
  region.m_outline = Rect(0, 0, 10, 10);
  region.m_vecHoles = {Rect(1, 1, 2, 2), tagPolyLine::FromPoints({{0, 0}, {1, 0}}),
                       Rect(3, 3, 4, 5)};
  gpc_polygon poly;
  ASSERT_TRUE(CBoolTool2D::PolyLineToGpcPolygon(region, poly));
  ASSERT_EQ(poly.num_contours, 3);
  EXPECT_EQ(poly.hole[0], 1);
  EXPECT_EQ(poly.hole[1], 0) << "the second hole yields nothing, so the third is appended";
  EXPECT_EQ(poly.hole[2], 1);
  EXPECT_DOUBLE_EQ(std::fabs(SignedArea(poly)), 100.0 + 1.0 + 2.0);
  gpc_free_polygon(&poly);

  region.m_outline = tagPolyLine::FromPoints({{0, 0}, {5, 5}});
  EXPECT_FALSE(CBoolTool2D::PolyLineToGpcPolygon(region, poly));
}

TEST(BoolTool2D, UnionAndSubtractionOfPolygonLists) {
  Polygons minuends;
  minuends.Add(Rect(0, 0, 4, 4));
  minuends.Add(Rect(2, 0, 6, 4));
  Polygons subtrahends;
  subtrahends.Add(Rect(1, 1, 2, 2));
  subtrahends.Add(Rect(5, 3, 7, 5));

  gpc_polygon united;
  ASSERT_TRUE(CBoolTool2D::GpcPolygon_Union(minuends.list, united));
  EXPECT_NEAR(SignedArea(united), 24.0, 1e-9);
  gpc_free_polygon(&united);

  gpc_polygon result;
  ASSERT_TRUE(CBoolTool2D::GpcPolygon_Subtract(minuends.list, subtrahends.list, result));
  EXPECT_NEAR(SignedArea(result), 24.0 - 1.0 - 1.0, 1e-9);
  gpc_free_polygon(&result);

  std::vector<gpc_polygon> none;
  gpc_polygon untouched{7, nullptr, nullptr};
  EXPECT_FALSE(CBoolTool2D::GpcPolygon_Union(none, untouched));
  EXPECT_EQ(untouched.num_contours, 7);

  // A covering square leaves nothing, and nothing is appended.
  std::vector<tagPolyLine> small{Rect(1, 1, 2, 2)}, cover{Rect(0, 0, 5, 5)};
  EXPECT_FALSE(CBoolTool2D::GpcPolygon_Subtract(small, cover, result));
  EXPECT_EQ(result.num_contours, 0);
  tagPolyLine a = Rect(0, 0, 2, 2), b = Rect(-1, -1, 3, 3);
  std::vector<tagPolyLine> lines(1);
  EXPECT_FALSE(CBoolTool2D::GpcPolygon_Subtract(a, b, lines));
  EXPECT_EQ(lines.size(), 1u);
}

TEST(BoolTool2D, ACentralHoleIsKeptByTheFormWithHolesAndByACopy) {
  std::vector<tagPolyLine> outer{Rect(0, 0, 10, 10)};
  std::vector<tagPolyLine> centre{Rect(4, 4, 6, 6)};
  gpc_polygon result;
  ASSERT_TRUE(CBoolTool2D::GpcPolygon_Subtract(outer, centre, result));
  std::vector<gpc_polygon> results{result};

  std::vector<CPolyLineWithHole> regions;
  EXPECT_EQ(CBoolTool2D::GpcPolygonToLine(results, regions), 1);
  ASSERT_EQ(regions[0].m_vecHoles.size(), 1u);
  EXPECT_NEAR(regions[0].m_vecHoles[0].GetSignedArea(), -4.0, 1e-9);

  // Plain polylines keep the outlines only, closed, ending at their start.
  std::vector<tagPolyLine> lines;
  EXPECT_TRUE(CBoolTool2D::GpcPolygonToLine(result, lines));
  EXPECT_EQ(CBoolTool2D::GpcPolygonToLine(results, lines), 2);
  EXPECT_NEAR(lines[0].GetSignedArea(), 100.0, 1e-9);
  ASSERT_EQ(lines[0].m_vecEdges.size(), 5u);
  EXPECT_TRUE(lines[0].m_bClosed);
  EXPECT_EQ(lines[0].m_vecEdges.back().m_ptStart, lines[0].m_vecEdges.front().m_ptStart);

  gpc_polygon copy;
  EXPECT_TRUE(CBoolTool2D::GpcPolygon_Copy(result, copy));
  ASSERT_EQ(copy.num_contours, result.num_contours);
  for (int c = 0; c < copy.num_contours; ++c) EXPECT_EQ(copy.hole[c], result.hole[c]);
  EXPECT_DOUBLE_EQ(SignedArea(copy), SignedArea(result));
  gpc_free_polygon(&copy);
  gpc_free_polygon(&result);
}
TEST(BoolTool2D, HolesGoToTheFirstOutlineHoldingThemEvenOneFromBefore) {
  std::vector<CPolyLineWithHole> regions(1);
  regions[0].m_outline = Rect(100, 100, 120, 120);
  // A polygon with a hole inside the earlier region, one inside its own outline, one in neither.
  gpc_polygon poly{0, nullptr, nullptr};
  for (const auto& [line, hole] :
       {std::make_pair(Rect(0, 0, 10, 10), 0), std::make_pair(Rect(105, 105, 106, 106, false), 1),
        std::make_pair(Rect(2, 2, 3, 3, false), 1),
        std::make_pair(Rect(50, 50, 51, 51, false), 1)}) {
    gpc_polygon one;
    CBoolTool2D::PolyLineToGpcPolygon(line, one);
    gpc_add_contour(&poly, &one.contour[0], hole);
    gpc_free_polygon(&one);
  }
  std::vector<gpc_polygon> polys{poly};
  EXPECT_EQ(CBoolTool2D::GpcPolygonToLine(polys, regions), 2);
  EXPECT_EQ(regions[0].m_vecHoles.size(), 1u);
  EXPECT_EQ(regions[1].m_vecHoles.size(), 1u);
  gpc_free_polygon(&poly);
}

TEST(BoolTool2D, SubtractEachGivesOneResultPerSurvivingRegion) {
  std::vector<CPolyLineWithHole> minuends(3);
  minuends[0].m_outline = Rect(0, 0, 4, 4);
  minuends[1].m_outline = Rect(10, 10, 11, 11);  // covered completely
  minuends[2].m_outline = Rect(20, 0, 24, 4);
  std::vector<CPolyLineWithHole> subtrahends(2);
  subtrahends[0].m_outline = Rect(9, 9, 12, 12);
  subtrahends[1].m_outline = Rect(3, 0, 21, 1);
  std::vector<gpc_polygon> results;
  EXPECT_TRUE(CBoolTool2D::GpcPolygon_Subtract(minuends, subtrahends, results));
  ASSERT_EQ(results.size(), 2u);
  EXPECT_NEAR(SignedArea(results[0]), 16.0 - 1.0, 1e-9);
  EXPECT_NEAR(SignedArea(results[1]), 16.0 - 1.0, 1e-9);

  Polygons m;
  m.Add(Rect(0, 0, 1, 1));
  std::vector<gpc_polygon> noSubtrahends;
  EXPECT_TRUE(CBoolTool2D::GpcPolygon_Subtract_Each(m.list, noSubtrahends, results));
  ASSERT_EQ(results.size(), 3u);
  EXPECT_NEAR(SignedArea(results[2]), 1.0, 1e-9);
  for (gpc_polygon& r : results) gpc_free_polygon(&r);
}

TEST(BoolTool2D, IntersectionsAppendAndCountTheWholeList) {
  tagPolyLine a = Rect(0, 0, 2, 2);
  tagPolyLine b = Rect(1, 1, 3, 3);
  std::vector<tagPolyLine> lines;
  EXPECT_EQ(CBoolTool2D::GpcPolygon_Intersection(a, b, lines), 1);
  EXPECT_EQ(CBoolTool2D::GpcPolygon_Intersection(a, b, lines), 2);
  EXPECT_NEAR(lines[1].GetSignedArea(), 1.0, 1e-9);

  std::vector<tagPolyLine> A{a, Rect(10, 10, 11, 11)};
  std::vector<tagPolyLine> B{b, Rect(0, 0, 0.5, 0.5)};
  EXPECT_EQ(CBoolTool2D::GpcPolygon_Intersection(A, B, lines), 4);

  std::vector<gpc_polygon> empty;
  std::vector<gpc_polygon> out;
  EXPECT_FALSE(CBoolTool2D::GpcPolygon_Intersection(empty, empty, out));
  EXPECT_FALSE(CBoolTool2D::GpcPolygon_Intersection(A, b, lines));
  EXPECT_EQ(lines.size(), 4u);
  EXPECT_TRUE(out.empty());
}

}  // namespace
