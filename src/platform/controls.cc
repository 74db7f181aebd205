#include "lumotools/platform/controls.h"

#include <string>

namespace {

LRESULT Send(HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return ::SendMessage(hWnd, message, wParam, lParam);
}

}  // namespace

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CWnd::Create("EDIT", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll) {
  Send(m_hWnd, EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
  if (!bNoScroll) Send(m_hWnd, EM_SCROLLCARET);
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const {
  DWORD start = 0;
  DWORD end = 0;
  Send(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  nStartChar = static_cast<int>(start);
  nEndChar = static_cast<int>(end);
}

void CEdit::ReplaceSel(LPCTSTR lpszNewText) {
  Send(m_hWnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(lpszNewText));
}

int CEdit::GetFirstVisibleLine() const {
  return static_cast<int>(Send(m_hWnd, EM_GETFIRSTVISIBLELINE));
}

void CEdit::Copy() { Send(m_hWnd, WM_COPY); }

void CEdit::Cut() { Send(m_hWnd, WM_CUT); }

void CEdit::Paste() { Send(m_hWnd, WM_PASTE); }

BOOL CButton::Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                     UINT nID) {
  return CWnd::Create("BUTTON", lpszCaption, dwStyle, rect, pParentWnd, nID);
}

BOOL CListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CWnd::Create("LISTBOX", nullptr, dwStyle, rect, pParentWnd, nID);
}

int CListBox::AddString(LPCTSTR lpszItem) {
  if (m_hWnd == nullptr) return static_cast<int>(LB_ERR);
  return static_cast<int>(Send(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszItem)));
}

int CListBox::GetCount() const { return static_cast<int>(Send(m_hWnd, LB_GETCOUNT)); }

int CListBox::GetText(int nIndex, CString& rString) const {
  const auto index = static_cast<WPARAM>(nIndex);
  const LRESULT length = Send(m_hWnd, LB_GETTEXTLEN, index);
  if (length == LB_ERR || nIndex < 0) return static_cast<int>(LB_ERR);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  Send(m_hWnd, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(length));
  rString = CString(text);
  return static_cast<int>(length);
}

void CListBox::ResetContent() { Send(m_hWnd, LB_RESETCONTENT); }

int CListBox::SetCurSel(int nSelect) {
  return static_cast<int>(Send(m_hWnd, LB_SETCURSEL, static_cast<WPARAM>(nSelect)));
}

int CListBox::GetCurSel() const { return static_cast<int>(Send(m_hWnd, LB_GETCURSEL)); }
