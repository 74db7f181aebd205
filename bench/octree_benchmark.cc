// The octree against Boost.Geometry's R-trees (quadratic split and R*, 16 entries per node): N
// random boxes inserted one by one, then 10,000 random box queries, N = 100,000 and 1,000,000.
//
// Boxes lie in a 1000-unit cube with sides up to 10 units; the tree's box is that cube. Pick
// queries have sides up to 20 units (a few hits each); wide queries sides up to 100 (hundreds of
// hits). The heap_MB counter of an insert run is the heap in use (mallinfo2) once the tree is
// built less the heap in use before: the octree's figure includes the objects it owns, the
// R-trees' their values.
//
// The octree owns host objects (COctNodeData, 80 bytes each with the allocator's header), which
// plain R-trees of (box, identifier) values do not hold. The "Objects" R-trees index the same
// objects as an application would: values (box, object pointer), the objects allocated by the
// benchmark one by one as for the octree and counted in the heap.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <type_traits>
#include <utility>
#include <vector>

#include "lumotools/geometry/octree.h"

namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

using BgPoint = bg::model::point<double, 3, bg::cs::cartesian>;
using BgBox = bg::model::box<BgPoint>;
using BgValue = std::pair<BgBox, DWORD>;
using RTree = bgi::rtree<BgValue, bgi::quadratic<16>>;
using RStarTree = bgi::rtree<BgValue, bgi::rstar<16>>;
using BgObjectValue = std::pair<BgBox, COctNodeData*>;

// An R-tree of (box, object) values that destroys the objects with itself.
template <typename Params>
struct ObjectRTree {
  ~ObjectRTree() {
    for (const BgObjectValue& value : tree) delete value.second;
  }
  bgi::rtree<BgObjectValue, Params> tree;
};
using ObjectTree = ObjectRTree<bgi::quadratic<16>>;
using ObjectStarTree = ObjectRTree<bgi::rstar<16>>;

constexpr double kDomain = 1000.0;
constexpr double kMaxSide = 10.0;
constexpr int kQueries = 10000;
constexpr double kPickSide = 20.0;
constexpr double kWideSide = 100.0;

std::vector<OctBox> RandomBoxes(size_t n, double maxSide, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> corner(0.0, kDomain - maxSide);
  std::uniform_real_distribution<double> side(0.0, maxSide);
  std::vector<OctBox> boxes;
  boxes.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    const shapekit::point3d<double> min(corner(rng), corner(rng), corner(rng));
    boxes.emplace_back(
        min, shapekit::point3d<double>(min.x + side(rng), min.y + side(rng), min.z + side(rng)));
  }
  return boxes;
}

BgBox ToBg(const OctBox& b) {
  const auto& lo = b.min_corner();
  const auto& hi = b.max_corner();
  return BgBox(BgPoint(lo.x, lo.y, lo.z), BgPoint(hi.x, hi.y, hi.z));
}

const OctBox kTreeBox(shapekit::point3d<double>(0, 0, 0),
                      shapekit::point3d<double>(kDomain, kDomain, kDomain));

// Bytes of heap in use, small blocks and mapped ones.
double HeapMiB() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

void BuildOctree(COctTree& tree, const std::vector<OctBox>& boxes) {
  for (size_t i = 0; i < boxes.size(); ++i) {
    tree.InsertNode(new COctNodeData(boxes[i], static_cast<DWORD>(i + 1)));
  }
}

template <typename Tree>
void BuildRTree(Tree& tree, const std::vector<OctBox>& boxes) {
  for (size_t i = 0; i < boxes.size(); ++i)
    tree.insert(BgValue(ToBg(boxes[i]), static_cast<DWORD>(i + 1)));
}

template <typename Tree>
void BuildObjectRTree(Tree& tree, const std::vector<OctBox>& boxes) {
  for (size_t i = 0; i < boxes.size(); ++i) {
    auto* p = new COctNodeData(boxes[i], static_cast<DWORD>(i + 1));
    tree.tree.insert(BgObjectValue(ToBg(boxes[i]), p));
  }
}

const std::vector<OctBox>& Boxes(size_t n) {
  static std::map<size_t, std::vector<OctBox>> cache;
  auto& boxes = cache[n];
  if (boxes.empty()) boxes = RandomBoxes(n, kMaxSide, 42);
  return boxes;
}

template <typename Tree>
std::unique_ptr<Tree> MakeTree() {
  if constexpr (std::is_same_v<Tree, COctTree>) {
    return std::make_unique<Tree>(kTreeBox);
  } else {
    return std::make_unique<Tree>();
  }
}

// Builds the tree from nothing at every iteration; reports the heap the last build holds. One
// untimed build comes first, so that every structure starts from a heap that has held it once:
// otherwise the program's first run would pay the heap's growth for all.
template <typename Tree, void (*Build)(Tree&, const std::vector<OctBox>&)>
void InsertRun(benchmark::State& state) {
  const auto& boxes = Boxes(static_cast<size_t>(state.range(0)));
  Build(*MakeTree<Tree>(), boxes);
  double heap = 0;
  for (auto _ : state) {
    const double before = HeapMiB();
    std::unique_ptr<Tree> tree = MakeTree<Tree>();
    Build(*tree, boxes);
    heap = HeapMiB() - before;
    state.PauseTiming();
    tree.reset();
    state.ResumeTiming();
  }
  state.counters["heap_MB"] = heap;
  state.counters["ns_per_insert"] = benchmark::Counter(
      static_cast<double>(boxes.size()) * 1e-9,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Octree_Insert(benchmark::State& state) { InsertRun<COctTree, BuildOctree>(state); }
void BM_RTree_Insert(benchmark::State& state) { InsertRun<RTree, BuildRTree<RTree>>(state); }
void BM_RStarTree_Insert(benchmark::State& state) {
  InsertRun<RStarTree, BuildRTree<RStarTree>>(state);
}
void BM_RTreeObjects_Insert(benchmark::State& state) {
  InsertRun<ObjectTree, BuildObjectRTree<ObjectTree>>(state);
}
void BM_RStarTreeObjects_Insert(benchmark::State& state) {
  InsertRun<ObjectStarTree, BuildObjectRTree<ObjectStarTree>>(state);
}

// Built once per size and kept for the query runs.
template <typename Tree, void (*Build)(Tree&, const std::vector<OctBox>&)>
Tree& Built(size_t n) {
  static std::map<size_t, std::unique_ptr<Tree>> trees;
  auto& tree = trees[n];
  if (!tree) {
    tree = MakeTree<Tree>();
    Build(*tree, Boxes(n));
  }
  return *tree;
}

void QueryCounters(benchmark::State& state, size_t hits) {
  state.counters["hits_per_query"] = static_cast<double>(hits) / kQueries;
  state.counters["ns_per_query"] = benchmark::Counter(
      kQueries * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void OctreeQueries(benchmark::State& state, double side) {
  const COctTree& tree = Built<COctTree, BuildOctree>(static_cast<size_t>(state.range(0)));
  const std::vector<OctBox> queries = RandomBoxes(kQueries, side, 7);
  size_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    COctNode::DataList found;
    for (const OctBox& q : queries) {
      found.clear();
      hits += static_cast<size_t>(tree.GetNodesByBox(q, found));
    }
    benchmark::DoNotOptimize(found.data());
  }
  QueryCounters(state, hits);
}

template <typename Tree>
void RTreeQueries(benchmark::State& state, double side) {
  const Tree& tree = Built<Tree, BuildRTree<Tree>>(static_cast<size_t>(state.range(0)));
  std::vector<BgBox> queries;
  for (const OctBox& q : RandomBoxes(kQueries, side, 7)) queries.push_back(ToBg(q));
  size_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    std::vector<BgValue> found;
    for (const BgBox& q : queries) {
      found.clear();
      tree.query(bgi::intersects(q), std::back_inserter(found));
      hits += found.size();
    }
    benchmark::DoNotOptimize(found.data());
  }
  QueryCounters(state, hits);
}

void BM_Octree_PickQuery(benchmark::State& state) { OctreeQueries(state, kPickSide); }
void BM_RTree_PickQuery(benchmark::State& state) { RTreeQueries<RTree>(state, kPickSide); }
void BM_RStarTree_PickQuery(benchmark::State& state) { RTreeQueries<RStarTree>(state, kPickSide); }
void BM_Octree_WideQuery(benchmark::State& state) { OctreeQueries(state, kWideSide); }
void BM_RTree_WideQuery(benchmark::State& state) { RTreeQueries<RTree>(state, kWideSide); }
void BM_RStarTree_WideQuery(benchmark::State& state) { RTreeQueries<RStarTree>(state, kWideSide); }

// The map form of the query, which the octree's interface also offers.
void BM_Octree_PickQueryIntoMap(benchmark::State& state) {
  const COctTree& tree = Built<COctTree, BuildOctree>(static_cast<size_t>(state.range(0)));
  const std::vector<OctBox> queries = RandomBoxes(kQueries, kPickSide, 7);
  size_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    for (const OctBox& q : queries) {
      COctNode::DataMap found;
      hits += static_cast<size_t>(tree.GetNodesByBox(q, found));
    }
  }
  QueryCounters(state, hits);
}

constexpr int64_t kSmall = 100000;
constexpr int64_t kLarge = 1000000;

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
}

// Each tree of each size is built once, at its first query run, and kept (some 350 MiB in all),
// so that the runs may be interleaved at random.
BENCHMARK(BM_Octree_Insert)->Apply(Sizes)->Iterations(2);
BENCHMARK(BM_RTree_Insert)->Apply(Sizes)->Iterations(2);
BENCHMARK(BM_RStarTree_Insert)->Apply(Sizes)->Iterations(2);
BENCHMARK(BM_RTreeObjects_Insert)->Apply(Sizes)->Iterations(2);
BENCHMARK(BM_RStarTreeObjects_Insert)->Apply(Sizes)->Iterations(2);
BENCHMARK(BM_Octree_PickQuery)->Apply(Sizes);
BENCHMARK(BM_Octree_PickQueryIntoMap)->Apply(Sizes);
BENCHMARK(BM_Octree_WideQuery)->Apply(Sizes);
BENCHMARK(BM_RTree_PickQuery)->Apply(Sizes);
BENCHMARK(BM_RTree_WideQuery)->Apply(Sizes);
BENCHMARK(BM_RStarTree_PickQuery)->Apply(Sizes);
BENCHMARK(BM_RStarTree_WideQuery)->Apply(Sizes);

}  // namespace
