// The polygon formats lumo clip reads and writes besides its contour files: WKT (POLYGON and
// MULTIPOLYGON) and GeoJSON (Polygon, MultiPolygon, a Feature or a FeatureCollection of them).
// The first ring of each polygon becomes an outer contour and the others hole contours, whatever
// their orientation; written polygons follow both formats' rule: outer rings counter-clockwise,
// holes clockwise, every ring closed.
#ifndef LUMOTOOLS_TOOLS_LUMO_POLYGON_FORMATS_H_
#define LUMOTOOLS_TOOLS_LUMO_POLYGON_FORMATS_H_

#include <string>

#include "lumotools/geometry/polygon_clipper.h"

namespace lumo_cli {

enum class PolygonFormat { kContours, kWkt, kGeoJson };

// "contours", "wkt" or "geojson"; raises CommandFailure for any other name.
PolygonFormat PolygonFormatNamed(const std::string& name);
// By extension: .wkt is WKT, .geojson and .json GeoJSON (any letter case), anything else the
// contour text form.
PolygonFormat PolygonFormatOfPath(const std::string& path);

// Adds the polygons of text to polygon (owned by the caller). Bad input raises CommandFailure as
// one line: "<source>:<line>: <what was expected>" for the contour form, WKT and JSON syntax,
// "<source>: <JSON path>: <what was expected>" for GeoJSON of the wrong shape. Rings of fewer than
// 3 vertices and non-finite coordinates are refused.
void ParsePolygons(const std::string& text, const std::string& source, PolygonFormat format,
                   gpc_polygon* polygon);

// The contours as one document of the format: each hole goes with the smallest outer contour
// around it. WKT and GeoJSON write a MULTIPOLYGON (empty when there is no contour) and end with a
// newline.
std::string FormatPolygons(const gpc_polygon& polygon, PolygonFormat format);

}  // namespace lumo_cli

#endif  // LUMOTOOLS_TOOLS_LUMO_POLYGON_FORMATS_H_
