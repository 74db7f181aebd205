// The framework's control objects over the built-in window classes: CEdit (a single-line edit box),
// CButton (a push button) and CListBox. Each is a CWnd whose Create makes a child window of its
// class; the operations send the class's messages.
#ifndef LUMOTOOLS_PLATFORM_CONTROLS_H_
#define LUMOTOOLS_PLATFORM_CONTROLS_H_

#include "lumotools/export.h"
#include "lumotools/platform/wnd.h"

class LUMO_PLATFORM_EXPORT CEdit : public CWnd {
 public:
  using CWnd::Create;
  // Creates the edit window (class "EDIT") with dwStyle, as a child of pParentWnd with id nID.
  // FALSE when creation fails.
  virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  // Selects from nStartChar to nEndChar (-1: to the end; a start of -1 removes the selection) and,
  // unless bNoScroll, scrolls the caret into view.
  void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
  void GetSel(int& nStartChar, int& nEndChar) const;
  void ReplaceSel(LPCTSTR lpszNewText);
  // The index of the first character shown.
  int GetFirstVisibleLine() const;
  void Copy();
  void Cut();
  void Paste();
};

class LUMO_PLATFORM_EXPORT CButton : public CWnd {
 public:
  using CWnd::Create;
  // Creates the button window (class "BUTTON") with the caption. FALSE when creation fails.
  virtual BOOL Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                      UINT nID);
};

class LUMO_PLATFORM_EXPORT CListBox : public CWnd {
 public:
  using CWnd::Create;
  // Creates the list window (class "LISTBOX"). FALSE when creation fails.
  virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  // Appends an item; returns its index, LB_ERR without a window.
  int AddString(LPCTSTR lpszItem);
  int GetCount() const;
  // The item's text; LB_ERR (and rString unchanged) for an index out of range.
  int GetText(int nIndex, CString& rString) const;
  void ResetContent();
  // Selects an item (-1: none); LB_ERR for an index out of range or -1.
  int SetCurSel(int nSelect);
  int GetCurSel() const;
};

#endif  // LUMOTOOLS_PLATFORM_CONTROLS_H_
