#include "edit_control_steps.h"

#include <algorithm>
#include <cmath>

namespace lumo_labeledit {

namespace {

// The face name 宋体 in the GBK code page.
constexpr char kLabelFaceName[] = "\xCB\xCE\xCC\xE5";

double Distance(const CPoint& a, const CPoint& b) {
  return std::hypot(static_cast<double>(a.x - b.x), static_cast<double>(a.y - b.y));
}

bool IsDown(int vk) { return (GetKeyState(vk) & 0xFF00) == 0xFF00; }

}  // namespace

void FitControlToQuad(CWnd& control, CFont& font, const CQuad& quad) {
  const CPoint c = quad.CenterPoint();
  const double d1 = Distance(quad.TopLeft(), quad.BottomLeft());
  const double d2 = Distance(quad.TopLeft(), quad.TopRight());
  const int width = static_cast<int>(std::max(d1, d2));
  const int height = static_cast<int>(std::min(d1, d2));
  const int left = c.x - width / 2;
  const int top = c.y - height / 2;
  font.DeleteObject();
  font.CreatePointFont(height * 7 + 1, kLabelFaceName);
  control.SetFont(&font, TRUE);
  control.MoveWindow(left, top, width, height, TRUE);
}

bool DeliverClipboardKey(const CWnd& control, MSG* pMsg) {
  if (pMsg->message != WM_KEYDOWN || ::GetFocus() != control.m_hWnd) return false;
  const WPARAM key = pMsg->wParam;
  if ((key != 'C' && key != 'V' && key != 'X') || !IsDown(VK_CONTROL)) return false;
  TranslateMessage(pMsg);
  DispatchMessage(pMsg);
  return true;
}

}  // namespace lumo_labeledit
