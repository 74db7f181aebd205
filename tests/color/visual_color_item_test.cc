#include "lumotools/color/visual_color_item.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>

// Reaches the segment reader, which the item keeps private.
struct VisualColorSegmentReader {
  static void Read(const CVisualColorItem& item, const CString& segment, CString& name, int& r,
                   int& g, int& b) {
    item.__DealColorSegmentStr(segment, name, r, g, b);
  }
};

namespace {

const VisualColorKind kAllKinds[] = {VCK_LINE, VCK_FACE, VCK_EDGE, VCK_TEXT};
const VisualColorKind kBadKinds[] = {VCK_END, static_cast<VisualColorKind>(7),
                                     static_cast<VisualColorKind>(-1)};

const char kZeroColour[] = " = (r=0.0 g=0.0 b=0.0)";
const char kZeroTrans[] = " = (transmission = (r=0.0 g=0.0 b=0.0))";

}  // namespace

TEST(VisualColorItem, StoresWordsPerKind) {
  CVisualColorItem item;
  for (VisualColorKind kind : kAllKinds) {
    EXPECT_EQ(item.GetColor(kind), 0u);
    EXPECT_EQ(item.GetTransparency(kind), 0u);
  }
  for (VisualColorKind kind : kAllKinds) {
    EXPECT_TRUE(item.SetColor(kind, 0x100u + kind));
    EXPECT_TRUE(item.SetTransparency(kind, 0x200u + kind));
  }
  for (VisualColorKind kind : kAllKinds) {
    EXPECT_EQ(item.GetColor(kind), 0x100u + kind);
    EXPECT_EQ(item.GetTransparency(kind), 0x200u + kind);
    EXPECT_EQ(item.m_subItems[kind].m_dwColor, 0x100u + kind);
  }

  const CVisualColorItem before = item;
  for (VisualColorKind kind : kBadKinds) {
    EXPECT_FALSE(item.SetColor(kind, 0xABCDEFu));
    EXPECT_FALSE(item.SetTransparency(kind, 0xABCDEFu));
    EXPECT_EQ(item.GetColor(kind), 0xFFFFFFFFu);
    EXPECT_EQ(item.GetTransparency(kind), 0xFFFFFFFFu);
  }
  EXPECT_TRUE(item == before);
}

TEST(VisualColorItem, EqualityComparesEveryWord) {
  CVisualColorItem a;
  a.SetColor(VCK_EDGE, 0x123456u);
  CVisualColorItem b;
  b.SetColorValue(a);
  EXPECT_TRUE(a == b);
  for (VisualColorKind kind : kAllKinds) {
    CVisualColorItem colour = a;
    colour.m_subItems[kind].m_dwColor ^= 0x10000u;
    EXPECT_FALSE(colour == a);
    CVisualColorItem trans = a;
    trans.m_subItems[kind].m_dwTransparency = 1;
    EXPECT_FALSE(trans == a);
  }
}

TEST(VisualColorItem, FullTextForm) {
  CVisualColorItem item;
  item.SetColor(VCK_LINE, 0x0000FFu);
  EXPECT_EQ(item.GetColorStr().str(),
            "line = (r=1.0 g=0.0 b=0.0),face = (r=0.0 g=0.0 b=0.0),edge = (r=0.0 g=0.0 b=0.0),"
            "text = (r=0.0 g=0.0 b=0.0),line = (transmission = (r=0.0 g=0.0 b=0.0)),"
            "face = (transmission = (r=0.0 g=0.0 b=0.0)),edge = (transmission = (r=0.0 g=0.0 "
            "b=0.0)),text = (transmission = (r=0.0 g=0.0 b=0.0))");
}

TEST(VisualColorItem, ChannelsFromLowByteUp) {
  CVisualColorItem item;
  item.SetColor(VCK_FACE, 0x0080FFu);
  EXPECT_EQ(item.GetColorStr_OnlyColor(VCK_FACE, VCK_END).str(), "face = (r=1.0 g=0.5 b=0.0)");
  // The top byte is not a channel.
  item.SetColor(VCK_FACE, 0xFFBF0000u);
  EXPECT_EQ(item.GetColorStr_OnlyColor(VCK_FACE, VCK_END).str(), "face = (r=0.0 g=0.0 b=0.7)");
  item.SetTransparency(VCK_EDGE, 0x00BF00u);
  EXPECT_EQ(item.GetColorStr_OnlyTrans(VCK_EDGE, VCK_END).str(),
            "edge = (transmission = (r=0.0 g=0.7 b=0.0))");
}

TEST(VisualColorItem, ListedKinds) {
  const CVisualColorItem item;
  EXPECT_EQ(item.GetColorStr_OnlyColor(VCK_TEXT, VCK_LINE, VCK_TEXT, VCK_END).str(),
            std::string("text") + kZeroColour + ",line" + kZeroColour);
  // Only four kinds are examined, repeats included.
  EXPECT_EQ(item.GetColorStr(VCK_FACE, VCK_FACE, VCK_FACE, VCK_FACE, VCK_LINE, VCK_END).str(),
            std::string("face") + kZeroColour + ",face" + kZeroTrans);
  EXPECT_EQ(
      item.GetColorStr_OnlyTrans(VCK_LINE, VCK_LINE, VCK_EDGE, VCK_FACE, VCK_TEXT, VCK_END).str(),
      std::string("line") + kZeroTrans + ",edge" + kZeroTrans + ",face" + kZeroTrans);
  // Kinds outside the four parts are skipped.
  EXPECT_EQ(item.GetColorStr_OnlyTrans(static_cast<VisualColorKind>(9), VCK_EDGE,
                                       static_cast<VisualColorKind>(-2), VCK_END)
                .str(),
            std::string("edge") + kZeroTrans);
  EXPECT_EQ(item.GetColorStr(VCK_END).str(), "");
  EXPECT_EQ(item.GetColorStr_OnlyColor(VCK_END, VCK_LINE, VCK_END).str(), "");
  EXPECT_EQ(item.GetColorStr_OnlyTrans(VCK_END, VCK_LINE, VCK_END).str(), "");
}

TEST(VisualColorItem, ReadsColourSegment) {
  const CVisualColorItem item;
  CString name;
  int r = -1, g = -1, b = -1;
  // The 'g' of "edge" stands before the "=" and is not taken.
  VisualColorSegmentReader::Read(item, "edge = (r=0.2 g=0.4 b=0.6)", name, r, g, b);
  EXPECT_EQ(name.str(), "edge ");
  EXPECT_EQ(r, 51);
  EXPECT_EQ(g, 102);
  EXPECT_EQ(b, 153);
  // Nor the 'b' just before it; values beyond an int's range give its nearest end.
  VisualColorSegmentReader::Read(item, "rgb=(r=-1e9 g=1e99 b=0.6)", name, r, g, b);
  EXPECT_EQ(name.str(), "rgb");
  EXPECT_EQ(r, INT_MIN);
  EXPECT_EQ(g, INT_MAX);
  EXPECT_EQ(b, 153);
  // Four characters are read; missing letters read the four at position 1.
  VisualColorSegmentReader::Read(item, "a.5 = (r=0.255 g=1)", name, r, g, b);
  EXPECT_EQ(name.str(), "a.5 ");
  EXPECT_EQ(r, 63);
  EXPECT_EQ(g, 255);
  EXPECT_EQ(b, 127);
  // The letters themselves are searched, so the "r" of "transmission" is taken for red.
  VisualColorSegmentReader::Read(item, "line = (transmission = (r=1.0 g=1.0 b=0.2))", name, r, g,
                                 b);
  EXPECT_EQ(name.str(), "line ");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(g, 255);
  EXPECT_EQ(b, 51);
}

// A written colour segment read back keeps one of eleven levels per channel: the byte / 255
// rounded to one decimal, times 255, truncated.
TEST(VisualColorItem, SegmentRoundTripKeepsElevenLevels) {
  const int kLevels[11] = {0, 25, 51, 76, 102, 127, 153, 178, 204, 229, 255};
  const char* const kNames[4] = {"line ", "face ", "edge ", "text "};
  std::mt19937 rng(7321);
  std::uniform_int_distribution<int> byte(0, 255);
  const CVisualColorItem reader;
  for (int i = 0; i < 1000; ++i) {
    const VisualColorKind kind = kAllKinds[i % 4];
    const int channels[3] = {byte(rng), byte(rng), byte(rng)};
    CVisualColorItem item;
    item.SetColor(kind, static_cast<DWORD>(channels[0] | channels[1] << 8 | channels[2] << 16));
    const CString segment = item.GetColorStr_OnlyColor(kind, VCK_END);
    SCOPED_TRACE(segment.str());
    CString name;
    int read[3] = {-1, -1, -1};
    VisualColorSegmentReader::Read(reader, segment, name, read[0], read[1], read[2]);
    EXPECT_EQ(name.str(), kNames[kind]);
    for (int c = 0; c < 3; ++c) {
      // Nearest tenth of byte / 255; no byte lies exactly halfway.
      EXPECT_EQ(read[c], kLevels[(20 * channels[c] + 255) / 510]) << "channel " << c;
    }
  }
}
