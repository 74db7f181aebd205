// Simulated input, posted as the system posts it. The key-state table changes when the thread
// takes the key message from its queue.
#include "lumotools/platform/input.h"

#include <cctype>

namespace {

void PostKey(UINT message, int vk) {
  // Repeat count 1; a key going up also carries the previous-state and transition bits.
  const LPARAM flags = message == WM_KEYDOWN ? 1 : static_cast<LPARAM>(0xC0000001u);
  // Without a focus window the message still goes to the thread, for the key state.
  if (!PostMessage(GetFocus(), message, static_cast<WPARAM>(vk), flags)) {
    PostMessage(nullptr, message, static_cast<WPARAM>(vk), flags);
  }
}

HWND PostMouse(HWND hWnd, POINT point, UINT message, WPARAM keys) {
  if (!ClientToScreen(hWnd, &point)) return nullptr;
  HWND target = WindowFromPoint(point);
  if (target == nullptr || !ScreenToClient(target, &point)) return nullptr;
  PostMessage(target, message, keys,
              MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
  return target;
}

}  // namespace

void LumoKeyDown(int vk) { PostKey(WM_KEYDOWN, vk); }

void LumoKeyUp(int vk) { PostKey(WM_KEYUP, vk); }

void LumoPressKey(int vk) {
  LumoKeyDown(vk);
  LumoKeyUp(vk);
}

void LumoPressKeyWith(int modifier, int vk, int modifier2) {
  if (modifier != 0) LumoKeyDown(modifier);
  if (modifier2 != 0) LumoKeyDown(modifier2);
  LumoPressKey(vk);
  if (modifier2 != 0) LumoKeyUp(modifier2);
  if (modifier != 0) LumoKeyUp(modifier);
}

int LumoTypeText(LPCTSTR text) {
  int typed = 0;
  for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (std::isupper(c)) {
      LumoPressKeyWith(VK_SHIFT, c);
    } else if (std::islower(c) || std::isdigit(c) || c == ' ') {
      LumoPressKey(std::toupper(c));
    } else {
      continue;
    }
    ++typed;
  }
  return typed;
}

HWND LumoMouseDown(HWND hWnd, POINT point) {
  return PostMouse(hWnd, point, WM_LBUTTONDOWN, MK_LBUTTON);
}

HWND LumoMouseUp(HWND hWnd, POINT point) { return PostMouse(hWnd, point, WM_LBUTTONUP, 0); }

HWND LumoClick(HWND hWnd, POINT point) {
  HWND target = LumoMouseDown(hWnd, point);
  LumoMouseUp(hWnd, point);
  return target;
}
