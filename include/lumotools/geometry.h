// Geometry: window and world quads with the coordinate translator of label editing,
// quaternions, the octree over boxes, the polygon clipper and the boolean tools on polylines. The
// value types come from shapekit.
#ifndef LUMOTOOLS_GEOMETRY_H_
#define LUMOTOOLS_GEOMETRY_H_

#include "lumotools/geometry/bool_tool_2d.h"
#include "lumotools/geometry/coord_translator.h"
#include "lumotools/geometry/oct_id_map.h"
#include "lumotools/geometry/octree.h"
#include "lumotools/geometry/polygon_clipper.h"
#include "lumotools/geometry/quad.h"
#include "lumotools/geometry/quat.h"
#include "lumotools/geometry/text_rect.h"

#endif  // LUMOTOOLS_GEOMETRY_H_
