// A floor slab less its openings: a stairwell inside it and a shaft over its corner are cut out
// with the polygon clipper, the concrete area is measured and the rest is drawn to SVG.
// Usage: slab_openings [SVG]   (default slab.svg)
#include <cmath>
#include <cstdio>
#include <vector>

#include "lumotools/geometry.h"

using shapekit::point2d;
using shapekit::tagPolyLine;

tagPolyLine Rectangle(double x0, double y0, double x1, double y1) {
  return tagPolyLine::FromPoints({point2d<double>(x0, y0), point2d<double>(x1, y0),
                                  point2d<double>(x1, y1), point2d<double>(x0, y1)});
}

// "M x,y L x,y ... Z" with y mirrored, as SVG's y axis points down.
void WritePath(std::FILE* svg, const tagPolyLine& line) {
  for (size_t i = 0; i < line.m_vecEdges.size(); ++i) {
    const point2d<double>& p = line.m_vecEdges[i].GetStartPoint();
    std::fprintf(svg, "%s%g,%g", i == 0 ? "M" : " L", p.x, 8 - p.y);
  }
  std::fprintf(svg, " Z ");
}

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "slab.svg";
  tagPolyLine outline = Rectangle(0, 0, 12, 8);
  tagPolyLine stairwell = Rectangle(3, 3, 6, 5.5);
  tagPolyLine shaft = Rectangle(10, 6, 13, 9);

  std::vector<tagPolyLine> slab{outline}, openings{stairwell, shaft};
  gpc_polygon rest;
  std::vector<CPolyLineWithHole> regions;
  if (CBoolTool2D::GpcPolygon_Subtract(slab, openings, rest)) {
    std::vector<gpc_polygon> polys{rest};
    CBoolTool2D::GpcPolygonToLine(polys, regions);  // holes assigned to the outline around them
  }
  gpc_free_polygon(&rest);

  double area = 0;
  std::FILE* svg = std::fopen(path, "w");
  if (svg == nullptr) return 1;
  std::fprintf(svg, "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"-1 -1 14 10\">\n");
  for (const CPolyLineWithHole& region : regions) {
    area += std::fabs(region.m_outline.GetSignedArea());
    std::fprintf(svg,
                 "<path fill=\"#7fb86a\" fill-rule=\"evenodd\" stroke=\"#2f6b1f\" "
                 "stroke-width=\"0.05\" d=\"");
    WritePath(svg, region.m_outline);
    for (const tagPolyLine& hole : region.m_vecHoles) {
      area -= std::fabs(hole.GetSignedArea());
      WritePath(svg, hole);
    }
    std::fprintf(svg, "\"/>\n");
  }
  std::fprintf(svg, "</svg>\n");
  std::fclose(svg);
  std::printf("%zu region(s), concrete area %.2f m2 (96 - 7.5 - 4), drawn to %s\n", regions.size(),
              area, path);
  return regions.size() == 1 && std::fabs(area - 84.5) < 1e-9 ? 0 : 1;
}
