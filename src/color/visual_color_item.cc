#include "lumotools/color/visual_color_item.h"

#include <cstdlib>
#include <vector>

namespace {

constexpr int kPartCount = 4;
const char* const kPartNames[kPartCount] = {"line", "face", "edge", "text"};

bool IsPart(int kind) { return static_cast<unsigned>(kind) < kPartCount; }

// Takes the list of kinds up to VCK_END. At most four kinds are examined (repeats included); a
// repeated kind keeps its first place and kinds other than the four parts are skipped.
std::vector<int> TakeKinds(std::initializer_list<VisualColorKind> list) {
  std::vector<int> kinds;
  int examined = 0;
  for (const int kind : list) {
    if (kind == VCK_END || examined++ == kPartCount) break;
    bool taken = !IsPart(kind);
    for (int k : kinds) taken = taken || k == kind;
    if (!taken) kinds.push_back(kind);
  }
  return kinds;
}

// Truncates toward zero like a cast to int, but gives the nearest int for values beyond its range
// and 0 for NaN instead of undefined behaviour.
int TruncateToInt(double value) {
  if (!(value == value)) return 0;
  if (value >= 2147483647.0) return 2147483647;
  if (value <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(value);
}

double Channel(DWORD word, int shift) { return ((word >> shift) & 0xFF) / 255.0; }

CString Describe(const CVisualColorSubItem (&parts)[kPartCount], const std::vector<int>& kinds,
                 bool colors, bool transparencies) {
  CString text;
  if (colors) {
    for (int kind : kinds) {
      const DWORD c = parts[kind].m_dwColor;
      text.AppendFormat("%s = (r=%.1f g=%.1f b=%.1f),", kPartNames[kind], Channel(c, 0),
                        Channel(c, 8), Channel(c, 16));
    }
  }
  if (transparencies) {
    for (int kind : kinds) {
      const DWORD t = parts[kind].m_dwTransparency;
      text.AppendFormat("%s = (transmission = (r=%.1f g=%.1f b=%.1f)),", kPartNames[kind],
                        Channel(t, 0), Channel(t, 8), Channel(t, 16));
    }
  }
  text.TrimRight(',');
  return text;
}

}  // namespace

bool CVisualColorItem::operator==(const CVisualColorItem& other) const {
  for (int i = 0; i < kPartCount; ++i) {
    if (m_subItems[i].m_dwColor != other.m_subItems[i].m_dwColor ||
        m_subItems[i].m_dwTransparency != other.m_subItems[i].m_dwTransparency) {
      return false;
    }
  }
  return true;
}

bool CVisualColorItem::SetColor(VisualColorKind kind, DWORD value) {
  if (!IsPart(kind)) return false;
  m_subItems[kind].m_dwColor = value;
  return true;
}

bool CVisualColorItem::SetTransparency(VisualColorKind kind, DWORD value) {
  if (!IsPart(kind)) return false;
  m_subItems[kind].m_dwTransparency = value;
  return true;
}

DWORD CVisualColorItem::GetColor(VisualColorKind kind) const {
  return IsPart(kind) ? m_subItems[kind].m_dwColor : 0xFFFFFFFF;
}

DWORD CVisualColorItem::GetTransparency(VisualColorKind kind) const {
  return IsPart(kind) ? m_subItems[kind].m_dwTransparency : 0xFFFFFFFF;
}

CString CVisualColorItem::GetColorStr() const {
  return Describe(m_subItems, {VCK_LINE, VCK_FACE, VCK_EDGE, VCK_TEXT}, true, true);
}

CString CVisualColorItem::DescribeKinds(std::initializer_list<VisualColorKind> list,
                                        int segments) const {
  return Describe(m_subItems, TakeKinds(list), (segments & kColorSegments) != 0,
                  (segments & kTransparencySegments) != 0);
}

void CVisualColorItem::__DealColorSegmentStr(const CString& segment, CString& name, int& r, int& g,
                                             int& b) const {
  const int equals = segment.Find('=');
  name = segment.Left(equals);
  auto component = [&segment, equals](char letter) {
    const int at = segment.Find(letter, equals + 1);
    return TruncateToInt(std::atof(segment.Mid(at + 2, 4)) * 255.0);
  };
  r = component('r');
  g = component('g');
  b = component('b');
}
