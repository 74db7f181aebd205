// tagLine3D, a line through two points, and geo_plane, a plane through three points.
// Header-only value types; thread-compatible.
#ifndef SHAPEKIT_LINE_H_
#define SHAPEKIT_LINE_H_

#include "shapekit/point.h"

namespace shapekit {

// An infinite line through m_ptFirst and m_ptSecond (a pick line runs from the eye into the
// scene). The two points may coincide, which makes the line degenerate.
struct tagLine3D {
  point3d<double> m_ptFirst;
  point3d<double> m_ptSecond;

  tagLine3D() = default;
  tagLine3D(const point3d<double>& ptFirst, const point3d<double>& ptSecond)
      : m_ptFirst(ptFirst), m_ptSecond(ptSecond) {}

  // From the first point to the second; not normalised.
  vector3d<double> Direction() const { return m_ptSecond - m_ptFirst; }
};

// A plane through an origin point with a unit normal. Built from three points p0, p1, p2, the
// normal is (p1 - p0) x (p2 - p0) normalised (counter-clockwise points face the viewer); when the
// three points are collinear or coincide the normal is the zero vector and the plane is invalid.
template <typename T>
class geo_plane {
 public:
  // The plane z = 0, facing +z.
  constexpr geo_plane() : m_ptOrigin(), m_vNormal(T(0), T(0), T(1)) {}
  geo_plane(const point3d<T>& p0, const point3d<T>& p1, const point3d<T>& p2)
      : m_ptOrigin(p0), m_vNormal((p1 - p0).cross(p2 - p0)) {
    m_vNormal.normalize();
  }
  // REQUIRES: vNormal is not the zero vector (it is normalised here).
  geo_plane(const point3d<T>& ptOrigin, const vector3d<T>& vNormal)
      : m_ptOrigin(ptOrigin), m_vNormal(vNormal) {
    m_vNormal.normalize();
  }

  const point3d<T>& origin() const { return m_ptOrigin; }
  const vector3d<T>& normal() const { return m_vNormal; }
  bool is_valid() const { return m_vNormal.length2() > T(0); }

  // Positive on the side the normal points to; 0 for an invalid plane.
  T signed_distance(const point3d<T>& p) const { return m_vNormal.dot(p - m_ptOrigin); }
  // The foot of the perpendicular from p; p itself for an invalid plane.
  point3d<T> project(const point3d<T>& p) const { return p - m_vNormal * signed_distance(p); }

 private:
  point3d<T> m_ptOrigin;
  vector3d<T> m_vNormal;
};

}  // namespace shapekit

#endif  // SHAPEKIT_LINE_H_
