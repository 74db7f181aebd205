#include "lumotools/platform/array.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Array, AddsInsertsAndRemovesInPlace) {
  CArray<std::string, const std::string&> a;
  a.SetSize(0, 50);
  EXPECT_EQ(50, a.GetGrowBy());
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

}  // namespace
