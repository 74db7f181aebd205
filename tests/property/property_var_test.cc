#include "lumotools/property/property_var.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "support/bytes.h"
#include "support/message_box_recorder.h"

namespace {

using lumo_test::FromHex;
using lumo_test::ToHex;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

std::string Write(CAnyPropertyVar var) {
  return ToHex(lumo_test::Store([&](CArchive& ar) { var.Serialize(ar); }));
}

void Read(CAnyPropertyVar& var, const std::string& hex) {
  lumo_test::Load(FromHex(hex), [&](CArchive& ar) { var.Serialize(ar); });
}

TEST(PropertyVar, WritesAndReadsItsRecord) {
  CAnyPropertyVar var(BAT_INT);
  var.ID(7);
  var.SetVarName("a");
  var.SetValueI(5);
  const std::string hex = "01 00 00 00 07 00 00 00 01 61 01 00 00 00 05 00 00 00 01 00 00 00";
  EXPECT_EQ(Write(var), hex);

  CAnyPropertyVar back(BAT_STRING);
  back.SetValueS("old");
  Read(back, hex);
  EXPECT_EQ(back.ID(), 7);
  EXPECT_EQ(back.GetVarName(), "a");
  EXPECT_EQ(boost::any_cast<int>(back.GetAnyValue()), 5);
  EXPECT_EQ(back.Type(), BAT_INT);

  // Version 9 (not checked), ID -1, name "n\0m", a CString value, kind 3: the value keeps its
  // stored type whatever the kind.
  Read(back, "09 00 00 00 FF FF FF FF 03 6E 00 6D 05 00 00 00 01 78 03 00 00 00");
  EXPECT_EQ(back.ID(), -1);
  EXPECT_EQ(back.GetVarName(), "n");
  EXPECT_EQ(boost::any_cast<CString>(back.GetAnyValue()), "x");
  EXPECT_EQ(back.Type(), BAT_DOUBLE);
  EXPECT_THROW(back.GetValueD(), boost::bad_any_cast);
}

TEST(PropertyVar, EmptyValueWritesMinusOneAndReadingKeepsTheValue) {
  lumo_test::MessageBoxRecorder boxes;
  CAnyPropertyVar var(BAT_CSTRING);
  var.ID(2);
  var.SetVarName("e");
  const std::string hex = "01 00 00 00 02 00 00 00 01 65 FF FF FF FF 05 00 00 00";
  EXPECT_EQ(Write(var), hex);
  EXPECT_EQ(boxes.texts().size(), 1u);

  CAnyPropertyVar back(BAT_DOUBLE);
  back.SetValueD(1.25);
  Read(back, hex);
  EXPECT_EQ(boxes.texts().size(), 2u);
  EXPECT_EQ(boost::any_cast<double>(back.GetAnyValue()), 1.25);
  EXPECT_EQ(back.Type(), BAT_CSTRING);
}

TEST(PropertyVar, ConvertsThroughItsKindWithoutAFactor) {
  CAnyPropertyVar var(BAT_DOUBLE);
  var.SetValueS("2.5");
  EXPECT_EQ(var.GetValueD(), 2.5);
  EXPECT_EQ(var.GetValueI(), 3);
  EXPECT_EQ(var.GetValueS(), "2.5");
  var.Type(BAT_INT);  // the value keeps its type
  EXPECT_EQ(boost::any_cast<double>(var.GetAnyValue()), 2.5);
  EXPECT_THROW(var.GetValueI(), boost::bad_any_cast);
  var.SetValueD(-2.5);
  EXPECT_EQ(boost::any_cast<int>(var.GetAnyValue()), -3);

  EXPECT_THROW(CAnyPropertyVar(BAT_CSTRING).GetValueS(), boost::bad_any_cast);
}

TEST(PropertyVar, KindWithoutStrategyThrowsNamingIt) {
  CAnyPropertyVar var(static_cast<BoostAnyType>(2008));
  const auto names_kind = ThrowsMessage<std::invalid_argument>(HasSubstr("2008"));
  EXPECT_THAT([&] { var.GetValueS(); }, names_kind);
  EXPECT_THAT([&] { var.GetValueI(); }, names_kind);
  EXPECT_THAT([&] { var.GetValueD(); }, names_kind);
  EXPECT_THAT([&] { var.SetValueS("1"); }, names_kind);
  EXPECT_THAT([&] { var.SetValueI(1); }, names_kind);
  EXPECT_THAT([&] { var.SetValueD(1.0); }, names_kind);
  EXPECT_TRUE(var.IsValueEmpty());
}

}  // namespace
