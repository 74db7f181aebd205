#include "lumotools/property/style_id_cache.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "lumotools/property/property_item.h"

namespace {

TEST(StyleIdCache, AddInsertsOrOverwritesBothFields) {
  CAnyPropertyStyleIdCache& cache = CAnyPropertyStyleIdCache::Instance();
  EXPECT_EQ(cache.ToBoostAnyType(1001), BAT_NONE);
  EXPECT_EQ(cache.ToUnitConversion(1001), -1.0);
  cache.AddID_StyleBaseInfo(1002, BAT_DOUBLE, 1000.0);
  cache.AddID_StyleBaseInfo(1002, BAT_INT, 0.001);
  cache.AddID_StyleBaseInfo(-1002, BAT_CSTRING, 2.0);
  EXPECT_EQ(cache.ToBoostAnyType(1002), BAT_INT);
  EXPECT_EQ(cache.ToUnitConversion(1002), 0.001);
  EXPECT_EQ(cache.ToBoostAnyType(-1002), BAT_CSTRING);
  EXPECT_EQ(cache.ToBoostAnyType(1003), BAT_NONE);
}

TEST(StyleIdCache, PropertyItemsReadOnlyTheirCache) {
  CStyleIdCache_CalcSetup_GJ::Instance().AddID_StyleBaseInfo(1010, BAT_DOUBLE, 10.0);
  CStyleIdCache_CalcSetup_GCL::Instance().AddID_StyleBaseInfo(1011, BAT_LONG, 20.0);
  EXPECT_EQ(CStyleIdCache_CalcSetup_GCL::Instance().ToBoostAnyType(1010), BAT_NONE);
  EXPECT_EQ(CStyleIdCache_CalcSetup_GJ::Instance().ToBoostAnyType(1011), BAT_NONE);
  EXPECT_EQ(CAnyPropertyStyleIdCache::Instance().ToBoostAnyType(1010), BAT_NONE);
  EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(1010, -2.0), -1.0);
  const CAnyPropertyItem item(1010, "Caption", "V", 1.5, true, "");
  EXPECT_THAT([&] { item.GetValueS(-1.0); },
              ::testing::ThrowsMessage<std::invalid_argument>(::testing::HasSubstr("1010")));
}

TEST(StyleIdCache, CopiesAreIndependent) {
  CStyleIdCache source;
  source.AddID_StyleBaseInfo(1, BAT_DOUBLE, 1000.0);
  CStyleIdCache target;
  target.AddID_StyleBaseInfo(2, BAT_INT, 1.0);
  target = source;  // replaces, does not merge
  EXPECT_EQ(target.ToBoostAnyType(2), BAT_NONE);
  EXPECT_EQ(target.ToUnitConversion(1), 1000.0);
  CStyleIdCache copy(target);
  copy.AddID_StyleBaseInfo(1, BAT_INT, 4.0);
  EXPECT_EQ(target.ToBoostAnyType(1), BAT_DOUBLE);
}

TEST(StyleIdCache, UnitConversionResolvesSentinels) {
  CAnyPropertyStyleIdCache::Instance().AddID_StyleBaseInfo(1030, BAT_DOUBLE, 0.001);
  // -1 means no conversion, registered or not; the tolerance is 1e-6, strictly.
  EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(1030, -1.0), 1.0);
  EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(1031, -1.0000005), 1.0);
  EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(1031, -0.9999995), 1.0);
  EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(1031, -0.999998), -0.999998);
  EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(1031, -1.000002), -1.000002);
  // -2 asks the property cache: its factor, or -1 without an entry.
  EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(1030, -2.0), 0.001);
  EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(1030, -2.0000009), 0.001);
  EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(1030, -1.999998), -1.999998);
  EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(1031, -2.0), -1.0);
  // Anything else is the factor itself.
  EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(1030, 2.5), 2.5);
  EXPECT_EQ(CAnyPropertyItem::GetUnitConversion(1030, 0.0), 0.0);
}

}  // namespace
