#include "lumotools/property/hook_data.h"

#include "lumotools/platform/crt.h"

CHookData::CHookData(const CString& s) { SetHookDataByStr(s); }

void CHookData::AnzlyzeHookZS(const CString& s, int& nNum, int& nSub) {
  const int paren = s.FindOneOf("()");
  nNum = CrtAtoi(s);
  nSub = paren < 1 ? 0 : CrtAtoi(s.GetString() + paren + 1);
}

void CHookData::SetHookDataByStr(const CString& s) {
  if (m_bSingle) {
    CString single(s);
    single.TrimRight(' ');
    if (!single.IsEmpty()) AnzlyzeHookZS(single, m_nNum1, m_nSub1);
    return;
  }
  const int star = s.Find('*');
  CString left = s.Left(star);
  left.TrimRight(' ');
  if (!left.IsEmpty()) AnzlyzeHookZS(left, m_nNum1, m_nSub1);
  CString right = s.Mid(star + 1);
  right.TrimLeft(' ');
  if (!right.IsEmpty()) AnzlyzeHookZS(right, m_nNum2, m_nSub2);
}

CString CHookData::GetHookDataStr() const {
  CString text;
  if (m_nNum1 < 1 && m_nNum2 < 1) return text;
  if (m_bSingle) {
    text.Format("%d(%d)", m_nNum1, m_nSub1);
  } else {
    text.Format("%d(%d)*%d(%d)", m_nNum1, m_nSub1, m_nNum2, m_nSub2);
  }
  text.Replace("(0)", "");
  return text;
}

bool CHookData::operator==(const CHookData& other) const {
  return m_nNum1 == other.m_nNum1 && m_nSub1 == other.m_nSub1 && m_nNum2 == other.m_nNum2 &&
         m_nSub2 == other.m_nSub2 && m_bSingle == other.m_bSingle;
}
