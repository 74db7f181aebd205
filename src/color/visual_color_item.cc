#include "lumotools/color/visual_color_item.h"

#include <cstdarg>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kPartCount = 4;
const char* const kPartNames[kPartCount] = {"line", "face", "edge", "text"};

bool IsPart(int kind) { return static_cast<unsigned>(kind) < kPartCount; }

enum Segments { kColours = 1, kTransparencies = 2, kBoth = kColours | kTransparencies };

// Takes the list of kinds from the arguments: first, then the variable arguments up to VCK_END.
// At most four kinds are examined (repeats included); a repeated kind keeps its first place.
std::vector<int> TakeKinds(int first, va_list args) {
  std::vector<int> kinds;
  int kind = first;
  for (int examined = 0; kind != VCK_END;) {
    bool taken = !IsPart(kind);
    for (int k : kinds) taken = taken || k == kind;
    if (!taken) kinds.push_back(kind);
    if (++examined == kPartCount) break;
    kind = va_arg(args, int);
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
                 int which) {
  CString text;
  if (which & kColours) {
    for (int kind : kinds) {
      const DWORD c = parts[kind].m_dwColor;
      text.AppendFormat("%s = (r=%.1f g=%.1f b=%.1f),", kPartNames[kind], Channel(c, 0),
                        Channel(c, 8), Channel(c, 16));
    }
  }
  if (which & kTransparencies) {
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
  return Describe(m_subItems, {VCK_LINE, VCK_FACE, VCK_EDGE, VCK_TEXT}, kBoth);
}

#define LUMO_DESCRIBE_WITH_KINDS(which)                   \
  va_list args;                                           \
  va_start(args, first);                                  \
  const std::vector<int> kinds = TakeKinds(first, args);  \
  va_end(args);                                           \
  return Describe(m_subItems, kinds, which)

CString CVisualColorItem::GetColorStr(VisualColorKind first, ...) const {
  LUMO_DESCRIBE_WITH_KINDS(kBoth);
}

CString CVisualColorItem::GetColorStr_OnlyColor(VisualColorKind first, ...) const {
  LUMO_DESCRIBE_WITH_KINDS(kColours);
}

CString CVisualColorItem::GetColorStr_OnlyTrans(VisualColorKind first, ...) const {
  LUMO_DESCRIBE_WITH_KINDS(kTransparencies);
}

#undef LUMO_DESCRIBE_WITH_KINDS

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
