// CMsgComboEdit: the edit box of CQuadEdit with a small "D" button at its right end, for labels
// whose host offers a drop-down. Pressing the button does not close the editor. The button and the
// list box have no behaviour of their own here; what a drop-down shows is the host's to add. Like
// CQuadEdit it deletes itself when its window goes: create it with new and never delete it.
#ifndef LUMOTOOLS_LABELEDIT_MSG_COMBO_EDIT_H_
#define LUMOTOOLS_LABELEDIT_MSG_COMBO_EDIT_H_

#include <vector>

#include "lumotools/export.h"
#include "lumotools/geometry/quad.h"
#include "lumotools/labeledit/msg_object.h"
#include "lumotools/platform/controls.h"
#include "lumotools/platform/font.h"

// Control id of the button.
constexpr UINT kComboButtonId = 10010;

class LUMO_EXPORT CMsgComboEdit : public CEdit {
 public:
  explicit CMsgComboEdit(CMsgObject* pMsgObj);
  ~CMsgComboEdit() override;

  // Creates the edit window and its button (the last 20 pixels of its width, its full height).
  // Returns 1 whatever the creation gave.
  int CreateWnd(const RECT& rect, CWnd* pParentWnd, UINT nID);
  // As CQuadEdit::MoveControl.
  void MoveControl(const CQuad& quad);
  // Sets the text (nothing selected).
  void SetTextValue(const char* s);
  CString GetTextValue() const;
  void ResetMsgObj(CMsgObject* pMsgObj) { m_pMsgObj = pMsgObj; }
  // Has no effect.
  void InitValue(const std::vector<CString>& values);

  BOOL PreTranslateMessage(MSG* pMsg) override;

 protected:
  // The focus went elsewhere than to the control's own children: close the editor, saving.
  void OnKillFocus(CWnd* pNewWnd);
  void OnNcDestroy();
  // Activation repaints the whole control.
  void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
  // A reflected notification with code 4: closes the editor and destroys the control. The edit
  // box never sends that code itself.
  void OnKillfocus();

  CFont m_font;
  CMsgObject* m_pMsgObj = nullptr;
  CButton m_btn;
  // No operation creates its window.
  CListBox m_list;

  DECLARE_MESSAGE_MAP()
};

#endif  // LUMOTOOLS_LABELEDIT_MSG_COMBO_EDIT_H_
