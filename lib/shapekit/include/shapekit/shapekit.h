// shapekit, the geometry library: value types (points, vectors, boxes, matrices, lines, planes,
// polylines), tolerances, and planar and spatial operations.
#ifndef SHAPEKIT_SHAPEKIT_H_
#define SHAPEKIT_SHAPEKIT_H_

#include "shapekit/box.h"
#include "shapekit/line.h"
#include "shapekit/math2d.h"
#include "shapekit/math3d.h"
#include "shapekit/matrix.h"
#include "shapekit/point.h"
#include "shapekit/polyline.h"
#include "shapekit/tolerance.h"

#endif  // SHAPEKIT_SHAPEKIT_H_
