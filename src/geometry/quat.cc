#include "lumotools/geometry/quat.h"

#include <cmath>

namespace {

// Axes shorter than this and direction sums below it count as zero.
constexpr double kEpsilon = 1e-7;
constexpr double kMinNormal = 2.2250738585072014e-308;

}  // namespace

bool Quat::operator==(const Quat& o) const {
  return m_v[0] == o.m_v[0] && m_v[1] == o.m_v[1] && m_v[2] == o.m_v[2] && m_v[3] == o.m_v[3];
}

bool Quat::operator<(const Quat& o) const {
  for (int i = 0; i < 4; ++i) {
    if (m_v[i] < o.m_v[i]) return true;
    if (m_v[i] > o.m_v[i]) return false;
  }
  return false;
}

bool Quat::zeroRotation() const {
  return m_v[0] == 0.0 && m_v[1] == 0.0 && m_v[2] == 0.0 && m_v[3] == 1.0;
}

Quat Quat::operator*(double s) const {
  return Quat(m_v[0] * s, m_v[1] * s, m_v[2] * s, m_v[3] * s);
}
Quat& Quat::operator*=(double s) { return *this = *this * s; }
Quat Quat::operator/(double s) const { return *this * (1.0 / s); }
Quat& Quat::operator/=(double s) { return *this = *this / s; }

Quat Quat::operator*(const Quat& r) const {
  const Quat& l = *this;
  return Quat(r.w() * l.x() + r.x() * l.w() + r.y() * l.z() - r.z() * l.y(),
              r.w() * l.y() - r.x() * l.z() + r.y() * l.w() + r.z() * l.x(),
              r.w() * l.z() + r.x() * l.y() - r.y() * l.x() + r.z() * l.w(),
              r.w() * l.w() - r.x() * l.x() - r.y() * l.y() - r.z() * l.z());
}
Quat& Quat::operator*=(const Quat& r) { return *this = *this * r; }
Quat Quat::operator/(const Quat& d) const { return *this * d.inverse(); }
Quat& Quat::operator/=(const Quat& d) { return *this = *this / d; }

Quat Quat::operator+(const Quat& o) const {
  return Quat(m_v[0] + o.m_v[0], m_v[1] + o.m_v[1], m_v[2] + o.m_v[2], m_v[3] + o.m_v[3]);
}
Quat& Quat::operator+=(const Quat& o) { return *this = *this + o; }
Quat Quat::operator-(const Quat& o) const {
  return Quat(m_v[0] - o.m_v[0], m_v[1] - o.m_v[1], m_v[2] - o.m_v[2], m_v[3] - o.m_v[3]);
}
Quat& Quat::operator-=(const Quat& o) { return *this = *this - o; }
Quat Quat::operator-() const { return Quat(-m_v[0], -m_v[1], -m_v[2], -m_v[3]); }

double Quat::length() const { return std::sqrt(length2()); }
double Quat::length2() const {
  return m_v[0] * m_v[0] + m_v[1] * m_v[1] + m_v[2] * m_v[2] + m_v[3] * m_v[3];
}
Quat Quat::conj() const { return Quat(-m_v[0], -m_v[1], -m_v[2], m_v[3]); }
Quat Quat::inverse() const { return conj() * (1.0 / length2()); }

Quat::Vec3 Quat::operator*(const Vec3& v) const {
  const Vec3 q = asVec3();
  const Vec3 uv = q.cross(v);
  const Vec3 uuv = q.cross(uv);
  return v + uv * (2.0 * m_v[3]) + uuv * 2.0;
}

void Quat::makeRotate(double angle, double x, double y, double z) {
  const double len = std::sqrt(x * x + y * y + z * z);
  if (len < kEpsilon) {
    set(0.0, 0.0, 0.0, 1.0);
    return;
  }
  const double s = std::sin(angle * 0.5) / len;
  set(x * s, y * s, z * s, std::cos(angle * 0.5));
}

void Quat::makeRotate(double angle, const Vec3& axis) { makeRotate(angle, axis.x, axis.y, axis.z); }

void Quat::makeRotate(double angle1, const Vec3& axis1, double angle2, const Vec3& axis2,
                      double angle3, const Vec3& axis3) {
  const Quat q1(angle1, axis1);
  const Quat q2(angle2, axis2);
  const Quat q3(angle3, axis3);
  *this = (q1 * q2) * q3;
}

void Quat::makeRotate(const Vec3& from, const Vec3& to) {
  Vec3 source = from;
  Vec3 target = to;
  // Near-unit directions are used as they are, saving two square roots.
  const double fromLen2 = from.length2();
  double fromLen = 1.0;
  if (fromLen2 < 1.0 - kEpsilon || fromLen2 > 1.0 + kEpsilon) {
    fromLen = std::sqrt(fromLen2);
    source /= fromLen;
  }
  const double toLen2 = to.length2();
  if (toLen2 < 1.0 - kEpsilon || toLen2 > 1.0 + kEpsilon) {
    const double toLen = std::fabs(toLen2 - fromLen2) < kEpsilon ? fromLen : std::sqrt(toLen2);
    target /= toLen;
  }

  const double d = source.dot(target) + 1.0;
  if (d >= kEpsilon) {
    const double s = std::sqrt(d * 0.5);
    const Vec3 axis = source.cross(target) / (2.0 * s);
    set(axis.x, axis.y, axis.z, s);
    return;
  }
  // Opposite directions: a half turn about an axis perpendicular to the source, built from the
  // two components that are not nearly the whole vector.
  if (std::fabs(source.x) < 0.6) {
    const double n = std::sqrt(1.0 - source.x * source.x);
    set(0.0, source.z / n, -source.y / n, 0.0);
  } else if (std::fabs(source.y) < 0.6) {
    const double n = std::sqrt(1.0 - source.y * source.y);
    set(-source.z / n, 0.0, source.x / n, 0.0);
  } else {
    const double n = std::sqrt(1.0 - source.z * source.z);
    set(source.y / n, -source.x / n, 0.0, 0.0);
  }
}

void Quat::makeRotate_original(const Vec3& from, const Vec3& to) {
  const double c = from.dot(to) / (to.length() * from.length());
  if (std::fabs(c - 1.0) < kEpsilon) {
    set(0.0, 0.0, 0.0, 1.0);
  } else if (std::fabs(c + 1.0) < kEpsilon) {
    // Opposite: turn about the cross product of from with the unit axis of its smallest
    // component.
    Vec3 axis;
    if (std::fabs(from.y) > std::fabs(from.x)) {
      axis = std::fabs(from.z) > std::fabs(from.x) ? Vec3(1, 0, 0) : Vec3(0, 0, 1);
    } else {
      axis = std::fabs(from.z) > std::fabs(from.y) ? Vec3(0, 1, 0) : Vec3(0, 0, 1);
    }
    Vec3 a = from.cross(axis);
    a.normalize();
    set(a.x, a.y, a.z, 0.0);
  } else {
    // c is NaN for a zero direction; the cross product is then zero and makeRotate gives the
    // identity.
    makeRotate(std::acos(c), from.cross(to));
  }
}

void Quat::getRotate(double& angle, Vec3& axis) const { getRotate(angle, axis.x, axis.y, axis.z); }

void Quat::getRotate(double& angle, double& x, double& y, double& z) const {
  const double h = std::sqrt(m_v[0] * m_v[0] + m_v[1] * m_v[1] + m_v[2] * m_v[2]);
  angle = 2.0 * std::atan2(h, m_v[3]);
  if (h == 0.0) {
    x = 0.0;
    y = 0.0;
    z = 1.0;
  } else {
    x = m_v[0] / h;
    y = m_v[1] / h;
    z = m_v[2] / h;
  }
}

void Quat::get(shapekit::matrix<double, 4, 4>& m) const {
  m = shapekit::matrix<double, 4, 4>();
  const double n = length2();
  if (std::fabs(n) <= kMinNormal) {
    m(3, 3) = 1.0;
    return;
  }
  const double s = n == 1.0 ? 2.0 : 2.0 / n;
  const double xs = m_v[0] * s, ys = m_v[1] * s, zs = m_v[2] * s;
  const double xx = m_v[0] * xs, yy = m_v[1] * ys, zz = m_v[2] * zs;
  const double xy = m_v[0] * ys, xz = m_v[0] * zs, yz = m_v[1] * zs;
  const double wx = m_v[3] * xs, wy = m_v[3] * ys, wz = m_v[3] * zs;
  m(0, 0) = 1.0 - (yy + zz);
  m(0, 1) = xy + wz;
  m(0, 2) = xz - wy;
  m(1, 0) = xy - wz;
  m(1, 1) = 1.0 - (xx + zz);
  m(1, 2) = yz + wx;
  m(2, 0) = xz + wy;
  m(2, 1) = yz - wx;
  m(2, 2) = 1.0 - (xx + yy);
  m(3, 3) = 1.0;
}
