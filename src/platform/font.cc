// Font handles are owned descriptions, looked up in a process-wide set so that a stale or foreign
// handle is refused rather than read.
#include "lumotools/platform/font.h"

#include <cmath>
#include <cstring>
#include <mutex>
#include <unordered_set>

namespace {

struct FontTable {
  std::mutex mutex;
  std::unordered_set<const LOGFONT*> fonts;
};

FontTable& Fonts() {
  static FontTable* table = new FontTable;  // outlives statics that still hold fonts
  return *table;
}

const LOGFONT* AsFont(HGDIOBJ handle) { return static_cast<const LOGFONT*>(handle); }

}  // namespace

HFONT CreateFontIndirect(const LOGFONT* lplf) {
  if (lplf == nullptr) return nullptr;
  auto* font = new LOGFONT(*lplf);
  font->lfFaceName[LF_FACESIZE - 1] = '\0';
  FontTable& table = Fonts();
  std::lock_guard<std::mutex> lock(table.mutex);
  table.fonts.insert(font);
  return reinterpret_cast<HFONT>(font);
}

BOOL DeleteObject(HGDIOBJ hObject) {
  FontTable& table = Fonts();
  std::lock_guard<std::mutex> lock(table.mutex);
  if (table.fonts.erase(AsFont(hObject)) == 0) return FALSE;
  delete AsFont(hObject);
  return TRUE;
}

int GetObject(HGDIOBJ hObject, int cbBuffer, LPVOID lpvObject) {
  FontTable& table = Fonts();
  std::lock_guard<std::mutex> lock(table.mutex);
  if (table.fonts.count(AsFont(hObject)) == 0 || lpvObject == nullptr ||
      cbBuffer < static_cast<int>(sizeof(LOGFONT))) {
    return 0;
  }
  std::memcpy(lpvObject, hObject, sizeof(LOGFONT));
  return static_cast<int>(sizeof(LOGFONT));
}

int PointSizeToPixels(int nPointSize) {
  return static_cast<int>(std::lround(nPointSize * 96.0 / 720.0));
}

CFont::~CFont() { DeleteObject(); }

BOOL CFont::CreatePointFont(int nPointSize, LPCTSTR lpszFaceName, CDC*) {
  LOGFONT lf{};
  lf.lfHeight = -PointSizeToPixels(nPointSize);
  lf.lfWeight = 400;
  if (lpszFaceName != nullptr) std::strncpy(lf.lfFaceName, lpszFaceName, LF_FACESIZE - 1);
  return CreateFontIndirect(&lf);
}

BOOL CFont::CreateFontIndirect(const LOGFONT* lpLogFont) {
  if (m_hObject != nullptr || lpLogFont == nullptr) return FALSE;
  m_hObject = ::CreateFontIndirect(lpLogFont);
  return m_hObject != nullptr;
}

BOOL CFont::DeleteObject() {
  if (m_hObject == nullptr) return FALSE;
  ::DeleteObject(m_hObject);
  m_hObject = nullptr;
  return TRUE;
}

int CFont::GetLogFont(LOGFONT* pLogFont) const {
  return GetObject(m_hObject, sizeof(LOGFONT), pLogFont);
}
