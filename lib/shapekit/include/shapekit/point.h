// Plain geometric values: point2d (also used as a 2D vector), point3d and vector3d, with the
// usual arithmetic. A point minus a point is a vector; a point plus a vector is a point.
// Header-only value types; thread-compatible.
#ifndef SHAPEKIT_POINT_H_
#define SHAPEKIT_POINT_H_

#include <cmath>

namespace shapekit {

// The single-precision epsilon: a vector no longer than this normalises to the zero vector.
inline constexpr double kNormalizeEpsilon = 1.1920928955078125e-7;

template <typename T>
struct point2d {
  T x{};
  T y{};

  constexpr point2d() = default;
  constexpr point2d(T x_, T y_) : x(x_), y(y_) {}

  constexpr T& operator[](int i) { return i == 0 ? x : y; }
  constexpr T operator[](int i) const { return i == 0 ? x : y; }

  constexpr point2d operator+(const point2d& o) const { return {x + o.x, y + o.y}; }
  constexpr point2d operator-(const point2d& o) const { return {x - o.x, y - o.y}; }
  constexpr point2d operator-() const { return {-x, -y}; }
  constexpr point2d operator*(T s) const { return {x * s, y * s}; }
  constexpr point2d operator/(T s) const { return {x / s, y / s}; }
  point2d& operator+=(const point2d& o) { return *this = *this + o; }
  point2d& operator-=(const point2d& o) { return *this = *this - o; }
  point2d& operator*=(T s) { return *this = *this * s; }
  point2d& operator/=(T s) { return *this = *this / s; }
  constexpr bool operator==(const point2d& o) const { return x == o.x && y == o.y; }
  constexpr bool operator!=(const point2d& o) const { return !(*this == o); }

  // As a vector from the origin.
  constexpr T dot(const point2d& o) const { return x * o.x + y * o.y; }
  // The z part of the 3D cross product: positive when o lies counter-clockwise of this.
  constexpr T cross(const point2d& o) const { return x * o.y - y * o.x; }
  T length() const { return std::sqrt(x * x + y * y); }
  constexpr T length2() const { return x * x + y * y; }
  T distance(const point2d& o) const { return (*this - o).length(); }
  // Divides by the length when it exceeds kNormalizeEpsilon, else becomes (0, 0). Returns the
  // length before normalising.
  T normalize() {
    const T len = length();
    if (len > static_cast<T>(kNormalizeEpsilon)) {
      x /= len;
      y /= len;
    } else {
      x = y = T{};
    }
    return len;
  }
};

template <typename T>
struct vector3d;

template <typename T>
struct point3d {
  T x{};
  T y{};
  T z{};

  constexpr point3d() = default;
  constexpr point3d(T x_, T y_, T z_) : x(x_), y(y_), z(z_) {}
  // The point at the vector's tip when the vector starts at the origin.
  constexpr explicit point3d(const vector3d<T>& v);

  constexpr T& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
  constexpr T operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

  constexpr vector3d<T> operator-(const point3d& o) const;
  constexpr point3d operator+(const vector3d<T>& v) const;
  constexpr point3d operator-(const vector3d<T>& v) const;
  point3d& operator+=(const vector3d<T>& v) { return *this = *this + v; }
  point3d& operator-=(const vector3d<T>& v) { return *this = *this - v; }
  constexpr bool operator==(const point3d& o) const { return x == o.x && y == o.y && z == o.z; }
  constexpr bool operator!=(const point3d& o) const { return !(*this == o); }

  T distance(const point3d& o) const;
};

template <typename T>
struct vector3d {
  T x{};
  T y{};
  T z{};

  constexpr vector3d() = default;
  constexpr vector3d(T x_, T y_, T z_) : x(x_), y(y_), z(z_) {}
  // The vector from the origin to p.
  constexpr explicit vector3d(const point3d<T>& p) : x(p.x), y(p.y), z(p.z) {}

  constexpr T& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
  constexpr T operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

  constexpr vector3d operator+(const vector3d& o) const { return {x + o.x, y + o.y, z + o.z}; }
  constexpr vector3d operator-(const vector3d& o) const { return {x - o.x, y - o.y, z - o.z}; }
  constexpr vector3d operator-() const { return {-x, -y, -z}; }
  constexpr vector3d operator*(T s) const { return {x * s, y * s, z * s}; }
  constexpr vector3d operator/(T s) const { return {x / s, y / s, z / s}; }
  vector3d& operator+=(const vector3d& o) { return *this = *this + o; }
  vector3d& operator-=(const vector3d& o) { return *this = *this - o; }
  vector3d& operator*=(T s) { return *this = *this * s; }
  vector3d& operator/=(T s) { return *this = *this / s; }
  constexpr bool operator==(const vector3d& o) const { return x == o.x && y == o.y && z == o.z; }
  constexpr bool operator!=(const vector3d& o) const { return !(*this == o); }

  constexpr T dot(const vector3d& o) const { return x * o.x + y * o.y + z * o.z; }
  constexpr vector3d cross(const vector3d& o) const {
    return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
  }
  T length() const { return std::sqrt(length2()); }
  constexpr T length2() const { return x * x + y * y + z * z; }
  // Divides by the length when it exceeds kNormalizeEpsilon, else becomes the zero vector.
  // Returns the length before normalising.
  T normalize() {
    const T len = length();
    if (len > static_cast<T>(kNormalizeEpsilon)) {
      x /= len;
      y /= len;
      z /= len;
    } else {
      x = y = z = T{};
    }
    return len;
  }
  // A normalised copy (see normalize).
  vector3d normalized() const {
    vector3d v = *this;
    v.normalize();
    return v;
  }
};

template <typename T>
constexpr vector3d<T> operator*(T s, const vector3d<T>& v) {
  return v * s;
}
template <typename T>
constexpr T dot(const vector3d<T>& a, const vector3d<T>& b) {
  return a.dot(b);
}
template <typename T>
constexpr vector3d<T> cross(const vector3d<T>& a, const vector3d<T>& b) {
  return a.cross(b);
}

template <typename T>
constexpr point3d<T>::point3d(const vector3d<T>& v) : x(v.x), y(v.y), z(v.z) {}
template <typename T>
constexpr vector3d<T> point3d<T>::operator-(const point3d& o) const {
  return {x - o.x, y - o.y, z - o.z};
}
template <typename T>
constexpr point3d<T> point3d<T>::operator+(const vector3d<T>& v) const {
  return {x + v.x, y + v.y, z + v.z};
}
template <typename T>
constexpr point3d<T> point3d<T>::operator-(const vector3d<T>& v) const {
  return {x - v.x, y - v.y, z - v.z};
}
template <typename T>
T point3d<T>::distance(const point3d& o) const {
  return (*this - o).length();
}

}  // namespace shapekit

#endif  // SHAPEKIT_POINT_H_
