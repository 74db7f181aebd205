// Keyboard and mouse input as the system delivers it, for tests and tools that drive windows the
// way a user would: a key changes the key-state table (GetKeyState) and posts WM_KEYDOWN or
// WM_KEYUP to the window with the focus; a mouse button posts WM_LBUTTONDOWN or WM_LBUTTONUP to the
// window under the point, in that window's client coordinates. The messages are then taken and
// delivered by the thread's message loop (AfxPumpMessage, LumoPumpPendingMessages in wnd.h).
#ifndef LUMOTOOLS_PLATFORM_INPUT_H_
#define LUMOTOOLS_PLATFORM_INPUT_H_

#include "lumotools/export.h"
#include "lumotools/platform/window.h"

// A key goes down (auto-repeat is not simulated): WM_KEYDOWN is posted. Once taken, the key's
// state has its high bit set and its toggle bit flipped.
LUMO_PLATFORM_EXPORT void LumoKeyDown(int vk);
// A key goes up: WM_KEYUP is posted.
LUMO_PLATFORM_EXPORT void LumoKeyUp(int vk);
// LumoKeyDown then LumoKeyUp.
LUMO_PLATFORM_EXPORT void LumoPressKey(int vk);
// Presses vk while the modifier keys (VK_SHIFT, VK_CONTROL, 0 for none) are held down.
LUMO_PLATFORM_EXPORT void LumoPressKeyWith(int modifier, int vk, int modifier2 = 0);
// Presses the keys that type the text: letters (upper case with Shift), digits and spaces; other
// characters are skipped. Returns the number of characters typed.
LUMO_PLATFORM_EXPORT int LumoTypeText(LPCTSTR text);

// The left button goes down or up at a point in hWnd's client coordinates. The message goes to the
// deepest visible window under that point (which may be a child of hWnd, or no window at all).
// Returns the window that received it, or null.
LUMO_PLATFORM_EXPORT HWND LumoMouseDown(HWND hWnd, POINT point);
LUMO_PLATFORM_EXPORT HWND LumoMouseUp(HWND hWnd, POINT point);
// Down and up at the same point.
LUMO_PLATFORM_EXPORT HWND LumoClick(HWND hWnd, POINT point);

#endif  // LUMOTOOLS_PLATFORM_INPUT_H_
