// box<T, 3>: an axis-aligned 3D box given by its min and max corners and an empty flag, with the
// meets, contains, centre and extend operations that spatial indexes build on. Header-only value
// type; thread-compatible.
//
// The empty flag only matters to extend: an empty box becomes the first point it is extended by.
// meets and contains use the corners as they stand, whatever the flag says. The default box is
// the cube from -1e6 to 1e6 on every axis, flagged empty.
#ifndef SHAPEKIT_BOX_H_
#define SHAPEKIT_BOX_H_

#include "shapekit/point.h"
#include "shapekit/tolerance.h"

namespace shapekit {

template <typename T, int Dim>
class box;

template <typename T>
class box<T, 3> {
 public:
  using point_type = point3d<T>;

  static constexpr T kDefaultHalfSize = static_cast<T>(1e6);

  constexpr box()
      : m_ptMin(-kDefaultHalfSize, -kDefaultHalfSize, -kDefaultHalfSize),
        m_ptMax(kDefaultHalfSize, kDefaultHalfSize, kDefaultHalfSize),
        m_bEmpty(true) {}
  // A non-empty box with the given corners, stored as given.
  constexpr box(const point_type& ptMin, const point_type& ptMax)
      : m_ptMin(ptMin), m_ptMax(ptMax), m_bEmpty(false) {}

  constexpr const point_type& min_corner() const { return m_ptMin; }
  constexpr const point_type& max_corner() const { return m_ptMax; }
  constexpr bool is_empty() const { return m_bEmpty; }
  // Sets both corners and clears the empty flag.
  void set(const point_type& ptMin, const point_type& ptMax) {
    m_ptMin = ptMin;
    m_ptMax = ptMax;
    m_bEmpty = false;
  }
  // Marks the box empty; the corners stay until the next extend.
  void set_empty() { m_bEmpty = true; }

  // False when on some axis one box lies beyond the other by more than tol; true otherwise, so
  // boxes that touch within tol meet.
  constexpr bool meets(const box& o, T tol) const {
    for (int i = 0; i < 3; ++i) {
      if (m_ptMin[i] > o.m_ptMax[i] + tol || o.m_ptMin[i] - tol > m_ptMax[i]) return false;
    }
    return true;
  }
  // meets with the default point tolerance, read at this call.
  bool meets(const box& o) const {
    return meets(o, static_cast<T>(CGeometryTolerate::GetDefaultTol().GetPointTol()));
  }

  // True when p lies within the box widened by tol on every side.
  constexpr bool contains(const point_type& p, T tol) const {
    for (int i = 0; i < 3; ++i) {
      if (m_ptMin[i] - tol > p[i] || p[i] > m_ptMax[i] + tol) return false;
    }
    return true;
  }
  // True when both corners of o lie within this box widened by tol.
  constexpr bool contains(const box& o, T tol) const {
    return contains(o.m_ptMin, tol) && contains(o.m_ptMax, tol);
  }
  // contains with the default point tolerance, read at this call.
  bool contains(const box& o) const {
    return contains(o, static_cast<T>(CGeometryTolerate::GetDefaultTol().GetPointTol()));
  }
  bool contains(const point_type& p) const {
    return contains(p, static_cast<T>(CGeometryTolerate::GetDefaultTol().GetPointTol()));
  }

  constexpr point_type center() const {
    return point_type((m_ptMin.x + m_ptMax.x) * T(0.5), (m_ptMin.y + m_ptMax.y) * T(0.5),
                      (m_ptMin.z + m_ptMax.z) * T(0.5));
  }
  // max - min per axis.
  constexpr vector3d<T> size() const { return m_ptMax - m_ptMin; }

  // An empty box becomes the point p (and is no longer empty); otherwise each axis grows to
  // take p in.
  void extend(const point_type& p) {
    if (m_bEmpty) {
      m_ptMin = m_ptMax = p;
      m_bEmpty = false;
      return;
    }
    for (int i = 0; i < 3; ++i) {
      if (m_ptMin[i] > p[i]) m_ptMin[i] = p[i];
      if (p[i] > m_ptMax[i]) m_ptMax[i] = p[i];
    }
  }
  // Extends by o's min corner, then by its max corner.
  void extend(const box& o) {
    extend(o.m_ptMin);
    extend(o.m_ptMax);
  }

  constexpr bool operator==(const box& o) const {
    return m_ptMin == o.m_ptMin && m_ptMax == o.m_ptMax && m_bEmpty == o.m_bEmpty;
  }
  constexpr bool operator!=(const box& o) const { return !(*this == o); }

 private:
  point_type m_ptMin;
  point_type m_ptMax;
  bool m_bEmpty;
};

}  // namespace shapekit

#endif  // SHAPEKIT_BOX_H_
