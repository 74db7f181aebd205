// The clipper's work on input with few crossings but many edges across every scanbeam, in a build
// of the clipper that counts the abscissas it computes. A sweep that passes over the whole active
// edge table on every scanline does work n * m (m edges across a beam), about ten times more per
// vertex for ten times the vertices here; one driven by events does about log n more.
#include <gtest/gtest.h>

#include <random>

#include "gpc_memory.h"
#include "lumotools/geometry/polygon_clipper.h"
#include "support/random_polygons.h"

namespace {

using lumo_test::Contour;
using lumo_test::GpcPolygon;
using lumo_test::RandomStar;

// Abscissas computed by op on a and b, whose result is not empty.
long Work(gpc_op op, const Contour& a, const Contour& b) {
  GpcPolygon pa({a}), pb({b}), r;
  lumo_gpc::abscissas_computed = 0;
  gpc_polygon_clip(op, pa.get(), pb.get(), r.get());
  EXPECT_GT(r->num_contours, 0);
  return lumo_gpc::abscissas_computed;
}

// Abscissas computed per input vertex by op on two stars of n vertices each, radii from 0.5 to
// 1, the second centred dy above the first.
double WorkPerVertex(gpc_op op, int n, double dy) {
  std::mt19937_64 rng(static_cast<uint64_t>(n));
  const Contour a = RandomStar(rng, n, 0, 0, 0.5, 1);
  return static_cast<double>(Work(op, a, RandomStar(rng, n, 0, dy, 0.5, 1))) / (2.0 * n);
}

TEST(ClipperGrowth, WorkPerVertexGrowsSlowlyWithFewCrossings) {
  struct Case {
    const char* name;
    gpc_op op;
    double dy;
  };
  // Concentric stars cross about n times; stars one above the other not at all. A horizontal
  // line meets a fixed share of their edges.
  for (const Case& c :
       {Case{"concentric union", GPC_UNION, 0.0}, Case{"concentric intersection", GPC_INT, 0.0},
        Case{"stacked union", GPC_UNION, 3.0}}) {
    const double small = WorkPerVertex(c.op, 2000, c.dy);
    const double large = WorkPerVertex(c.op, 20000, c.dy);
    EXPECT_LT(large, 2 * small) << c.name << ": " << small << " then " << large << " per vertex";
  }
}

// A star of radii 0.5 to 1 and one of 20,000 vertices around it, drawn 1,000 times as tall:
// almost all of the tall star lies above or below the small one, and neither an intersection nor
// a difference has any of its result there.
TEST(ClipperGrowth, WorkOutsideTheHeightsOfTheResultIsSkipped) {
  std::mt19937_64 rng(7);
  const Contour small = RandomStar(rng, 16, 0, 0, 0.5, 1);
  Contour tall = RandomStar(rng, 20000, 0, 0, 0.5, 1);
  for (gpc_vertex& v : tall) v.y *= 1000;
  const long all = Work(GPC_UNION, small, tall);
  EXPECT_LT(Work(GPC_INT, small, tall), all / 100);
  EXPECT_LT(Work(GPC_DIFF, small, tall), all / 100);
}

}  // namespace
