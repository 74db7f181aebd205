// The clipper's allocation-failure path, in a build of the clipper that can fail a chosen
// allocation.
#include <gtest/gtest.h>

#include <string>

#include "gpc_memory.h"
#include "lumotools/geometry/polygon_clipper.h"
#include "support/random_polygons.h"

namespace {

using lumo_test::Contours;
using lumo_test::GpcPolygon;
using lumo_test::Rect;

// How many allocations one clip makes.
long CountAllocations(gpc_op op, gpc_polygon* a, gpc_polygon* b) {
  constexpr long kPlenty = 1000000;
  lumo_gpc::FailAllocationAfter(kPlenty);
  gpc_polygon r;
  gpc_polygon_clip(op, a, b, &r);
  const long used = kPlenty - lumo_gpc::AllocationsBeforeFailure();
  lumo_gpc::FailAllocationAfter(-1);
  gpc_free_polygon(&r);
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

TEST(ClipperAllocationFailure, EveryAllocationOfAClipEndsTheProcessWithItsName) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  GpcPolygon a({Rect(0, 0, 4, 4), Rect(10, 10, 11, 11)}), b({Rect(1, 1, 2, 2), Rect(3, 3, 5, 5)});
  for (gpc_op op : {GPC_DIFF, GPC_UNION}) {
    const long count = CountAllocations(op, a.get(), b.get());
    ASSERT_GT(count, 5);
    for (long k = 0; k < count; ++k) {
      gpc_polygon r;
      EXPECT_EXIT((lumo_gpc::FailAllocationAfter(k), gpc_polygon_clip(op, a.get(), b.get(), &r)),
                  testing::ExitedWithCode(0), "^gpc malloc failure: [A-Za-z ]+\n$")
          << "allocation " << k;
    }
  }
  // The first allocation of a difference is the bounding-box pass, the last the result's
  // vertices.
  const long count = CountAllocations(GPC_DIFF, a.get(), b.get());
  gpc_polygon r;
  EXPECT_EXIT((lumo_gpc::FailAllocationAfter(0), gpc_polygon_clip(GPC_DIFF, a.get(), b.get(), &r)),
              testing::ExitedWithCode(0), "gpc malloc failure: Bounding box creation");
  EXPECT_EXIT(
      (lumo_gpc::FailAllocationAfter(count - 1), gpc_polygon_clip(GPC_DIFF, a.get(), b.get(), &r)),
      testing::ExitedWithCode(0), "gpc malloc failure: vertex creation");
}

TEST(ClipperAllocationFailure, ZeroBytesAllocateNothing) {
  lumo_gpc::FailAllocationAfter(0);
  EXPECT_EQ(lumo_gpc::Allocate(0, "nothing"), nullptr);  // not counted, so it cannot fail
  EXPECT_EQ(lumo_gpc::AllocationsBeforeFailure(), 0);
  lumo_gpc::FailAllocationAfter(-1);
}

}  // namespace
