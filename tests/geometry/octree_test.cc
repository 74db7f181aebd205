#include "lumotools/geometry/octree.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "shapekit/tolerance.h"
#include "support/random_geometry.h"

namespace {

using P3 = shapekit::point3d<double>;

OctBox Box(double x0, double y0, double z0, double x1, double y1, double z1) {
  return OctBox(P3(x0, y0, z0), P3(x1, y1, z1));
}

OctBox Cube(double x, double y, double z, double size) {
  return Box(x, y, z, x + size, y + size, z + size);
}

std::set<DWORD> Ids(const COctIdMap& map) {
  std::set<DWORD> ids;
  for (const auto& entry : map) ids.insert(entry.first);
  return ids;
}

std::set<DWORD> Ids(const COctNode::DataMap& map) {
  std::set<DWORD> ids;
  for (const auto& entry : map) ids.insert(entry.first);
  return ids;
}

// Checks the structure below node: each child holds exactly the objects of its parent that meet
// its box, depths count down from the parent, and a leaf above the deepest level is not full.
void ExpectWellFormed(const COctNode& node) {
  if (node.GetChild(0) == nullptr) {
    if (node.GetDepth() < node.GetMaxDepth()) {
      EXPECT_LE(node.GetDataMap().size(), 20u);
    }
    return;
  }
  EXPECT_LT(node.GetDepth(), node.GetMaxDepth());
  for (int i = 0; i < 8; ++i) {
    const COctNode* child = node.GetChild(i);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->GetDepth(), node.GetDepth() + 1);
    std::set<DWORD> expected;
    for (const auto& entry : node.GetDataMap()) {
      if (child->GetNodeBox().meets(entry.second->GetBox())) expected.insert(entry.first);
    }
    EXPECT_EQ(Ids(child->GetDataMap()), expected) << "depth " << child->GetDepth();
    ExpectWellFormed(*child);
  }
}

bool AnyNodeHolds(const COctNode& node, DWORD id) {
  if (node.GetDataMap().Contains(id)) return true;
  for (int i = 0; i < 8 && node.GetChild(i) != nullptr; ++i) {
    if (AnyNodeHolds(*node.GetChild(i), id)) return true;
  }
  return false;
}

// An object that counts its destructions.
class CountedData : public COctNodeData {
 public:
  CountedData(const OctBox& box, DWORD id, int* destroyed)
      : COctNodeData(box, id), destroyed_(destroyed) {}
  ~CountedData() override { ++*destroyed_; }

 private:
  int* destroyed_;
};

TEST(Octree, TwentyObjectsStayAtTheRootTheTwentyFirstSplitsIt) {
  COctTree tree(Box(0, 0, 0, 100, 100, 100));
  lumo_test::RandomBoxes random(1);
  for (DWORD id = 1; id <= 20; ++id) tree.InsertNode(new COctNodeData(random.Box(0, 90, 10), id));
  EXPECT_EQ(tree.GetChild(0), nullptr);
  EXPECT_EQ(tree.GetDataMap().size(), 20u);
  tree.InsertNode(new COctNodeData(random.Box(0, 90, 10), 21));
  ASSERT_NE(tree.GetChild(0), nullptr);
  // Child 0 is the upper octant on every axis, child 7 the lower.
  EXPECT_EQ(tree.GetChild(0)->GetNodeBox().min_corner(), P3(50, 50, 50));
  EXPECT_EQ(tree.GetChild(7)->GetNodeBox().max_corner(), P3(50, 50, 50));
  EXPECT_EQ(tree.GetChild(1)->GetNodeBox().min_corner(), P3(0, 50, 50));
  EXPECT_EQ(tree.GetChild(6)->GetNodeBox().max_corner(), P3(100, 50, 50));
  ExpectWellFormed(tree);
}

TEST(Octree, QueriesThatContainOrMissTheRoot) {
  COctTree tree(Box(0, 0, 0, 100, 100, 100));
  lumo_test::RandomBoxes random(2);
  for (DWORD id = 1; id <= 300; ++id) tree.InsertNode(new COctNodeData(random.Box(0, 95, 5), id));
  COctNode::DataMap all;
  EXPECT_EQ(tree.GetNodesByBox(Box(-1, -1, -1, 101, 101, 101), all), 300);

  COctNode::DataMap out;
  COctNodeData marker(Cube(0, 0, 0, 1), 999999);
  out[999999] = &marker;
  EXPECT_EQ(tree.GetNodesByBox(Box(200, 0, 0, 300, 100, 100), out), 0);
  EXPECT_EQ(out.size(), 1u);
  EXPECT_EQ(out[999999], &marker);
  COctNode::DataList list(1, &marker);
  EXPECT_EQ(tree.GetNodesByBox(Box(200, 0, 0, 300, 100, 100), list), 1);
  EXPECT_EQ(list.size(), 1u);
}

TEST(Octree, ResultsAddToWhatTheOutputHeld) {
  COctTree tree(Box(0, 0, 0, 100, 100, 100));
  tree.InsertNode(new COctNodeData(Cube(10, 10, 10, 1), 5));
  tree.InsertNode(new COctNodeData(Cube(12, 10, 10, 1), 3));
  tree.InsertNode(new COctNodeData(Cube(80, 80, 80, 1), 4));
  COctNodeData stale(Cube(0, 0, 0, 1), 5);
  COctNode::DataMap map{{5, &stale}, {100, &stale}};
  EXPECT_EQ(tree.GetNodesByBox(Box(0, 0, 0, 20, 20, 20), map), 3);
  EXPECT_EQ(map[5], &stale);  // an entry already there stays as it was
  EXPECT_EQ(map[3]->GetID(), 3u);

  COctNode::DataList list(1, &stale);
  EXPECT_EQ(tree.GetNodesByBox(Box(0, 0, 0, 20, 20, 20), list), 3);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0], &stale);
  EXPECT_EQ(list[1]->GetID(), 3u);  // identifier order
  EXPECT_EQ(list[2]->GetID(), 5u);
}

TEST(Octree, ObjectOutsideTheExtentWidensItAndDoublesTheRoot) {
  COctTree tree(Box(0, 0, 0, 100, 100, 100));
  lumo_test::RandomBoxes random(3);
  for (DWORD id = 1; id <= 100; ++id) tree.InsertNode(new COctNodeData(random.Box(0, 95, 5), id));
  tree.InsertNode(new COctNodeData(Box(90, 90, 90, 150, 120, 110), 101));
  EXPECT_EQ(tree.GetExtent(), Box(0, 0, 0, 150, 120, 110));
  EXPECT_EQ(tree.GetNodeBox(), Box(-75, -60, -55, 225, 180, 165));
  ExpectWellFormed(tree);
  COctNode::DataMap all;
  EXPECT_EQ(tree.GetNodesByBox(Box(-1, -1, -1, 151, 121, 111), all), 101);
  COctNode::DataMap corner;
  tree.GetNodesByBox(Box(140, 115, 105, 141, 116, 106), corner);
  EXPECT_EQ(Ids(corner), std::set<DWORD>{101});
}

TEST(Octree, RemovalDestroysTheObjectAndForgetsItEverywhere) {
  int destroyed = 0;
  {
    COctTree tree(Box(0, 0, 0, 100, 100, 100));
    lumo_test::RandomBoxes random(4);
    for (DWORD id = 1; id <= 200; ++id) {
      tree.InsertNode(new CountedData(random.Box(0, 80, 20), id, &destroyed));
    }
    EXPECT_FALSE(tree.RemoveNode(777));
    EXPECT_EQ(tree.GetDataMap().size(), 200u);
    EXPECT_EQ(destroyed, 0);
    ASSERT_NE(tree.GetChild(0), nullptr);
    ASSERT_TRUE(AnyNodeHolds(*tree.GetChild(0), 17) || AnyNodeHolds(*tree.GetChild(1), 17) ||
                AnyNodeHolds(*tree.GetChild(2), 17) || AnyNodeHolds(*tree.GetChild(3), 17) ||
                AnyNodeHolds(*tree.GetChild(4), 17) || AnyNodeHolds(*tree.GetChild(5), 17) ||
                AnyNodeHolds(*tree.GetChild(6), 17) || AnyNodeHolds(*tree.GetChild(7), 17));
    EXPECT_TRUE(tree.RemoveNode(17));
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(AnyNodeHolds(tree, 17));
    EXPECT_FALSE(tree.RemoveNode(17));
    ExpectWellFormed(tree);
  }
  EXPECT_EQ(destroyed, 200);  // the tree destroyed the other 199
}

TEST(Octree, SecondObjectUnderAKnownIdentifierIsDestroyedAfterWideningTheExtent) {
  int destroyed = 0;
  COctTree tree(Box(0, 0, 0, 100, 100, 100));
  auto* first = new CountedData(Cube(10, 10, 10, 1), 7, &destroyed);
  tree.InsertNode(first);
  EXPECT_TRUE(tree.InsertNode(new CountedData(Cube(20, 20, 20, 1), 7, &destroyed)));
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(tree.GetExtent(), Box(0, 0, 0, 100, 100, 100));
  EXPECT_TRUE(tree.InsertNode(new CountedData(Box(50, 50, 50, 500, 500, 500), 7, &destroyed)));
  EXPECT_EQ(destroyed, 2);
  EXPECT_EQ(tree.GetExtent(), Box(0, 0, 0, 500, 500, 500));
  EXPECT_EQ(tree.GetNodeBox(), Box(-250, -250, -250, 750, 750, 750));
  COctNode::DataList found;
  tree.GetNodesByBox(Box(0, 0, 0, 1000, 1000, 1000), found);
  EXPECT_EQ(found, COctNode::DataList{first});
}

TEST(Octree, BoxesTouchingWithinThePointToleranceMeet) {
  const double tol = shapekit::CGeometryTolerate::GetDefaultTol().GetPointTol();
  COctTree tree(Box(0, 0, 0, 100, 100, 100));
  for (DWORD id = 1; id <= 50; ++id) tree.InsertNode(new COctNodeData(Cube(id, 10, 10, 0.5), id));
  COctNode::DataMap touching;
  tree.GetNodesByBox(Box(10.5 + tol * 0.5, 0, 0, 10.9, 100, 100), touching);
  EXPECT_EQ(Ids(touching), std::set<DWORD>{10});
  COctNode::DataMap apart;
  tree.GetNodesByBox(Box(10.5 + tol * 2, 0, 0, 10.9, 100, 100), apart);
  EXPECT_TRUE(apart.empty());

  // A larger default tolerance is seen by the next query.
  shapekit::CGeometryTolerate::SetDefaultTol(shapekit::CGeometryTolerate(0.2, 1e-9));
  COctNode::DataMap loose;
  tree.GetNodesByBox(Box(10.6, 0, 0, 10.7, 100, 100), loose);
  shapekit::CGeometryTolerate::SetDefaultTol(shapekit::CGeometryTolerate());
  EXPECT_EQ(Ids(loose), std::set<DWORD>{10});
}

TEST(Octree, ClearKeepsRootBoxAndExtent) {
  int destroyed = 0;
  COctTree tree(Box(0, 0, 0, 100, 100, 100));
  lumo_test::RandomBoxes random(5);
  for (DWORD id = 1; id <= 60; ++id) {
    tree.InsertNode(new CountedData(random.Box(-50, 120, 10), id, &destroyed));
  }
  const OctBox root = tree.GetNodeBox();
  const OctBox extent = tree.GetExtent();
  tree.Clear();
  EXPECT_EQ(destroyed, 60);
  EXPECT_TRUE(tree.GetDataMap().empty());
  EXPECT_EQ(tree.GetChild(0), nullptr);
  EXPECT_EQ(tree.GetNodeBox(), root);
  EXPECT_EQ(tree.GetExtent(), extent);
  tree.InsertNode(new CountedData(Cube(1, 1, 1, 1), 1, &destroyed));
  COctNode::DataMap found;
  EXPECT_EQ(tree.GetNodesByBox(Cube(0, 0, 0, 3), found), 1);
}

// The tree's answers against a scan of every live object with the same meets rule, while objects
// arrive (some outside the extent, forcing growth and rebuilds) and leave again. The objects
// live in a region of 100 units of the given scale from origin; those outside it reach 300
// units below and 400 above, far beyond the default box for the default tree.
void ExpectMatchesBruteForce(COctTree& tree, double origin, double scale, unsigned seed) {
  lumo_test::RandomBoxes random(seed);
  auto scaled = [origin, scale](const OctBox& b) {
    const P3 lo = b.min_corner(), hi = b.max_corner();
    return Box(origin + lo.x * scale, origin + lo.y * scale, origin + lo.z * scale,
               origin + hi.x * scale, origin + hi.y * scale, origin + hi.z * scale);
  };
  std::map<DWORD, OctBox> live;
  int grown = 0;
  int checked = 0;
  auto check = [&](const OctBox& q) {
    std::set<DWORD> expected;
    for (const auto& [id, box] : live) {
      if (box.meets(q)) expected.insert(id);
    }
    COctNode::DataMap map;
    tree.GetNodesByBox(q, map);
    ASSERT_EQ(Ids(map), expected);
    COctNode::DataList list;
    tree.GetNodesByBox(q, list);
    ASSERT_EQ(list.size(), expected.size());
    auto want = expected.begin();
    for (COctNodeData* p : list) ASSERT_EQ(p->GetID(), *want++);
    ++checked;
  };
  for (DWORD id = 1; id <= 4000; ++id) {
    const bool outside = random.Chance(0.01);
    const OctBox box =
        scaled(outside ? random.Box(-300, 400, 30) : random.Box(0, 98, 2 + 6 * (id % 3)));
    const bool grows = !tree.GetExtent().contains(box);
    tree.InsertNode(new COctNodeData(box, id));
    live[id] = box;
    if (grows) {
      ++grown;
      for (const auto& [live_id, live_box] : live) {
        COctNode::DataMap found;
        tree.GetNodesByBox(live_box, found);
        ASSERT_EQ(found.count(live_id), 1u) << "object " << live_id << " lost after " << id;
      }
    }
    if (random.Chance(0.2)) {
      auto victim = live.begin();
      std::advance(victim, random.Index(live.size()));
      ASSERT_TRUE(tree.RemoveNode(victim->first));
      live.erase(victim);
    }
    if (id % 2 == 0) check(scaled(random.Box(-50, 150, random.Chance(0.1) ? 200 : 15)));
  }
  for (int i = 0; i < 2000; ++i) {
    check(scaled(random.Box(-300, 400, random.Chance(0.5) ? 40 : 300)));
  }
  EXPECT_GE(grown, 10);
  EXPECT_GE(checked, 4000);
  EXPECT_EQ(tree.GetDataMap().size(), live.size());
  ExpectWellFormed(tree);
}

TEST(Octree, AnswersMatchBruteForceThroughGrowthAndRemoval) {
  {
    SCOPED_TRACE("tree built from a box");
    COctTree tree(Box(0, 0, 0, 100, 100, 100));
    ExpectMatchesBruteForce(tree, 0, 1, 6);
  }
  {
    SCOPED_TRACE("default tree, objects across its default box and far outside it");
    COctTree tree;
    ExpectMatchesBruteForce(tree, -1e6, 2e4, 8);
  }
}

TEST(OctIdMap, BehavesAsAnOrderedMapUnderRandomUse) {
  COctIdMap map;
  std::map<DWORD, COctNodeData*> expected;
  lumo_test::RandomBoxes random(7);
  std::vector<COctNodeData> values(4, COctNodeData(Cube(0, 0, 0, 1), 0));
  for (int step = 0; step < 20000; ++step) {
    // Mostly rising identifiers, as hosts hand them out, with random ones mixed in.
    const DWORD id =
        random.Chance(0.5) ? static_cast<DWORD>(step) : static_cast<DWORD>(random.Index(30000));
    COctNodeData* p = &values[id % values.size()];
    if (random.Chance(0.3)) {
      ASSERT_EQ(map.Erase(id), expected.erase(id) == 1);
    } else {
      ASSERT_EQ(map.Insert(id, p), expected.emplace(id, p).second);
    }
    ASSERT_EQ(map.size(), expected.size());
    const auto known = expected.find(id);
    ASSERT_EQ(map.Find(id), known == expected.end() ? nullptr : known->second);
  }
  auto want = expected.begin();
  for (const auto& entry : map) {
    ASSERT_NE(want, expected.end());
    ASSERT_EQ(entry.first, want->first);
    ASSERT_EQ(entry.second, want->second);
    ++want;
  }
  EXPECT_EQ(want, expected.end());
  map.Clear();
  EXPECT_TRUE(map.empty());
  EXPECT_EQ(map.begin(), map.end());
}

}  // namespace
