// The polygon clipper next to Clipper 6 (libpolyclipping) and Boost.Geometry, each on the same
// inputs, for union, difference and intersection:
// - Stars/n: two overlapping random star polygons of n vertices each (radii from 0.9 R to R, the
//   centres 0.3 R apart), R = 1e6;
// - Squares: two sets of 1,000 squares of side 2e4, each square at a random place in its own cell
//   of a 32 x 32 grid over [0, 1e6]^2 (so a set does not overlap itself; the two sets overlap).
// - Concentric/n (union only): two random star polygons of n vertices about one centre, radii
//   from 0.5 R to R: few crossings (k about n) but a horizontal line meets a fixed share of the
//   edges, so every scanbeam has O(n) active edges.
// - Apart/n (union only): two random star polygons of n vertices, radii from 0.5 R to R, one
//   above the other 3 R apart: no crossing at all, the same x range, O(n) active edges per beam.
// Concentric and Apart show growth on input with few crossings: compare the time per vertex
// (s_per_vertex) from 1,000 to 100,000 vertices. Their 100,000-vertex cases run once.
// Boost.Geometry runs the stars up to 10,000 vertices: its union of the 100,000-vertex stars
// (150,000 result contours) had not finished after ten minutes.
// Clipper 6 works on integers: it gets the coordinates times 1000, rounded, which keeps them below
// 2^30, on its fast path. Input building is outside the timed part; freeing the result is inside.
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <random>
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
using BgMulti = bg::model::multi_polygon<bg::model::polygon<BgPoint>>;

constexpr double kRadius = 1e6;
constexpr double kClipperScale = 1000;
constexpr int kGrid = 32;
constexpr double kSquareSide = 2e4;

enum class Op { kUnion, kDifference, kIntersection };

struct Inputs {
  Contours a, b;
};

Inputs Stars(int n) {
  std::mt19937_64 rng(static_cast<uint64_t>(n));
  return Inputs{{lumo_test::RandomStar(rng, n, 0, 0, 0.9 * kRadius, kRadius)},
                {lumo_test::RandomStar(rng, n, 0.3 * kRadius, 0, 0.9 * kRadius, kRadius)}};
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

// Inputs by range: 0 the squares, n the stars of n vertices, -n the concentric stars, -n - 1 the
// stars one above the other. The few-crossing inputs are built on first use.
const Inputs& Cached(int n) {
  static const Inputs squares = Squares();
  static const Inputs s1k = Stars(1000), s10k = Stars(10000), s100k = Stars(100000);
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

void Ours(benchmark::State& state, Op op) {
  const Inputs& in = Cached(static_cast<int>(state.range(0)));
  GpcPolygon a(in.a), b(in.b);
  const gpc_op gop = op == Op::kUnion ? GPC_UNION : op == Op::kDifference ? GPC_DIFF : GPC_INT;
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
  const ClipperLib::ClipType type = op == Op::kUnion        ? ClipperLib::ctUnion
                                    : op == Op::kDifference ? ClipperLib::ctDifference
                                                            : ClipperLib::ctIntersection;
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
    if (op == Op::kUnion) {
      bg::union_(a, b, result);
    } else if (op == Op::kDifference) {
      bg::difference(a, b, result);
    } else {
      bg::intersection(a, b, result);
    }
    out = result.size();
  }
  state.counters["contours"] = static_cast<double>(out);
  PerVertex(state, in);
}

// Range 0 is the squares; the others the number of vertices of each star.
void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(0)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

void SmallSizes(benchmark::internal::Benchmark* b) {
  b->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
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

}  // namespace
