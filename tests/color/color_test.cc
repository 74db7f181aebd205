#include "lumotools/color.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

// Reaches the segment reader, which the item keeps private.
struct VisualColorSegmentReader {
  static void Read(const CString& segment, CString& name, int& r, int& g, int& b) {
    CVisualColorItem().__DealColorSegmentStr(segment, name, r, g, b);
  }
};

namespace {

const VisualColorKind kAllKinds[] = {VCK_LINE, VCK_FACE, VCK_EDGE, VCK_TEXT};

const std::string kZeroColour = " = (r=0.0 g=0.0 b=0.0)";
const std::string kZeroTrans = " = (transmission = (r=0.0 g=0.0 b=0.0))";
const SpecialColorKind kSelected = static_cast<SpecialColorKind>(2);
const SpecialColorKind kHidden = static_cast<SpecialColorKind>(5);

CVisualColorItem Colored(DWORD lineColor) {
  CVisualColorItem item;
  item.SetColor(VCK_LINE, lineColor);
  return item;
}

// The name and channels a segment reads as, "name r g b".
std::string ReadSegment(const CString& segment) {
  CString name;
  int r = -1, g = -1, b = -1;
  VisualColorSegmentReader::Read(segment, name, r, g, b);
  return name.str() + "|" + std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b);
}

TEST(VisualColorItem, StoresWordsPerPartAndComparesEveryWord) {
  CVisualColorItem item;
  for (VisualColorKind kind : kAllKinds) {
    EXPECT_TRUE(item.SetColor(kind, 0x100u + kind) && item.SetTransparency(kind, 0x200u + kind));
  }
  const CVisualColorItem before = item;
  for (VisualColorKind kind : {VCK_END, static_cast<VisualColorKind>(-1)}) {
    EXPECT_FALSE(item.SetColor(kind, 1) || item.SetTransparency(kind, 1));
    EXPECT_EQ(item.GetColor(kind) & item.GetTransparency(kind), 0xFFFFFFFFu);
  }
  EXPECT_TRUE(item == before);
  for (VisualColorKind kind : kAllKinds) {
    EXPECT_EQ(item.GetColor(kind), 0x100u + kind);
    EXPECT_EQ(item.GetTransparency(kind), 0x200u + kind);
    CVisualColorItem colour = before, trans = before;
    colour.m_subItems[kind].m_dwColor ^= 0x10000u;
    trans.m_subItems[kind].m_dwTransparency = 1;
    EXPECT_FALSE(colour == before || trans == before) << kind;
  }
}

TEST(VisualColorItem, DescribesChannelsFromTheLowByteUp) {
  CVisualColorItem item;
  item.SetColor(VCK_LINE, 0x0000FFu);
  EXPECT_EQ(item.GetColorStr().str(),
            "line = (r=1.0 g=0.0 b=0.0),face = (r=0.0 g=0.0 b=0.0),edge = (r=0.0 g=0.0 b=0.0),"
            "text = (r=0.0 g=0.0 b=0.0),line = (transmission = (r=0.0 g=0.0 b=0.0)),"
            "face = (transmission = (r=0.0 g=0.0 b=0.0)),edge = (transmission = (r=0.0 g=0.0 "
            "b=0.0)),text = (transmission = (r=0.0 g=0.0 b=0.0))");
  item.SetColor(VCK_FACE, 0xFFBF0000u);  // the top byte is not a channel
  EXPECT_EQ(item.GetColorStr_OnlyColor(VCK_FACE, VCK_END).str(), "face = (r=0.0 g=0.0 b=0.7)");
  item.SetTransparency(VCK_EDGE, 0x00BF80u);
  EXPECT_EQ(item.GetColorStr_OnlyTrans(VCK_EDGE, VCK_END).str(),
            "edge = (transmission = (r=0.5 g=0.7 b=0.0))");
}

TEST(VisualColorItem, DescribesTheFirstFourListedKindsOnceEach) {
  const CVisualColorItem item;
  EXPECT_EQ(item.GetColorStr_OnlyColor(VCK_TEXT, VCK_LINE, VCK_TEXT, VCK_END).str(),
            "text" + kZeroColour + ",line" + kZeroColour);
  EXPECT_EQ(item.GetColorStr(VCK_FACE, VCK_FACE, VCK_FACE, VCK_FACE, VCK_LINE, VCK_END).str(),
            "face" + kZeroColour + ",face" + kZeroTrans);
  EXPECT_EQ(
      item.GetColorStr_OnlyTrans(VCK_LINE, VCK_LINE, VCK_EDGE, VCK_FACE, VCK_TEXT, VCK_END).str(),
      "line" + kZeroTrans + ",edge" + kZeroTrans + ",face" + kZeroTrans);
  // Kinds outside the four parts are skipped but count as examined.
  EXPECT_EQ(item.GetColorStr_OnlyTrans(static_cast<VisualColorKind>(9), VCK_EDGE,
                                       static_cast<VisualColorKind>(-2), VCK_END)
                .str(),
            "edge" + kZeroTrans);
  EXPECT_EQ(item.GetColorStr_OnlyColor(VCK_END, VCK_LINE, VCK_END).str(), "");
}

TEST(VisualColorItem, ReadsColourSegments) {
  // The 'g' of "edge" stands before the "=" and is not taken; nor the 'b' just before it.
  EXPECT_EQ(ReadSegment("edge = (r=0.2 g=0.4 b=0.6)"), "edge |51 102 153");
  // Values beyond an int's range give its nearest end.
  EXPECT_EQ(ReadSegment("rgb=(r=-1e9 g=1e99 b=0.6)"),
            "rgb|" + std::to_string(INT_MIN) + " " + std::to_string(INT_MAX) + " 153");
  // Four characters are read; missing letters read the four at position 1.
  EXPECT_EQ(ReadSegment("a.5 = (r=0.255 g=1)"), "a.5 |63 255 127");
  // The letters themselves are searched, so the "r" of "transmission" is taken for red.
  EXPECT_EQ(ReadSegment("line = (transmission = (r=1.0 g=1.0 b=0.2))"), "line |0 255 51");
}

TEST(ColorDataText, MarksZeroAndSixtySixBytesAndReadsShortTextsAsZeroBytes) {
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

  EXPECT_TRUE(CDbVisualColorItem::DecodeColorData("") == CVisualColorItem());
  // Without markers the stored characters are taken as they stand.
  const CVisualColorItem bare = CDbVisualColorItem::DecodeColorData("ABCD");
  EXPECT_EQ(bare.GetColor(VCK_LINE), 0x44434241u);
  EXPECT_EQ(bare.GetTransparency(VCK_LINE), 0u);
}

// Add keeps the first colours of a key and Set needs an entry. A figure without colours of its own
// takes those of the smallest id; a special kind has no such fallback.
TEST(ColorManager, AddSetAndLookUp) {
  CDbVisualColorMrg mrg;
  EXPECT_EQ(mrg.GetColorByFigId(1), nullptr);
  EXPECT_EQ(mrg.GetColorStrByFigId(1), "");
  EXPECT_FALSE(mrg.SetFigColor(3, Colored(1)));
  EXPECT_TRUE(mrg.AddFigColor(7, Colored(7)));
  EXPECT_TRUE(mrg.AddFigColor(3, Colored(0xFF)));
  EXPECT_FALSE(mrg.AddFigColor(3, Colored(2)));
  EXPECT_EQ(mrg.GetColorByFigId(9)->GetColor(VCK_LINE), 0xFFu);
  EXPECT_EQ(mrg.GetColorStrByFigId(9).Left(29), "line = (r=1.0 g=0.0 b=0.0),fa");
  EXPECT_TRUE(mrg.SetFigColor(7, Colored(4)));
  EXPECT_EQ(mrg.GetColorByFigId(7)->GetColor(VCK_LINE), 4u);
  EXPECT_EQ(mrg.GetGJColorMap().at(7).m_nRelateID, 7);
  EXPECT_EQ(mrg.GetGJColorMap().at(7).m_nIsSpecialColor, 0);

  EXPECT_EQ(mrg.GetColorBySpecialId(kHidden), nullptr);
  EXPECT_EQ(mrg.GetColorStrBySpecialId(kHidden), "");
  EXPECT_FALSE(mrg.SetSpecialColor(kSelected, Colored(1)));
  EXPECT_TRUE(mrg.AddSpecialColor(kSelected, Colored(9)));
  EXPECT_FALSE(mrg.AddSpecialColor(kSelected, Colored(8)));
  EXPECT_EQ(mrg.GetSpecialColorMap().at(2).m_nIsSpecialColor, 1);
  EXPECT_EQ(mrg.GetColorBySpecialId(kSelected)->GetColor(VCK_LINE), 9u);
  EXPECT_TRUE(mrg.SetSpecialColor(kSelected, Colored(0)));
  EXPECT_EQ(mrg.GetColorStrBySpecialId(kSelected), CVisualColorItem().GetColorStr());
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
