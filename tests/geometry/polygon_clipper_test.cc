#include "lumotools/geometry/polygon_clipper.h"

#include <gtest/gtest.h>

// Without this, Boost.Geometry rounds overlay inputs to an integer grid, and its results are off
// by about 1e-8 of the extent.
#define BOOST_GEOMETRY_NO_ROBUSTNESS

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <boost/geometry.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>

#include "support/random_polygons.h"
#include "support/soak.h"

namespace {

namespace bg = boost::geometry;
using lumo_test::Area;
using lumo_test::Contour;
using lumo_test::Contours;
using lumo_test::GpcPolygon;
using lumo_test::InsideEvenOdd;
using lumo_test::Rect;
using lumo_test::SignedArea;

using BgPoint = bg::model::d2::point_xy<double>;
using BgPolygon = bg::model::polygon<BgPoint>;
using BgMulti = bg::model::multi_polygon<BgPolygon>;

// The clipper ends the process with status 0 when an allocation fails: a test cut short that way
// must not pass.
class ExitDuringATestFails : public testing::EmptyTestEventListener {
 public:
  ExitDuringATestFails() {
    std::atexit([] {
      if (inTest) std::_Exit(1);
    });
  }
  void OnTestStart(const testing::TestInfo&) override { inTest = true; }
  void OnTestEnd(const testing::TestInfo&) override { inTest = false; }

 private:
  static inline bool inTest = false;
};
const bool kExitDuringATestFails =
    (testing::UnitTest::GetInstance()->listeners().Append(new ExitDuringATestFails), true);

// Area comparisons are relative to the square of the inputs' extent.
constexpr double kAreaTolerance = 1e-9;

// A polygon given as outlines, each with the holes that lie inside it.
struct Shape {
  std::vector<std::pair<Contour, Contours>> parts;

  Contours AllContours() const {
    Contours all;
    for (const auto& part : parts) {
      all.push_back(part.first);
      for (const Contour& hole : part.second) all.push_back(hole);
    }
    return all;
  }
  // The shape moved by -lo and shrunk by 1 / scale: Boost.Geometry is reliable near unit size only.
  BgMulti ToBoost(double lo, double scale) const {
    BgMulti multi;
    for (const auto& part : parts) {
      BgPolygon poly;
      for (const gpc_vertex& v : part.first) {
        bg::append(poly.outer(), BgPoint((v.x - lo) / scale, (v.y - lo) / scale));
      }
      for (const Contour& hole : part.second) {
        poly.inners().emplace_back();
        for (const gpc_vertex& v : hole) {
          bg::append(poly.inners().back(), BgPoint((v.x - lo) / scale, (v.y - lo) / scale));
        }
      }
      bg::correct(poly);
      multi.push_back(poly);
    }
    return multi;
  }
};

BgMulti BoostResult(gpc_op op, const BgMulti& a, const BgMulti& b) {
  BgMulti out;
  switch (op) {
    case GPC_DIFF:
      bg::difference(a, b, out);
      break;
    case GPC_INT:
      bg::intersection(a, b, out);
      break;
    case GPC_XOR:
      bg::sym_difference(a, b, out);
      break;
    case GPC_UNION:
      bg::union_(a, b, out);
      break;
  }
  return out;
}

// Every result contour has at least 3 vertices, and its hole flag agrees with its orientation.
void ExpectWellFormed(const gpc_polygon& r, double scale) {
  if (r.num_contours == 0) {
    EXPECT_EQ(r.hole, nullptr);
    EXPECT_EQ(r.contour, nullptr);
  }
  for (int32_t c = 0; c < r.num_contours; ++c) {
    ASSERT_GE(r.contour[c].num_vertices, 3);
    const double area = SignedArea(r.contour[c]);
    if (std::fabs(area) > kAreaTolerance * scale * scale) {
      EXPECT_EQ(r.hole[c], area < 0 ? 1 : 0) << "contour " << c << " area " << area;
    }
  }
}

double DistanceToSegment(double px, double py, const gpc_vertex& a, const gpc_vertex& b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

double DistanceToEdges(const Contours& contours, double x, double y) {
  double d = HUGE_VAL;
  for (const Contour& c : contours) {
    for (size_t i = 0; i < c.size(); ++i) {
      d = std::min(d, DistanceToSegment(x, y, c[i], c[(i + 1) % c.size()]));
    }
  }
  return d;
}

// Runs every operation on a and b and compares with Boost.Geometry: areas always, and for union
// and difference the side of random sample points away from any input edge.
void CompareWithBoost(const Shape& a, const Shape& b, double lo, double hi, std::mt19937_64& rng,
                      const std::string& label) {
  const double scale = hi - lo;
  GpcPolygon pa(a.AllContours()), pb(b.AllContours());
  const BgMulti ba = a.ToBoost(lo, scale), bb = b.ToBoost(lo, scale);
  Contours edges = a.AllContours();
  for (const Contour& c : b.AllContours()) edges.push_back(c);
  std::uniform_real_distribution<double> coord(lo, hi);
  for (gpc_op op : {GPC_DIFF, GPC_INT, GPC_XOR, GPC_UNION}) {
    SCOPED_TRACE(label + ", op " + std::to_string(op));
    GpcPolygon r;
    gpc_polygon_clip(op, pa.get(), pb.get(), r.get());
    ExpectWellFormed(*r, scale);
    const BgMulti expected = BoostResult(op, ba, bb);
    ASSERT_NEAR(Area(*r) / (scale * scale), bg::area(expected), kAreaTolerance);
    if (op != GPC_UNION && op != GPC_DIFF) continue;
    for (int i = 0; i < 20; ++i) {
      const double x = coord(rng), y = coord(rng);
      if (DistanceToEdges(edges, x, y) < 1e-7 * scale) continue;
      ASSERT_EQ(InsideEvenOdd(*r, x, y),
                bg::within(BgPoint((x - lo) / scale, (y - lo) / scale), expected))
          << "point " << x << " " << y;
    }
  }
}

Shape RandomStarShape(std::mt19937_64& rng, double lo, double hi) {
  const double scale = hi - lo;
  std::uniform_real_distribution<double> center(lo + 0.3 * scale, hi - 0.3 * scale);
  std::uniform_int_distribution<int> count(3, 24);
  std::bernoulli_distribution with_hole(0.3);
  const double cx = center(rng), cy = center(rng);
  Shape s;
  Contours holes;
  if (with_hole(rng)) {
    Contour hole = lumo_test::RandomStar(rng, count(rng), cx, cy, 0.05 * scale, 0.12 * scale);
    std::reverse(hole.begin(), hole.end());
    holes.push_back(hole);
  }
  // With 8 vertices or more the outline keeps a distance of 0.12 * scale around the center, so a
  // hole lies inside it.
  const int outline_count = holes.empty() ? count(rng) : std::max(8, count(rng));
  s.parts.emplace_back(lumo_test::RandomStar(rng, outline_count, cx, cy, 0.15 * scale, 0.3 * scale),
                       holes);
  return s;
}

// Rectangles on a 6 x 8 integer grid: shared edges, shared vertices, collinear overlapping edges
// and horizontal edges at one height all come up often. Up to three disjoint rectangles, one of
// them possibly with a hole touching its outline or not.
Shape RandomGridShape(std::mt19937_64& rng) {
  std::uniform_int_distribution<int> cell(0, 2);
  std::bernoulli_distribution coin(0.3);
  Shape s;
  std::vector<int> used;
  const int parts = 1 + cell(rng);
  for (int p = 0; p < parts; ++p) {
    // Each rectangle lives in its own band of rows, apart from the others (Boost.Geometry takes
    // parts of one polygon that touch along a line for invalid input).
    if (std::find(used.begin(), used.end(), p) != used.end()) continue;
    used.push_back(p);
    const int x0 = cell(rng), x1 = x0 + 1 + cell(rng) + (coin(rng) ? 1 : 0);
    const int y0 = 3 * p, y1 = y0 + (coin(rng) ? 1 : 2);
    Contours holes;
    if (x1 - x0 >= 3 && y1 - y0 == 2 && coin(rng)) {
      // A diamond; placed at x0 its left corner touches the outline.
      const double hx = x0 + (coin(rng) ? 0 : 1);
      holes.push_back(
          Contour{{hx, y0 + 1.0}, {hx + 0.5, y0 + 1.5}, {hx + 1, y0 + 1.0}, {hx + 0.5, y0 + 0.5}});
    }
    s.parts.emplace_back(Rect(x0, y0, x1, y1), holes);
  }
  return s;
}

// Random shapes against Boost.Geometry: stars with holes, rectangles on a small grid (shared
// edges and vertices, collinear overlaps), and stars from tiny to huge coordinates. One seed
// normally; LUMO_SOAK_SECONDS runs random seeds for that long.
TEST(PolygonClipper, MatchesBoostOnRandomShapes) {
  lumo_test::RunStressRounds(7, [](unsigned seed) {
    std::mt19937_64 rng(seed);
    for (int i = 0; i < 200 && !HasFatalFailure(); ++i) {
      const Shape a = RandomStarShape(rng, 0, 100), b = RandomStarShape(rng, 0, 100);
      CompareWithBoost(a, b, 0, 100, rng, "star case " + std::to_string(i));
    }
    for (int i = 0; i < 300 && !HasFatalFailure(); ++i) {
      const Shape a = RandomGridShape(rng), b = RandomGridShape(rng);
      CompareWithBoost(a, b, 0, 8, rng, "grid case " + std::to_string(i));
    }
    for (int i = 0; i < 60 && !HasFatalFailure(); ++i) {
      const double scale = std::pow(10.0, 3 * (i % 6) - 6), lo = i % 4 < 2 ? 0.0 : scale;
      const Shape a = RandomStarShape(rng, lo, lo + scale),
                  b = RandomStarShape(rng, lo, lo + scale);
      CompareWithBoost(a, b, lo, lo + scale, rng, "scale " + std::to_string(scale));
    }
  });
}

// Small cases with known results: shared edges, shared vertices, collinear overlaps, contours
// touching themselves or each other, repeated vertices, slivers, empty and far operands.
TEST(PolygonClipper, KnownAreasAndContourCounts) {
  const Contour l = Rect(0, 0, 2, 2), r = Rect(2, 0, 4, 2), unit = Rect(0, 0, 1, 1);
  const Contour eight{{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {1, 2}, {1, 1}, {0, 1}};
  const Contour repeated{{0, 0}, {0, 0}, {2, 0}, {2, 0}, {2, 2}, {0, 2}, {0, 2}, {0, 0}};
  const Contour sliver{{-1, 1}, {3, 1}, {3, 1 + 1e-9}};
  const Contour clockwise{{0, 0}, {0, 3}, {3, 3}, {3, 0}};
  Contour edgeHole = Rect(0, 1, 1, 2);  // its left side on the outline's left side
  std::reverse(edgeHole.begin(), edgeHole.end());
  struct Case {
    gpc_op op;
    Contours a, b;
    double area;
    int contours;  // -1: not checked
    std::vector<int> aHoles = {};
  };
  const Case cases[] = {
      {GPC_UNION, {l}, {r}, 8, 1},
      {GPC_DIFF, {l}, {r}, 4, 1},
      {GPC_INT, {l}, {r}, 0, 0},
      {GPC_DIFF, {l}, {l}, 0, 0},
      {GPC_XOR, {l}, {l}, 0, 0},
      {GPC_INT, {l}, {l}, 4, 1},
      {GPC_UNION, {unit}, {Rect(1, 1, 2, 2)}, 2, -1},
      {GPC_INT, {unit}, {Rect(1, 1, 2, 2)}, 0, 0},
      {GPC_UNION, {unit}, {Rect(2, 0, 3, 1)}, 2, 2},
      {GPC_UNION, {l}, {Rect(1, 0, 3, 1)}, 5, 1},
      {GPC_DIFF, {l}, {Rect(1, 0, 3, 1)}, 3, 1},
      {GPC_INT, {l}, {Rect(1, 0, 3, 2)}, 2, 1},
      {GPC_UNION, {{{0, 0}, {4, 4}, {0, 4}}}, {{{1, 1}, {3, 3}, {3, 1}}}, 10, 1},
      {GPC_UNION, {eight}, {}, 2, -1},
      {GPC_INT, {eight}, {Rect(0.5, 0.5, 1.5, 1.5)}, 0.5, -1},
      {GPC_UNION, {Rect(0, 0, 3, 3), edgeHole}, {}, 8, -1},
      {GPC_DIFF, {Rect(0, 0, 10, 10)}, {Rect(4, 4, 6, 6)}, 96, 2},
      {GPC_DIFF, {Rect(0, 0, 3, 3)}, {{{0, 0}, {1, 2}, {2, 1}}}, 7.5, -1},
      {GPC_INT, {repeated}, {Rect(1, 1, 3, 3)}, 1, 1},
      {GPC_INT, {sliver}, {l}, 1e-9, 1},
      {GPC_DIFF, {l}, {sliver}, 4 - 1e-9, -1},
      {GPC_UNION, {l}, {sliver}, 4 + 1e-9, 1},
      // Parity decides: the inner square is a hole even when flagged as an outline.
      {GPC_UNION, {Rect(0, 0, 10, 10), Rect(4, 4, 6, 6)}, {}, 96, 2, {1, 0}},
      {GPC_UNION, {clockwise}, {}, 9, 1},
      {GPC_UNION, {{{0, 0}, {5, 5}}, {{1, 1}}, unit}, {}, 1, 1},
      {GPC_UNION, {{{0, 0}, {1, 1}, {2, 2}}}, {}, 0, 0},
      {GPC_INT, {unit}, {Rect(5, 5, 6, 6)}, 0, 0},
      {GPC_INT, {}, {}, 0, 0},
      {GPC_UNION, {}, {}, 0, 0},
      {GPC_DIFF, {}, {unit}, 0, 0},
      {GPC_INT, {}, {unit}, 0, 0},
      {GPC_INT, {unit}, {}, 0, 0},
      {GPC_UNION, {Rect(0, 0, 2, 3)}, {}, 6, 1},
      {GPC_DIFF, {Rect(0, 0, 2, 3)}, {}, 6, 1},
      {GPC_XOR, {Rect(0, 0, 2, 3)}, {}, 6, 1},
      {GPC_UNION, {}, {Rect(0, 0, 2, 3)}, 6, 1},
      // A far clip square cannot change a difference; a far subject square is no part of an
      // intersection.
      {GPC_DIFF, {l, Rect(10, 10, 11, 11)}, {Rect(1, 1, 3, 3), Rect(20, 0, 21, 1)}, 4, 2},
      {GPC_INT, {l, Rect(10, 10, 11, 11)}, {Rect(1, 1, 3, 3), Rect(20, 0, 21, 1)}, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "op " << c.op << " of " << c.a.size() << " and "
                                    << c.b.size() << " contours, area " << c.area);
    GpcPolygon a(c.a, c.aHoles), b(c.b);
    gpc_polygon r{-1, reinterpret_cast<int32_t*>(&r), nullptr};  // garbage to be overwritten
    gpc_polygon_clip(c.op, a.get(), b.get(), &r);
    ExpectWellFormed(r, 10);
    EXPECT_NEAR(Area(r), c.area, 1e-12);
    if (c.contours >= 0) {
      EXPECT_EQ(r.num_contours, c.contours);
    }
    gpc_free_polygon(&r);
  }
}

// Squares a few thousand units in the last place across, near 1e-9 and near 1e9, with edges and
// corners one unit in the last place apart. Coordinates are base + k * ulp, all exact, so the
// areas are known exactly in ulp squared.
TEST(PolygonClipper, VerticesOneUnitInTheLastPlaceApartStayApart) {
  const Contour down{{0, 0}, {2000, 0}, {1000, 1000}}, up{{1000, 1001}, {0, 2000}, {2000, 2000}};
  const double shifted = 999.0 * 999;
  const struct {
    const char* name;
    Contour a, b;     // in units in the last place from the base
    double areas[4];  // by operation: difference, intersection, exclusive or, union
  } cases[] = {
      {"one unit gap", Rect(0, 0, 1000, 1000), Rect(1001, 0, 2001, 1000), {1e6, 0, 2e6, 2e6}},
      {"shifted one unit",
       Rect(0, 0, 1000, 1000),
       Rect(1, 1, 1001, 1001),
       {1e6 - shifted, shifted, 2 * (1e6 - shifted), 2e6 - shifted}},
      {"one unit overlap",
       Rect(0, 0, 1000, 1000),
       Rect(999, 0, 1999, 1000),
       {999e3, 1e3, 1998e3, 1999e3}},
      {"corner one unit off", down, up, {1e6, 0, 1999e3, 1999e3}},
  };
  for (const double base : {1e-9, 1e9}) {
    const double ulp = std::nextafter(base, 2 * base) - base;
    auto place = [base, ulp](const Contour& c) {
      Contour placed;
      for (const gpc_vertex& v : c) placed.push_back({base + v.x * ulp, base + v.y * ulp});
      return placed;
    };
    for (const auto& c : cases) {
      GpcPolygon pa({place(c.a)}), pb({place(c.b)});
      for (int op = GPC_DIFF; op <= GPC_UNION; ++op) {
        GpcPolygon r;
        gpc_polygon_clip(static_cast<gpc_op>(op), pa.get(), pb.get(), r.get());
        // The area in ulp squared, from vertices taken back to whole units: a shoelace sum over
        // coordinates near 1e-9 would lose the result to rounding.
        for (int32_t k = 0; k < r->num_contours; ++k) {
          for (int32_t i = 0; i < r->contour[k].num_vertices; ++i) {
            gpc_vertex& v = r->contour[k].vertex[i];
            v = {(v.x - base) / ulp, (v.y - base) / ulp};
          }
        }
        EXPECT_EQ(Area(*r), c.areas[op]) << c.name << " near " << base << ", op " << op;
      }
    }
  }
}

TEST(PolygonClipper, InputsAreLeftAsTheyWere) {
  const Contours a_contours{Rect(0, 0, 2, 2), {{0.5, 0.5}, {0.5, 0.5}, {1, 1}}};
  const Contours b_contours{Rect(1, 1, 3, 3)};
  GpcPolygon a(a_contours), b(b_contours);
  for (gpc_op op : {GPC_DIFF, GPC_INT, GPC_XOR, GPC_UNION}) {
    GpcPolygon r;
    gpc_polygon_clip(op, a.get(), b.get(), r.get());
    ASSERT_EQ(a->num_contours, 2);
    ASSERT_EQ(b->num_contours, 1);
    for (int32_t c = 0; c < 2; ++c) {
      ASSERT_EQ(a->contour[c].num_vertices, static_cast<int32_t>(a_contours[c].size()));
      for (size_t v = 0; v < a_contours[c].size(); ++v) {
        EXPECT_EQ(a->contour[c].vertex[v].x, a_contours[c][v].x);
        EXPECT_EQ(a->contour[c].vertex[v].y, a_contours[c][v].y);
      }
    }
  }
  // The same polygon as subject and clip.
  GpcPolygon r;
  gpc_polygon_clip(GPC_UNION, a.get(), a.get(), r.get());
  EXPECT_DOUBLE_EQ(Area(*r), 4);
}

TEST(PolygonClipper, AddContourCopiesAndFreeEmpties) {
  gpc_polygon p{0, nullptr, nullptr};
  Contour square = Rect(0, 0, 1, 1);
  gpc_vertex_list list{4, square.data()};
  gpc_add_contour(&p, &list, 1);
  square[0].x = 42;  // the polygon holds its own copy
  gpc_vertex_list none{0, nullptr};
  gpc_add_contour(&p, &none, 0);
  ASSERT_EQ(p.num_contours, 2);
  EXPECT_EQ(p.hole[0], 1);
  EXPECT_EQ(p.hole[1], 0);
  EXPECT_EQ(p.contour[0].vertex[0].x, 0);
  EXPECT_NE(p.contour[0].vertex, square.data());
  EXPECT_EQ(p.contour[1].num_vertices, 0);
  EXPECT_EQ(p.contour[1].vertex, nullptr);
  gpc_free_polygon(&p);
  EXPECT_EQ(p.num_contours, 0);
  EXPECT_EQ(p.hole, nullptr);
  EXPECT_EQ(p.contour, nullptr);
  gpc_free_polygon(&p);  // an empty polygon frees to itself
}

}  // namespace
