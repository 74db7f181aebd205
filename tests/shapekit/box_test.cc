#include "shapekit/box.h"

#include <gtest/gtest.h>

#include "shapekit/matrix.h"
#include "shapekit/point.h"

namespace {

using shapekit::box;
using shapekit::matrix;
using shapekit::point2d;
using shapekit::point3d;
using shapekit::vector3d;
using Box = box<double, 3>;
using P3 = point3d<double>;
using V3 = vector3d<double>;

TEST(Vector3d, ArithmeticProductsAndNormalising) {
  const V3 a(1, 2, 3), b(4, 5, 6);
  EXPECT_EQ(a.dot(b), 32.0);
  EXPECT_EQ(a.cross(b), V3(-3, 6, -3));
  EXPECT_EQ(shapekit::cross(V3(1, 0, 0), V3(0, 1, 0)), V3(0, 0, 1));
  EXPECT_EQ(2.0 * a - b / 2.0, V3(0, 1.5, 3));
  EXPECT_EQ(P3(1, 1, 1) - P3(0, 1, 3), V3(1, 0, -2));
  EXPECT_EQ(P3(1, 1, 1) + V3(1, 0, -2), P3(2, 1, -1));
  EXPECT_EQ(P3(0, 0, 0).distance(P3(3, 4, 12)), 13.0);
  EXPECT_EQ(point2d<double>(1, 0).cross(point2d<double>(0, 1)), 1.0);

  // At or below the single-precision epsilon (1.19e-7) a vector normalises to zero.
  V3 v(0, 3, 4);
  point2d<double> p(1e-8, 0);
  EXPECT_EQ(v.normalize(), 5.0);
  p.normalize();
  EXPECT_EQ(v, V3(0, 0.6, 0.8));
  EXPECT_EQ(p, point2d<double>(0, 0));
  EXPECT_EQ(V3(1e-7, 0, 0).normalized(), V3(0, 0, 0));
  EXPECT_EQ(V3(1.2e-7, 0, 0).normalized(), V3(1, 0, 0));
}

TEST(Box, DefaultIsLargeAndEmptyAndTheFirstExtendReplacesIt) {
  Box b;
  EXPECT_TRUE(b.is_empty());
  EXPECT_EQ(b.min_corner(), P3(-1e6, -1e6, -1e6));
  EXPECT_EQ(b.max_corner(), P3(1e6, 1e6, 1e6));
  // The corners count for the tests whatever the flag says.
  EXPECT_TRUE(b.contains(Box(P3(0, 0, 0), P3(1, 1, 1))));
  b.extend(P3(5, 6, 7));
  EXPECT_EQ(b, Box(P3(5, 6, 7), P3(5, 6, 7)));
  b.extend(P3(4, 8, 7));
  EXPECT_EQ(b, Box(P3(4, 6, 7), P3(5, 8, 7)));
  b.extend(Box(P3(0, 0, 0), P3(1, 1, 10)));
  EXPECT_EQ(b, Box(P3(0, 0, 0), P3(5, 8, 10)));
  EXPECT_EQ(b.center(), P3(2.5, 4, 5));
  EXPECT_EQ(b.size(), V3(5, 8, 10));
}

TEST(Box, MeetsAndContainsWithinTolerance) {
  const Box unit(P3(0, 0, 0), P3(1, 1, 1));
  EXPECT_TRUE(unit.meets(Box(P3(1.05, 0, 0), P3(2, 1, 1)), 0.1));
  EXPECT_FALSE(unit.meets(Box(P3(1.15, 0, 0), P3(2, 1, 1)), 0.1));
  EXPECT_FALSE(unit.meets(Box(P3(0, 0, -2), P3(1, 1, -1.15)), 0.1));
  EXPECT_TRUE(unit.meets(Box(P3(-5, -5, -5), P3(5, 5, 5)), 0.0));
  EXPECT_TRUE(unit.meets(Box(P3(1, 1, 1), P3(2, 2, 2)), 0.0));  // a shared corner
  EXPECT_TRUE(unit.contains(Box(P3(-0.05, 0, 0), P3(1.05, 1, 1)), 0.1));
  EXPECT_FALSE(unit.contains(Box(P3(-0.15, 0, 0), P3(1, 1, 1)), 0.1));
  EXPECT_FALSE(unit.contains(Box(P3(0, 0, 0), P3(1, 1, 1.2)), 0.1));
  // The default-tolerance forms.
  EXPECT_TRUE(unit.meets(Box(P3(1 + 5e-7, 0, 0), P3(2, 1, 1))));
  EXPECT_FALSE(unit.meets(Box(P3(1 + 2e-6, 0, 0), P3(2, 1, 1))));
}

TEST(Matrix, ProductsTransposeAndRowVectorTransforms) {
  matrix<double, 2, 3> a;
  matrix<double, 3, 2> b;
  matrix<double, 2, 2> ab;
  for (int i = 0; i < 6; ++i) {
    a.data()[i] = i + 1;  // 1 2 3 / 4 5 6
    b.data()[i] = 6 - i;  // 6 5 / 4 3 / 2 1
  }
  const double products[] = {20, 14, 56, 41};
  for (int i = 0; i < 4; ++i) ab.data()[i] = products[i];
  EXPECT_EQ(a * b, ab);
  EXPECT_EQ(a.transposed()(2, 1), 6.0);
  EXPECT_EQ((matrix<double, 3, 3>::identity() * b), b);

  auto m = matrix<double, 4, 4>::identity();
  m(3, 0) = 10;  // translation in row 3
  m(0, 1) = 1;   // x feeds y
  EXPECT_EQ(V3(1, 2, 3) * m, V3(1, 3, 3));
  EXPECT_EQ(P3(1, 2, 3) * m, P3(11, 3, 3));
  m(3, 3) = 2;
  EXPECT_EQ(P3(1, 2, 3) * m, P3(5.5, 1.5, 1.5));
}

}  // namespace
