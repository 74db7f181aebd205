// Quat: a double-precision quaternion (x, y, z vector part, w scalar part) for rotations: the
// quaternion algebra, construction from axis and angle or from two directions, axis and angle
// back, rotation of vectors and the 4x4 rotation matrix. Angles are radians. Value type;
// thread-compatible.
//
// Products: l * r is the rotation l followed by the rotation r (the Hamilton product r l).
// Nothing keeps a Quat at unit length; only the rotation operations assume it.
#ifndef LUMOTOOLS_GEOMETRY_QUAT_H_
#define LUMOTOOLS_GEOMETRY_QUAT_H_

#include "lumotools/export.h"
#include "shapekit/matrix.h"
#include "shapekit/point.h"

class LUMO_EXPORT Quat {
 public:
  using Vec3 = shapekit::vector3d<double>;

  // The identity (0, 0, 0, 1).
  Quat() = default;
  Quat(double x, double y, double z, double w) : m_v{x, y, z, w} {}
  // makeRotate(angle, axis).
  Quat(double angle, const Vec3& axis) { makeRotate(angle, axis); }
  // makeRotate(angle1, axis1, angle2, axis2, angle3, axis3).
  Quat(double angle1, const Vec3& axis1, double angle2, const Vec3& axis2, double angle3,
       const Vec3& axis3) {
    makeRotate(angle1, axis1, angle2, axis2, angle3, axis3);
  }

  void set(double x, double y, double z, double w) {
    m_v[0] = x;
    m_v[1] = y;
    m_v[2] = z;
    m_v[3] = w;
  }
  // 0 is x, 1 y, 2 z, 3 w. REQUIRES: 0 <= i < 4.
  double& operator[](int i) { return m_v[i]; }
  double operator[](int i) const { return m_v[i]; }
  double& x() { return m_v[0]; }
  double& y() { return m_v[1]; }
  double& z() { return m_v[2]; }
  double& w() { return m_v[3]; }
  double x() const { return m_v[0]; }
  double y() const { return m_v[1]; }
  double z() const { return m_v[2]; }
  double w() const { return m_v[3]; }
  // The vector part (x, y, z).
  Vec3 asVec3() const { return Vec3(m_v[0], m_v[1], m_v[2]); }

  // Exact comparison of all four values.
  bool operator==(const Quat& o) const;
  bool operator!=(const Quat& o) const { return !(*this == o); }
  // Lexicographic on x, y, z, w.
  bool operator<(const Quat& o) const;

  // True exactly for (0, 0, 0, 1). (0, 0, 0, -1) rotates nothing either but is not this.
  bool zeroRotation() const;

  Quat operator*(double s) const;
  Quat& operator*=(double s);
  // Multiplies each value by 1 / s.
  Quat operator/(double s) const;
  Quat& operator/=(double s);

  // This rotation followed by r.
  Quat operator*(const Quat& r) const;
  Quat& operator*=(const Quat& r);
  // this * d.inverse().
  Quat operator/(const Quat& d) const;
  Quat& operator/=(const Quat& d);
  Quat operator+(const Quat& o) const;
  Quat& operator+=(const Quat& o);
  Quat operator-(const Quat& o) const;
  Quat& operator-=(const Quat& o);
  Quat operator-() const;

  double length() const;
  double length2() const;
  // (-x, -y, -z, w).
  Quat conj() const;
  // conj() / length2(). REQUIRES: not the zero quaternion.
  Quat inverse() const;

  // v rotated by this quaternion. REQUIRES: unit length.
  Vec3 operator*(const Vec3& v) const;

  // The rotation by angle about the axis (x, y, z), which need not be unit length; the identity
  // when the axis is shorter than 1e-7.
  void makeRotate(double angle, double x, double y, double z);
  void makeRotate(double angle, const Vec3& axis);
  // (angle1 about axis1) * (angle2 about axis2) * (angle3 about axis3).
  void makeRotate(double angle1, const Vec3& axis1, double angle2, const Vec3& axis2, double angle3,
                  const Vec3& axis3);
  // The shortest rotation taking direction from to direction to (neither needs to be unit
  // length). Opposite directions give a half turn about an axis perpendicular to from.
  void makeRotate(const Vec3& from, const Vec3& to);
  // The same rotation built through an angle and an axis; the identity when either direction is
  // zero.
  void makeRotate_original(const Vec3& from, const Vec3& to);

  // Angle in [0, 2pi] and unit axis; the axis is (0, 0, 1) when the vector part is zero.
  void getRotate(double& angle, Vec3& axis) const;
  void getRotate(double& angle, double& x, double& y, double& z) const;

  // The rotation matrix for row vectors (v * m rotates v; rows 0-2 are the rotated unit axes),
  // scaled to rotate correctly for a non-unit quaternion; the zero quaternion gives all zeros
  // with a 1 in the last element.
  void get(shapekit::matrix<double, 4, 4>& m) const;

 private:
  double m_v[4] = {0.0, 0.0, 0.0, 1.0};
};

#endif  // LUMOTOOLS_GEOMETRY_QUAT_H_
