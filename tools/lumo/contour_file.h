// The text form of polygons that lumo clip reads and prints: one vertex "x y" per line, a blank
// line between contours, a line "hole" before a contour that is a hole, lines starting with '#'
// as comments. What FormatContours prints reads back through ParseContours as the same contours.
#ifndef LUMOTOOLS_TOOLS_LUMO_CONTOUR_FILE_H_
#define LUMOTOOLS_TOOLS_LUMO_CONTOUR_FILE_H_

#include <string>

#include "lumotools/geometry/polygon_clipper.h"

namespace lumo_cli {

// Owns a gpc_polygon and frees it on destruction.
class OwnedPolygon {
 public:
  OwnedPolygon() = default;
  OwnedPolygon(const OwnedPolygon&) = delete;
  OwnedPolygon& operator=(const OwnedPolygon&) = delete;
  ~OwnedPolygon() { gpc_free_polygon(&p_); }
  gpc_polygon* get() { return &p_; }
  const gpc_polygon& operator*() const { return p_; }
  const gpc_polygon* operator->() const { return &p_; }

 private:
  gpc_polygon p_{0, nullptr, nullptr};
};

// Adds the contours of text to polygon (which the caller owns and frees). On bad input raises
// CommandFailure "<source>:<line>: <what is wrong>"; the contours before the bad one stay added.
void ParseContours(const std::string& text, const std::string& source, gpc_polygon* polygon);

// The contours in the text form, each preceded by a comment with its vertex count and area, and a
// final comment with the count of contours and the total area (outer contours minus holes).
std::string FormatContours(const gpc_polygon& polygon);

// Shoelace area: positive for a counter-clockwise contour.
double SignedArea(const gpc_vertex_list& contour);

// Sum of the outer contours' areas minus the holes' areas, by the polygon's hole flags.
double NetArea(const gpc_polygon& polygon);

// The shortest of 15 or 17 significant digits that reads back as the same double.
std::string Number(double value);

}  // namespace lumo_cli

#endif  // LUMOTOOLS_TOOLS_LUMO_CONTOUR_FILE_H_
