// Octrees used from several threads at once: every octree of the process shares one lock, so
// writers and readers of one tree or of different trees never see each other half-done.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "lumotools/geometry/octree.h"
#include "lumotools/sync/auto_lock.h"
#include "lumotools/sync/global_lock.h"
#include "support/random_geometry.h"
#include "support/soak.h"

namespace {

using P3 = shapekit::point3d<double>;

const OctBox kDomain(P3(0, 0, 0), P3(100, 100, 100));
const OctBox kEverything(P3(-1e7, -1e7, -1e7), P3(1e7, 1e7, 1e7));

void WritersAndReadersShareTrees(unsigned seed) {
  constexpr int kWriters = 3;
  constexpr DWORD kPerWriter = 1000;
  COctTree shared(kDomain);
  COctTree other(kDomain);
  std::atomic<bool> writing{true};
  std::atomic<int> badAnswers{0};

  std::vector<std::thread> threads;
  for (int w = 0; w < kWriters; ++w) {
    threads.emplace_back([&, w] {
      lumo_test::RandomBoxes random(seed + 100 + w);
      const DWORD base = static_cast<DWORD>(w) * 100000;
      for (DWORD i = 0; i < kPerWriter; ++i) {
        // Some boxes leave the extent, so rebuilds run while others read.
        const OctBox box = random.Chance(0.02) ? random.Box(-200, 300, 20) : random.Box(0, 95, 5);
        shared.InsertNode(new COctNodeData(box, base + i));
        other.InsertNode(new COctNodeData(box, base + i));
        if (i % 2 == 1) {
          shared.RemoveNode(base + i);  // odd identifiers leave again
          other.RemoveNode(base + i - 1);
        }
      }
    });
  }
  for (int r = 0; r < 2; ++r) {
    threads.emplace_back([&, r] {
      lumo_test::RandomBoxes random(seed + 200 + r);
      while (writing.load()) {
        // Holding the octree lock keeps the objects found alive while they are looked at.
        CAutoReadLockT<CReaderWriterLock> hold(CGlobalLockMgr::__GetGlobalLock(GLOBAL_LOCK_OCTREE));
        COctNode::DataList list;
        shared.GetNodesByBox(kEverything, list);
        if (list.size() != shared.GetDataMap().size()) ++badAnswers;
        for (size_t i = 1; i < list.size(); ++i) {
          if (list[i - 1]->GetID() >= list[i]->GetID()) ++badAnswers;
        }
        const OctBox q = random.Box(0, 100, 30);
        COctNode::DataMap map;
        other.GetNodesByBox(q, map);
        for (const auto& entry : map) {
          if (entry.first != entry.second->GetID() || !entry.second->GetBox().meets(q)) {
            ++badAnswers;
          }
        }
      }
    });
  }
  for (int w = 0; w < kWriters; ++w) threads[w].join();
  writing = false;
  for (size_t t = kWriters; t < threads.size(); ++t) threads[t].join();

  EXPECT_EQ(badAnswers.load(), 0);
  COctNode::DataMap all;
  shared.GetNodesByBox(kEverything, all);
  std::set<DWORD> ids;
  for (const auto& entry : all) ids.insert(entry.first);
  std::set<DWORD> expected;
  for (int w = 0; w < kWriters; ++w) {
    for (DWORD i = 0; i < kPerWriter; i += 2) expected.insert(static_cast<DWORD>(w) * 100000 + i);
  }
  EXPECT_EQ(ids, expected);
  COctNode::DataMap rest;
  EXPECT_EQ(other.GetNodesByBox(kEverything, rest), static_cast<int>(kWriters * kPerWriter / 2));
}

TEST(OctreeStress, WritersAndReadersShareTrees) {
  lumo_test::RunStressRounds(0, WritersAndReadersShareTrees);
}

}  // namespace
