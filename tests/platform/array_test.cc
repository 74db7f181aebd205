#include "lumotools/platform/array.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

TEST(Array, AddsInsertsAndRemovesInPlace) {
  CArray<std::string, const std::string&> a;
  a.SetSize(0, 50);
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_EQ(0, a.Add("b"));
  EXPECT_EQ(1, a.Add("d"));
  a.InsertAt(0, "a");
  a.InsertAt(2, "c", 2);
  a.InsertAt(7, "z");  // past the end: the gap is filled with empty elements
  ASSERT_EQ(8, a.GetSize());
  EXPECT_EQ(7, a.GetUpperBound());
  const char* expected[] = {"a", "b", "c", "c", "d", "", "", "z"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(expected[i], a[i]) << i;
  a.RemoveAt(2, 4);
  a.SetAt(2, "y");
  EXPECT_EQ("a b y ", a[0] + " " + a[1] + " " + a.GetAt(2) + " ");
  a.RemoveAll();
  EXPECT_EQ(0, a.GetCount());
}

// Adding or inserting an element of the array itself stays valid while the storage grows.
TEST(Array, ElementOfItselfSurvivesGrowth) {
  CArray<std::string, const std::string&> a;
  a.Add(std::string(100, 'x'));
  for (int i = 0; i < 200; ++i) {
    a.Add(a[0]);
    a.InsertAt(0, a[a.GetUpperBound()]);
  }
  ASSERT_EQ(401, a.GetSize());
  for (INT_PTR i = 0; i < a.GetSize(); ++i) ASSERT_EQ(std::string(100, 'x'), a[i]);
}

// Storage of a megabyte and more is mapped rather than taken from the heap: elements stay intact
// across the moves between heap and mapped blocks, and inserting near the front of a mapped
// block keeps the order.
TEST(Array, LargeStorageKeepsItsElements) {
  CArray<long long, long long> a;
  constexpr long long kCount = 400000;  // 3.2 MB of elements
  for (long long i = 0; i < kCount; ++i) a.Add(i * 3);
  a.InsertAt(1, -1);
  ASSERT_EQ(kCount + 1, a.GetSize());
  EXPECT_EQ(0, a[0]);
  EXPECT_EQ(-1, a[1]);
  for (long long i = 1; i < kCount; ++i) ASSERT_EQ(i * 3, a[i + 1]) << i;
  a.RemoveAt(0, kCount - 1);
  ASSERT_EQ(2, a.GetSize());
  EXPECT_EQ((kCount - 1) * 3, a[1]);

  for (std::size_t bytes : {std::size_t{1} << 20, (std::size_t{5} << 20) + 3}) {
    auto* block = static_cast<unsigned char*>(lumo_platform::AllocateArrayBlock(bytes));
    EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(block) % alignof(std::max_align_t));
    block[0] = 1;
    block[bytes - 1] = 2;
    EXPECT_EQ(1 + 2, block[0] + block[bytes - 1]);
    lumo_platform::FreeArrayBlock(block, bytes);
  }
}

}  // namespace
