#include "lumotools/labeledit/quad_edit.h"

#include <cstring>

#include "edit_control_steps.h"

BEGIN_MESSAGE_MAP(CQuadEdit, CEdit)
ON_WM_KILLFOCUS()
ON_WM_NCDESTROY()
END_MESSAGE_MAP()

CQuadEdit::CQuadEdit(CMsgObject* pMsgObj) : m_pMsgObj(pMsgObj) { m_font.CreatePointFont(120, ""); }

CQuadEdit::~CQuadEdit() = default;

int CQuadEdit::CreateWnd(const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return Create(kQuadEditStyle, rect, pParentWnd, nID);
}

void CQuadEdit::MoveControl(const CQuad& quad) {
  lumo_labeledit::FitControlToQuad(*this, m_font, quad);
}

void CQuadEdit::SetTextValue(const char* s) {
  SetWindowText(s);
  SendMessage(EM_SETSEL, 0, static_cast<LPARAM>(s == nullptr ? 0 : std::strlen(s)));
  SendMessage(EM_SCROLLCARET);
}

CString CQuadEdit::GetTextValue() const {
  CString text;
  GetWindowText(text);
  return text;
}

void CQuadEdit::InitValue(const int&) {}

BOOL CQuadEdit::PreTranslateMessage(MSG* pMsg) {
  if (lumo_labeledit::DeliverClipboardKey(*this, pMsg)) return TRUE;
  return CEdit::PreTranslateMessage(pMsg);
}

void CQuadEdit::OnKillFocus(CWnd* pNewWnd) {
  Default();
  // Closing the editor destroys this control and with it this object.
  if (m_pMsgObj != nullptr) m_pMsgObj->OnKillFocus(pNewWnd);
}

void CQuadEdit::OnNcDestroy() {
  CEdit::OnNcDestroy();
  delete this;
}
