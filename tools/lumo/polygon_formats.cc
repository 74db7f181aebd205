#include "polygon_formats.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iomanip>
#include <sstream>
#include <vector>

#include <boost/geometry.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <nlohmann/json.hpp>

#include "command_failure.h"
#include "contour_file.h"

namespace lumo_cli {
namespace {

namespace bg = boost::geometry;
using Point = bg::model::d2::point_xy<double>;
// Counter-clockwise outer rings, closed: the rule of both formats.
using Polygon = bg::model::polygon<Point, false, true>;
using MultiPolygon = bg::model::multi_polygon<Polygon>;
using Ring = Polygon::ring_type;
using Json = nlohmann::ordered_json;

// Longest excerpt of a foreign error message kept in a one-line report.
constexpr size_t kMaxMessage = 120;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The message on one line and not too long.
std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  if (text.size() > kMaxMessage) text = text.substr(0, kMaxMessage) + "...";
  return text;
}

// Adds ring as a contour; where names it in an error.
void AddRing(std::vector<gpc_vertex> ring, bool hole, gpc_polygon* polygon,
             const std::string& where) {
  for (const gpc_vertex& v : ring) {
    if (!std::isfinite(v.x) || !std::isfinite(v.y)) {
      throw CommandFailure(where + "expected finite coordinates");
    }
  }
  if (ring.size() > 1 && ring.front().x == ring.back().x && ring.front().y == ring.back().y) {
    ring.pop_back();
  }
  if (ring.size() < 3) {
    throw CommandFailure(where + "expected a ring of at least 3 vertices, got " +
                         std::to_string(ring.size()));
  }
  gpc_vertex_list list{static_cast<int32_t>(ring.size()), ring.data()};
  gpc_add_contour(polygon, &list, hole ? 1 : 0);
}

void AddPolygon(const Polygon& p, gpc_polygon* polygon, const std::string& where) {
  auto add = [&](const Ring& ring, bool hole) {
    std::vector<gpc_vertex> vertices;
    for (const Point& point : ring) vertices.push_back({point.x(), point.y()});
    AddRing(std::move(vertices), hole, polygon, where);
  };
  add(p.outer(), false);
  for (const Ring& inner : p.inners()) add(inner, true);
}

// WKT: one or more POLYGON or MULTIPOLYGON texts, one after another. Each is cut out of the text
// (a keyword, then EMPTY or a parenthesised body) and read by Boost.Geometry; errors name the line
// where the geometry starts.
void ParseWkt(const std::string& text, const std::string& source, gpc_polygon* polygon) {
  size_t i = 0;
  int line = 1;
  auto skipSpace = [&] {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
      if (text[i++] == '\n') ++line;
    }
  };
  auto word = [&] {
    const size_t start = i;
    while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) ++i;
    return Upper(text.substr(start, i - start));
  };
  for (skipSpace(); i < text.size(); skipSpace()) {
    const size_t start = i;
    const int startLine = line;
    const std::string where = source + ":" + std::to_string(startLine) + ": ";
    const std::string keyword = word();
    if (keyword != "POLYGON" && keyword != "MULTIPOLYGON") {
      const size_t end = text.find_first_of(" \t\r\n(", start);
      const std::string got = text.substr(start, std::min<size_t>(end - start, 40));
      throw CommandFailure(where + "expected POLYGON or MULTIPOLYGON, got '" + got + "'");
    }
    skipSpace();
    const size_t bodyStart = i;
    if (word() != "EMPTY") {
      i = bodyStart;
      int depth = 0;
      do {
        if (i == text.size()) break;
        if (text[i] == '(') ++depth;
        if (text[i] == ')') --depth;
        if (text[i] == '\n') ++line;
        ++i;
      } while (depth > 0);
    }
    // Boost's reader separates tokens by spaces only.
    std::string geometry = text.substr(start, i - start);
    std::replace_if(
        geometry.begin(), geometry.end(),
        [](char c) { return std::isspace(static_cast<unsigned char>(c)); }, ' ');
    try {
      if (keyword == "POLYGON") {
        Polygon p;
        bg::read_wkt(geometry, p);
        if (!p.outer().empty()) AddPolygon(p, polygon, where);
      } else {
        MultiPolygon m;
        bg::read_wkt(geometry, m);
        for (const Polygon& p : m) AddPolygon(p, polygon, where);
      }
    } catch (const bg::read_wkt_exception& e) {
      throw CommandFailure(where + "expected WKT: " + OneLine(e.what()));
    }
  }
}

// GeoJSON objects are walked with their JSON path ("$.features[2].geometry") for error reports.
class GeoJsonReader {
 public:
  GeoJsonReader(const std::string& source, gpc_polygon* polygon)
      : source_(source), polygon_(polygon) {}

  // A FeatureCollection, a Feature or a geometry.
  void Document(const Json& value) {
    const std::string type = Type(value, "$");
    if (type == "FeatureCollection") {
      const Json& features = Member(value, "features", "$");
      if (!features.is_array()) Fail("$.features", "an array of features");
      for (size_t i = 0; i < features.size(); ++i) {
        Feature(features[i], "$.features[" + std::to_string(i) + "]");
      }
    } else if (type == "Feature") {
      Feature(value, "$");
    } else {
      Geometry(value, "$");
    }
  }

 private:
  // A feature without a location (geometry null) adds nothing.
  void Feature(const Json& value, const std::string& path) {
    if (Type(value, path) != "Feature") Fail(path + ".type", "\"Feature\"");
    const Json& geometry = Member(value, "geometry", path);
    if (!geometry.is_null()) Geometry(geometry, path + ".geometry");
  }

  void Geometry(const Json& value, const std::string& path) {
    const std::string type = Type(value, path);
    if (type == "Polygon") {
      ReadPolygon(Member(value, "coordinates", path), path + ".coordinates");
    } else if (type == "MultiPolygon") {
      const Json& polygons = Member(value, "coordinates", path);
      if (!polygons.is_array()) Fail(path + ".coordinates", "an array of polygons");
      for (size_t i = 0; i < polygons.size(); ++i) {
        ReadPolygon(polygons[i], path + ".coordinates[" + std::to_string(i) + "]");
      }
    } else {
      Fail(path + ".type", "\"Polygon\" or \"MultiPolygon\", got \"" + type + "\"");
    }
  }

  [[noreturn]] void Fail(const std::string& path, const std::string& expected) const {
    throw CommandFailure(source_ + ": " + path + ": expected " + expected);
  }

  std::string Type(const Json& value, const std::string& path) const {
    if (!value.is_object()) Fail(path, "a GeoJSON object");
    const auto type = value.find("type");
    if (type == value.end() || !type->is_string()) Fail(path + ".type", "a type name");
    return type->get<std::string>();
  }

  const Json& Member(const Json& value, const char* name, const std::string& path) const {
    const auto member = value.find(name);
    if (member == value.end()) Fail(path + "." + name, std::string("member \"") + name + "\"");
    return *member;
  }

  void ReadPolygon(const Json& rings, const std::string& path) {
    if (!rings.is_array() || rings.empty()) Fail(path, "an array of rings, the outer one first");
    for (size_t r = 0; r < rings.size(); ++r) {
      const std::string at = path + "[" + std::to_string(r) + "]";
      if (!rings[r].is_array()) Fail(at, "an array of positions");
      std::vector<gpc_vertex> ring;
      for (size_t v = 0; v < rings[r].size(); ++v) {
        const Json& position = rings[r][v];
        if (!position.is_array() || position.size() < 2 || !position[0].is_number() ||
            !position[1].is_number()) {
          Fail(at + "[" + std::to_string(v) + "]", "a position [x, y]");
        }
        ring.push_back({position[0].get<double>(), position[1].get<double>()});
      }
      AddRing(std::move(ring), r > 0, polygon_, source_ + ": " + at + ": ");
    }
  }

  const std::string& source_;
  gpc_polygon* polygon_;
};

void ParseGeoJson(const std::string& text, const std::string& source, gpc_polygon* polygon) {
  Json document;
  auto lineAt = [&text](size_t offset) {
    offset = std::min(offset, text.size());
    return std::to_string(1 +
                          std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n'));
  };
  try {
    document = Json::parse(text);
  } catch (const Json::parse_error& e) {
    // The library's message after its own "parse error at line L, column C: ".
    std::string what = e.what();
    const size_t column = what.find("column ");
    const size_t colon = what.find(": ", column == std::string::npos ? 0 : column);
    if (colon != std::string::npos) what = what.substr(colon + 2);
    throw CommandFailure(source + ":" + lineAt(e.byte == 0 ? 0 : e.byte - 1) +
                         ": expected JSON: " + OneLine(what));
  } catch (const Json::exception& e) {
    // A number beyond a double's range: the message quotes it ("number overflow parsing '1e400'").
    std::string what = e.what();
    what = what.substr(what.find(']') + 1);
    const size_t quote = what.find('\'');
    const size_t end = what.find('\'', quote + 1);
    const size_t at = quote == std::string::npos || end == std::string::npos
                          ? 0
                          : text.find(what.substr(quote + 1, end - quote - 1));
    throw CommandFailure(source + ":" + lineAt(at == std::string::npos ? 0 : at) +
                         ": expected JSON numbers a double holds:" + OneLine(what));
  }
  GeoJsonReader(source, polygon).Document(document);
}

// The contours grouped into polygons: each hole goes with the smallest outer contour that covers
// all its vertices (outer contours that enclose nothing of it are skipped).
MultiPolygon Group(const gpc_polygon& polygon) {
  auto ring = [](const gpc_vertex_list& list) {
    Ring r;
    for (int32_t v = 0; v < list.num_vertices; ++v) {
      r.push_back(Point(list.vertex[v].x, list.vertex[v].y));
    }
    // Closed by a copy of the first vertex even when the last equals it already, so that reading
    // the ring back (which drops one closing vertex) gives the same contour.
    if (!r.empty()) r.push_back(r.front());
    return r;
  };
  MultiPolygon result;
  std::vector<double> areas;
  for (int32_t c = 0; c < polygon.num_contours; ++c) {
    if (polygon.hole[c]) continue;
    Polygon p;
    p.outer() = ring(polygon.contour[c]);
    result.push_back(p);
    areas.push_back(std::fabs(SignedArea(polygon.contour[c])));
  }
  for (int32_t c = 0; c < polygon.num_contours; ++c) {
    if (!polygon.hole[c]) continue;
    Ring hole = ring(polygon.contour[c]);
    bg::correct(hole);
    size_t best = result.size();
    for (size_t o = 0; o < result.size(); ++o) {
      Ring outer = result[o].outer();
      bg::correct(outer);
      const bool covers = std::all_of(hole.begin(), hole.end(), [&](const Point& point) {
        return bg::covered_by(point, outer);
      });
      if (covers && (best == result.size() || areas[o] < areas[best])) best = o;
    }
    if (best < result.size()) {
      result[best].inners().push_back(hole);
    } else {
      Polygon lone;  // not expected of the clipper's results; kept rather than lost
      lone.outer() = hole;
      result.push_back(lone);
      areas.push_back(0);
    }
  }
  bg::correct(result);
  return result;
}

bool SameCoordinates(const MultiPolygon& a, const MultiPolygon& b) {
  auto same = [](const Ring& x, const Ring& y) {
    return x.size() == y.size() &&
           std::equal(x.begin(), x.end(), y.begin(), [](const Point& p, const Point& q) {
             return p.x() == q.x() && p.y() == q.y();
           });
  };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](const Polygon& p, const Polygon& q) {
           return same(p.outer(), q.outer()) && p.inners().size() == q.inners().size() &&
                  std::equal(p.inners().begin(), p.inners().end(), q.inners().begin(), same);
         });
}

std::string WriteWkt(const MultiPolygon& m) {
  if (m.empty()) return "MULTIPOLYGON EMPTY\n";
  // 15 significant digits unless some coordinate needs 17 to read back the same.
  for (int digits : {15, 17}) {
    std::ostringstream text;
    text << std::setprecision(digits) << bg::wkt(m);
    MultiPolygon back;
    bg::read_wkt(text.str(), back);
    if (digits == 17 || SameCoordinates(back, m)) return text.str() + '\n';
  }
  return std::string();
}

std::string WriteGeoJson(const MultiPolygon& m) {
  Json polygons = Json::array();
  for (const Polygon& p : m) {
    Json rings = Json::array();
    auto add = [&rings](const Ring& ring) {
      Json positions = Json::array();
      for (const Point& point : ring) positions.push_back({point.x(), point.y()});
      rings.push_back(positions);
    };
    add(p.outer());
    for (const Ring& inner : p.inners()) add(inner);
    polygons.push_back(rings);
  }
  return Json{{"type", "MultiPolygon"}, {"coordinates", polygons}}.dump() + '\n';
}

}  // namespace

PolygonFormat PolygonFormatNamed(const std::string& name) {
  if (name == "contours") return PolygonFormat::kContours;
  if (name == "wkt") return PolygonFormat::kWkt;
  if (name == "geojson") return PolygonFormat::kGeoJson;
  throw CommandFailure("unknown format '" + name + "': use contours, wkt or geojson");
}

PolygonFormat PolygonFormatOfPath(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return PolygonFormat::kContours;
  }
  const std::string extension = Upper(path.substr(dot + 1));
  if (extension == "WKT") return PolygonFormat::kWkt;
  if (extension == "GEOJSON" || extension == "JSON") return PolygonFormat::kGeoJson;
  return PolygonFormat::kContours;
}

void ParsePolygons(const std::string& text, const std::string& source, PolygonFormat format,
                   gpc_polygon* polygon) {
  switch (format) {
    case PolygonFormat::kWkt:
      return ParseWkt(text, source, polygon);
    case PolygonFormat::kGeoJson:
      return ParseGeoJson(text, source, polygon);
    case PolygonFormat::kContours:
      break;
  }
  ParseContours(text, source, polygon);
}

std::string FormatPolygons(const gpc_polygon& polygon, PolygonFormat format) {
  switch (format) {
    case PolygonFormat::kWkt:
      return WriteWkt(Group(polygon));
    case PolygonFormat::kGeoJson:
      return WriteGeoJson(Group(polygon));
    case PolygonFormat::kContours:
      break;
  }
  return FormatContours(polygon);
}

}  // namespace lumo_cli
