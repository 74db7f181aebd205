#include "shapekit/tolerance.h"

namespace shapekit {

std::atomic<double> CGeometryTolerate::s_dDefaultPointTol{CGeometryTolerate::kDefaultPointTol};
std::atomic<double> CGeometryTolerate::s_dDefaultAngleTol{CGeometryTolerate::kDefaultAngleTol};

void CGeometryTolerate::SetDefaultTol(const CGeometryTolerate& tol) {
  s_dDefaultPointTol.store(tol.GetPointTol(), std::memory_order_relaxed);
  s_dDefaultAngleTol.store(tol.GetAngleTol(), std::memory_order_relaxed);
}

}  // namespace shapekit
