// Boolean operations on the geometry library's polylines through the polygon clipper:
// CPolyLineWithHole (an outline with holes) and CBoolTool2D (union, subtraction, intersection and
// the conversions between polylines and clipper polygons).
//
// Arc edges become points (36 segments per full circle) before clipping; results come back as
// closed polylines of straight edges, each ending with an edge at its first vertex again. Every
// vertex list handed to the clipper runs counter-clockwise.
//
// Ownership: a gpc_polygon that an operation returns belongs to the caller, who releases it with
// gpc_free_polygon; an output polygon is overwritten without being released first. Temporary
// polygons are released before returning. Output lists are never cleared: results are appended,
// and an int result counts the whole output list after the call. Allocation failures end the
// process with the clipper's message. Thread-compatible: the operations keep no state.
#ifndef LUMOTOOLS_GEOMETRY_BOOL_TOOL_2D_H_
#define LUMOTOOLS_GEOMETRY_BOOL_TOOL_2D_H_

#include <vector>

#include "lumotools/export.h"
#include "lumotools/geometry/polygon_clipper.h"
#include "shapekit/polyline.h"

// An outer boundary with holes.
class LUMO_EXPORT CPolyLineWithHole {
 public:
  std::vector<shapekit::tagPolyLine> m_vecHoles;
  shapekit::tagPolyLine m_outline;
};

class LUMO_EXPORT CBoolTool2D {
 public:
  using PolyLines = std::vector<shapekit::tagPolyLine>;
  using PolyLinesWithHoles = std::vector<CPolyLineWithHole>;
  using Polygons = std::vector<gpc_polygon>;

  // dst gets a copy of every contour of src with its hole flag (its former arrays are not
  // released). Returns true.
  static bool GpcPolygon_Copy(const gpc_polygon& src, gpc_polygon& dst);
  // The union of all polygons into result. false, with result untouched, for an empty list.
  static bool GpcPolygon_Union(Polygons& polys, gpc_polygon& result);

  // The union of the minuends minus each subtrahend in turn, into result. false when the union or
  // any intermediate result has no contour left (result is then empty).
  static bool GpcPolygon_Subtract(Polygons& minuends, Polygons& subtrahends, gpc_polygon& result);
  // As above after converting the regions; regions that yield no polygon are skipped.
  static bool GpcPolygon_Subtract(PolyLinesWithHoles& minuends, PolyLinesWithHoles& subtrahends,
                                  gpc_polygon& result);
  static bool GpcPolygon_Subtract(PolyLines& minuends, PolyLines& subtrahends, gpc_polygon& result);
  // One result per region: GpcPolygon_Subtract_Each of the converted regions.
  static bool GpcPolygon_Subtract(PolyLinesWithHoles& minuends, PolyLinesWithHoles& subtrahends,
                                  Polygons& results);
  // a minus b, appended to lines as polylines (holes dropped); the subtraction's result.
  static bool GpcPolygon_Subtract(shapekit::tagPolyLine& a, shapekit::tagPolyLine& b,
                                  PolyLines& lines);
  // For each minuend: it minus every subtrahend in turn, appended to results unless nothing is
  // left. With no subtrahends, a copy of each minuend that has contours is appended. Returns true.
  static bool GpcPolygon_Subtract_Each(Polygons& minuends, Polygons& subtrahends,
                                       Polygons& results);

  // The intersection of every a of A with every b of B, in that order, appended to lines as
  // polylines (holes dropped). Returns the size of lines.
  static int GpcPolygon_Intersection(PolyLines& A, PolyLines& B, PolyLines& lines);
  static int GpcPolygon_Intersection(shapekit::tagPolyLine& a, shapekit::tagPolyLine& b,
                                     PolyLines& lines);
  // Not implemented: change nothing and return false.
  static bool GpcPolygon_Intersection(Polygons& A, Polygons& B, Polygons& results);
  static bool GpcPolygon_Intersection(PolyLines& A, shapekit::tagPolyLine& b, PolyLines& lines);

  // Appends a polyline for each outer contour (hole flag 0) of at least 3 vertices; holes are
  // dropped. Returns true.
  static bool GpcPolygonToLine(const gpc_polygon& poly, PolyLines& lines);
  // The same over every polygon; returns the size of lines.
  static int GpcPolygonToLine(const Polygons& polys, PolyLines& lines);
  // Every outer contour becomes a new entry; every hole goes to the first entry (entries present
  // before the call included) whose outline contains it, and is dropped when none does. Returns
  // the size of withHoles.
  static int GpcPolygonToLine(const Polygons& polys, PolyLinesWithHoles& withHoles);

  // poly (set empty first, not released) becomes the polyline's one contour; false, with poly
  // empty, when the polyline yields fewer than 3 points.
  static bool PolyLineToGpcPolygon(const shapekit::tagPolyLine& line, gpc_polygon& poly);
  // The holes that yield a polygon come first, at their index in m_vecHoles, flagged 1; the
  // outline last, flagged 0. false when the outline yields no polygon.
  static bool PolyLineToGpcPolygon(const CPolyLineWithHole& withHoles, gpc_polygon& poly);

 private:
  // The polyline's points, counter-clockwise, in a new vertex list; null for fewer than 3.
  static gpc_vertex_list* Create_gpc_vertex_list(const shapekit::tagPolyLine& line);
  // A closed polyline through the vertices; false (line unchanged) for fewer than 3.
  static bool InitLineByGPC_VertexList(const gpc_vertex_list& list, shapekit::tagPolyLine& line);
  static void VecPolyLineToGpcPolygon(const PolyLines& lines, Polygons& polys);
  static void VecPolyLineToGpcPolygon(const PolyLinesWithHoles& withHoles, Polygons& polys);
  // Converts both lists, subtracts into out (one polygon, or one per region for a list), and
  // releases the converted polygons.
  template <class Regions, class Output>
  static bool SubtractConverted(const Regions& minuends, const Regions& subtrahends, Output& out);
};

#endif  // LUMOTOOLS_GEOMETRY_BOOL_TOOL_2D_H_
