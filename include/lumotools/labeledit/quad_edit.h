// CQuadEdit: the single-line edit box that a message object opens over its label. It fits itself
// and its font to the label's window quad (MoveControl), lets Ctrl+C, Ctrl+V and Ctrl+X reach the
// box before the host's accelerators, closes the editor (saving) when it loses the focus, and
// deletes itself when its window goes: create it with new and never delete it.
#ifndef LUMOTOOLS_LABELEDIT_QUAD_EDIT_H_
#define LUMOTOOLS_LABELEDIT_QUAD_EDIT_H_

#include "lumotools/export.h"
#include "lumotools/geometry/quad.h"
#include "lumotools/labeledit/msg_object.h"
#include "lumotools/platform/controls.h"
#include "lumotools/platform/font.h"

// Style of the edit window: WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | ES_CENTER.
constexpr DWORD kQuadEditStyle = 0x50000081;

class LUMO_EXPORT CQuadEdit : public CEdit {
 public:
  // Serves pMsgObj (not owned); starts with a 12-point font.
  explicit CQuadEdit(CMsgObject* pMsgObj);
  ~CQuadEdit() override;

  // Creates the edit window in rect as a child of pParentWnd; FALSE when that fails.
  int CreateWnd(const RECT& rect, CWnd* pParentWnd, UINT nID);
  // Fits the control upright over the quad: centred on its centre point, as wide as its longer and
  // as high as its shorter side at the top-left corner, with a font of height x 7 + 1 tenths of a
  // point.
  void MoveControl(const CQuad& quad);
  // Sets the text and selects all of it, scrolling the caret into view.
  void SetTextValue(const char* s);
  CString GetTextValue() const;
  void ResetMsgObj(CMsgObject* pMsgObj) { m_pMsgObj = pMsgObj; }
  // Has no effect.
  void InitValue(const int& value);

  BOOL PreTranslateMessage(MSG* pMsg) override;

 protected:
  void OnKillFocus(CWnd* pNewWnd);
  void OnNcDestroy();

  CFont m_font;
  CMsgObject* m_pMsgObj = nullptr;

  DECLARE_MESSAGE_MAP()
};

#endif  // LUMOTOOLS_LABELEDIT_QUAD_EDIT_H_
