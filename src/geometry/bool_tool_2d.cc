#include "lumotools/geometry/bool_tool_2d.h"

#include <algorithm>
#include <type_traits>
#include <utility>

#include "clipper/gpc_memory.h"
#include "shapekit/math2d.h"

using shapekit::point2d;
using shapekit::tagPolyLine;

namespace {

constexpr gpc_polygon kEmpty{0, nullptr, nullptr};

bool HasContours(const gpc_polygon& p) { return p.num_contours > 0; }

void FreeAll(CBoolTool2D::Polygons& polys) {
  for (gpc_polygon& p : polys) gpc_free_polygon(&p);
}

// A polygon made of the given contours in order: the vertex arrays are taken over, the hole and
// contour arrays newly allocated.
gpc_polygon PolygonOf(const std::vector<std::pair<gpc_vertex_list, int>>& contours) {
  gpc_polygon poly = kEmpty;
  const size_t n = contours.size();
  poly.num_contours = static_cast<int32_t>(n);
  poly.hole = static_cast<int32_t*>(lumo_gpc::Allocate(n * sizeof(int32_t), "hole flag"));
  poly.contour = static_cast<gpc_vertex_list*>(
      lumo_gpc::Allocate(n * sizeof(gpc_vertex_list), "contour creation"));
  for (size_t i = 0; i < n; ++i) {
    poly.contour[i] = contours[i].first;
    poly.hole[i] = contours[i].second;
  }
  return poly;
}

// Takes the vertex array out of a list made by Create_gpc_vertex_list and releases the list.
gpc_vertex_list TakeList(gpc_vertex_list* list) {
  const gpc_vertex_list taken = *list;
  std::free(list);
  return taken;
}

}  // namespace

gpc_vertex_list* CBoolTool2D::Create_gpc_vertex_list(const tagPolyLine& line) {
  std::vector<point2d<double>> points;
  line.GetPolygonPoint(points, 36, -1.0);
  if (!line.IsCCW()) std::reverse(points.begin(), points.end());
  if (points.size() < 3) return nullptr;
  auto* list = static_cast<gpc_vertex_list*>(
      lumo_gpc::Allocate(sizeof(gpc_vertex_list), "contour creation"));
  list->num_vertices = static_cast<int32_t>(points.size());
  list->vertex = static_cast<gpc_vertex*>(
      lumo_gpc::Allocate(points.size() * sizeof(gpc_vertex), "vertex creation"));
  for (size_t i = 0; i < points.size(); ++i) list->vertex[i] = gpc_vertex{points[i].x, points[i].y};
  return list;
}

bool CBoolTool2D::InitLineByGPC_VertexList(const gpc_vertex_list& list, tagPolyLine& line) {
  if (list.num_vertices < 3) return false;
  line.m_vecEdges.clear();
  line.m_bClosed = true;
  for (int32_t i = 0; i < list.num_vertices; ++i) {
    line.m_vecEdges.emplace_back(point2d<double>(list.vertex[i].x, list.vertex[i].y), 0.0);
  }
  line.AppendEdge(shapekit::CPolyEdge(point2d<double>(list.vertex[0].x, list.vertex[0].y), 0.0));
  return true;
}

bool CBoolTool2D::PolyLineToGpcPolygon(const tagPolyLine& line, gpc_polygon& poly) {
  poly = kEmpty;
  gpc_vertex_list* list = Create_gpc_vertex_list(line);
  if (list == nullptr) return false;
  poly = PolygonOf({{TakeList(list), 0}});
  return true;
}

bool CBoolTool2D::PolyLineToGpcPolygon(const CPolyLineWithHole& withHoles, gpc_polygon& poly) {
  poly = kEmpty;
  gpc_vertex_list* outline = Create_gpc_vertex_list(withHoles.m_outline);
  if (outline == nullptr) return false;
  std::vector<std::pair<gpc_vertex_list, int>> contours{{TakeList(outline), 0}};
  for (size_t i = 0; i < withHoles.m_vecHoles.size(); ++i) {
    gpc_vertex_list* hole = Create_gpc_vertex_list(withHoles.m_vecHoles[i]);
    if (hole == nullptr) continue;
    const size_t at = std::min(i, contours.size());
    contours.insert(contours.begin() + static_cast<std::ptrdiff_t>(at), {TakeList(hole), 1});
  }
  poly = PolygonOf(contours);
  return true;
}

void CBoolTool2D::VecPolyLineToGpcPolygon(const PolyLines& lines, Polygons& polys) {
  for (const tagPolyLine& line : lines) {
    gpc_polygon poly;
    if (PolyLineToGpcPolygon(line, poly)) polys.push_back(poly);
  }
}

void CBoolTool2D::VecPolyLineToGpcPolygon(const PolyLinesWithHoles& withHoles, Polygons& polys) {
  for (const CPolyLineWithHole& region : withHoles) {
    gpc_polygon poly;
    if (PolyLineToGpcPolygon(region, poly)) polys.push_back(poly);
  }
}

bool CBoolTool2D::GpcPolygonToLine(const gpc_polygon& poly, PolyLines& lines) {
  for (int32_t c = 0; c < poly.num_contours; ++c) {
    tagPolyLine line;
    if (poly.hole[c] == 0 && InitLineByGPC_VertexList(poly.contour[c], line)) {
      lines.push_back(std::move(line));
    }
  }
  return true;
}

int CBoolTool2D::GpcPolygonToLine(const Polygons& polys, PolyLines& lines) {
  for (const gpc_polygon& poly : polys) GpcPolygonToLine(poly, lines);
  return static_cast<int>(lines.size());
}

int CBoolTool2D::GpcPolygonToLine(const Polygons& polys, PolyLinesWithHoles& withHoles) {
  PolyLines holes;
  for (const gpc_polygon& poly : polys) {
    for (int32_t c = 0; c < poly.num_contours; ++c) {
      tagPolyLine line;
      if (!InitLineByGPC_VertexList(poly.contour[c], line)) continue;
      if (poly.hole[c] == 0) {
        withHoles.emplace_back();
        withHoles.back().m_outline = std::move(line);
      } else {
        holes.push_back(std::move(line));
      }
    }
  }
  for (tagPolyLine& hole : holes) {
    for (CPolyLineWithHole& region : withHoles) {
      if (shapekit::CLumoMath2D::GetRelationPolyLineAndPolyLine(region.m_outline, hole, 1.0) ==
          shapekit::RELATION_POLY_CONTAIN) {
        region.m_vecHoles.push_back(std::move(hole));
        break;
      }
    }
  }
  return static_cast<int>(withHoles.size());
}

bool CBoolTool2D::GpcPolygon_Copy(const gpc_polygon& src, gpc_polygon& dst) {
  dst = kEmpty;
  for (int32_t c = 0; c < src.num_contours; ++c) {
    gpc_add_contour(&dst, &src.contour[c], src.hole[c]);
  }
  return true;
}

bool CBoolTool2D::GpcPolygon_Union(Polygons& polys, gpc_polygon& result) {
  if (polys.empty()) return false;
  GpcPolygon_Copy(polys.front(), result);
  for (size_t i = 1; i < polys.size(); ++i) {
    gpc_polygon previous = result;
    gpc_polygon_clip(GPC_UNION, &polys[i], &previous, &result);
    gpc_free_polygon(&previous);
  }
  return true;
}

bool CBoolTool2D::GpcPolygon_Subtract(Polygons& minuends, Polygons& subtrahends,
                                      gpc_polygon& result) {
  if (!GpcPolygon_Union(minuends, result) || !HasContours(result)) return false;
  for (gpc_polygon& s : subtrahends) {
    gpc_polygon previous = result;
    gpc_polygon_clip(GPC_DIFF, &previous, &s, &result);
    gpc_free_polygon(&previous);
    if (!HasContours(result)) return false;
  }
  return true;
}

template <class Regions, class Output>
bool CBoolTool2D::SubtractConverted(const Regions& minuends, const Regions& subtrahends,
                                    Output& out) {
  Polygons m;
  Polygons s;
  VecPolyLineToGpcPolygon(minuends, m);
  VecPolyLineToGpcPolygon(subtrahends, s);
  bool done = false;
  if constexpr (std::is_same<Output, Polygons>::value) {
    done = GpcPolygon_Subtract_Each(m, s, out);
  } else {
    done = GpcPolygon_Subtract(m, s, out);
  }
  FreeAll(m);
  FreeAll(s);
  return done;
}

bool CBoolTool2D::GpcPolygon_Subtract(PolyLinesWithHoles& minuends, PolyLinesWithHoles& subtrahends,
                                      gpc_polygon& result) {
  return SubtractConverted(minuends, subtrahends, result);
}

bool CBoolTool2D::GpcPolygon_Subtract(PolyLines& minuends, PolyLines& subtrahends,
                                      gpc_polygon& result) {
  return SubtractConverted(minuends, subtrahends, result);
}

bool CBoolTool2D::GpcPolygon_Subtract(PolyLinesWithHoles& minuends, PolyLinesWithHoles& subtrahends,
                                      Polygons& results) {
  return SubtractConverted(minuends, subtrahends, results);
}

bool CBoolTool2D::GpcPolygon_Subtract(tagPolyLine& a, tagPolyLine& b, PolyLines& lines) {
  PolyLines as{a};
  PolyLines bs{b};
  gpc_polygon result = kEmpty;
  const bool done = GpcPolygon_Subtract(as, bs, result);
  GpcPolygonToLine(result, lines);
  gpc_free_polygon(&result);
  return done;
}

bool CBoolTool2D::GpcPolygon_Subtract_Each(Polygons& minuends, Polygons& subtrahends,
                                           Polygons& results) {
  for (gpc_polygon& m : minuends) {
    if (subtrahends.empty()) {
      if (!HasContours(m)) continue;
      results.emplace_back();
      GpcPolygon_Copy(m, results.back());
      continue;
    }
    gpc_polygon* cur = &m;
    gpc_polygon r = kEmpty;
    bool left = true;
    for (gpc_polygon& s : subtrahends) {
      gpc_polygon next;
      gpc_polygon_clip(GPC_DIFF, cur, &s, &next);
      if (cur != &m) gpc_free_polygon(cur);
      r = next;
      cur = &r;
      if (!HasContours(r)) {
        gpc_free_polygon(&r);
        left = false;
        break;
      }
    }
    if (left) results.push_back(r);
  }
  return true;
}

int CBoolTool2D::GpcPolygon_Intersection(tagPolyLine& a, tagPolyLine& b, PolyLines& lines) {
  gpc_polygon pa;
  gpc_polygon pb;
  PolyLineToGpcPolygon(a, pa);
  PolyLineToGpcPolygon(b, pb);
  gpc_polygon r;
  gpc_polygon_clip(GPC_INT, &pa, &pb, &r);
  gpc_free_polygon(&pa);
  gpc_free_polygon(&pb);
  GpcPolygonToLine(r, lines);
  gpc_free_polygon(&r);
  return static_cast<int>(lines.size());
}

int CBoolTool2D::GpcPolygon_Intersection(PolyLines& A, PolyLines& B, PolyLines& lines) {
  for (tagPolyLine& a : A) {
    for (tagPolyLine& b : B) GpcPolygon_Intersection(a, b, lines);
  }
  return static_cast<int>(lines.size());
}

bool CBoolTool2D::GpcPolygon_Intersection(Polygons&, Polygons&, Polygons&) { return false; }

bool CBoolTool2D::GpcPolygon_Intersection(PolyLines&, tagPolyLine&, PolyLines&) { return false; }
