// Random boxes for the spatial-index tests: reproducible from a seed.
#ifndef LUMOTOOLS_TESTS_SUPPORT_RANDOM_GEOMETRY_H_
#define LUMOTOOLS_TESTS_SUPPORT_RANDOM_GEOMETRY_H_

#include <random>

#include "shapekit/box.h"

namespace lumo_test {

class RandomBoxes {
 public:
  explicit RandomBoxes(unsigned seed) : rng_(seed) {}

  // A box whose min corner is uniform in [lo, hi) per axis and whose extent per axis is uniform
  // in [0, maxSize).
  shapekit::box<double, 3> Box(double lo, double hi, double maxSize) {
    std::uniform_real_distribution<double> corner(lo, hi);
    std::uniform_real_distribution<double> size(0.0, maxSize);
    shapekit::point3d<double> min(corner(rng_), corner(rng_), corner(rng_));
    shapekit::point3d<double> max(min.x + size(rng_), min.y + size(rng_), min.z + size(rng_));
    return shapekit::box<double, 3>(min, max);
  }

  // True with probability p.
  bool Chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < p; }
  // Uniform in [0, n).
  size_t Index(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }

 private:
  std::mt19937_64 rng_;
};

}  // namespace lumo_test

#endif  // LUMOTOOLS_TESTS_SUPPORT_RANDOM_GEOMETRY_H_
