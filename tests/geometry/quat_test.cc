#include "lumotools/geometry/quat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using Vec3 = shapekit::vector3d<double>;
using Mat4 = shapekit::matrix<double, 4, 4>;

constexpr double kPi = 3.14159265358979323846;

// Agreement expected between two double computations of the same rotation.
template <typename T>
void ExpectNear(const T& a, const T& b) {
  EXPECT_LT((a - b).length(), 1e-12);
}

// Rodrigues' rotation formula.
Vec3 Rotated(const Vec3& v, double angle, const Vec3& axis) {
  const Vec3 k = axis.normalized();
  return v * std::cos(angle) + k.cross(v) * std::sin(angle) +
         k * (k.dot(v) * (1 - std::cos(angle)));
}

// Random rotations against Rodrigues' formula: the rotation of vectors, the stored matrix, the
// order of products, the axis and angle read back, and both ways of turning one direction onto
// another.
TEST(Quat, RandomRotationsAgreeWithRodriguesFormula) {
  std::mt19937 rng(20261205);
  std::uniform_real_distribution<double> coordinate(-5.0, 5.0), angle(-2 * kPi, 2 * kPi);
  auto vector = [&] { return Vec3(coordinate(rng), coordinate(rng), coordinate(rng)); };
  for (int trial = 0; trial < 20; ++trial) {
    const Vec3 axisA = vector(), axisB = vector(), axisC = vector(), v = vector();
    const double a = angle(rng), b = angle(rng), c = angle(rng);
    const Quat qa(a, axisA), qb(b, axisB), qc(c, axisC);
    Mat4 m;
    qa.get(m);
    ExpectNear(qa * v, Rotated(v, a, axisA));
    ExpectNear(v * m, Rotated(v, a, axisA));  // row vector times the stored matrix

    ExpectNear((qa * qb) * v, Rotated(Rotated(v, a, axisA), b, axisB));
    ExpectNear(Quat(a, axisA, b, axisB, c, axisC) * v, qc * (qb * (qa * v)));
    Quat accumulated = qa;
    ExpectNear(accumulated *= qb, qa * qb);
    ExpectNear((qa / qb) * qb, qa);

    double gotAngle;
    Vec3 gotAxis;
    Quat(std::fabs(a), axisA).getRotate(gotAngle, gotAxis);
    EXPECT_NEAR(gotAngle, std::fabs(a), 1e-9);
    ExpectNear(gotAxis, axisA.normalized());

    Quat shortest, original;
    shortest.makeRotate(axisA, axisB);
    original.makeRotate_original(axisA, axisB);
    ExpectNear((shortest * axisA).normalized(), axisB.normalized());
    // Both are the rotation about from x to by the angle between them, up to sign.
    ExpectNear(shortest, shortest.w() * original.w() < 0 ? -original : original);
  }
}

TEST(Quat, AlgebraMembers) {
  const Quat q(1, 2, 3, 4);
  EXPECT_EQ(q.length(), std::sqrt(30.0));
  EXPECT_EQ(-q, Quat(-1, -2, -3, -4));
  EXPECT_EQ(q + Quat(1, 2, 4, 8), Quat(2, 4, 7, 12));
  EXPECT_EQ(q - Quat(1, 2, 4, 8), Quat(0, 0, -1, -4));
  EXPECT_EQ(q / 4.0, Quat(0.25, 0.5, 0.75, 1));
  ExpectNear(q * q.inverse(), Quat());
  EXPECT_EQ(q.asVec3(), Vec3(1, 2, 3));
  EXPECT_TRUE(Quat().zeroRotation() && !Quat(0, 0, 0, -1).zeroRotation());
  // Ordered component by component.
  EXPECT_TRUE(Quat(1, 2, 3, 4) < Quat(1, 2, 3, 5) && Quat(1, 2, 3, 9) < Quat(1, 2, 4, 0));
  EXPECT_FALSE(Quat(1, 2, 3, 4) < Quat(1, 2, 3, 4) || Quat(2, 0, 0, 0) < Quat(1, 9, 9, 9));
}

// Axes too short to give a direction, directions taken as unit length, the identity and its
// negative read back, and the matrix of zero and of a scaled quaternion.
TEST(Quat, DegenerateRotations) {
  Quat q(1, 2, 3, 4);
  q.makeRotate(1.0, Vec3(0, 0, 0));
  EXPECT_EQ(q, Quat());
  q.makeRotate(2.0, 5e-8, 0, 0);
  EXPECT_EQ(q, Quat());
  q.makeRotate(kPi, 2e-7, 0, 0);
  EXPECT_NEAR(q.x(), 1.0, 1e-12);
  // A direction no further than 1e-7 from unit length squared is used as it is.
  const double nearUnit = std::sqrt(1.0 - 1e-7);
  q.makeRotate(Vec3(0, 2, 0), Vec3(nearUnit, 0, 0));
  ExpectNear(q, Quat(0, 0, -nearUnit * std::sqrt(0.5), std::sqrt(0.5)));

  double angle = -1, x, y, z;
  Vec3 axis;
  Quat().getRotate(angle, axis);
  EXPECT_TRUE(angle == 0.0 && axis == Vec3(0, 0, 1));
  Quat(0, 0, 0, -1).getRotate(angle, x, y, z);
  EXPECT_NEAR(angle, 2 * kPi, 1e-12);
  EXPECT_EQ(Vec3(x, y, z), Vec3(0, 0, 1));

  Mat4 m, expected, fromScaled;
  m(0, 0) = 7;
  Quat(0, 0, 0, 0).get(m);
  expected(3, 3) = 1;
  EXPECT_EQ(m, expected);
  const Quat unit(0.7, Vec3(1, 2, 3));
  unit.get(m);
  (unit * 3.0).get(fromScaled);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.data()[i], fromScaled.data()[i], 1e-12);
}

TEST(Quat, OppositeDirections) {
  Quat q;
  q.makeRotate(Vec3(1, 0, 0), Vec3(-1, 0, 0));
  EXPECT_EQ(q, Quat(-0.0, 0, 1, 0));
  EXPECT_TRUE(std::signbit(q.x()));
  q.makeRotate(Vec3(0, 1, 0), Vec3(0, -1, 0));
  EXPECT_EQ(q, Quat(0, 0, -1, 0));
  // The third rule, x and y of at least 0.6: about (y, -x, 0), also on either boundary.
  for (const Vec3& v : {Vec3(0.6, 0.64, 0.48), Vec3(0.64, 0.6, 0.48)}) {
    q.makeRotate(v, -v);
    const double n = std::sqrt(1 - 0.48 * 0.48);
    ExpectNear(q, Quat(v.y / n, -v.x / n, 0, 0));
  }

  q.makeRotate_original(Vec3(0, 3, 1), Vec3(0, -3, -1));  // x smallest: about from x X
  ExpectNear(q, Quat(0, 1 / std::sqrt(10.0), -3 / std::sqrt(10.0), 0));
  q.makeRotate_original(Vec3(2, 0, 1), Vec3(-2, 0, -1));  // y smallest: about from x Y
  ExpectNear(q, Quat(-1 / std::sqrt(5.0), 0, 2 / std::sqrt(5.0), 0));
  q.makeRotate_original(Vec3(0, 3, 0), Vec3(0, -1, 0));  // x and z tie: about from x Z
  EXPECT_EQ(q, Quat(1, 0, 0, 0));
  q.makeRotate_original(Vec3(1, 0, 0), Vec3(-2, 0, 0));  // x largest, z not above y: axis Z
  EXPECT_EQ(q, Quat(0, -1, 0, 0));
  q.makeRotate_original(Vec3(0, 0, 0), Vec3(1, 0, 0));
  EXPECT_EQ(q, Quat());
}

}  // namespace
