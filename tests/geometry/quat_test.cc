#include "lumotools/geometry/quat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using Vec3 = shapekit::vector3d<double>;
using Mat4 = shapekit::matrix<double, 4, 4>;

constexpr double kPi = 3.14159265358979323846;
// Agreement expected between two double computations of the same rotation.
constexpr double kTol = 1e-12;

void ExpectNear(const Vec3& a, const Vec3& b) {
  EXPECT_NEAR(a.x, b.x, kTol);
  EXPECT_NEAR(a.y, b.y, kTol);
  EXPECT_NEAR(a.z, b.z, kTol);
}

void ExpectNear(const Quat& a, const Quat& b) {
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(a[i], b[i], kTol) << "component " << i;
}

// Rodrigues' rotation formula for column vectors: R = I + sin(a) K + (1 - cos(a)) K^2, where K is
// the cross-product matrix of the unit axis.
struct Rotation {
  double r[3][3];

  Rotation(double angle, Vec3 axis) {
    axis.normalize();
    const double k[3][3] = {{0, -axis.z, axis.y}, {axis.z, 0, -axis.x}, {-axis.y, axis.x, 0}};
    const double s = std::sin(angle), c = 1.0 - std::cos(angle);
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) {
        double k2 = 0;
        for (int m = 0; m < 3; ++m) k2 += k[i][m] * k[m][j];
        r[i][j] = (i == j ? 1.0 : 0.0) + s * k[i][j] + c * k2;
      }
    }
  }
  Vec3 operator*(const Vec3& v) const {
    return Vec3(r[0][0] * v.x + r[0][1] * v.y + r[0][2] * v.z,
                r[1][0] * v.x + r[1][1] * v.y + r[1][2] * v.z,
                r[2][0] * v.x + r[2][1] * v.y + r[2][2] * v.z);
  }
};

// Random rotations against Rodrigues' formula: the rotation of vectors, the stored matrix, the
// order of products, the axis and angle read back, and both ways of turning one direction onto
// another.
TEST(Quat, RandomRotationsAgreeWithRodriguesFormula) {
  std::mt19937 rng(20261205);
  std::uniform_real_distribution<double> coordinate(-5.0, 5.0), angle(-2 * kPi, 2 * kPi);
  auto vector = [&] { return Vec3(coordinate(rng), coordinate(rng), coordinate(rng)); };
  for (int trial = 0; trial < 200; ++trial) {
    const Vec3 axisA = vector(), axisB = vector(), axisC = vector(), v = vector();
    const double a = angle(rng), b = angle(rng), c = angle(rng);
    const Quat qa(a, axisA), qb(b, axisB), qc(c, axisC);
    EXPECT_NEAR(qa.length(), 1.0, kTol);
    Mat4 m;
    qa.get(m);
    ExpectNear(qa * v, Rotation(a, axisA) * v);
    ExpectNear(v * m, Rotation(a, axisA) * v);  // row vector times the stored matrix
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(m(i, 3) == 0.0 && m(3, i) == 0.0);
    EXPECT_EQ(m(3, 3), 1.0);

    ExpectNear((qa * qb) * v, Rotation(b, axisB) * (Rotation(a, axisA) * v));
    ExpectNear(Quat(a, axisA, b, axisB, c, axisC) * v, qc * (qb * (qa * v)));
    Quat accumulated = qa;
    accumulated *= qb;
    ExpectNear(accumulated, qa * qb);
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
    ExpectNear((original * axisA).normalized(), axisB.normalized());
    // Both are the rotation about from x to by the angle between them, up to sign.
    ExpectNear(shortest, shortest.w() * original.w() < 0 ? -original : original);
  }
}

TEST(Quat, AlgebraMembers) {
  const Quat q(1, 2, 3, 4);
  EXPECT_EQ(q.length2(), 30.0);
  EXPECT_EQ(q.length(), std::sqrt(30.0));
  EXPECT_EQ(q.conj(), Quat(-1, -2, -3, 4));
  EXPECT_EQ(-q, Quat(-1, -2, -3, -4));
  EXPECT_EQ(q + Quat(1, 2, 4, 8), Quat(2, 4, 7, 12));
  EXPECT_EQ(q - Quat(1, 2, 4, 8), Quat(0, 0, -1, -4));
  EXPECT_EQ(q * 2.0, Quat(2, 4, 6, 8));
  EXPECT_EQ(q / 4.0, Quat(0.25, 0.5, 0.75, 1));
  ExpectNear(q * q.inverse(), Quat());
  ExpectNear(q.inverse() * q, Quat());
  EXPECT_EQ(q.asVec3(), Vec3(1, 2, 3));
  Quat r = q;
  r[3] = 5;
  r.x() = 7;
  EXPECT_EQ(r, Quat(7, 2, 3, 5));
  r.set(0, 0, 0, 1);
  EXPECT_TRUE(r.zeroRotation());
  EXPECT_FALSE(Quat(0, 0, 0, -1).zeroRotation());
  EXPECT_TRUE(Quat(1, 2, 3, 4) < Quat(1, 2, 3, 5));
  EXPECT_TRUE(Quat(1, 2, 3, 9) < Quat(1, 2, 4, 0));
  EXPECT_FALSE(Quat(1, 2, 3, 4) < Quat(1, 2, 3, 4));
  EXPECT_FALSE(Quat(2, 0, 0, 0) < Quat(1, 9, 9, 9));
}

TEST(Quat, ShortAxesGiveIdentity) {
  Quat q(1, 2, 3, 4);
  q.makeRotate(1.0, Vec3(0, 0, 0));
  EXPECT_EQ(q, Quat());
  q.makeRotate(2.0, 5e-8, 0, 0);
  EXPECT_EQ(q, Quat());
  q.makeRotate(kPi, 2e-7, 0, 0);
  EXPECT_NEAR(q.x(), 1.0, kTol);
}

TEST(Quat, OppositeDirections) {
  Quat q;
  q.makeRotate(Vec3(1, 0, 0), Vec3(-1, 0, 0));
  EXPECT_EQ(q, Quat(-0.0, 0, 1, 0));
  EXPECT_TRUE(std::signbit(q.x()));
  q.makeRotate(Vec3(0, 1, 0), Vec3(0, -1, 0));
  EXPECT_EQ(q, Quat(0, 0, -1, 0));
  q.makeRotate(Vec3(0.6, 0.64, 0.48), Vec3(-0.6, -0.64, -0.48));  // third rule: x, y >= 0.6
  EXPECT_NEAR(q.w(), 0.0, kTol);
  ExpectNear(q * Vec3(0.6, 0.64, 0.48), Vec3(-0.6, -0.64, -0.48));

  q.makeRotate_original(Vec3(0, 3, 1), Vec3(0, -3, -1));  // x smallest: about from x X
  ExpectNear(q, Quat(0, 1 / std::sqrt(10.0), -3 / std::sqrt(10.0), 0));
  q.makeRotate_original(Vec3(0, 3, 0), Vec3(0, -1, 0));  // x and z tie: about from x Z
  EXPECT_EQ(q, Quat(1, 0, 0, 0));
  q.makeRotate_original(Vec3(1, 0, 0), Vec3(-2, 0, 0));  // x largest, z not above y: axis Z
  EXPECT_EQ(q, Quat(0, -1, 0, 0));
  q.makeRotate_original(Vec3(0, 0, 0), Vec3(1, 0, 0));
  EXPECT_EQ(q, Quat());
}

TEST(Quat, GetRotateOfIdentityAndNegativeIdentity) {
  double angle = -1;
  Vec3 axis;
  Quat().getRotate(angle, axis);
  EXPECT_EQ(angle, 0.0);
  EXPECT_EQ(axis, Vec3(0, 0, 1));
  double x, y, z;
  Quat(0, 0, 0, -1).getRotate(angle, x, y, z);
  EXPECT_NEAR(angle, 2 * kPi, kTol);
  EXPECT_EQ(Vec3(x, y, z), Vec3(0, 0, 1));
}

TEST(Quat, MatrixOfZeroAndOfNonUnitQuaternions) {
  Mat4 m;
  m(0, 0) = 7;
  Quat(0, 0, 0, 0).get(m);
  Mat4 expected;
  expected(3, 3) = 1;
  EXPECT_EQ(m, expected);

  // A scaled quaternion gives the same rotation matrix.
  const Quat unit(0.7, Vec3(1, 2, 3));
  Mat4 fromUnit, fromScaled;
  unit.get(fromUnit);
  (unit * 3.0).get(fromScaled);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(fromUnit.data()[i], fromScaled.data()[i], kTol);
}

}  // namespace
