// Fonts: logical font handles (HFONT) and the framework's CFont. Nothing is rasterised; a font is
// its description, which windows keep (WM_SETFONT) and controls use to size their text.
//
// Point sizes follow a 96 dots-per-inch screen: a point font of n tenths of a point is
// n * 96 / 720 pixels high (rounded to the nearest pixel). Thread-safe.
#ifndef LUMOTOOLS_PLATFORM_FONT_H_
#define LUMOTOOLS_PLATFORM_FONT_H_

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/object.h"
#include "lumotools/platform/window.h"

using HGDIOBJ = void*;

constexpr int LF_FACESIZE = 32;

// A font's description. lfHeight < 0 is the character height in pixels, as point fonts are made.
// lfFaceName holds the face name's bytes in the code page they came in (for example GBK).
struct LOGFONT {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  char lfFaceName[LF_FACESIZE];
};

// A new font handle for the description; null when lplf is null. The caller owns it and releases it
// with DeleteObject.
LUMO_PLATFORM_EXPORT HFONT CreateFontIndirect(const LOGFONT* lplf);
// Releases a font handle; FALSE for a handle that is no font.
LUMO_PLATFORM_EXPORT BOOL DeleteObject(HGDIOBJ hObject);
// Copies the font's description into lpvObject when cbBuffer is at least sizeof(LOGFONT); returns
// the bytes copied, 0 for a handle that is no font.
LUMO_PLATFORM_EXPORT int GetObject(HGDIOBJ hObject, int cbBuffer, LPVOID lpvObject);

// The pixel height of a point font of nPointSize tenths of a point.
LUMO_PLATFORM_EXPORT int PointSizeToPixels(int nPointSize);

class CDC;

// Owns at most one font handle at a time.
class LUMO_PLATFORM_EXPORT CFont : public CObject {
 public:
  CFont() = default;
  // Releases the font it holds.
  ~CFont() override;
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;

  // Creates a font of nPointSize tenths of a point with the face name (cut to LF_FACESIZE - 1
  // bytes). pDC is accepted for the framework's signature and ignored. FALSE when the object
  // already holds a font.
  BOOL CreatePointFont(int nPointSize, LPCTSTR lpszFaceName, CDC* pDC = nullptr);
  BOOL CreateFontIndirect(const LOGFONT* lpLogFont);
  // Releases the font it holds; FALSE when it holds none.
  BOOL DeleteObject();
  // The description of the font it holds; 0 when it holds none.
  int GetLogFont(LOGFONT* pLogFont) const;

  HFONT GetSafeHandle() const { return m_hObject; }
  operator HFONT() const { return m_hObject; }  // NOLINT: the framework converts implicitly

  HFONT m_hObject = nullptr;
};

#endif  // LUMOTOOLS_PLATFORM_FONT_H_
