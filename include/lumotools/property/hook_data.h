// CHookData: the hook-data property value, up to two pairs of whole numbers, each a main number
// with an optional number in parentheses, joined by '*': for example 3(2)*4.
//
// A plain value class; copies are independent.
#ifndef LUMOTOOLS_PROPERTY_HOOK_DATA_H_
#define LUMOTOOLS_PROPERTY_HOOK_DATA_H_

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"

class LUMO_EXPORT CHookData {
 public:
  CHookData() = default;
  // The defaults, then SetHookDataByStr(s); the text is read as two pairs.
  CHookData(const CString& s);  // NOLINT: converting, as hosts build values from texts.
  CHookData(const CHookData&) = default;
  CHookData& operator=(const CHookData&) = default;

  // Parses the text form into the pairs. The text before the first '*' sets the first pair, the
  // text after it the second; a text without '*' sets the second pair only. With m_bSingle the
  // whole text sets the first pair. A part that is empty after trimming blanks leaves its pair as
  // it was; nothing is reset first.
  void SetHookDataByStr(const CString& s);

  // The text form: "%d(%d)*%d(%d)" (or "%d(%d)" with m_bSingle) with every "(0)" removed; empty
  // when neither main number is at least 1.
  CString GetHookDataStr() const;

  // Parses one pair: nNum is atoi of the whole text; nSub is atoi of the text after the first
  // parenthesis, or 0 when there is none or it stands first.
  static void AnzlyzeHookZS(const CString& s, int& nNum, int& nSub);

  // All five fields equal, m_bSingle included.
  bool operator==(const CHookData& other) const;

  int m_nNum1 = 0;
  int m_nSub1 = -1;  // -1: never set by a text
  int m_nNum2 = 0;
  int m_nSub2 = -1;
  bool m_bSingle = false;  // only the first pair is parsed and shown
};

#endif  // LUMOTOOLS_PROPERTY_HOOK_DATA_H_
