#include "lumotools/labeledit/msg_combo_edit.h"

#include "edit_control_steps.h"
#include "lumotools/labeledit/quad_edit.h"

namespace {

// The notification code whose reflection closes the control.
constexpr UINT kCloseNotification = 4;
constexpr int kButtonWidth = 20;

}  // namespace

BEGIN_MESSAGE_MAP(CMsgComboEdit, CEdit)
ON_WM_KILLFOCUS()
ON_WM_NCDESTROY()
ON_WM_ACTIVATE()
ON_CONTROL_REFLECT(kCloseNotification, OnKillfocus)
END_MESSAGE_MAP()

CMsgComboEdit::CMsgComboEdit(CMsgObject* pMsgObj) : m_pMsgObj(pMsgObj) {
  m_font.CreatePointFont(120, "");
}

CMsgComboEdit::~CMsgComboEdit() = default;

int CMsgComboEdit::CreateWnd(const RECT& rect, CWnd* pParentWnd, UINT nID) {
  Create(kQuadEditStyle, rect, pParentWnd, nID);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  m_btn.Create("D", WS_CHILD | WS_VISIBLE, CRect(width - kButtonWidth, 0, width, height), this,
               kComboButtonId);
  return 1;
}

void CMsgComboEdit::MoveControl(const CQuad& quad) {
  lumo_labeledit::FitControlToQuad(*this, m_font, quad);
}

void CMsgComboEdit::SetTextValue(const char* s) { SetWindowText(s); }

CString CMsgComboEdit::GetTextValue() const {
  CString text;
  GetWindowText(text);
  return text;
}

void CMsgComboEdit::InitValue(const std::vector<CString>&) {}

BOOL CMsgComboEdit::PreTranslateMessage(MSG* pMsg) {
  if (lumo_labeledit::DeliverClipboardKey(*this, pMsg)) return TRUE;
  return CEdit::PreTranslateMessage(pMsg);
}

void CMsgComboEdit::OnKillFocus(CWnd* pNewWnd) {
  Default();
  if (pNewWnd != nullptr && IsChild(pNewWnd)) return;
  if (m_pMsgObj != nullptr) m_pMsgObj->OnKillFocus(pNewWnd);
}

void CMsgComboEdit::OnNcDestroy() {
  CEdit::OnNcDestroy();
  delete this;
}

void CMsgComboEdit::OnActivate(UINT nState, CWnd*, BOOL) {
  Default();
  if (nState == WA_ACTIVE) Invalidate(TRUE);
}

void CMsgComboEdit::OnKillfocus() {
  const HWND self = m_hWnd;
  if (m_pMsgObj != nullptr) m_pMsgObj->OnKillFocus(nullptr);
  // Closing the editor may already have destroyed the control, and with it this object; while
  // the window lives, the object does.
  if (IsWindow(self)) DestroyWindow();
}
