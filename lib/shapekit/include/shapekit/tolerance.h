// CGeometryTolerate: the tolerances geometric tests compare against, and the process-wide default
// set. Reading and replacing the default set is thread-safe (each value is read and written
// atomically; a reader may see the point tolerance of one SetDefaultTol and the angle tolerance of
// another while a replacement runs).
#ifndef SHAPEKIT_TOLERANCE_H_
#define SHAPEKIT_TOLERANCE_H_

#include <atomic>

#include "shapekit/export.h"

namespace shapekit {

class SHAPEKIT_EXPORT CGeometryTolerate {
 public:
  // The values of the default set until SetDefaultTol replaces them.
  static constexpr double kDefaultPointTol = 1e-6;
  static constexpr double kDefaultAngleTol = 1e-9;

  constexpr CGeometryTolerate() = default;
  constexpr CGeometryTolerate(double dPointTol, double dAngleTol)
      : m_dPointTol(dPointTol), m_dAngleTol(dAngleTol) {}

  // Two points closer than this (in world units) count as one; boxes apart by no more than it
  // count as meeting.
  constexpr double GetPointTol() const { return m_dPointTol; }
  // Two directions whose angle (radians) is below this count as parallel.
  constexpr double GetAngleTol() const { return m_dAngleTol; }
  void SetPointTol(double dTol) { m_dPointTol = dTol; }
  void SetAngleTol(double dTol) { m_dAngleTol = dTol; }

  // A copy of the process-wide default set, read anew at every call.
  static CGeometryTolerate GetDefaultTol() {
    return CGeometryTolerate(s_dDefaultPointTol.load(std::memory_order_relaxed),
                             s_dDefaultAngleTol.load(std::memory_order_relaxed));
  }
  // Replaces the process-wide default set; later GetDefaultTol calls see the new values.
  static void SetDefaultTol(const CGeometryTolerate& tol);

 private:
  double m_dPointTol = kDefaultPointTol;
  double m_dAngleTol = kDefaultAngleTol;

  static std::atomic<double> s_dDefaultPointTol;
  static std::atomic<double> s_dDefaultAngleTol;
};

}  // namespace shapekit

#endif  // SHAPEKIT_TOLERANCE_H_
