// The polygon clipper next to Clipper 6 (libpolyclipping) and Boost.Geometry, each on the same
// inputs, for union, difference and intersection:
// - Stars/n: two overlapping random star polygons of n vertices each (radii from 0.9 R to R, the
//   centres 0.3 R apart), R = 1e6;
// - Spiky (range 1): two random star polygons of 1,000 vertices, radii from 0.1 R to R, the
//   centres 0.3 R apart: deep spikes, so many crossings;
// - Squares: two sets of 1,000 squares of side 2e4, each square at a random place in its own cell
//   of a 32 x 32 grid over [0, 1e6]^2 (so a set does not overlap itself; the two sets overlap).
// - Concentric/n (union only): two random star polygons of n vertices about one centre, radii
//   from 0.5 R to R: few crossings (k about n) but a horizontal line meets a fixed share of the
//   edges, so every scanbeam has O(n) active edges.
// - Apart/n (union only): two random star polygons of n vertices, radii from 0.5 R to R, one
//   above the other 3 R apart: no crossing at all, the same x range, O(n) active edges per beam.
// - Small (every operation): 10,000 pairs of small polygons as a take-off drawing has them, each
//   a rectangle, an L- or T-shape, a rectangle with 1 to 4 rectangular openings, or a star of 8 to
//   64 vertices, on a 1 mm grid; the second of a pair is centred inside the first's bounding box.
//   One iteration clips every pair; s_per_call is the time of one clip.
// Concentric and Apart show growth on input with few crossings: compare the time per vertex
// (s_per_vertex) from 1,000 to 100,000 vertices. Their 100,000-vertex cases run once.
// Boost.Geometry runs the stars up to 10,000 vertices: its union of the 100,000-vertex stars
// (150,000 result contours) had not finished after ten minutes.
// Clipper 6 works on integers: it gets the coordinates times 1000, rounded, which keeps them below
// 2^30, on its fast path. Input building is outside the timed part; freeing the result is inside.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include <boost/geometry.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <polyclipping/clipper.hpp>

#include "lumotools/geometry/polygon_clipper.h"
#include "support/random_polygons.h"

namespace {

namespace bg = boost::geometry;
using lumo_test::Contour;
using lumo_test::Contours;
using lumo_test::GpcPolygon;

using BgPoint = bg::model::d2::point_xy<double>;
using BgPolygon = bg::model::polygon<BgPoint>;
using BgMulti = bg::model::multi_polygon<BgPolygon>;

constexpr double kRadius = 1e6;
constexpr double kClipperScale = 1000;
constexpr int kGrid = 32;
constexpr double kSquareSide = 2e4;

enum class Op { kUnion, kDifference, kIntersection, kXor };

struct Inputs {
  Contours a, b;
};

// Two stars of n vertices, radii from r_min to R, centres 0.3 R apart.
Inputs Stars(int n, double r_min = 0.9 * kRadius) {
  std::mt19937_64 rng(static_cast<uint64_t>(n));
  return Inputs{{lumo_test::RandomStar(rng, n, 0, 0, r_min, kRadius)},
                {lumo_test::RandomStar(rng, n, 0.3 * kRadius, 0, r_min, kRadius)}};
}

Contours GridSquares(std::mt19937_64& rng) {
  const double cell = kRadius / kGrid;
  std::uniform_real_distribution<double> offset(0, cell - kSquareSide);
  Contours squares;
  for (int i = 0; i < kGrid; ++i) {
    for (int j = 0; j < kGrid && squares.size() < 1000; ++j) {
      const double x = i * cell + offset(rng), y = j * cell + offset(rng);
      squares.push_back(lumo_test::Rect(x, y, x + kSquareSide, y + kSquareSide));
    }
  }
  return squares;
}

Inputs Squares() {
  std::mt19937_64 rng(1000);
  Inputs in;
  in.a = GridSquares(rng);
  in.b = GridSquares(rng);
  return in;
}

// Two stars of n vertices, radii from 0.5 R to R, the second centred dy above the first.
Inputs FewCrossings(int n, double dy) {
  std::mt19937_64 rng(static_cast<uint64_t>(n) + 1);
  return Inputs{{lumo_test::RandomStar(rng, n, 0, 0, 0.5 * kRadius, kRadius)},
                {lumo_test::RandomStar(rng, n, 0, dy, 0.5 * kRadius, kRadius)}};
}

constexpr int kApart = 1;  // taken from -n for the stars apart

// Inputs by range: 0 the squares, 1 the spiky stars, n the stars of n vertices, -n the concentric
// stars, -n - 1 the stars one above the other. The few-crossing inputs are built on first use.
const Inputs& Cached(int n) {
  static const Inputs squares = Squares();
  static const Inputs s1k = Stars(1000), s10k = Stars(10000), s100k = Stars(100000);
  static const Inputs spiky = Stars(1000, 0.1 * kRadius);
  if (n < 0) {
    static std::map<int, Inputs> few;
    auto it = few.find(n);
    if (it == few.end()) {
      const bool apart = (-n) % 10 == kApart;
      const int size = apart ? -n - kApart : -n;
      it = few.emplace(n, FewCrossings(size, apart ? 3 * kRadius : 0)).first;
    }
    return it->second;
  }
  switch (n) {
    case 0:
      return squares;
    case 1:
      return spiky;
    case 1000:
      return s1k;
    case 10000:
      return s10k;
    default:
      return s100k;
  }
}

size_t Vertices(const Contours& contours) {
  size_t n = 0;
  for (const Contour& c : contours) n += c.size();
  return n;
}

// The input size and the time per input vertex.
void PerVertex(benchmark::State& state, const Inputs& in) {
  const double n = static_cast<double>(Vertices(in.a) + Vertices(in.b));
  state.counters["vertices"] = n;
  state.counters["s_per_vertex"] = benchmark::Counter(
      n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

gpc_op GpcOp(Op op) {
  switch (op) {
    case Op::kUnion:
      return GPC_UNION;
    case Op::kDifference:
      return GPC_DIFF;
    case Op::kIntersection:
      return GPC_INT;
    default:
      return GPC_XOR;
  }
}

ClipperLib::ClipType ClipperOp(Op op) {
  switch (op) {
    case Op::kUnion:
      return ClipperLib::ctUnion;
    case Op::kDifference:
      return ClipperLib::ctDifference;
    case Op::kIntersection:
      return ClipperLib::ctIntersection;
    default:
      return ClipperLib::ctXor;
  }
}

template <class Geometry>
void BoostOp(Op op, const Geometry& a, const Geometry& b, BgMulti& result) {
  switch (op) {
    case Op::kUnion:
      bg::union_(a, b, result);
      break;
    case Op::kDifference:
      bg::difference(a, b, result);
      break;
    case Op::kIntersection:
      bg::intersection(a, b, result);
      break;
    default:
      bg::sym_difference(a, b, result);
      break;
  }
}

void Ours(benchmark::State& state, Op op) {
  const Inputs& in = Cached(static_cast<int>(state.range(0)));
  GpcPolygon a(in.a), b(in.b);
  const gpc_op gop = GpcOp(op);
  size_t out = 0;
  for (auto _ : state) {
    gpc_polygon r;
    gpc_polygon_clip(gop, a.get(), b.get(), &r);
    out = static_cast<size_t>(r.num_contours);
    gpc_free_polygon(&r);
  }
  state.counters["contours"] = static_cast<double>(out);
  PerVertex(state, in);
}

ClipperLib::Paths ToClipper(const Contours& contours) {
  ClipperLib::Paths paths;
  for (const Contour& c : contours) {
    ClipperLib::Path path;
    for (const gpc_vertex& v : c) {
      path.emplace_back(static_cast<ClipperLib::cInt>(std::llround(v.x * kClipperScale)),
                        static_cast<ClipperLib::cInt>(std::llround(v.y * kClipperScale)));
    }
    paths.push_back(path);
  }
  return paths;
}

void Clipper6(benchmark::State& state, Op op) {
  const Inputs& in = Cached(static_cast<int>(state.range(0)));
  const ClipperLib::Paths a = ToClipper(in.a), b = ToClipper(in.b);
  const ClipperLib::ClipType type = ClipperOp(op);
  size_t out = 0;
  for (auto _ : state) {
    ClipperLib::Clipper clipper;
    clipper.AddPaths(a, ClipperLib::ptSubject, true);
    clipper.AddPaths(b, ClipperLib::ptClip, true);
    ClipperLib::Paths solution;
    clipper.Execute(type, solution, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
    out = solution.size();
  }
  state.counters["contours"] = static_cast<double>(out);
  PerVertex(state, in);
}

BgMulti ToBoost(const Contours& contours) {
  BgMulti multi;
  for (const Contour& c : contours) {
    multi.emplace_back();
    for (const gpc_vertex& v : c) bg::append(multi.back().outer(), BgPoint(v.x, v.y));
  }
  bg::correct(multi);
  return multi;
}

void BoostGeometry(benchmark::State& state, Op op) {
  const Inputs& in = Cached(static_cast<int>(state.range(0)));
  const BgMulti a = ToBoost(in.a), b = ToBoost(in.b);
  size_t out = 0;
  for (auto _ : state) {
    BgMulti result;
    BoostOp(op, a, b, result);
    out = result.size();
  }
  state.counters["contours"] = static_cast<double>(out);
  PerVertex(state, in);
}

// Range 0 is the squares, 1 the spiky stars; the others the number of vertices of each star.
void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(0)->Arg(1)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

void SmallSizes(benchmark::internal::Benchmark* b) {
  b->Arg(0)->Arg(1)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
}

void ConcentricSizes(benchmark::internal::Benchmark* b) {
  b->Arg(-1000)->Arg(-10000)->Unit(benchmark::kMillisecond);
}

void ApartSizes(benchmark::internal::Benchmark* b) {
  b->Arg(-1000 - kApart)->Arg(-10000 - kApart)->Unit(benchmark::kMillisecond);
}

// The 100,000-vertex few-crossing cases, run once.
void LargeConcentric(benchmark::internal::Benchmark* b) {
  b->Arg(-100000)->Iterations(1)->Unit(benchmark::kMillisecond);
}

void LargeApart(benchmark::internal::Benchmark* b) {
  b->Arg(-100000 - kApart)->Iterations(1)->Unit(benchmark::kMillisecond);
}

// A small polygon of a drawing: an outline (counter-clockwise) and its openings (clockwise).
struct SmallShape {
  Contour outline;
  Contours openings;
};

using SmallPair = std::pair<SmallShape, SmallShape>;

// Coordinates are whole millimetres.
double Mm(double v) { return std::round(v); }

// A random small shape about (cx, cy), 0.5 to 6 m on a side.
SmallShape RandomSmallShape(std::mt19937_64& rng, double cx, double cy) {
  std::uniform_real_distribution<double> size(500, 6000), part(0.2, 0.8), margin(0.1, 0.4);
  const double w = Mm(size(rng)), h = Mm(size(rng));
  const double x0 = Mm(cx - w / 2), y0 = Mm(cy - h / 2), x1 = x0 + w, y1 = y0 + h;
  SmallShape s;
  switch (std::uniform_int_distribution<int>(0, 4)(rng)) {
    case 0:
      s.outline = lumo_test::Rect(x0, y0, x1, y1);
      break;
    case 1: {  // an L: the top right corner cut away
      const double a = Mm(x0 + part(rng) * w), b = Mm(y0 + part(rng) * h);
      s.outline = {{x0, y0}, {x1, y0}, {x1, b}, {a, b}, {a, y1}, {x0, y1}};
      break;
    }
    case 2: {  // a T: a full-width bar on a stem
      const double a0 = Mm(x0 + margin(rng) * w), a1 = Mm(x1 - margin(rng) * w);
      const double b = Mm(y0 + part(rng) * h);
      s.outline = {{a0, y0}, {a1, y0}, {a1, b}, {x1, b}, {x1, y1}, {x0, y1}, {x0, b}, {a0, b}};
      break;
    }
    case 3: {  // a rectangle with 1 to 4 openings, each in its own column
      s.outline = lumo_test::Rect(x0, y0, x1, y1);
      const int n = std::uniform_int_distribution<int>(1, 4)(rng);
      const double cell = w / n;
      std::uniform_real_distribution<double> inset(0.1, 0.3);
      for (int i = 0; i < n; ++i) {
        const double ox0 = Mm(x0 + (i + inset(rng)) * cell),
                     ox1 = Mm(x0 + (i + 1 - inset(rng)) * cell);
        const double oy0 = Mm(y0 + inset(rng) * h), oy1 = Mm(y1 - inset(rng) * h);
        s.openings.push_back({{ox0, oy0}, {ox0, oy1}, {ox1, oy1}, {ox1, oy0}});
      }
      break;
    }
    default: {
      const int n = std::uniform_int_distribution<int>(8, 64)(rng);
      const double r = std::min(w, h) / 2;
      s.outline = lumo_test::RandomStar(rng, n, cx, cy, 0.5 * r, r);
      for (gpc_vertex& v : s.outline) v = gpc_vertex{Mm(v.x), Mm(v.y)};
      break;
    }
  }
  return s;
}

// 10,000 pairs, the second shape of each centred at a random point of the first's bounding box.
const std::vector<SmallPair>& SmallPairs() {
  static const std::vector<SmallPair> pairs = [] {
    std::mt19937_64 rng(4);
    std::vector<SmallPair> all;
    for (int i = 0; i < 10000; ++i) {
      SmallShape a = RandomSmallShape(rng, 0, 0);
      double xmin = HUGE_VAL, xmax = -HUGE_VAL, ymin = HUGE_VAL, ymax = -HUGE_VAL;
      for (const gpc_vertex& v : a.outline) {
        xmin = std::min(xmin, v.x);
        xmax = std::max(xmax, v.x);
        ymin = std::min(ymin, v.y);
        ymax = std::max(ymax, v.y);
      }
      const double cx = std::uniform_real_distribution<double>(xmin, xmax)(rng);
      const double cy = std::uniform_real_distribution<double>(ymin, ymax)(rng);
      SmallShape b = RandomSmallShape(rng, cx, cy);
      all.emplace_back(std::move(a), std::move(b));
    }
    return all;
  }();
  return pairs;
}

// The time of one clip.
void PerCall(benchmark::State& state, size_t calls, size_t contours) {
  state.counters["s_per_call"] =
      benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
  state.counters["contours"] = static_cast<double>(contours);
}

void OursSmall(benchmark::State& state, Op op) {
  const std::vector<SmallPair>& pairs = SmallPairs();
  std::vector<std::unique_ptr<GpcPolygon>> polygons;
  for (const SmallPair& pair : pairs) {
    for (const SmallShape* shape : {&pair.first, &pair.second}) {
      Contours contours{shape->outline};
      contours.insert(contours.end(), shape->openings.begin(), shape->openings.end());
      std::vector<int> holes(contours.size(), 1);
      holes[0] = 0;
      polygons.push_back(std::make_unique<GpcPolygon>(contours, holes));
    }
  }
  const gpc_op gop = GpcOp(op);
  size_t out = 0;
  for (auto _ : state) {
    out = 0;
    for (size_t i = 0; i < polygons.size(); i += 2) {
      gpc_polygon r;
      gpc_polygon_clip(gop, polygons[i]->get(), polygons[i + 1]->get(), &r);
      out += static_cast<size_t>(r.num_contours);
      gpc_free_polygon(&r);
    }
  }
  PerCall(state, pairs.size(), out);
}

void Clipper6Small(benchmark::State& state, Op op) {
  const std::vector<SmallPair>& pairs = SmallPairs();
  std::vector<ClipperLib::Paths> paths;
  for (const SmallPair& pair : pairs) {
    for (const SmallShape* shape : {&pair.first, &pair.second}) {
      Contours contours{shape->outline};
      contours.insert(contours.end(), shape->openings.begin(), shape->openings.end());
      paths.push_back(ToClipper(contours));
    }
  }
  const ClipperLib::ClipType type = ClipperOp(op);
  size_t out = 0;
  for (auto _ : state) {
    out = 0;
    for (size_t i = 0; i < paths.size(); i += 2) {
      ClipperLib::Clipper clipper;
      clipper.AddPaths(paths[i], ClipperLib::ptSubject, true);
      clipper.AddPaths(paths[i + 1], ClipperLib::ptClip, true);
      ClipperLib::Paths solution;
      clipper.Execute(type, solution, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
      out += solution.size();
    }
  }
  PerCall(state, pairs.size(), out);
}

void BoostGeometrySmall(benchmark::State& state, Op op) {
  const std::vector<SmallPair>& pairs = SmallPairs();
  std::vector<BgPolygon> polygons;
  for (const SmallPair& pair : pairs) {
    for (const SmallShape* shape : {&pair.first, &pair.second}) {
      BgPolygon poly;
      for (const gpc_vertex& v : shape->outline) bg::append(poly.outer(), BgPoint(v.x, v.y));
      for (const Contour& opening : shape->openings) {
        poly.inners().emplace_back();
        for (const gpc_vertex& v : opening) bg::append(poly.inners().back(), BgPoint(v.x, v.y));
      }
      bg::correct(poly);
      polygons.push_back(std::move(poly));
    }
  }
  size_t out = 0;
  for (auto _ : state) {
    out = 0;
    for (size_t i = 0; i < polygons.size(); i += 2) {
      BgMulti result;
      BoostOp(op, polygons[i], polygons[i + 1], result);
      out += result.size();
    }
  }
  PerCall(state, pairs.size(), out);
}

#define LUMO_CLIP_BENCHMARKS(name, op)                                             \
  BENCHMARK_CAPTURE(Ours, name, op)->Apply(Sizes)->Name("BM_Gpc_" #name);          \
  BENCHMARK_CAPTURE(Clipper6, name, op)->Apply(Sizes)->Name("BM_Clipper6_" #name); \
  BENCHMARK_CAPTURE(BoostGeometry, name, op)->Apply(SmallSizes)->Name("BM_Boost_" #name)

LUMO_CLIP_BENCHMARKS(Union, Op::kUnion);
LUMO_CLIP_BENCHMARKS(Difference, Op::kDifference);
LUMO_CLIP_BENCHMARKS(Intersection, Op::kIntersection);
#define LUMO_FEW_CROSSING_BENCHMARKS(name, sizes)                                          \
  BENCHMARK_CAPTURE(Ours, name, Op::kUnion)->Apply(sizes)->Name("BM_Gpc_" #name);          \
  BENCHMARK_CAPTURE(Clipper6, name, Op::kUnion)->Apply(sizes)->Name("BM_Clipper6_" #name); \
  BENCHMARK_CAPTURE(BoostGeometry, name, Op::kUnion)->Apply(sizes)->Name("BM_Boost_" #name)

LUMO_FEW_CROSSING_BENCHMARKS(Concentric, ConcentricSizes);
LUMO_FEW_CROSSING_BENCHMARKS(Concentric, LargeConcentric);
LUMO_FEW_CROSSING_BENCHMARKS(Apart, ApartSizes);
LUMO_FEW_CROSSING_BENCHMARKS(Apart, LargeApart);

#define LUMO_SMALL_BENCHMARKS(name, op)           \
  BENCHMARK_CAPTURE(OursSmall, name, op)          \
      ->Unit(benchmark::kMillisecond)             \
      ->Name("BM_Gpc_Small" #name);               \
  BENCHMARK_CAPTURE(Clipper6Small, name, op)      \
      ->Unit(benchmark::kMillisecond)             \
      ->Name("BM_Clipper6_Small" #name);          \
  BENCHMARK_CAPTURE(BoostGeometrySmall, name, op) \
      ->Unit(benchmark::kMillisecond)             \
      ->Name("BM_Boost_Small" #name)

LUMO_SMALL_BENCHMARKS(Union, Op::kUnion);
LUMO_SMALL_BENCHMARKS(Difference, Op::kDifference);
LUMO_SMALL_BENCHMARKS(Intersection, Op::kIntersection);
LUMO_SMALL_BENCHMARKS(Xor, Op::kXor);

}  // namespace
