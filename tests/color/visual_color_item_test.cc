#include "lumotools/color/visual_color_item.h"

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
    EXPECT_TRUE(item.SetColor(kind, 0x100u + kind));
    EXPECT_TRUE(item.SetTransparency(kind, 0x200u + kind));
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

}  // namespace
