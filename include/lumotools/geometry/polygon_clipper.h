// The polygon clipper: boolean operations (difference, intersection, exclusive or, union) between
// two polygons, each a set of contours, by a scanbeam sweep in the manner of Vatti.
//
// A polygon's inside is given by the even-odd rule over all its contours: input hole flags are
// not read. Every result contour is closed implicitly (the last vertex joins the first), has at
// least 3 vertices, and carries hole flag 0 when it bounds the result from outside (it runs
// counter-clockwise) or 1 when it bounds a hole (clockwise).
//
// Memory: every array is allocated with malloc and released with free. When an allocation fails
// the clipper writes "gpc malloc failure: <what>\n" to standard error and ends the process with
// exit status 0. A request for 0 bytes allocates nothing and leaves a null pointer.
//
// The functions keep no state between calls; calls on distinct polygons may run concurrently. A
// clip uses about 33 KiB of the caller's stack: its tables start in a 32 KiB block there, so a
// clip of small polygons allocates nothing but its result.
#ifndef LUMOTOOLS_GEOMETRY_POLYGON_CLIPPER_H_
#define LUMOTOOLS_GEOMETRY_POLYGON_CLIPPER_H_

#include <cstdint>

#include "lumotools/export.h"

// The machine epsilon of double, kept under its historical name. The clipper does not compare
// coordinates with it: two coordinates are the same only when they are equal. An absolute
// tolerance of GPC_EPSILON is finer than a unit in the last place for coordinates above 1, so
// there it is equality anyway, and coarser below: near 1e-9 it spans about 1e9 units in the last
// place and would merge every vertex of a polygon a few thousand units across into one point. A
// relative tolerance of a few units merges vertices that are one unit apart at any scale. Both
// give wrong areas on such input; equality gives the exact ones.
#define GPC_EPSILON (2.220446049250313e-16)

typedef enum {
  GPC_DIFF = 0,   // subject minus clip
  GPC_INT = 1,    // intersection
  GPC_XOR = 2,    // exclusive or
  GPC_UNION = 3,  // union
} gpc_op;

typedef struct {
  double x;
  double y;
} gpc_vertex;

// A closed contour: num_vertices vertices, the last joined to the first.
typedef struct {
  int32_t num_vertices;
  gpc_vertex* vertex;  // malloc'ed; null when num_vertices is 0
} gpc_vertex_list;

// A set of contours. The empty polygon has 0 contours and null arrays.
typedef struct {
  int32_t num_contours;
  int32_t* hole;             // one flag per contour: 1 hole, 0 outer contour
  gpc_vertex_list* contour;  // one vertex list per contour
} gpc_polygon;

// Appends a copy of contour with the given hole flag to p. The hole and contour arrays are
// replaced by new arrays one element longer (the old ones are released) and the vertices are
// copied into a new array.
// REQUIRES: p is empty or its arrays came from malloc; contour->num_vertices >= 0.
LUMO_EXPORT void gpc_add_contour(gpc_polygon* p, gpc_vertex_list* contour, int hole);

// Computes subject op clip into result. result is overwritten without being released first:
// release a result it already held with gpc_free_polygon. subject and clip are not changed and
// may be the same polygon. The caller owns result and releases it with gpc_free_polygon.
LUMO_EXPORT void gpc_polygon_clip(gpc_op op, gpc_polygon* subject, gpc_polygon* clip,
                                  gpc_polygon* result);

// Releases every vertex array, the hole array and the contour array of p, and leaves p empty.
LUMO_EXPORT void gpc_free_polygon(gpc_polygon* p);

#endif  // LUMOTOOLS_GEOMETRY_POLYGON_CLIPPER_H_
