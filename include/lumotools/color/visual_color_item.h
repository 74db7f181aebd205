// CVisualColorItem: the display colours of one kind of drawn figure, a colour and a transparency
// for each of four drawing parts, and its text form for the 3D view.
//
// Colours and transparencies are 32-bit words with red in the lowest byte, green in the second and
// blue in the third. Plain value classes; copies are independent.
#ifndef LUMOTOOLS_COLOR_VISUAL_COLOR_ITEM_H_
#define LUMOTOOLS_COLOR_VISUAL_COLOR_ITEM_H_

#include <initializer_list>

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/types.h"

// The drawing parts, with their names in the text form.
enum VisualColorKind : int {
  VCK_LINE = 0,  // "line"
  VCK_FACE = 1,  // "face"
  VCK_EDGE = 2,  // "edge"
  VCK_TEXT = 3,  // "text"
  VCK_END = 4,   // ends a list of kinds passed to the text-form operations
};

class LUMO_EXPORT CVisualColorSubItem {
 public:
  CVisualColorSubItem() = default;
  CVisualColorSubItem(const CVisualColorSubItem&) = default;
  CVisualColorSubItem& operator=(const CVisualColorSubItem&) = default;

  DWORD m_dwColor = 0;
  DWORD m_dwTransparency = 0;  // transmission per channel
};

class LUMO_EXPORT CVisualColorItem {
 public:
  CVisualColorItem() = default;
  CVisualColorItem(const CVisualColorItem&) = default;
  CVisualColorItem& operator=(const CVisualColorItem&) = default;
  void SetColorValue(const CVisualColorItem& other) { *this = other; }

  // Colours and transparencies of all four parts equal.
  bool operator==(const CVisualColorItem& other) const;

  // Store value as the part's colour (transparency) and return true. For a kind outside
  // VCK_LINE..VCK_TEXT nothing changes and the result is false.
  bool SetColor(VisualColorKind kind, DWORD value);
  bool SetTransparency(VisualColorKind kind, DWORD value);
  // The part's colour (transparency); 0xFFFFFFFF for a kind outside VCK_LINE..VCK_TEXT.
  DWORD GetColor(VisualColorKind kind) const;
  DWORD GetTransparency(VisualColorKind kind) const;

  // The text form: for each listed part "<name> = (r=%.1f g=%.1f b=%.1f)", then for each listed
  // part "<name> = (transmission = (r=%.1f g=%.1f b=%.1f))", joined by commas, each channel shown
  // as its byte / 255. The list is the first argument and those after it, ended by VCK_END: a
  // repeated kind keeps its first place, at most four kinds are examined, a list starting with
  // VCK_END is empty, and kinds other than the four parts are skipped.
  // GetColorStr() is the full form of line, face, edge and text. The lists are variadic templates
  // rather than C variable arguments, so that the kinds are read without undefined behaviour;
  // calls are written the same way: GetColorStr(VCK_TEXT, VCK_LINE, VCK_END).
  CString GetColorStr() const;
  template <class... Kinds>
  CString GetColorStr(VisualColorKind first, Kinds... rest) const {
    return DescribeKinds({first, rest...}, kColorSegments | kTransparencySegments);
  }
  // The colour segments only.
  template <class... Kinds>
  CString GetColorStr_OnlyColor(VisualColorKind first, Kinds... rest) const {
    return DescribeKinds({first, rest...}, kColorSegments);
  }
  // The transparency segments only.
  template <class... Kinds>
  CString GetColorStr_OnlyTrans(VisualColorKind first, Kinds... rest) const {
    return DescribeKinds({first, rest...}, kTransparencySegments);
  }

  CVisualColorSubItem m_subItems[4];  // indexed by VisualColorKind

 private:
  friend struct VisualColorSegmentReader;

  enum : int { kColorSegments = 1, kTransparencySegments = 2 };
  // The segments (kColorSegments, kTransparencySegments or both) of the kinds in list, read as
  // the text-form operations read their arguments.
  CString DescribeKinds(std::initializer_list<VisualColorKind> list, int segments) const;

  // Reads one colour segment of the text form back: name is the text before the first "=" (a
  // blank before it stays part of the name); r, g, b are the four characters starting two after
  // the first letter 'r', 'g', 'b' behind that "=", times 255, truncated. A letter that is missing
  // yields the value of the four characters at position 1. Transparency segments cannot be read
  // this way.
  void __DealColorSegmentStr(const CString& segment, CString& name, int& r, int& g, int& b) const;
};

#endif  // LUMOTOOLS_COLOR_VISUAL_COLOR_ITEM_H_
