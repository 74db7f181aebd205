// Random polygons for the clipper's tests, benchmarks and fuzz target, as plain contours, and the
// conversions to and from the clipper's polygon. Header-only, so benchmarks can use it too.
#ifndef LUMOTOOLS_TESTS_SUPPORT_RANDOM_POLYGONS_H_
#define LUMOTOOLS_TESTS_SUPPORT_RANDOM_POLYGONS_H_

#include <cmath>
#include <random>
#include <vector>

#include "lumotools/geometry/polygon_clipper.h"

namespace lumo_test {

using Contour = std::vector<gpc_vertex>;
using Contours = std::vector<Contour>;

// A simple star-shaped contour: n vertices at evenly spread angles around (cx, cy), at random
// radii between r_min and r_max; counter-clockwise.
inline Contour RandomStar(std::mt19937_64& rng, int n, double cx, double cy, double r_min,
                          double r_max) {
  std::uniform_real_distribution<double> radius(r_min, r_max);
  std::uniform_real_distribution<double> jitter(0.0, 0.5);
  Contour c;
  c.reserve(static_cast<size_t>(n));
  const double step = 2 * M_PI / n;
  for (int i = 0; i < n; ++i) {
    const double angle = (i + jitter(rng)) * step;
    const double r = radius(rng);
    c.push_back(gpc_vertex{cx + r * std::cos(angle), cy + r * std::sin(angle)});
  }
  return c;
}

// The axis-parallel rectangle [x0, x1] x [y0, y1], counter-clockwise.
inline Contour Rect(double x0, double y0, double x1, double y1) {
  return Contour{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

// Owns a gpc_polygon built from contours.
class GpcPolygon {
 public:
  GpcPolygon() = default;
  explicit GpcPolygon(const Contours& contours, const std::vector<int>& holes = {}) {
    for (size_t i = 0; i < contours.size(); ++i) {
      gpc_vertex_list list{static_cast<int32_t>(contours[i].size()),
                           const_cast<gpc_vertex*>(contours[i].data())};
      gpc_add_contour(&p_, &list, i < holes.size() ? holes[i] : 0);
    }
  }
  GpcPolygon(const GpcPolygon&) = delete;
  GpcPolygon& operator=(const GpcPolygon&) = delete;
  ~GpcPolygon() { gpc_free_polygon(&p_); }

  gpc_polygon* get() { return &p_; }
  const gpc_polygon& operator*() const { return p_; }
  const gpc_polygon* operator->() const { return &p_; }

 private:
  gpc_polygon p_{0, nullptr, nullptr};
};

// Signed area of a contour: positive when counter-clockwise.
inline double SignedArea(const gpc_vertex_list& c) {
  double twice = 0;
  for (int32_t i = 0; i < c.num_vertices; ++i) {
    const gpc_vertex& a = c.vertex[i];
    const gpc_vertex& b = c.vertex[i + 1 == c.num_vertices ? 0 : i + 1];
    twice += (a.x - b.x) * (a.y + b.y);
  }
  return twice / 2;
}

// The area a polygon encloses, counting holes negative (their contours run clockwise).
inline double Area(const gpc_polygon& p) {
  double a = 0;
  for (int32_t c = 0; c < p.num_contours; ++c) a += SignedArea(p.contour[c]);
  return a;
}

// Whether (x, y) is inside p by the even-odd rule.
inline bool InsideEvenOdd(const gpc_polygon& p, double x, double y) {
  bool inside = false;
  for (int32_t c = 0; c < p.num_contours; ++c) {
    const gpc_vertex_list& list = p.contour[c];
    for (int32_t i = 0, j = list.num_vertices - 1; i < list.num_vertices; j = i++) {
      const gpc_vertex& a = list.vertex[i];
      const gpc_vertex& b = list.vertex[j];
      if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) {
        inside = !inside;
      }
    }
  }
  return inside;
}

}  // namespace lumo_test

#endif  // LUMOTOOLS_TESTS_SUPPORT_RANDOM_POLYGONS_H_
