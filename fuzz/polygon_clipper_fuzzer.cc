// Feeds random contours to every clipper operation. Each result contour must have at least 3
// vertices, no two equal neighbours (the last vertex joins the first) and a hole flag that
// matches its orientation, and the areas must satisfy
//   area(A u B) = area(A) + area(B) - area(A n B),  area(A - B) = area(A) - area(A n B),
//   area(A xor B) = area(A u B) - area(A n B).
//
// Input bytes: a mode byte, then contours, each a count byte followed by that many vertices.
// Mode bit 0 picks coordinates: small integers on a grid (one signed byte each, to bring up
// shared edges and vertices) or fine ones (two bytes each, scaled by the mode's upper bits to
// 1e-6 ... 1e9). A count byte's top bit moves the contour to polygon B.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/random_polygons.h"

namespace {

using lumo_test::Area;
using lumo_test::Contour;
using lumo_test::Contours;
using lumo_test::GpcPolygon;
using lumo_test::SignedArea;

// Allowed error, relative to the square of the inputs' extent, times the number of edges.
constexpr double kRelativeTolerance = 1e-12;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool more() const { return at_ < size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  double Coordinate(bool grid, double scale) {
    if (grid) return static_cast<int8_t>(Byte()) / 8.0;
    const unsigned high = Byte();
    return ((high << 8) | Byte()) / 65535.0 * scale;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

[[noreturn]] void Fail(const char* what, double got, double want) {
  std::fprintf(stderr, "%s: got %.17g, want %.17g\n", what, got, want);
  std::abort();
}

void CheckContours(const gpc_polygon& r, double area_tolerance) {
  if (r.num_contours == 0 && (r.hole != nullptr || r.contour != nullptr)) {
    Fail("empty result with arrays", 0, 0);
  }
  for (int32_t c = 0; c < r.num_contours; ++c) {
    const gpc_vertex_list& list = r.contour[c];
    if (list.num_vertices < 3) Fail("contour with fewer than 3 vertices", list.num_vertices, 3);
    for (int32_t i = 0; i < list.num_vertices; ++i) {
      const gpc_vertex& a = list.vertex[i];
      const gpc_vertex& b = list.vertex[i + 1 == list.num_vertices ? 0 : i + 1];
      if (a.x == b.x && a.y == b.y) Fail("repeated vertex in contour", i, c);
    }
    const double area = SignedArea(list);
    if (std::fabs(area) > area_tolerance && r.hole[c] != (area < 0 ? 1 : 0)) {
      Fail("hole flag against orientation", r.hole[c], area);
    }
  }
}

double ClipArea(gpc_op op, GpcPolygon& a, GpcPolygon& b, double area_tolerance) {
  GpcPolygon r;
  gpc_polygon_clip(op, a.get(), b.get(), r.get());
  CheckContours(*r, area_tolerance);
  return Area(*r);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in(data, size);
  const uint8_t mode = in.Byte();
  const bool grid = (mode & 1) == 0;
  const double scale = std::pow(10.0, (mode >> 1) % 16 - 6);  // 1e-6 ... 1e9
  Contours contours[2];
  size_t edges = 0;
  double extent = 0;
  while (in.more()) {
    const uint8_t count_byte = in.Byte();
    Contour c;
    for (int i = 0; i < (count_byte & 0x7f); ++i) {
      const double x = in.Coordinate(grid, scale), y = in.Coordinate(grid, scale);
      extent = std::max({extent, std::fabs(x), std::fabs(y)});
      c.push_back(gpc_vertex{x, y});
    }
    edges += c.size();
    contours[count_byte >> 7].push_back(c);
  }
  GpcPolygon a(contours[0]), b(contours[1]), empty;
  const double tolerance =
      kRelativeTolerance * static_cast<double>(edges + 1) * 4 * extent * extent;
  const double area_a = ClipArea(GPC_UNION, a, empty, tolerance);
  const double area_b = ClipArea(GPC_UNION, b, empty, tolerance);
  const double both = ClipArea(GPC_INT, a, b, tolerance);
  const double either = ClipArea(GPC_UNION, a, b, tolerance);
  const double a_only = ClipArea(GPC_DIFF, a, b, tolerance);
  const double one = ClipArea(GPC_XOR, a, b, tolerance);
  if (std::fabs(either - (area_a + area_b - both)) > tolerance) {
    Fail("area(A u B) against area(A) + area(B) - area(A n B)", either, area_a + area_b - both);
  }
  if (std::fabs(a_only - (area_a - both)) > tolerance) {
    Fail("area(A - B) against area(A) - area(A n B)", a_only, area_a - both);
  }
  if (std::fabs(one - (either - both)) > tolerance) {
    Fail("area(A xor B) against area(A u B) - area(A n B)", one, either - both);
  }
  for (double area : {area_a, area_b, both, either, a_only, one}) {
    if (area < -tolerance) Fail("negative area", area, 0);
  }
  return 0;
}
