// The clipper's allocation-failure path, in a build of the clipper that can fail a chosen
// allocation.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "gpc_memory.h"
#include "lumotools/geometry/polygon_clipper.h"
#include "support/exit_guard.h"
#include "support/random_polygons.h"

namespace {

using lumo_test::Contours;
using lumo_test::GpcPolygon;
using lumo_test::Rect;

// How many allocations one clip makes.
long CountAllocations(gpc_op op, gpc_polygon* a, gpc_polygon* b) {
  constexpr long kPlenty = 1000000;
  lumo_gpc::FailAllocationAfter(kPlenty);
  GpcPolygon r;
  gpc_polygon_clip(op, a, b, r.get());
  const long used = kPlenty - lumo_gpc::AllocationsBeforeFailure();
  lumo_gpc::FailAllocationAfter(-1);
  return used;
}

TEST(ClipperAllocationFailure, AddContourNamesTheArray) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  gpc_polygon p{0, nullptr, nullptr};
  gpc_vertex v[3] = {{0, 0}, {1, 0}, {0, 1}};
  gpc_vertex_list list{3, v};
  EXPECT_EXIT((lumo_gpc::FailAllocationAfter(0), gpc_add_contour(&p, &list, 0)),
              testing::ExitedWithCode(0), "^gpc malloc failure: contour hole addition\n$");
  EXPECT_EXIT((lumo_gpc::FailAllocationAfter(1), gpc_add_contour(&p, &list, 0)),
              testing::ExitedWithCode(0), "^gpc malloc failure: contour addition\n$");
}

// Stars of 400 vertices: their tables outgrow the block a clip keeps on the stack. The first
// allocation is the edge table, the last the result's vertices.
TEST(ClipperAllocationFailure, EveryAllocationOfAClipEndsTheProcessWithItsName) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::mt19937_64 rng(7);
  GpcPolygon a({lumo_test::RandomStar(rng, 400, 0, 0, 0.5, 1)});
  GpcPolygon b({lumo_test::RandomStar(rng, 400, 0.3, 0, 0.5, 1)});
  for (gpc_op op : {GPC_DIFF, GPC_UNION}) {
    const long count = CountAllocations(op, a.get(), b.get());
    ASSERT_GT(count, 5);
    for (long k = 0; k < count; ++k) {
      const char* name = k == 0           ? "edge table creation\n$"
                         : k == count - 1 ? "vertex creation\n$"
                                          : "[A-Za-z ]+\n$";
      gpc_polygon r;
      EXPECT_EXIT((lumo_gpc::FailAllocationAfter(k), gpc_polygon_clip(op, a.get(), b.get(), &r)),
                  testing::ExitedWithCode(0), std::string("^gpc malloc failure: ") + name)
          << "allocation " << k;
    }
  }
}

// A clip of small polygons allocates its result only: the hole flags, the contour list and one
// vertex array per contour.
TEST(ClipperAllocationFailure, SmallClipsAllocateOnlyTheirResult) {
  std::mt19937_64 rng(8);
  const Contours wall{Rect(0, 0, 6000, 3000), Rect(500, 800, 1500, 2200), Rect(2000, 0, 3000, 2200),
                      Rect(3500, 800, 4500, 2200), Rect(5000, 800, 5800, 2200)};
  const Contours ell{{{0, 0}, {4000, 0}, {4000, 1000}, {1000, 1000}, {1000, 4000}, {0, 4000}}};
  const std::vector<std::pair<Contours, Contours>> cases{
      {{Rect(0, 0, 10, 10)}, {Rect(5, 5, 15, 15)}},
      {wall, ell},
      {{lumo_test::RandomStar(rng, 64, 0, 0, 500, 1000)},
       {lumo_test::RandomStar(rng, 64, 300, 0, 500, 1000)}},
  };
  for (const auto& c : cases) {
    GpcPolygon a(c.first), b(c.second);
    for (gpc_op op : {GPC_DIFF, GPC_INT, GPC_XOR, GPC_UNION}) {
      GpcPolygon r;
      gpc_polygon_clip(op, a.get(), b.get(), r.get());
      ASSERT_GT(r->num_contours, 0);
      EXPECT_EQ(CountAllocations(op, a.get(), b.get()), 2 + r->num_contours)
          << "op " << op << ", " << c.first.size() << " and " << c.second.size() << " contours";
    }
  }
}

TEST(ClipperAllocationFailure, ZeroBytesAllocateNothing) {
  lumo_gpc::FailAllocationAfter(0);
  EXPECT_EQ(lumo_gpc::Allocate(0, "nothing"), nullptr);  // not counted, so it cannot fail
  EXPECT_EQ(lumo_gpc::AllocationsBeforeFailure(), 0);
  lumo_gpc::FailAllocationAfter(-1);
}

}  // namespace
