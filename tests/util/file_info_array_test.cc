#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "lumotools/platform/archive.h"
#include "lumotools/platform/exception.h"
#include "lumotools/platform/mem_file.h"
#include "lumotools/util/file_info.h"
#include "support/scratch_dir.h"

namespace {

using lumo_test::ScratchDir;

// Exposes the insertion of ready-made entries.
class TestArray : public CFileInfoArray {
 public:
  using CFileInfoArray::AddFileInfo;
};

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
    dir.WriteFile("c/.keep", "");
    std::remove(dir.File("c/.keep").c_str());
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
  for (INT_PTR i = 0; i < array.GetSize(); ++i) EXPECT_EQ(array[i].GetUserValue(), 0);

  // The mask filters files only; directories are listed on request.
  CFileInfoArray masked;
  EXPECT_EQ(6, masked.AddDir(tree.base.c_str(), "*.TXT", TRUE, 0, TRUE));
  EXPECT_EQ(Paths(masked, tree.base),
            (Names{"top.txt", "a", "a/one.txt", "a/b", "a/b/two.txt", "c"}));
  CFileInfoArray flat;
  EXPECT_EQ(4, flat.AddDir(tree.base.c_str(), "*", FALSE, 0, TRUE));
  EXPECT_EQ(Paths(flat, tree.base), (Names{"top.txt", "top.dat", "a", "c"}));

  CFileInfoArray none;
  EXPECT_EQ(0, none.AddDir((tree.base + "missing/").c_str(), "*", TRUE, 0, TRUE));
  EXPECT_EQ(0, none.AddDir(tree.base.c_str(), "*.none", FALSE, 0, FALSE));
  const int abort = 1;
  EXPECT_EQ(0, none.AddDir(tree.base.c_str(), "*", TRUE, 0, FALSE, &abort));
  EXPECT_EQ(0, none.GetSize());
}

// Links to directories are entered like directories, except one leading back to a directory the
// walk is inside: that one is listed and not entered, so a cycle is walked once.
TEST(FileInfoArray, LinkedDirectoriesAreEnteredAndCyclesWalkedOnce) {
  Tree tree;
  ASSERT_EQ(0, ::symlink(tree.base.c_str(), (tree.base + "a/up").c_str()));
  ASSERT_EQ(0, ::symlink((tree.base + "a/b").c_str(), (tree.base + "c/to_b").c_str()));
  ASSERT_EQ(0, ::symlink(".", (tree.base + "c/self").c_str()));
  CFileInfoArray array;
  EXPECT_EQ(13, array.AddDir(tree.base.c_str(), "*", TRUE, 0, TRUE));
  EXPECT_EQ(Paths(array, tree.base),
            (Names{"top.txt", "top.dat", "a", "a/one.txt", "a/up", "a/b", "a/b/two.txt",
                   "a/b/skip.dat", "c", "c/to_b", "c/to_b/two.txt", "c/to_b/skip.dat", "c/self"}));
}

// The walk runs on the calling thread alone: no thread is left after it that was not there
// before. Run in a fresh process, so that nothing an earlier test started is counted as there.
TEST(FileInfoArray, WalkLeavesNoThreadBehind) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto threads = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                         std::filesystem::directory_iterator());
  };
  ScratchDir dir;
  for (int d = 0; d < 4; ++d) {
    for (int f = 0; f < 150; ++f) {
      dir.WriteFile("d" + std::to_string(d) + "/f" + std::to_string(f), "x");
    }
  }
  const std::string base = dir.path() + "/";
  EXPECT_EXIT(
      {
        const auto before = threads();
        CFileInfoArray array;
        const int added = array.AddDir(base.c_str(), "*", TRUE, 0, FALSE);
        std::fprintf(stderr, "%d entries, %ld threads before, %ld after", added,
                     static_cast<long>(before), static_cast<long>(threads()));
        std::exit(added == 600 && threads() == before ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "600 entries");
}

// Stops the walk through the abort flag once it holds stopAt entries.
class StoppingArray : public CFileInfoArray {
 public:
  explicit StoppingArray(INT_PTR stopAt) : m_stopAt(stopAt) {}
  int abort = 0;

 protected:
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

// A tree wider and deeper than the walk's look-ahead, with directories of many entries, empty
// ones and links: the walk lists it in the expected order, and a walk stopped anywhere has listed
// a prefix of it.
TEST(FileInfoArray, WalkOrderHoldsAcrossWideAndDeepTrees) {
  ScratchDir dir;
  std::mt19937 rng(11);
  for (int a = 0; a < 9; ++a) {
    const std::string top = "t" + std::to_string(a) + "/";
    const int files = static_cast<int>(rng() % 4), subdirectories = static_cast<int>(rng() % 8);
    for (int f = 0; f < files; ++f) dir.WriteFile(top + "f" + std::to_string(f), "x");
    for (int b = 0; b < subdirectories; ++b) {
      const std::string mid = top + "m" + std::to_string(b) + "/";
      const int inner = b == 2 ? 150 : static_cast<int>(rng() % 5);
      for (int f = 0; f < inner; ++f) dir.WriteFile(mid + "g" + std::to_string(f), "yy");
      if (b % 3 == 1) dir.WriteFile(mid + "deep/deeper/leaf", "z");
    }
  }
  for (const char* made : {"t3", "t4/empty", "t5"})
    std::filesystem::create_directories(dir.File(made));
  ASSERT_EQ(0, ::symlink(dir.File("t1").c_str(), dir.File("t3/to_t1").c_str()));
  ASSERT_EQ(0, ::symlink(dir.File("gone").c_str(), dir.File("t5/dangling").c_str()));
  const std::string base = dir.path() + "/";
  std::vector<std::string> expected;
  ExpectedWalk(base, &expected);
  ASSERT_GT(expected.size(), 200u);

  for (const char* mask : {"*.*", "?*"}) {
    for (INT_PTR stopAt : {INT_PTR{100000}, INT_PTR{1}, INT_PTR{37}, INT_PTR{180}}) {
      StoppingArray array(stopAt);
      const int added = array.AddDir(base.c_str(), mask, TRUE, 0, TRUE, &array.abort);
      const size_t listed = std::min<size_t>(stopAt, expected.size());
      EXPECT_EQ(static_cast<int>(listed), added) << mask << " " << stopAt;
      ASSERT_EQ(static_cast<INT_PTR>(listed), array.GetSize()) << mask << " " << stopAt;
      for (size_t i = 0; i < listed; ++i) {
        ASSERT_EQ(expected[i], std::string(array[i].GetFilePath())) << mask << " " << i;
      }
    }
  }
}

TEST(FileInfoArray, AddFileOfNothingAddsTheDefaultEntry) {
  Tree tree;
  CFileInfoArray array;
  EXPECT_EQ(0, array.AddFile((tree.base + "top.dat").c_str(), 0));
  EXPECT_EQ(1, array.AddFile((tree.base + "nothing").c_str(), 0));
  EXPECT_EQ(CString(""), array[1].GetFilePath());
  EXPECT_EQ(0xFFFFFFFFu, array[1].GetAttributes());
  EXPECT_EQ(2u, array[0].GetLength());
  EXPECT_EQ(50, array.GetGrowBy());
}

CFileInfo Entry(const char* name, ULONGLONG size, long user) {
  WIN32_FIND_DATAA fd{};
  fd.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  fd.nFileSizeLow = static_cast<DWORD>(size);
  std::snprintf(fd.cFileName, sizeof fd.cFileName, "%s", name);
  CFileInfo fi;
  fi.Create(&fd, "", user);
  return fi;
}

// Compares a with b in the direction of an ordering code: negative when a belongs before b.
int InOrder(long order, const CFileInfo& a, const CFileInfo& b) {
  int c;
  if (order <= 3) {
    c = a.GetLength64() < b.GetLength64() ? -1 : a.GetLength64() > b.GetLength64() ? 1 : 0;
  } else {
    c = a.GetFilePath().Compare(b.GetFilePath());
  }
  return order % 2 == 0 ? c : -c;
}

TEST(FileInfoArray, OrderingCodesPlaceEachEntry) {
  std::mt19937 rng(5);
  for (long order : {2L, 3L, 4L, 5L}) {
    TestArray array;
    for (int i = 0; i < 300; ++i) {
      const ULONGLONG size = (static_cast<ULONGLONG>(rng() % 40) << 31) + rng() % 3;
      CFileInfo fi = Entry(("n" + std::to_string(rng() % 50)).c_str(), size, i);
      const INT_PTR at = array.AddFileInfo(fi, order);
      ASSERT_EQ(i, array[at].GetUserValue());
      // Strictly after what precedes it, so an equal entry goes before the ones already there.
      if (at > 0) {
        EXPECT_LT(InOrder(order, array[at - 1], fi), 0) << order;
      }
      if (at + 1 < array.GetSize()) {
        EXPECT_GE(InOrder(order, array[at + 1], fi), 0) << order;
      }
    }
    for (INT_PTR i = 1; i < array.GetSize(); ++i) {
      EXPECT_LE(InOrder(order, array[i - 1], array[i]), 0) << order;
    }
  }
  TestArray unordered;
  CFileInfo big = Entry("b", 9, 0), small = Entry("a", 1, 1);
  EXPECT_EQ(0, unordered.AddFileInfo(big, 7));
  EXPECT_EQ(1, unordered.AddFileInfo(small, 7));
}

TEST(FileInfoArray, SerialisingIsRefused) {
  CFileInfoArray array;
  CMemFile file;
  CArchive ar(&file, CArchive::store);
  int cause = -1;
  try {
    array.Serialize(ar);
  } catch (CArchiveException* e) {
    cause = e->m_cause;
    e->Delete();
  }
  EXPECT_EQ(CArchiveException::genericException, cause);
}

}  // namespace
