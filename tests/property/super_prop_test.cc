#include "lumotools/property/super_prop.h"

#include <gtest/gtest.h>

#include <string>

#include "support/bytes.h"

namespace {

using lumo_test::ArchiveErrorCause;
using lumo_test::FromHex;
using lumo_test::ToHex;

Kv_SuperProp Bag(std::initializer_list<std::pair<const char*, const char*>> entries) {
  Kv_SuperProp bag;
  for (const auto& entry : entries) bag.m_mapVars[entry.first] = entry.second;
  return bag;
}

TEST(SuperProp, WritesCountThenEntriesInNameOrder) {
  EXPECT_EQ(ToHex(Bag({{"B", "2"}, {"A", "1"}}).ToByteArray()),
            "02 00 00 00 01 41 01 31 01 42 01 32");
  EXPECT_EQ(ToHex(Kv_SuperProp().ToByteArray()), "00 00 00 00");
  // Names order byte-wise: upper case before lower case, multibyte text last.
  EXPECT_EQ(ToHex(Bag({{"b", ""}, {"宋", ""}, {"Z", ""}}).ToByteArray()),
            "03 00 00 00 01 5A 00 01 62 00 03 E5 AE 8B 00");
}

TEST(SuperProp, RoundTripsAndCompares) {
  Kv_SuperProp bag = Bag({{"Width", "300"}, {"Name", "宋体"}, {"Empty", ""}});
  bag.m_mapVars["Long"] = CString('x', 70000);
  Kv_SuperProp back;
  back.FromByteArray(bag.ToByteArray());
  EXPECT_TRUE(back == bag);
  back.m_mapVars["Width"] = "301";
  EXPECT_FALSE(back == bag);

  Kv_SuperProp fromZero;
  fromZero.FromByteArray(FromHex("00 00 00 00"));
  EXPECT_TRUE(fromZero == Kv_SuperProp());
  EXPECT_TRUE(fromZero.empty());
  // An empty array empties the bag too.
  back.FromByteArray({});
  EXPECT_TRUE(back.empty());
}

TEST(SuperProp, HaveVarIsCaseSensitive) {
  const Kv_SuperProp bag = Bag({{"Width", "1"}});
  EXPECT_TRUE(bag.HaveVar("Width"));
  EXPECT_FALSE(bag.HaveVar("width"));
  EXPECT_FALSE(Bag({{"a", "1"}}) == Bag({{"A", "1"}}));
}

TEST(SuperProp, RepeatedNameKeepsTheFirstValueAndWideStringsAreNarrowed) {
  Kv_SuperProp bag;
  bag.FromByteArray(FromHex("03 00 00 00 01 41 01 31 01 41 01 32 01 42 00"));
  EXPECT_EQ(bag.m_mapVars.size(), 2u);
  EXPECT_EQ(bag.m_mapVars["A"], "1");
  EXPECT_EQ(bag.m_mapVars["B"], "");
  bag.FromByteArray(FromHex("01 00 00 00 FF FE FF 01 41 00 FF FE FF 02 8B 5B 53 4F"));
  EXPECT_EQ(bag.m_mapVars.size(), 1u);
  EXPECT_EQ(bag.m_mapVars["A"], "宋体");
}

TEST(SuperProp, BadArraysRaiseAndKeepWhatWasRead) {
  Kv_SuperProp bag = Bag({{"old", "x"}});
  // Two entries promised, the second one cut inside its value.
  const auto truncated = FromHex("02 00 00 00 01 41 01 31 01 42 05 32");
  EXPECT_EQ(ArchiveErrorCause([&] { bag.FromByteArray(truncated); }), CArchiveException::endOfFile);
  EXPECT_EQ(bag.m_mapVars.size(), 1u);
  EXPECT_EQ(bag.m_mapVars["A"], "1");

  // A count far larger than the bytes that follow, and a forged 4 GiB string length.
  EXPECT_EQ(ArchiveErrorCause([&] { bag.FromByteArray(FromHex("FF FF FF FF 01 41 01 31")); }),
            CArchiveException::endOfFile);
  EXPECT_EQ(bag.m_mapVars.size(), 1u);
  const int cause =
      ArchiveErrorCause([&] { bag.FromByteArray(FromHex("01 00 00 00 FF FF FF FE FF FF FF 41")); });
  EXPECT_TRUE(cause == CArchiveException::endOfFile ||
              cause == CArchiveException::genericException);
  EXPECT_TRUE(bag.empty());

  EXPECT_EQ(ArchiveErrorCause([&] { bag.FromByteArray(FromHex("01 00")); }),
            CArchiveException::endOfFile);
}

TEST(SuperProp, CopiesAreIndependent) {
  Kv_SuperProp bag = Bag({{"A", "1"}});
  Kv_SuperProp copy(bag);
  copy.m_mapVars["B"] = "2";
  EXPECT_FALSE(bag.HaveVar("B"));
  const Kv_SuperProp& same = bag;
  bag = same;
  EXPECT_EQ(bag.m_mapVars.size(), 1u);
  copy = bag;
  EXPECT_TRUE(copy == bag);
}

}  // namespace
