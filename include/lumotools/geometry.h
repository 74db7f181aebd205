// Geometry: window and world quads with the coordinate translator of label editing,
// quaternions, and the octree over boxes. The value types come from shapekit.
#ifndef LUMOTOOLS_GEOMETRY_H_
#define LUMOTOOLS_GEOMETRY_H_

#include "lumotools/geometry/coord_translator.h"
#include "lumotools/geometry/oct_id_map.h"
#include "lumotools/geometry/octree.h"
#include "lumotools/geometry/quad.h"
#include "lumotools/geometry/quat.h"
#include "lumotools/geometry/text_rect.h"

#endif  // LUMOTOOLS_GEOMETRY_H_
