// matrix<T, R, C>: a dense matrix stored row by row (element (r, c) at r * C + c), with products
// and, for 4x4 matrices, the row-vector transforms of points and directions (v * m: the vector
// multiplies from the left, translation in row 3). Header-only value type; thread-compatible.
#ifndef SHAPEKIT_MATRIX_H_
#define SHAPEKIT_MATRIX_H_

#include "shapekit/point.h"

namespace shapekit {

template <typename T, int R, int C>
class matrix {
 public:
  static_assert(R > 0 && C > 0, "a matrix has at least one row and one column");

  // All elements zero.
  constexpr matrix() = default;

  static constexpr matrix identity() {
    static_assert(R == C, "only a square matrix has an identity");
    matrix m;
    for (int i = 0; i < R; ++i) m(i, i) = T(1);
    return m;
  }

  constexpr T& operator()(int r, int c) { return m_data[r * C + c]; }
  constexpr T operator()(int r, int c) const { return m_data[r * C + c]; }
  // The elements in storage order.
  constexpr T* data() { return m_data; }
  constexpr const T* data() const { return m_data; }
  static constexpr int rows() { return R; }
  static constexpr int cols() { return C; }

  template <int K>
  constexpr matrix<T, R, K> operator*(const matrix<T, C, K>& o) const {
    matrix<T, R, K> m;
    for (int r = 0; r < R; ++r) {
      for (int k = 0; k < K; ++k) {
        T sum{};
        for (int c = 0; c < C; ++c) sum += (*this)(r, c) * o(c, k);
        m(r, k) = sum;
      }
    }
    return m;
  }

  constexpr matrix<T, C, R> transposed() const {
    matrix<T, C, R> m;
    for (int r = 0; r < R; ++r) {
      for (int c = 0; c < C; ++c) m(c, r) = (*this)(r, c);
    }
    return m;
  }

  constexpr bool operator==(const matrix& o) const {
    for (int i = 0; i < R * C; ++i) {
      if (m_data[i] != o.m_data[i]) return false;
    }
    return true;
  }
  constexpr bool operator!=(const matrix& o) const { return !(*this == o); }

 private:
  T m_data[R * C]{};
};

// v * m for a direction (w = 0): rows 0-2 only, no translation.
template <typename T>
constexpr vector3d<T> operator*(const vector3d<T>& v, const matrix<T, 4, 4>& m) {
  return {v.x * m(0, 0) + v.y * m(1, 0) + v.z * m(2, 0),
          v.x * m(0, 1) + v.y * m(1, 1) + v.z * m(2, 1),
          v.x * m(0, 2) + v.y * m(1, 2) + v.z * m(2, 2)};
}

// p * m for a point (w = 1), divided by the resulting w when that is neither 0 nor 1.
template <typename T>
constexpr point3d<T> operator*(const point3d<T>& p, const matrix<T, 4, 4>& m) {
  T out[4];
  for (int c = 0; c < 4; ++c) out[c] = p.x * m(0, c) + p.y * m(1, c) + p.z * m(2, c) + m(3, c);
  if (out[3] != T(0) && out[3] != T(1)) return {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
  return {out[0], out[1], out[2]};
}

}  // namespace shapekit

#endif  // SHAPEKIT_MATRIX_H_
