// lumo clip OP A B [--format F] [--to F] [--svg FILE] [--json]
//   computes A OP B with the polygon clipper (OP: union, diff, int, xor) and prints the result;
//   --svg also draws the inputs (outlined) and the result (filled)
//
// A and B are contour files (contour_file.h), WKT or GeoJSON (polygon_formats.h), each by its
// extension unless --format names the format of both. The result is printed in A's format unless
// --to names another, or as lumo's JSON document with --json.
#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "contour_file.h"
#include "json_output.h"
#include "lumotools/geometry/polygon_clipper.h"
#include "polygon_formats.h"

namespace lumo_cli {
namespace {

struct ClipOptions {
  std::string op;
  std::string a;
  std::string b;
  std::string svg;
  std::string format;
  std::string to;
  bool json = false;
};

// {"operation", "contours": [{"hole", "area", "vertices": [[x, y], ...]}], "area"}.
Json ResultJson(const std::string& op, const gpc_polygon& result) {
  Json contours = Json::array();
  for (int32_t c = 0; c < result.num_contours; ++c) {
    const gpc_vertex_list& list = result.contour[c];
    Json vertices = Json::array();
    for (int32_t v = 0; v < list.num_vertices; ++v) {
      vertices.push_back({list.vertex[v].x, list.vertex[v].y});
    }
    contours.push_back({{"hole", result.hole[c] != 0},
                        {"area", std::fabs(SignedArea(list))},
                        {"vertices", vertices}});
  }
  return {{"operation", op}, {"contours", contours}, {"area", NetArea(result)}};
}

// One SVG path of every contour of p; with the even-odd fill rule holes stay open.
std::string PathData(const gpc_polygon& p) {
  std::string d;
  for (int32_t c = 0; c < p.num_contours; ++c) {
    const gpc_vertex_list& list = p.contour[c];
    for (int32_t v = 0; v < list.num_vertices; ++v) {
      d += (v == 0 ? "M" : " L") + Number(list.vertex[v].x) + "," + Number(list.vertex[v].y);
    }
    if (list.num_vertices > 0) d += " Z ";
  }
  return d;
}

void RunClip(const ClipOptions& options) {
  static const std::map<std::string, gpc_op> kOps = {
      {"union", GPC_UNION}, {"diff", GPC_DIFF}, {"int", GPC_INT}, {"xor", GPC_XOR}};
  const auto op = kOps.find(options.op);
  if (op == kOps.end()) {
    throw CommandFailure("unknown operation '" + options.op + "': use union, diff, int or xor");
  }
  auto formatOf = [&options](const std::string& path) {
    return options.format.empty() ? PolygonFormatOfPath(path) : PolygonFormatNamed(options.format);
  };
  OwnedPolygon a, b, result;
  for (auto [path, polygon] : {std::pair{&options.a, a.get()}, std::pair{&options.b, b.get()}}) {
    const std::vector<unsigned char> bytes = ReadWholeFile(*path);
    ParsePolygons(std::string(bytes.begin(), bytes.end()), *path, formatOf(*path), polygon);
  }
  gpc_polygon_clip(op->second, a.get(), b.get(), result.get());
  if (options.json) {
    PrintJson(ResultJson(options.op, *result));
  } else {
    const PolygonFormat to =
        options.to.empty() ? formatOf(options.a) : PolygonFormatNamed(options.to);
    std::cout << FormatPolygons(*result, to);
  }
  if (!options.svg.empty()) WriteClipSvg(options.svg, *a, *b, *result);
}

}  // namespace

void WriteClipSvg(const std::string& path, const gpc_polygon& a, const gpc_polygon& b,
                  const gpc_polygon& result) {
  double xmin = HUGE_VAL, ymin = HUGE_VAL, xmax = -HUGE_VAL, ymax = -HUGE_VAL;
  for (const gpc_polygon* p : {&a, &b, &result}) {
    for (int32_t c = 0; c < p->num_contours; ++c) {
      for (int32_t v = 0; v < p->contour[c].num_vertices; ++v) {
        const gpc_vertex& vertex = p->contour[c].vertex[v];
        xmin = std::min(xmin, vertex.x);
        xmax = std::max(xmax, vertex.x);
        ymin = std::min(ymin, vertex.y);
        ymax = std::max(ymax, vertex.y);
      }
    }
  }
  if (xmin > xmax) xmin = ymin = 0, xmax = ymax = 1;
  double width = xmax - xmin, height = ymax - ymin;
  const double margin = 0.05 * std::max({width, height, 1e-300});
  xmin -= margin;
  ymin -= margin;
  width += 2 * margin;
  height += 2 * margin;
  const double pixels = 800;
  const double pixel_height = std::max(1.0, std::round(pixels * height / width));
  // Stroke widths in user units, so that they come out the same number of pixels in any viewer.
  const double pixel = width / pixels;
  // y grows upwards in the contours and downwards in SVG: mirror about the box.
  const std::string flip = "matrix(1 0 0 -1 0 " + Number(2 * ymin + height) + ")";
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Number(pixels) + "\" height=\"" +
         Number(pixel_height) + "\" viewBox=\"" + Number(xmin) + " " + Number(ymin) + " " +
         Number(width) + " " + Number(height) + "\">\n";
  svg += "<rect x=\"" + Number(xmin) + "\" y=\"" + Number(ymin) + "\" width=\"" + Number(width) +
         "\" height=\"" + Number(height) + "\" fill=\"white\"/>\n";
  svg += "<g transform=\"" + flip + "\">\n";
  svg += "<path id=\"result\" d=\"" + PathData(result) +
         "\" fill=\"#7fb86a\" fill-opacity=\"0.8\" fill-rule=\"evenodd\" stroke=\"#2f6b1f\" "
         "stroke-width=\"" +
         Number(1.5 * pixel) + "\"/>\n";
  svg += "<path id=\"a\" d=\"" + PathData(a) +
         "\" fill=\"none\" stroke=\"#1f4fb4\" stroke-width=\"" + Number(2 * pixel) + "\"/>\n";
  svg += "<path id=\"b\" d=\"" + PathData(b) +
         "\" fill=\"none\" stroke=\"#c0392b\" stroke-width=\"" + Number(2 * pixel) +
         "\" stroke-dasharray=\"" + Number(6 * pixel) + " " + Number(4 * pixel) + "\"/>\n";
  svg += "</g>\n</svg>\n";
  WriteWholeFile(path, std::vector<unsigned char>(svg.begin(), svg.end()));
}

void AddClipCommand(CLI::App& app) {
  auto options = std::make_shared<ClipOptions>();
  CLI::App* clip = app.add_subcommand(
      "clip",
      "Compute A OP B with the polygon clipper and print the result contours and their areas");
  clip->add_option("op", options->op, "union, diff (A minus B), int or xor")
      ->required()
      ->check(CLI::IsMember({"union", "diff", "int", "xor"}));
  clip->add_option("a", options->a,
                   "Polygon file: WKT (.wkt), GeoJSON (.geojson, .json) or contours (any other "
                   "name: 'x y' per line, a blank line between contours, 'hole' before a hole)")
      ->required();
  clip->add_option("b", options->b, "Polygon file, as A")->required();
  const auto formats = CLI::IsMember({"contours", "wkt", "geojson"});
  clip->add_option("--format", options->format,
                   "Read A and B in this format whatever their names: contours, wkt or geojson")
      ->check(formats);
  CLI::Option* to =
      clip->add_option("--to", options->to, "Print the result in this format instead of A's")
          ->check(formats);
  clip->add_option("--svg", options->svg,
                   "Also draw the inputs (outlined; A solid blue, B dashed red) and the result "
                   "(filled green) into this SVG file");
  clip->add_flag("--json", options->json,
                 "Print the result as one JSON document (see the README) instead")
      ->excludes(to);
  clip->callback([options] { RunClip(*options); });
}

}  // namespace lumo_cli
