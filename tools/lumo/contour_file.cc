#include "contour_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "command_failure.h"

namespace lumo_cli {
namespace {

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// Parses "x y"; false unless the line is exactly two finite numbers.
bool ParseVertex(const std::string& line, gpc_vertex* v) {
  const char* p = line.c_str();
  char* end = nullptr;
  errno = 0;
  v->x = std::strtod(p, &end);
  if (end == p || (*end != ' ' && *end != '\t')) return false;
  p = end;
  v->y = std::strtod(p, &end);
  if (end == p || errno == ERANGE) return false;
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0' && std::isfinite(v->x) && std::isfinite(v->y);
}

}  // namespace

void ParseContours(const std::string& text, const std::string& source, gpc_polygon* polygon) {
  std::vector<gpc_vertex> contour;
  bool hole = false;
  int hole_line = 0;
  int first_line = 0;
  auto fail = [&source](int line, const std::string& what) {
    throw CommandFailure(source + ":" + std::to_string(line) + ": " + what);
  };
  auto finish = [&]() {
    if (contour.empty()) {
      if (hole) fail(hole_line, "'hole' is not followed by a contour");
      return;
    }
    if (contour.size() < 3) {
      fail(first_line, "the contour has " + std::to_string(contour.size()) +
                           (contour.size() == 1 ? " vertex" : " vertices") +
                           "; a contour needs at least 3");
    }
    gpc_vertex_list list{static_cast<int32_t>(contour.size()), contour.data()};
    gpc_add_contour(polygon, &list, hole ? 1 : 0);
    contour.clear();
    hole = false;
  };
  size_t start = 0;
  int line_number = 0;
  while (start < text.size()) {
    size_t stop = text.find('\n', start);
    if (stop == std::string::npos) stop = text.size();
    const std::string line = Trim(text.substr(start, stop - start));
    start = stop + 1;
    ++line_number;
    if (line.empty()) {
      finish();
    } else if (line[0] == '#') {
      continue;
    } else if (line == "hole") {
      if (!contour.empty() || hole) {
        fail(line_number, "'hole' must come before a contour's first vertex, after a blank line");
      }
      hole = true;
      hole_line = line_number;
    } else {
      gpc_vertex v;
      if (!ParseVertex(line, &v)) fail(line_number, "expected 'x y', got '" + line + "'");
      if (contour.empty()) first_line = line_number;
      contour.push_back(v);
    }
  }
  finish();
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  if (std::strtod(text, nullptr) != value) std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

double SignedArea(const gpc_vertex_list& contour) {
  double twice = 0;
  for (int32_t i = 0; i < contour.num_vertices; ++i) {
    const gpc_vertex& a = contour.vertex[i];
    const gpc_vertex& b = contour.vertex[i + 1 == contour.num_vertices ? 0 : i + 1];
    twice += (a.x - b.x) * (a.y + b.y);
  }
  return twice / 2;
}

double NetArea(const gpc_polygon& polygon) {
  double total = 0;
  for (int32_t c = 0; c < polygon.num_contours; ++c) {
    const double area = std::fabs(SignedArea(polygon.contour[c]));
    total += polygon.hole[c] ? -area : area;
  }
  return total;
}

std::string FormatContours(const gpc_polygon& polygon) {
  std::string out;
  for (int32_t c = 0; c < polygon.num_contours; ++c) {
    const gpc_vertex_list& list = polygon.contour[c];
    const bool hole = polygon.hole[c] != 0;
    if (c > 0) out += '\n';
    if (hole) out += "hole\n";
    out += "# " + std::string(hole ? "hole" : "outer contour") + ", " +
           std::to_string(list.num_vertices) + " vertices, area " +
           Number(std::fabs(SignedArea(list))) + '\n';
    for (int32_t v = 0; v < list.num_vertices; ++v) {
      out += Number(list.vertex[v].x) + ' ' + Number(list.vertex[v].y) + '\n';
    }
  }
  if (polygon.num_contours > 0) out += '\n';
  out += "# " + std::to_string(polygon.num_contours) + " contours, total area " +
         Number(NetArea(polygon)) + '\n';
  return out;
}

}  // namespace lumo_cli
