// Records that claim more than the input holds (a string of 2 GiB, a group of a billion items, a
// bag of four billion entries) must be refused before anything of the claimed size is allocated.
// This program counts every allocation made through operator new, the libraries' included.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "lumotools/platform/archive.h"
#include "lumotools/property/property_group.h"
#include "lumotools/property/property_var.h"
#include "lumotools/property/super_prop.h"
#include "support/bytes.h"

namespace {

std::atomic<std::size_t> g_largest{0};

void NoteAllocation(std::size_t size) {
  std::size_t seen = g_largest.load();
  while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {
  }
}

}  // namespace

// The replacements below pair malloc with free on purpose; GCC cannot see that they belong
// together.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
  NoteAllocation(size);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using lumo_test::ArchiveErrorCause;
using lumo_test::FromHex;
using lumo_test::Load;

// The largest single allocation while action runs; the action must fail as an archive error.
std::size_t LargestAllocationOfFailing(const std::function<void()>& action) {
  g_largest = 0;
  EXPECT_NE(ArchiveErrorCause(action), CArchiveException::none);
  return g_largest.load();
}

constexpr std::size_t kSmall = 1 << 20;

TEST(ClaimedLength, StringsClaimingMoreThanTheInputAllocateLittle) {
  for (const char* hex : {"FF FF FF FF FF FF 7F 61 62 63",                       // 2 GiB of bytes
                          "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF 00 61",  // 2^63
                          "FF FE FF FF FF FF FF FF 7F 41 00"}) {  // 2 Gi wide characters
    CString s;
    EXPECT_LT(
        LargestAllocationOfFailing([&] { Load(FromHex(hex), [&](CArchive& ar) { ar >> s; }); }),
        kSmall)
        << hex;
  }
}

TEST(ClaimedLength, GroupsClaimingMoreItemsThanTheInputHoldsAllocateLittle) {
  CAnyPropertyGroup group;
  // Version 1, then 2^30 items, then one byte.
  const auto bytes = FromHex("01 00 00 00 00 00 00 40 00");
  EXPECT_LT(
      LargestAllocationOfFailing([&] { Load(bytes, [&](CArchive& ar) { group.Serialize(ar); }); }),
      kSmall);
}

TEST(ClaimedLength, BagsClaimingMoreEntriesThanTheInputHoldsAllocateLittle) {
  Kv_SuperProp bag;
  // 2^32 - 1 entries, then one entry's worth of bytes.
  const auto bytes = FromHex("FF FF FF FF 01 61 01 62");
  EXPECT_LT(LargestAllocationOfFailing([&] { bag.FromByteArray(bytes); }), kSmall);
}

TEST(ClaimedLength, VariablesWithAHugeNameAllocateLittle) {
  CAnyPropertyVar var(BAT_NONE);
  const auto bytes = FromHex("01 00 00 00 FF FF FF FF FF FF 7F 61");
  EXPECT_LT(
      LargestAllocationOfFailing([&] { Load(bytes, [&](CArchive& ar) { var.Serialize(ar); }); }),
      kSmall);
}

}  // namespace
