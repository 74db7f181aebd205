#include "lumotools/geometry/polygon_clipper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/exit_guard.h"
#include "support/random_polygons.h"
#include "support/soak.h"

namespace {

using lumo_test::Area;
using lumo_test::Contour;
using lumo_test::Contours;
using lumo_test::GpcPolygon;
using lumo_test::InsideEvenOdd;
using lumo_test::Rect;
using lumo_test::SignedArea;

// Area comparisons are relative to the square of the inputs' extent.
constexpr double kAreaTolerance = 1e-9;

// Every result contour has at least 3 vertices, and its hole flag agrees with
// its orientation.
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

// The distance from (x, y) to the nearest edge of the contours.
double DistanceToEdges(const Contours& contours, double x, double y) {
  double d = HUGE_VAL;
  for (const Contour& c : contours) {
    for (size_t i = 0; i < c.size(); ++i) {
      const gpc_vertex &a = c[i], &b = c[(i + 1) % c.size()];
      const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
      const double t =
          len2 > 0 ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / len2, 0.0, 1.0) : 0;
      d = std::min(d, std::hypot(x - (a.x + t * dx), y - (a.y + t * dy)));
    }
  }
  return d;
}

// Whether p and q hold the same contours bit for bit, with the same hole flags.
bool Same(const gpc_polygon& p, const gpc_polygon& q) {
  if (p.num_contours != q.num_contours) return false;
  for (int32_t c = 0; c < p.num_contours; ++c) {
    const gpc_vertex_list &a = p.contour[c], &b = q.contour[c];
    if (p.hole[c] != q.hole[c] || a.num_vertices != b.num_vertices ||
        (a.num_vertices > 0 &&
         std::memcmp(a.vertex, b.vertex, a.num_vertices * sizeof(gpc_vertex)) != 0))
      return false;
  }
  return true;
}

// Runs every operation on a and b, whose contours do not overlap within one
// polygon (holes run clockwise), and checks the results against the inputs: at
// random points away from every edge the result's inside by the even-odd rule
// is the operation applied to the inputs' insides, and the areas agree with A +
// B = union + intersection, difference = A - intersection and exclusive or =
// union - intersection.
void CompareWithInputs(const Contours& a, const Contours& b, double lo, double hi,
                       std::mt19937_64& rng, const std::string& label) {
  const double scale = hi - lo;
  GpcPolygon pa(a), pb(b);
  std::uniform_real_distribution<double> coord(lo, hi);
  double area[4];
  for (gpc_op op : {GPC_DIFF, GPC_INT, GPC_XOR, GPC_UNION}) {
    SCOPED_TRACE(label + ", op " + std::to_string(op));
    GpcPolygon r;
    gpc_polygon_clip(op, pa.get(), pb.get(), r.get());
    ExpectWellFormed(*r, scale);
    area[op] = Area(*r) / (scale * scale);
    for (int i = 0; i < 40; ++i) {
      const double x = coord(rng), y = coord(rng);
      if (std::min(DistanceToEdges(a, x, y), DistanceToEdges(b, x, y)) < 1e-7 * scale) continue;
      const bool inA = InsideEvenOdd(*pa, x, y), inB = InsideEvenOdd(*pb, x, y);
      const bool expected[] = {inA && !inB, inA && inB, inA != inB, inA || inB};
      ASSERT_EQ(InsideEvenOdd(*r, x, y), expected[op]) << "point " << x << " " << y;
    }
  }
  SCOPED_TRACE(label);
  const double areaA = Area(*pa) / (scale * scale), areaB = Area(*pb) / (scale * scale);
  EXPECT_NEAR(area[GPC_UNION] + area[GPC_INT], areaA + areaB, kAreaTolerance);
  EXPECT_NEAR(area[GPC_DIFF], areaA - area[GPC_INT], kAreaTolerance);
  EXPECT_NEAR(area[GPC_XOR], area[GPC_UNION] - area[GPC_INT], kAreaTolerance);
}

// A star of fewest to most vertices around a random centre, with a star-shaped hole around the
// same centre three times in ten.
Contours RandomStarShape(std::mt19937_64& rng, double lo, double hi, int fewest = 3,
                         int most = 24) {
  const double scale = hi - lo;
  std::uniform_real_distribution<double> center(lo + 0.3 * scale, hi - 0.3 * scale);
  std::uniform_int_distribution<int> count(fewest, most);
  const double cx = center(rng), cy = center(rng);
  Contours shape;
  if (std::bernoulli_distribution(0.3)(rng)) {
    Contour hole = lumo_test::RandomStar(rng, count(rng), cx, cy, 0.05 * scale, 0.12 * scale);
    std::reverse(hole.begin(), hole.end());
    shape.push_back(hole);
  }
  // With 8 vertices or more the outline keeps a distance of 0.12 * scale around
  // the center, so a hole lies inside it.
  const int outline_count = shape.empty() ? count(rng) : std::max(8, count(rng));
  shape.push_back(lumo_test::RandomStar(rng, outline_count, cx, cy, 0.15 * scale, 0.3 * scale));
  return shape;
}

// Rectangles on a 6 x 8 integer grid: shared edges, shared vertices, collinear
// overlapping edges and horizontal edges at one height all come up often
// between the two operands. Up to three rectangles, each in its own band of
// rows, one of them possibly with a diamond hole touching its outline or not.
Contours RandomGridShape(std::mt19937_64& rng) {
  std::uniform_int_distribution<int> cell(0, 2);
  std::bernoulli_distribution coin(0.3);
  Contours shape;
  const int parts = 1 + cell(rng);
  for (int p = 0; p < parts; ++p) {
    const int x0 = cell(rng), x1 = x0 + 1 + cell(rng) + (coin(rng) ? 1 : 0);
    const int y0 = 3 * p, y1 = y0 + (coin(rng) ? 1 : 2);
    if (x1 - x0 >= 3 && y1 - y0 == 2 && coin(rng)) {
      // Placed at x0 its left corner touches the outline.
      const double hx = x0 + (coin(rng) ? 0 : 1);
      shape.push_back(
          Contour{{hx, y0 + 1.0}, {hx + 0.5, y0 + 1.5}, {hx + 1, y0 + 1.0}, {hx + 0.5, y0 + 0.5}});
    }
    shape.push_back(Rect(x0, y0, x1, y1));
  }
  return shape;
}

// Random stars with holes, rectangles on a small grid, and stars from tiny to
// huge coordinates. One seed normally; LUMO_SOAK_SECONDS runs random seeds for
// that long.
TEST(PolygonClipper, AgreesWithItsInputsOnRandomShapes) {
  lumo_test::RunStressRounds(7, [](unsigned seed) {
    std::mt19937_64 rng(seed);
    for (int i = 0; i < 300 && !HasFatalFailure(); ++i) {
      const Contours a = RandomGridShape(rng), b = RandomGridShape(rng);
      CompareWithInputs(a, b, 0, 8, rng, "grid case " + std::to_string(i));
    }
    // Two hundred across 100 units, then sixty from 1e-6 to 1e9 across, at the origin or not.
    for (int i = 0; i < 260 && !HasFatalFailure(); ++i) {
      const double scale = i < 200 ? 100 : std::pow(10.0, 3 * (i % 6) - 6),
                   lo = i < 200 || i % 4 < 2 ? 0.0 : scale;
      const Contours a = RandomStarShape(rng, lo, lo + scale),
                     b = RandomStarShape(rng, lo, lo + scale);
      CompareWithInputs(a, b, lo, lo + scale, rng, "star case " + std::to_string(i));
    }
  });
}

// Stars of 150 to 400 vertices, over 256 edges together: the sweep keeps such a table in a tree
// and predicts its events ahead instead of passing over it on every scanline. Some carry a hole,
// and a grid of small squares, many contours against few, is set against a star either way.
TEST(PolygonClipper, AgreesWithItsInputsOnLargeShapes) {
  std::mt19937_64 rng(11);
  for (int i = 0; i < 12 && !HasFatalFailure(); ++i) {
    CompareWithInputs(RandomStarShape(rng, 0, 100, 150, 400),
                      RandomStarShape(rng, 0, 100, 150, 400), 0, 100, rng,
                      "large case " + std::to_string(i));
  }
  // Over 1,024 vertices: heights spread evenly enough for buckets, and heights that a grid of
  // squares crowds onto a few values.
  const Contours wide{lumo_test::RandomStar(rng, 700, 45, 50, 15, 30)};
  const Contours other{lumo_test::RandomStar(rng, 700, 55, 50, 15, 30)};
  CompareWithInputs(wide, other, 0, 100, rng, "two stars of 700 vertices");
  Contours grid;
  for (int i = 0; i < 20; ++i) {
    for (int k = 0; k < 20; ++k) grid.push_back(Rect(5 * i + 1, 5 * k + 1, 5 * i + 4, 5 * k + 3.5));
  }
  CompareWithInputs(grid, wide, 0, 100, rng, "400 squares and a star");
  CompareWithInputs(RandomStarShape(rng, 0, 100, 150, 400), grid, 0, 100, rng,
                    "a star and 400 squares");
}

// A star symmetric about a vertical line, on the integer grid: its vertices come in pairs at one
// height, and edges of two such stars often meet at a vertex height.
Contour MirroredGridStar(std::mt19937_64& rng) {
  std::uniform_int_distribution<int> centre(40, 60), count(4, 10);
  std::uniform_real_distribution<double> radius(15, 30), jitter(0, 0.5);
  const int n = count(rng), cx = centre(rng), cy = centre(rng);
  // Angles from -80 to 80 degrees: the right half, bottom to top.
  const double step = (160.0 / n) * M_PI / 180, first = -80 * M_PI / 180;
  Contour right;
  for (int i = 0; i < n; ++i) {
    const double angle = first + (i + jitter(rng)) * step, r = radius(rng);
    right.push_back({std::round(cx + r * std::cos(angle)), std::round(cy + r * std::sin(angle))});
  }
  Contour star = right;
  for (auto v = right.rbegin(); v != right.rend(); ++v) star.push_back({2.0 * cx - v->x, v->y});
  return star;
}

// A short table is kept as a plain list passed over on every scanline, a long one in a tree with
// events predicted ahead; both give the same contours. A star far above the rest, in the
// subject, makes the table long without changing a scanline below it, so the contours of the
// clip without it come out unchanged, and it comes last. Stars, rectangles on a grid, and
// mirrored stars on a grid, whose scanlines hold two vertices each and so never one alone.
TEST(PolygonClipper, ShortAndLongTablesGiveTheSameContours) {
  std::mt19937_64 rng(12);
  auto shape = [&rng](int kind) {
    if (kind == 1) return RandomGridShape(rng);
    if (kind == 2) return Contours{MirroredGridStar(rng)};
    return RandomStarShape(rng, 0, 100);
  };
  for (int i = 0; i < 60 && !HasFatalFailure(); ++i) {
    const Contours a = shape(i % 3);
    const Contours b = shape(i % 3);
    Contours far = a;
    far.push_back(lumo_test::RandomStar(rng, 300, 50, 1000, 20, 30));
    GpcPolygon pa(a), pb(b), pfar(far);
    for (gpc_op op : {GPC_DIFF, GPC_XOR, GPC_UNION}) {
      SCOPED_TRACE(testing::Message() << "case " << i << ", op " << op);
      GpcPolygon short_table, long_table;
      gpc_polygon_clip(op, pa.get(), pb.get(), short_table.get());
      gpc_polygon_clip(op, pfar.get(), pb.get(), long_table.get());
      ASSERT_EQ(long_table->num_contours, short_table->num_contours + 1);
      EXPECT_EQ(long_table->contour[short_table->num_contours].num_vertices, 300);
      gpc_polygon below = *long_table;  // a view without the far star
      below.num_contours = short_table->num_contours;
      EXPECT_TRUE(Same(below, *short_table));
    }
  }
}

// Small cases with known results: shared edges, shared vertices, collinear
// overlaps, contours touching themselves or each other, repeated vertices,
// slivers, empty and far operands.
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
      {GPC_DIFF, {l}, {l}, 0, 0},
      {GPC_XOR, {l}, {l}, 0, 0},
      {GPC_INT, {l}, {l}, 4, 1},
      {GPC_INT, {unit}, {Rect(1, 1, 2, 2)}, 0, 0},
      {GPC_UNION, {unit}, {Rect(2, 0, 3, 1)}, 2, 2},
      {GPC_UNION, {l}, {Rect(1, 0, 3, 1)}, 5, 1},
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
      // Parity decides: the inner square is a hole even when flagged as an
      // outline.
      {GPC_UNION, {Rect(0, 0, 10, 10), Rect(4, 4, 6, 6)}, {}, 96, 2, {1, 0}},
      {GPC_UNION, {clockwise}, {}, 9, 1},
      {GPC_UNION, {{{0, 0}, {5, 5}}, {{1, 1}}, unit}, {}, 1, 1},
      // A contour with one coordinate that is not finite takes no part.
      {GPC_UNION, {unit, {{5, 5}, {NAN, 6}, {6, 6}}}, {}, 1, 1},
      {GPC_UNION, {unit, {{5, 5}, {6, INFINITY}, {6, 6}}}, {{{5, 5}, {6, 5}, {6, 6}}}, 1.5, 2},
      {GPC_UNION, {{{0, 0}, {1, 1}, {2, 2}}}, {}, 0, 0},
      {GPC_INT, {unit}, {Rect(5, 5, 6, 6)}, 0, 0},
      {GPC_INT, {}, {}, 0, 0},
      {GPC_DIFF, {}, {unit}, 0, 0},
      {GPC_INT, {}, {unit}, 0, 0},
      {GPC_INT, {unit}, {}, 0, 0},
      {GPC_UNION, {Rect(0, 0, 2, 3)}, {}, 6, 1},
      {GPC_XOR, {Rect(0, 0, 2, 3)}, {}, 6, 1},
      {GPC_UNION, {}, {Rect(0, 0, 2, 3)}, 6, 1},
      // A far clip square cannot change a difference; a far subject square is
      // no part of an intersection.
      {GPC_DIFF, {l, Rect(10, 10, 11, 11)}, {Rect(1, 1, 3, 3), Rect(20, 0, 21, 1)}, 4, 2},
      {GPC_INT, {l, Rect(10, 10, 11, 11)}, {Rect(1, 1, 3, 3), Rect(20, 0, 21, 1)}, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases);
    GpcPolygon a(c.a, c.aHoles), b(c.b), a0(c.a, c.aHoles), b0(c.b);
    gpc_polygon r{-1, reinterpret_cast<int32_t*>(&r), nullptr};  // garbage to be overwritten
    gpc_polygon_clip(c.op, a.get(), b.get(), &r);
    EXPECT_TRUE(Same(*a, *a0) && Same(*b, *b0)) << "the inputs are left as they were";
    ExpectWellFormed(r, 10);
    EXPECT_NEAR(Area(r), c.area, 1e-12);
    if (c.contours >= 0) {
      EXPECT_EQ(r.num_contours, c.contours);
    }
    gpc_free_polygon(&r);
  }
}

// Squares a few thousand units in the last place across, near 1e-9 and near
// 1e9, with edges and corners one unit in the last place apart. Coordinates are
// base + k * ulp, all exact, so the areas are known exactly in ulp squared.
TEST(PolygonClipper, VerticesOneUnitInTheLastPlaceApartStayApart) {
  const Contour down{{0, 0}, {2000, 0}, {1000, 1000}}, up{{1000, 1001}, {0, 2000}, {2000, 2000}};
  const Contour square = Rect(0, 0, 1000, 1000);
  const double in = 999.0 * 999, out = 1e6 - in;  // the shifted squares' overlap, and the rest
  const struct {
    const char* name;
    Contour a, b;     // in units in the last place from the base
    double areas[4];  // by operation: difference, intersection, exclusive or, union
  } cases[] = {
      {"one unit gap", square, Rect(1001, 0, 2001, 1000), {1e6, 0, 2e6, 2e6}},
      {"shifted one unit", square, Rect(1, 1, 1001, 1001), {out, in, 2 * out, 2e6 - in}},
      {"one unit overlap", square, Rect(999, 0, 1999, 1000), {999e3, 1e3, 1998e3, 1999e3}},
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
        // The area in ulp squared, from vertices taken back to whole units: a
        // shoelace sum over coordinates near 1e-9 would lose the result to
        // rounding.
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

TEST(PolygonClipper, AddContourCopiesAndFreeEmpties) {
  gpc_polygon p{0, nullptr, nullptr};
  Contour square = Rect(0, 0, 1, 1);
  gpc_vertex_list list{4, square.data()};
  gpc_add_contour(&p, &list, 1);
  square[0].x = 42;  // the polygon holds its own copy
  gpc_vertex_list none{0, nullptr};
  gpc_add_contour(&p, &none, 0);
  ASSERT_EQ(p.num_contours, 2);
  EXPECT_TRUE(p.hole[0] == 1 && p.hole[1] == 0);
  EXPECT_EQ(p.contour[0].vertex[0].x, 0);
  EXPECT_TRUE(p.contour[1].num_vertices == 0 && p.contour[1].vertex == nullptr);
  GpcPolygon r;
  gpc_polygon_clip(GPC_UNION, &p, &p, r.get());  // the same polygon as subject and clip
  EXPECT_EQ(Area(*r), 1);
  gpc_free_polygon(&p);
  EXPECT_EQ(p.num_contours, 0);
  ExpectWellFormed(p, 1);  // no arrays left
  gpc_free_polygon(&p);    // an empty polygon frees to itself
}

}  // namespace
