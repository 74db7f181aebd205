#include "lumotools/color/visual_color_mrg.h"

#include <gtest/gtest.h>

namespace {

CVisualColorItem Colored(DWORD lineColor) {
  CVisualColorItem item;
  item.SetColor(VCK_LINE, lineColor);
  return item;
}

const SpecialColorKind kSelected = static_cast<SpecialColorKind>(2);
const SpecialColorKind kHidden = static_cast<SpecialColorKind>(5);

TEST(ColorDataText, MarksZeroAndSixtySixBytes) {
  const CString defaultText = CDbVisualColorItem::EncodeColorData(CVisualColorItem());
  EXPECT_EQ(defaultText, CString('T', 32) + CString('z', 32));

  CVisualColorItem item = Colored(0x27FF6601);
  item.SetTransparency(VCK_TEXT, 0x80746600);
  const CString mixed = CDbVisualColorItem::EncodeColorData(item);
  EXPECT_EQ(mixed.GetLength(), 64);
  EXPECT_EQ(mixed.Left(4), CString("\x01T\xFF'"));
  EXPECT_EQ(mixed.Mid(32, 4), "cxcc");
  EXPECT_EQ(mixed.Mid(28, 4), "TTt\x80");
  EXPECT_EQ(mixed.Mid(60, 4), "zxcc");
  EXPECT_TRUE(CDbVisualColorItem::DecodeColorData(mixed) == item);
}

TEST(ColorDataText, ShortTextsReadAsZeroBytes) {
  EXPECT_TRUE(CDbVisualColorItem::DecodeColorData("") == CVisualColorItem());
  // Without markers the stored characters are taken as they stand.
  const CVisualColorItem item = CDbVisualColorItem::DecodeColorData("ABCD");
  EXPECT_EQ(item.GetColor(VCK_LINE), 0x44434241u);
  EXPECT_EQ(item.GetTransparency(VCK_LINE), 0u);
}

TEST(ColorManager, AddKeepsTheFirstAndSetNeedsAnEntry) {
  CDbVisualColorMrg mrg;
  EXPECT_FALSE(mrg.SetFigColor(3, Colored(1)));
  EXPECT_TRUE(mrg.AddFigColor(3, Colored(1)));
  EXPECT_FALSE(mrg.AddFigColor(3, Colored(2)));
  EXPECT_EQ(mrg.GetColorByFigId(3)->GetColor(VCK_LINE), 1u);
  EXPECT_TRUE(mrg.SetFigColor(3, Colored(4)));
  EXPECT_EQ(mrg.GetColorByFigId(3)->GetColor(VCK_LINE), 4u);
  const CDbVisualColorItem& entry = mrg.GetGJColorMap().at(3);
  EXPECT_EQ(entry.m_nRelateID, 3);
  EXPECT_EQ(entry.m_nIsSpecialColor, 0);

  EXPECT_FALSE(mrg.SetSpecialColor(kSelected, Colored(1)));
  EXPECT_TRUE(mrg.AddSpecialColor(kSelected, Colored(9)));
  EXPECT_FALSE(mrg.AddSpecialColor(kSelected, Colored(8)));
  EXPECT_EQ(mrg.GetSpecialColorMap().at(2).m_nIsSpecialColor, 1);
  EXPECT_EQ(mrg.GetColorBySpecialId(kSelected)->GetColor(VCK_LINE), 9u);
}

TEST(ColorManager, FigureLookupFallsBackToTheSmallestIdSpecialLookupDoesNot) {
  CDbVisualColorMrg mrg;
  EXPECT_EQ(mrg.GetColorByFigId(1), nullptr);
  EXPECT_EQ(mrg.GetColorStrByFigId(1), "");
  mrg.AddFigColor(7, Colored(7));
  mrg.AddFigColor(3, Colored(0xFF));
  EXPECT_EQ(mrg.GetColorByFigId(9)->GetColor(VCK_LINE), 0xFFu);
  EXPECT_EQ(mrg.GetColorStrByFigId(9).Left(29), "line = (r=1.0 g=0.0 b=0.0),fa");
  EXPECT_EQ(mrg.GetColorBySpecialId(kHidden), nullptr);
  EXPECT_EQ(mrg.GetColorStrBySpecialId(kHidden), "");
  mrg.AddSpecialColor(kHidden, Colored(0));
  EXPECT_EQ(mrg.GetColorStrBySpecialId(kHidden), CVisualColorItem().GetColorStr());
}

TEST(ColorManager, TrimValueTakesTheReferenceKeysAndKeepsOwnColours) {
  CDbVisualColorMrg mrg, reference;
  mrg.AddFigColor(2, Colored(22));
  mrg.AddFigColor(3, Colored(33));
  mrg.AddSpecialColor(kHidden, Colored(55));
  reference.AddFigColor(1, Colored(11));
  reference.AddFigColor(2, Colored(99));
  reference.AddSpecialColor(kSelected, Colored(2));
  mrg.TrimValue(reference);
  ASSERT_EQ(mrg.GetGJColorMap().size(), 2u);
  EXPECT_EQ(mrg.GetColorByFigId(1)->GetColor(VCK_LINE), 11u);
  EXPECT_EQ(mrg.GetColorByFigId(2)->GetColor(VCK_LINE), 22u);
  EXPECT_EQ(mrg.GetGJColorMap().count(3), 0u);
  ASSERT_EQ(mrg.GetSpecialColorMap().size(), 1u);
  EXPECT_EQ(mrg.GetColorBySpecialId(kSelected)->GetColor(VCK_LINE), 2u);
}

TEST(ColorManager, ConfigurationPathsLieUnderTheCurrentDirectory) {
  const CString dir = CDbVisualColorMrg::GetCurDir();
  EXPECT_FALSE(dir.IsEmpty());
  EXPECT_NE(dir.Right(1), "/");
  EXPECT_EQ(CDbVisualColorMrg::GetDBPath(), dir + "\\system\\sys_config.mdb");
  EXPECT_EQ(CDbVisualColorMrg::GetDefaultDBPath(), dir + "\\system\\sys_config_default.mdb");
}

}  // namespace
