#include <gtest/gtest.h>

#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "lumotools/platform/archive.h"
#include "lumotools/platform/exception.h"
#include "lumotools/platform/mem_file.h"
#include "lumotools/util/file_info.h"
#include "support/raises.h"
#include "support/scratch_dir.h"

namespace {

using lumo_test::Raises;
using lumo_test::ScratchDir;

std::set<std::string> Paths(const CFileInfoArray& array, const std::string& base) {
  std::set<std::string> paths;
  for (INT_PTR i = 0; i < array.GetSize(); ++i) {
    paths.insert(std::string(array[i].GetFilePath()).substr(base.size()));
  }
  return paths;
}

using Names = std::set<std::string>;

// top.txt, top.dat, a/one.txt, a/b/two.txt, a/b/skip.dat, c/ (empty)
struct Tree {
  Tree() {
    dir.WriteFile("top.txt", "1");
    dir.WriteFile("top.dat", "22");
    dir.WriteFile("a/one.txt", "333");
    dir.WriteFile("a/b/two.txt", "4444");
    dir.WriteFile("a/b/skip.dat", "55555");
    std::filesystem::create_directory(dir.File("c"));
    base = dir.path() + "/";
  }
  ScratchDir dir;
  std::string base;
};

TEST(FileInfoArray, ListsByMaskRecursionAndDirectoriesUntilAborted) {
  Tree tree;
  CFileInfoArray array;
  DWORD progress = 0;
  EXPECT_EQ(5, array.AddDir(tree.base.c_str(), "*.*", TRUE, 0, FALSE, nullptr, &progress));
  EXPECT_EQ(Paths(array, tree.base),
            (Names{"top.txt", "top.dat", "a/one.txt", "a/b/two.txt", "a/b/skip.dat"}));
  EXPECT_EQ(5u, progress);

  // The mask filters files only; directories are listed on request.
  CFileInfoArray masked;
  EXPECT_EQ(6, masked.AddDir(tree.base.c_str(), "*.TXT", TRUE, CFileInfoArray::kBySizeAscending,
                             TRUE, nullptr, &progress));
  EXPECT_EQ(11u, progress);
  EXPECT_EQ(Paths(masked, tree.base),
            (Names{"top.txt", "a", "a/one.txt", "a/b", "a/b/two.txt", "c"}));
  CFileInfoArray flat;
  EXPECT_EQ(4, flat.AddDir(tree.base.c_str(), "*", FALSE, CFileInfoArray::kByPathDescending, TRUE));
  const char* descending[] = {"top.txt", "top.dat", "c", "a"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(tree.base + descending[i], flat[i].GetFilePath().str());
  EXPECT_NE(0, flat[3].GetLastWriteTime().GetTime());  // a listed directory is described in full

  CFileInfoArray none;
  EXPECT_EQ(0, none.AddDir((tree.base + "missing/").c_str(), "*", TRUE, 0, TRUE));
  EXPECT_EQ(0, none.AddDir(tree.base.c_str(), "*.none", FALSE, 0, FALSE));
  const int abort = 1;
  EXPECT_EQ(0, none.AddDir(tree.base.c_str(), "*", TRUE, 0, FALSE, &abort));
  EXPECT_EQ(0, none.GetSize());

  // AddFile of nothing adds the default entry; serialising is refused.
  EXPECT_EQ(0, none.AddFile((tree.base + "top.dat").c_str(), 0));
  EXPECT_EQ(1, none.AddFile((tree.base + "nothing").c_str(), 0));
  EXPECT_EQ(2u, none[0].GetLength());
  EXPECT_EQ(CString(""), none[1].GetFilePath());
  EXPECT_EQ(0xFFFFFFFFu, none[1].GetAttributes());
  CMemFile file;
  CArchive ar(&file, CArchive::store);
  EXPECT_EQ(CArchiveException::genericException,
            lumo_test::ErrorCause<CArchiveException>([&] { none.Serialize(ar); }));
}

// Stops the walk through the abort flag once it holds stopAt entries. Being derived, it takes
// each entry through AddFileInfo, which it exposes.
class StoppingArray : public CFileInfoArray {
 public:
  explicit StoppingArray(INT_PTR stopAt = 1000) : m_stopAt(stopAt) {}
  int abort = 0;

  INT_PTR AddFileInfo(CFileInfo& fi, long order) override {
    const INT_PTR at = CFileInfoArray::AddFileInfo(fi, order);
    if (GetSize() >= m_stopAt) abort = 1;
    return at;
  }

 private:
  const INT_PTR m_stopAt;
};

// The paths a recursive AddDir with directories lists under dir, in its order, worked out from
// the directory entries alone: in each directory, every subdirectory (links to directories
// included) followed by what lies below it, then the files, each group in directory order.
// REQUIRES: no link leads back up the tree.
void ExpectedWalk(const std::string& dir, std::vector<std::string>* paths) {
  std::vector<std::filesystem::directory_entry> subdirectories, files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    (entry.is_directory() ? subdirectories : files).push_back(entry);
  }
  for (const auto& sub : subdirectories) {
    paths->push_back(dir + sub.path().filename().string());
    ExpectedWalk(dir + sub.path().filename().string() + "/", paths);
  }
  for (const auto& file : files) paths->push_back(dir + file.path().filename().string());
}

// The walk runs on the calling thread alone and leaves no thread behind. It runs in a fresh
// process, so that no thread an earlier test started can come or go meanwhile.
TEST(FileInfoArray, WalkLeavesNoThreadBehind) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto threads = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                         std::filesystem::directory_iterator());
  };
  Tree tree;
  EXPECT_EXIT(
      {
        const auto before = threads();
        CFileInfoArray array;
        const bool listed = array.AddDir(tree.base.c_str(), "*", TRUE, 0, FALSE) == 5;
        std::exit(listed && threads() == before ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// Through a plain or a derived array, with every name or a mask: the walk lists the tree in the
// expected order, and a walk stopped anywhere has listed a prefix of it. Links to directories are
// entered like directories, except one leading back to a directory the walk is inside: that one is
// listed and not entered, so a cycle is walked once.
TEST(FileInfoArray, WalksInOrderStopsAfterAPrefixAndEntersNoCycle) {
  Tree tree;
  ASSERT_EQ(0, ::symlink((tree.base + "a/b").c_str(), (tree.base + "c/to_b").c_str()));
  std::vector<std::string> expected;
  ExpectedWalk(tree.base, &expected);
  ASSERT_EQ(expected.size(), 11u);
  CFileInfoArray plain;
  ASSERT_EQ(11, plain.AddDir(tree.base.c_str(), "*", TRUE, 0, TRUE));
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(expected[i], plain[i].GetFilePath().str());
  for (const char* mask : {"*.*", "?*"}) {
    for (INT_PTR stopAt : {INT_PTR{100}, INT_PTR{1}, INT_PTR{4}, INT_PTR{9}}) {
      StoppingArray array(stopAt);
      const int added = array.AddDir(tree.base.c_str(), mask, TRUE, 0, TRUE, &array.abort);
      const size_t listed = std::min<size_t>(stopAt, expected.size());
      EXPECT_EQ(static_cast<int>(listed), added) << mask << " " << stopAt;
      ASSERT_EQ(static_cast<INT_PTR>(listed), array.GetSize()) << mask << " " << stopAt;
      for (size_t i = 0; i < listed; ++i) {
        ASSERT_EQ(expected[i], std::string(array[i].GetFilePath())) << mask << " " << i;
        EXPECT_EQ(0, array[i].GetUserValue());
      }
    }
  }

  ASSERT_EQ(0, ::symlink(tree.base.c_str(), (tree.base + "a/up").c_str()));
  ASSERT_EQ(0, ::symlink(".", (tree.base + "c/self").c_str()));
  CFileInfoArray linked;
  EXPECT_EQ(13, linked.AddDir(tree.base.c_str(), "*", TRUE, 0, TRUE));
  EXPECT_EQ(Paths(linked, tree.base),
            (Names{"top.txt", "top.dat", "a", "a/one.txt", "a/up", "a/b", "a/b/two.txt",
                   "a/b/skip.dat", "c", "c/to_b", "c/to_b/two.txt", "c/to_b/skip.dat", "c/self"}));
}

// A plain array kept in order gets the walk's entries where inserting each in turn by a scan
// puts them, ahead of equal entries it held and of equal ones found before; an array out of
// order gets exactly those scans. Also when a file's time stops the walk.
TEST(FileInfoArray, SortingWalksPlaceEntriesAsScansInsertingEachInTurn) {
  Tree tree;
  tree.dir.WriteFile("a/b/same.txt", "22");
  tree.dir.WriteFile("c/also.txt", "1");
  for (int i = 0; i < 24; ++i) tree.dir.WriteFile("e/" + std::to_string(i), "1");
  const auto fill = [&tree](CFileInfoArray& array, long order) {
    for (const char* name : {"top.dat", "a/one.txt", "top.txt"}) {
      array.AddFile((tree.base + name).c_str(), order);
    }
    for (INT_PTR i = 0; i < array.GetSize(); ++i) {
      array.ElementAt(i).Create(array[i].GetFilePath(), static_cast<long>(100 + i));
    }
  };
  const auto listing = [](const CFileInfoArray& array) {
    std::vector<std::pair<std::string, long>> entries;
    for (INT_PTR i = 0; i < array.GetSize(); ++i) {
      entries.emplace_back(array[i].GetFilePath().str(), array[i].GetUserValue());
    }
    return entries;
  };
  const auto walk = [&](long order, long fillOrder, BOOL withDirs, INT_PTR atLeast) {
    CFileInfoArray plain;
    StoppingArray scanned;
    fill(plain, fillOrder);
    fill(scanned, fillOrder);
    const auto add = [&](CFileInfoArray& array) {
      int added = -1;
      const bool raised = Raises<CInvalidArgException>(
          [&] { added = array.AddDir(tree.base.c_str(), "*", TRUE, order, withDirs); });
      return std::make_pair(raised, added);
    };
    EXPECT_EQ(add(plain), add(scanned));
    EXPECT_EQ(listing(plain), listing(scanned)) << order << " " << fillOrder << " " << withDirs;
    EXPECT_GE(plain.GetSize(), atLeast) << order << " " << fillOrder << " " << withDirs;
  };
  for (long order = CFileInfoArray::kBySizeAscending; order <= CFileInfoArray::kByPathDescending;
       ++order) {
    for (long fillOrder : {order, 0L}) {
      walk(order, fillOrder, FALSE, 34);
      walk(order, fillOrder, TRUE, 38);
    }
  }
  // Walked after the 29 files in subdirectories.
  const std::string old = tree.dir.WriteFile("old", "x");
  const timeval times[2] = {{-315619200, 0}, {-315619200, 0}};  // 1960
  ASSERT_EQ(0, ::utimes(old.c_str(), times));
  walk(CFileInfoArray::kBySizeDescending, CFileInfoArray::kBySizeDescending, FALSE, 3 + 29);
}

// Equal entries go before the ones already there; sizes compare in 64 bits.
TEST(FileInfoArray, OrderingCodesPlaceEachEntry) {
  const struct {
    const char* name;
    ULONGLONG size;
  } entries[] = {{"b", 2}, {"a", 1}, {"c", 2}, {"a", (1ULL << 32) + 1}};
  // clang-format off
  const std::pair<long, std::vector<long>> orders[] = {
      {2, {1, 2, 0, 3}}, {3, {3, 2, 0, 1}}, {4, {3, 1, 0, 2}}, {5, {2, 0, 3, 1}}, {7, {0, 1, 2, 3}}};
  // clang-format on
  for (const auto& [order, users] : orders) {
    StoppingArray array;
    for (long user = 0; user < 4; ++user) {
      WIN32_FIND_DATAA fd{};
      fd.nFileSizeHigh = static_cast<DWORD>(entries[user].size >> 32);
      fd.nFileSizeLow = static_cast<DWORD>(entries[user].size);
      std::snprintf(fd.cFileName, sizeof fd.cFileName, "%s", entries[user].name);
      CFileInfo fi;
      fi.Create(&fd, "", user);
      array.AddFileInfo(fi, order);
    }
    std::vector<long> placed;
    for (INT_PTR i = 0; i < array.GetSize(); ++i) placed.push_back(array[i].GetUserValue());
    EXPECT_EQ(placed, users) << order;
  }
}

}  // namespace
