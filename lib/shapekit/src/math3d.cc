#include "shapekit/math3d.h"

#include <cmath>

#include "shapekit/tolerance.h"

namespace shapekit {

bool CLumoMath3D::GetCrossPtLineToPlane(const geo_plane<double>& plane, const point3d<double>& p0,
                                        const point3d<double>& p1, point3d<double>& out) {
  const vector3d<double> dir = p1 - p0;
  const double len = dir.length();
  if (!plane.is_valid()) return false;
  // normal . dir = |dir| cos(angle to the normal) = |dir| sin(angle to the plane); a point
  // (len 0) lies along no direction and fails the test below.
  const double along = plane.normal().dot(dir);
  if (std::fabs(along) <= len * CGeometryTolerate::GetDefaultTol().GetAngleTol()) return false;
  out = p0 - dir * (plane.signed_distance(p0) / along);
  return true;
}

double CLumoMath3D::GetTriangleArea(const point3d<double>& a, const point3d<double>& b,
                                    const point3d<double>& c) {
  return (b - a).cross(c - a).length() * 0.5;
}

}  // namespace shapekit
