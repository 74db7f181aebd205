#include "lumotools/geometry/octree.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "shapekit/tolerance.h"
#include "support/random_geometry.h"

namespace {

using P3 = shapekit::point3d<double>;
using Ids = std::set<DWORD>;

OctBox Box(double x0, double y0, double z0, double x1, double y1, double z1) {
  return OctBox(P3(x0, y0, z0), P3(x1, y1, z1));
}

template <typename Map>
Ids IdsOf(const Map& map) {
  Ids ids;
  for (const auto& entry : map) ids.insert(entry.first);
  return ids;
}

// Checks the structure below node: each child holds exactly the objects of its parent that meet
// its box, depths count down from the parent, and a leaf above the deepest level is not full.
// Returns how many nodes hold id.
int ExpectWellFormed(const COctNode& node, DWORD id = 0) {
  const COctIdMap& map = node.GetDataMap();
  EXPECT_EQ(IdsOf(map).size(), map.size());
  int holders = map.Contains(id) ? 1 : 0;
  if (node.GetChild(0) == nullptr) {
    EXPECT_TRUE(map.size() <= 20 || node.GetDepth() == 5) << map.size();
    return holders;
  }
  for (int i = 0; i < 8; ++i) {
    const COctNode& child = *node.GetChild(i);
    EXPECT_EQ(child.GetDepth(), node.GetDepth() + 1);
    Ids expected;
    for (const auto& entry : map)
      if (child.GetNodeBox().meets(entry.second->GetBox())) expected.insert(entry.first);
    EXPECT_EQ(IdsOf(child.GetDataMap()), expected) << "depth " << child.GetDepth();
    holders += ExpectWellFormed(child, id);
  }
  return holders;
}

// An object that counts the destructions of its kind and overwrites its identifier and box as it
// goes, so that a removal that read the object after destroying it would search for the wrong
// identifier.
struct CountedData : COctNodeData {
  using COctNodeData::COctNodeData;
  ~CountedData() override {
    ++destroyed;
    m_dwID = 0;
    m_box = OctBox();
  }
  static inline int destroyed = 0;
};

// Expects the tree's answers to q, as a map and as a list in identifier order, to be the live
// objects meeting q.
void ExpectAnswersAsAScan(const COctTree& tree, const std::map<DWORD, OctBox>& live,
                          const OctBox& q) {
  Ids expected;
  for (const auto& [id, box] : live)
    if (box.meets(q)) expected.insert(id);
  COctNode::DataMap map;
  COctNode::DataList list;
  tree.GetNodesByBox(q, map);
  tree.GetNodesByBox(q, list);
  ASSERT_EQ(IdsOf(map), expected);
  ASSERT_EQ(list.size(), expected.size());
  auto want = expected.begin();
  for (COctNodeData* p : list) ASSERT_EQ(p->GetID(), *want++);
}

TEST(Octree, TwentyObjectsStayAtTheRootTheTwentyFirstSplitsIt) {
  COctTree tree(Box(0, 0, 0, 100, 100, 100));
  for (DWORD id = 1; id <= 21; ++id) {
    EXPECT_EQ(tree.GetChild(0), nullptr);
    tree.InsertNode(new COctNodeData(Box(id * 4, id, 50, id * 4 + 9, id + 9, 60), id));
  }
  ASSERT_NE(tree.GetChild(0), nullptr);
  // Child 0 is the upper octant on every axis, child 7 the lower.
  EXPECT_EQ(tree.GetChild(0)->GetNodeBox(), Box(50, 50, 50, 100, 100, 100));
  EXPECT_EQ(tree.GetChild(6)->GetNodeBox(), Box(50, 0, 0, 100, 50, 50));
  ExpectWellFormed(tree);

  // The same counts hold when an object outside the extent makes the tree rebuild.
  COctTree grown(Box(0, 0, 0, 100, 100, 100));
  for (DWORD id = 1; id <= 19; ++id) grown.InsertNode(new COctNodeData(Box(id, 1, 1, 9, 9, 9), id));
  grown.InsertNode(new COctNodeData(Box(150, 150, 150, 160, 160, 160), 20));
  EXPECT_EQ(grown.GetExtent(), Box(0, 0, 0, 160, 160, 160));
  EXPECT_EQ(grown.GetChild(0), nullptr);
  grown.InsertNode(new COctNodeData(Box(-10, 0, 0, 1, 1, 1), 21));
  ASSERT_NE(grown.GetChild(0), nullptr);
  ExpectWellFormed(grown);
}

TEST(Octree, QueriesAddToWhatTheOutputHeld) {
  COctTree tree(Box(0, 0, 0, 100, 100, 100));
  tree.InsertNode(new COctNodeData(Box(10, 10, 10, 11, 11, 11), 5));
  tree.InsertNode(new COctNodeData(Box(12, 10, 10, 13, 11, 11), 3));
  lumo_test::RandomBoxes random(2);
  for (DWORD id = 10; id < 300; ++id) tree.InsertNode(new COctNodeData(random.Box(30, 65, 5), id));
  COctNode::DataMap all;
  EXPECT_EQ(tree.GetNodesByBox(Box(-1, -1, -1, 101, 101, 101), all), 292);

  COctNodeData stale(Box(0, 0, 0, 1, 1, 1), 5);
  COctNode::DataMap map{{5, &stale}, {100, &stale}};
  EXPECT_EQ(tree.GetNodesByBox(Box(0, 0, 0, 20, 20, 20), map), 3);
  EXPECT_EQ(map[5], &stale);  // an entry already there stays as it was
  EXPECT_EQ(tree.GetNodesByBox(Box(200, 0, 0, 300, 100, 100), map), 0);  // misses the root
  COctNode::DataList list(1, &stale);
  EXPECT_EQ(tree.GetNodesByBox(Box(0, 0, 0, 20, 20, 20), list), 3);
  EXPECT_EQ(list, (COctNode::DataList{&stale, all[3], all[5]}));  // identifier order
  EXPECT_EQ(tree.GetNodesByBox(Box(200, 0, 0, 300, 100, 100), list), 3);
}

// A tree whose nodes can be unlinked by identifier alone, as derived trees do.
struct UnlinkingTree : COctTree {
  using COctNode::__RemoveNode;
  using COctTree::COctTree;
};

TEST(Octree, ExtentWideningRemovalAndClear) {
  CountedData::destroyed = 0;
  UnlinkingTree tree(Box(0, 0, 0, 100, 100, 100));
  lumo_test::RandomBoxes random(3);
  for (DWORD id = 1; id <= 200; ++id) {
    tree.InsertNode(new CountedData(random.Box(0, 80, 20), id));
  }
  tree.InsertNode(new CountedData(Box(90, 90, 90, 150, 120, 110), 201));
  EXPECT_EQ(tree.GetExtent(), Box(0, 0, 0, 150, 120, 110));
  EXPECT_EQ(tree.GetNodeBox(), Box(-75, -60, -55, 225, 180, 165));

  // A second object under a known identifier is destroyed, inside the extent or outside it
  // (after widening it); the first stays.
  COctNodeData* first = tree.GetDataMap().Find(7);
  tree.InsertNode(new CountedData(Box(20, 20, 20, 21, 21, 21), 7));
  EXPECT_TRUE(tree.InsertNode(new CountedData(Box(50, 50, 50, 500, 500, 500), 7)));
  EXPECT_EQ(CountedData::destroyed, 2);
  EXPECT_EQ(tree.GetExtent(), Box(0, 0, 0, 500, 500, 500));
  EXPECT_EQ(tree.GetDataMap().Find(7), first);

  EXPECT_FALSE(tree.RemoveNode(777));
  EXPECT_GE(ExpectWellFormed(tree, 17), 3);
  EXPECT_TRUE(tree.RemoveNode(17));
  EXPECT_EQ(CountedData::destroyed, 3);
  EXPECT_EQ(ExpectWellFormed(tree, 17), 0);
  EXPECT_EQ(tree.GetDataMap().size(), 200u);

  // Unlinking leaves the object to whoever holds it.
  std::unique_ptr<COctNodeData> unlinked(tree.GetDataMap().Find(18));
  EXPECT_FALSE(tree.__RemoveNode(778));
  EXPECT_TRUE(tree.__RemoveNode(18));
  EXPECT_EQ(ExpectWellFormed(tree, 18), 0);
  unlinked.reset();

  const OctBox root = tree.GetNodeBox();
  tree.Clear();
  EXPECT_EQ(CountedData::destroyed, 203);
  EXPECT_TRUE(tree.GetDataMap().empty());
  EXPECT_EQ(tree.GetChild(0), nullptr);
  EXPECT_EQ(tree.GetNodeBox(), root);
}

TEST(Octree, TheToleranceOfTheMomentDecidesWhatMeets) {
  COctTree tree(Box(0, 0, 0, 100, 100, 100));
  for (DWORD id = 1; id <= 50; ++id)
    tree.InsertNode(new COctNodeData(Box(id, 60, 60, id + .5, 61, 61), id));
  // Under a loose tolerance object 100 lies in the extent and meets the upper octant; once the
  // tolerance is tight again, the octant splits and none of its children meets the object.
  shapekit::CGeometryTolerate::SetDefaultTol(shapekit::CGeometryTolerate(2, 1e-9));
  tree.InsertNode(new COctNodeData(Box(101, 60, 60, 101.5, 61, 61), 100));
  shapekit::CGeometryTolerate::SetDefaultTol(shapekit::CGeometryTolerate());
  for (DWORD id = 101; id <= 130; ++id)
    tree.InsertNode(new COctNodeData(Box(99, 99, 99, 100, 100, 100), id));
  const COctNode& octant = *tree.GetChild(0);
  ASSERT_NE(octant.GetChild(0), nullptr);
  EXPECT_EQ(ExpectWellFormed(octant, 100), 1);
  COctNode::DataList whole;
  octant.GetNodesByBox(Box(49, 49, 49, 101, 101, 101), whole);
  EXPECT_EQ(whole.size(), 32u);  // objects 50, 100 and 101 to 130
  EXPECT_TRUE(tree.RemoveNode(100));
  EXPECT_EQ(ExpectWellFormed(octant, 100), 0);
}

// The tree's answers against a scan of every live object with the same meets rule, while objects
// arrive (some outside the extent, forcing growth and rebuilds) and leave again. The objects
// live in a region of 100 units of the given scale from origin; those outside it reach 300
// units below and 400 above, far beyond the default box for the default tree.
void ExpectMatchesBruteForce(COctTree& tree, double origin, double scale, unsigned seed) {
  lumo_test::RandomBoxes random(seed);
  auto scaled = [&](double lo, double hi, double side) {
    return random.Box(origin + lo * scale, origin + hi * scale, side * scale);
  };
  std::map<DWORD, OctBox> live;
  for (DWORD n = 1; n <= 3000 && !testing::Test::HasFatalFailure(); ++n) {
    const OctBox box = random.Chance(0.01) ? scaled(-300, 400, 30) : scaled(0, 98, 2 + 6 * (n % 3));
    // Identifiers mostly rise, as hosts hand them out; every fifth comes out of order.
    const DWORD id = n % 5 == 0 ? 100000 - n : n;
    tree.InsertNode(new CountedData(box, id));
    live[id] = box;
    if (random.Chance(0.2)) {
      auto victim = live.begin();
      std::advance(victim, random.Index(live.size()));
      ASSERT_TRUE(tree.RemoveNode(victim->first));
      ASSERT_FALSE(tree.RemoveNode(victim->first));
      live.erase(victim);
    }
    if (n % 2 == 0)
      ExpectAnswersAsAScan(tree, live, scaled(-50, 150, random.Chance(0.1) ? 200 : 15));
  }
  for (int i = 0; i < 500 && !testing::Test::HasFatalFailure(); ++i)
    ExpectAnswersAsAScan(tree, live, scaled(-300, 400, random.Chance(0.5) ? 40 : 300));
  EXPECT_EQ(IdsOf(tree.GetDataMap()), IdsOf(live));
  ExpectWellFormed(tree);
}

TEST(Octree, AnswersMatchBruteForceThroughGrowthAndRemoval) {
  COctTree boxed(Box(0, 0, 0, 100, 100, 100)), byDefault;
  ExpectMatchesBruteForce(boxed, 0, 1, 6);
  ExpectMatchesBruteForce(byDefault, -1e6, 2e4, 8);  // across the default box and far outside
}

// Leaves of the deepest level are one unit wide here, and hundreds of objects crowd a few of them
// (some reaching out of their leaves); queries, also under a loose tolerance, against a scan. The
// identifiers differ in every byte, and large answers are ordered by each.
TEST(Octree, CrowdedLeavesAtTheDeepestLevelAnswerAsAScanDoes) {
  COctTree tree(Box(0, 0, 0, 32, 32, 32));
  lumo_test::RandomBoxes random(13);
  std::map<DWORD, OctBox> live;
  const auto idOf = [](DWORD n) { return n * 0x9E3779B1u; };
  for (DWORD n = 1; n <= 600; ++n) {
    const OctBox box = random.Box(10, 12, n % 4 == 0 ? 3 : 0.3);
    tree.InsertNode(new COctNodeData(box, idOf(n)));
    live[idOf(n)] = box;
  }
  for (DWORD n = 5; n <= 600; n += 7) {
    ASSERT_TRUE(tree.RemoveNode(idOf(n)));
    live.erase(idOf(n));
  }
  ExpectWellFormed(tree);
  auto check = [&](const OctBox& q) { ExpectAnswersAsAScan(tree, live, q); };
  for (int i = 0; i < 300; ++i) check(random.Box(9, 13, random.Chance(0.5) ? 0.2 : 2));
  const double tol = shapekit::CGeometryTolerate::GetDefaultTol().GetPointTol();
  for (const auto& [id, box] : live) {
    // Touching within the tolerance from above and from below, on each axis in turn.
    if (id % 10 != 1) continue;
    const P3 &lo = box.min_corner(), &hi = box.max_corner();
    check(Box(hi.x + tol * 0.5, lo.y, lo.z, hi.x + 1, hi.y, hi.z));
    check(Box(lo.x, lo.y - 1, lo.z, hi.x, lo.y - tol * 0.5, hi.z));
    check(Box(lo.x, lo.y, hi.z + tol * 0.5, hi.x, hi.y, hi.z + 1));
  }
  shapekit::CGeometryTolerate::SetDefaultTol(shapekit::CGeometryTolerate(0.5, 1e-9));
  for (int i = 0; i < 100; ++i) check(random.Box(9, 13, 0.2));
  shapekit::CGeometryTolerate::SetDefaultTol(shapekit::CGeometryTolerate());
}

using Entries = std::map<DWORD, COctNodeData*>;

Entries EntriesOf(const COctIdMap& map) { return Entries(map.begin(), map.end()); }

// The map against std::map through inserts and erases in random order (splitting, growing and
// emptying blocks), and copies that keep their own entries.
TEST(OctIdMap, MatchesAnOrderedMap) {
  constexpr DWORD kIds = 3000, kMore = 40000;
  std::vector<COctNodeData> objects;
  for (DWORD id = 0; id <= kIds + kMore; ++id) objects.emplace_back(OctBox(), id);
  lumo_test::RandomBoxes random(12);
  COctIdMap map, copy;
  Entries expected, copied;
  for (int step = 0; step < 40000; ++step) {
    // Mostly inserts at first, mostly erases near the end, so that the map grows and empties.
    const DWORD id = static_cast<DWORD>(random.Index(kIds)) + 1;
    if (random.Chance(step < 20000 ? 0.7 : 0.3)) {
      ASSERT_EQ(map.Insert(id, &objects[id]), expected.emplace(id, &objects[id]).second);
    } else {
      const bool erased = random.Chance(0.5) ? map.Erase(id) : map.Erase(id, &objects[id]);
      ASSERT_EQ(erased, expected.erase(id) == 1);
    }
    const DWORD probe = static_cast<DWORD>(random.Index(kIds + 2));
    ASSERT_EQ(map.Find(probe), expected.count(probe) ? &objects[probe] : nullptr);
    ASSERT_EQ(map.size(), expected.size());
    if (step % 5000 == 0) {
      copy = map;
      copied = expected;
    }
    if (step % 1000 == 0) {
      ASSERT_EQ(EntriesOf(map), expected) << step;
      ASSERT_EQ(EntriesOf(copy), copied);
    }
  }
  EXPECT_FALSE(map.Erase(5, &objects[6]));  // a pointer not stored under that identifier
  const COctIdMap moved(std::move(copy));
  EXPECT_EQ(EntriesOf(moved), copied);

  // Increasing identifiers fill block after block.
  for (DWORD id = kIds + 1; id <= kIds + kMore; ++id) {
    ASSERT_TRUE(map.Insert(id, &objects[id]));
    expected.emplace(id, &objects[id]);
  }
  EXPECT_EQ(EntriesOf(map), expected);
  EXPECT_EQ(map.Find(kIds + 20000), &objects[kIds + 20000]);
  map.Clear();
  EXPECT_TRUE(map.empty());
  EXPECT_EQ(map.begin(), map.end());
}

}  // namespace
