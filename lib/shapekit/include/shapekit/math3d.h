// CLumoMath3D: spatial constructions on lines and planes. All members are static and
// thread-safe.
#ifndef SHAPEKIT_MATH3D_H_
#define SHAPEKIT_MATH3D_H_

#include "shapekit/export.h"
#include "shapekit/line.h"
#include "shapekit/point.h"

namespace shapekit {

class SHAPEKIT_EXPORT CLumoMath3D {
 public:
  // The point where the infinite line through p0 and p1 meets plane, stored in out. Returns
  // false and leaves out unchanged when p0 == p1, the plane is invalid, or the line is parallel
  // to the plane within the default angle tolerance (a line lying in the plane included).
  static bool GetCrossPtLineToPlane(const geo_plane<double>& plane, const point3d<double>& p0,
                                    const point3d<double>& p1, point3d<double>& out);

  // The area of the triangle a, b, c: |(b - a) x (c - a)| / 2.
  static double GetTriangleArea(const point3d<double>& a, const point3d<double>& b,
                                const point3d<double>& c);
};

}  // namespace shapekit

#endif  // SHAPEKIT_MATH3D_H_
