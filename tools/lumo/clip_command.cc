// lumo clip OP A B [--svg FILE]   computes A OP B with the polygon clipper (OP: union, diff, int,
//                                 xor) and prints the result contours with their areas; --svg
//                                 also draws the inputs (outlined) and the result (filled)
//
// Contour files: one vertex "x y" per line, a blank line between contours, a line "hole" before a
// contour that is a hole; lines starting with '#' are comments. The printed result uses the same
// form, so it can be read back.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "lumotools/geometry/polygon_clipper.h"

namespace lumo_cli {
namespace {

struct ClipOptions {
  std::string op;
  std::string a;
  std::string b;
  std::string svg;
};

// Owns a gpc_polygon.
class Polygon {
 public:
  Polygon() = default;
  Polygon(const Polygon&) = delete;
  Polygon& operator=(const Polygon&) = delete;
  ~Polygon() { gpc_free_polygon(&p_); }
  gpc_polygon* get() { return &p_; }
  const gpc_polygon& operator*() const { return p_; }

 private:
  gpc_polygon p_{0, nullptr, nullptr};
};

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

// Reads a contour file into polygon; raises CommandFailure naming the file and line on bad input.
void ReadContours(const std::string& path, gpc_polygon* polygon) {
  const std::vector<unsigned char> bytes = ReadWholeFile(path);
  const std::string text(bytes.begin(), bytes.end());
  std::vector<gpc_vertex> contour;
  bool hole = false;
  int hole_line = 0;
  int first_line = 0;
  auto finish = [&]() {
    if (contour.empty()) {
      if (hole) {
        throw CommandFailure(path + ":" + std::to_string(hole_line) +
                             ": 'hole' is not followed by a contour");
      }
      return;
    }
    if (contour.size() < 3) {
      throw CommandFailure(path + ":" + std::to_string(first_line) + ": the contour has " +
                           std::to_string(contour.size()) +
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
        throw CommandFailure(path + ":" + std::to_string(line_number) +
                             ": 'hole' must come before a contour's first vertex, after a blank "
                             "line");
      }
      hole = true;
      hole_line = line_number;
    } else {
      gpc_vertex v;
      if (!ParseVertex(line, &v)) {
        throw CommandFailure(path + ":" + std::to_string(line_number) + ": expected 'x y', got '" +
                             line + "'");
      }
      if (contour.empty()) first_line = line_number;
      contour.push_back(v);
    }
  }
  finish();
}

// The shortest of 15 or 17 significant digits that reads back as the same double.
std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  if (std::strtod(text, nullptr) != value) std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

double SignedArea(const gpc_vertex_list& c) {
  double twice = 0;
  for (int32_t i = 0; i < c.num_vertices; ++i) {
    const gpc_vertex& a = c.vertex[i];
    const gpc_vertex& b = c.vertex[i + 1 == c.num_vertices ? 0 : i + 1];
    twice += (a.x - b.x) * (a.y + b.y);
  }
  return twice / 2;
}

void PrintResult(const gpc_polygon& result) {
  double total = 0;
  for (int32_t c = 0; c < result.num_contours; ++c) {
    const gpc_vertex_list& list = result.contour[c];
    const double area = std::fabs(SignedArea(list));
    total += result.hole[c] ? -area : area;
    if (c > 0) std::cout << '\n';
    if (result.hole[c]) std::cout << "hole\n";
    std::cout << "# " << (result.hole[c] ? "hole" : "outer contour") << ", " << list.num_vertices
              << " vertices, area " << Number(area) << '\n';
    for (int32_t v = 0; v < list.num_vertices; ++v) {
      std::cout << Number(list.vertex[v].x) << ' ' << Number(list.vertex[v].y) << '\n';
    }
  }
  if (result.num_contours > 0) std::cout << '\n';
  std::cout << "# " << result.num_contours << " contours, total area " << Number(total) << '\n';
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
  Polygon a, b, result;
  ReadContours(options.a, a.get());
  ReadContours(options.b, b.get());
  gpc_polygon_clip(op->second, a.get(), b.get(), result.get());
  PrintResult(*result);
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
                   "Contour file: 'x y' per line, a blank line between contours, 'hole' before "
                   "a hole")
      ->required();
  clip->add_option("b", options->b, "Contour file, as A")->required();
  clip->add_option("--svg", options->svg,
                   "Also draw the inputs (outlined; A solid blue, B dashed red) and the result "
                   "(filled green) into this SVG file");
  clip->callback([options] { RunClip(*options); });
}

}  // namespace lumo_cli
