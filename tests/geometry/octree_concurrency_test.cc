// Octrees used from several threads at once: every octree of the process shares one lock, so
// writers and readers of one tree or of different trees never see each other half-done.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "lumotools/geometry/octree.h"
#include "lumotools/sync/auto_lock.h"
#include "lumotools/sync/global_lock.h"
#include "support/random_geometry.h"
#include "support/soak.h"

namespace {

using P3 = shapekit::point3d<double>;

void WritersAndReadersShareTrees(unsigned seed) {
  constexpr DWORD kPerWriter = 1000;
  const OctBox everything(P3(-1e7, -1e7, -1e7), P3(1e7, 1e7, 1e7));
  COctTree trees[2] = {COctTree(OctBox(P3(0, 0, 0), P3(100, 100, 100))), COctTree()};
  std::atomic<int> writing{3}, badAnswers{0};
  std::vector<std::thread> threads;
  for (DWORD w = 0; w < 3; ++w) {
    threads.emplace_back([&, w] {
      lumo_test::RandomBoxes random(seed + 100 + w);
      for (DWORD id = w * 100000; id < w * 100000 + kPerWriter; ++id) {
        // Some boxes leave the first tree's extent, so rebuilds run while others read.
        const OctBox box = random.Chance(0.02) ? random.Box(-200, 300, 20) : random.Box(0, 95, 5);
        for (COctTree& tree : trees) tree.InsertNode(new COctNodeData(box, id));
        if (id % 2 == 1) badAnswers += !trees[0].RemoveNode(id) + !trees[1].RemoveNode(id - 1);
      }
      --writing;
    });
  }
  for (int r = 0; r < 2; ++r) {
    threads.emplace_back([&, r] {
      lumo_test::RandomBoxes random(seed + 200 + r);
      while (writing.load() > 0) {
        // Holding the octree lock keeps the objects found alive while they are looked at.
        CAutoReadLockT<CReaderWriterLock> hold(CGlobalLockMgr::__GetGlobalLock(GLOBAL_LOCK_OCTREE));
        const OctBox q = r == 0 ? everything : random.Box(0, 100, 30);
        COctNode::DataList list;
        trees[r].GetNodesByBox(q, list);
        badAnswers += r == 0 && list.size() != trees[0].GetDataMap().size();
        for (size_t i = 0; i < list.size(); ++i)
          badAnswers +=
              !list[i]->GetBox().meets(q) || (i > 0 && list[i - 1]->GetID() >= list[i]->GetID());
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(badAnswers.load(), 0);
  // The first tree keeps the even identifiers, the other the odd.
  for (DWORD parity = 0; parity < 2; ++parity) {
    COctNode::DataMap all;
    EXPECT_EQ(trees[parity].GetNodesByBox(everything, all), static_cast<int>(3 * kPerWriter / 2));
    for (const auto& entry : all) EXPECT_EQ(entry.first % 2, parity);
  }
}

TEST(OctreeStress, WritersAndReadersShareTrees) {
  lumo_test::RunStressRounds(0, WritersAndReadersShareTrees);
}

}  // namespace
