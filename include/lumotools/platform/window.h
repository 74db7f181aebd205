// Windows without a window system: a process-wide table of window handles, each with a class, a
// procedure, a parent and children, text, style, a rectangle, a font and the thread that owns it;
// sending and posting messages to them, the keyboard focus and the key-state table.
//
// Nothing is drawn. A window's rectangle is kept in its parent's client coordinates (screen
// coordinates for a window without a parent); its client area is the whole rectangle. Handles are
// never reused, so a stale handle is simply not a window. Messages for a window are posted to the
// queue of the thread that created it (message_queue.h) and delivered by DispatchMessage;
// SendMessage calls the procedure at once. The built-in classes "EDIT" (single-line edit box),
// "BUTTON" (push button) and "LISTBOX" are always registered; hosts register their own with
// RegisterClass.
//
// Thread-safety: the table and the focus are safe to use from any thread, but a window is meant to
// be used by the thread that owns it: SendMessage to a window of another thread fails.
#ifndef LUMOTOOLS_PLATFORM_WINDOW_H_
#define LUMOTOOLS_PLATFORM_WINDOW_H_

#include "lumotools/export.h"
#include "lumotools/platform/message_queue.h"
#include "lumotools/platform/point_rect.h"
#include "lumotools/platform/types.h"

using WNDPROC = LRESULT (*)(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
using HMENU = void*;
using HINSTANCE = void*;
using SHORT = std::int16_t;

struct HFONT__;
using HFONT = HFONT__*;

// Further messages handled by the built-in classes and the default procedure.
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_CUT = 0x0300;
constexpr UINT WM_COPY = 0x0301;
constexpr UINT WM_PASTE = 0x0302;
constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_GETFIRSTVISIBLELINE = 0x00CE;
constexpr UINT LB_ADDSTRING = 0x0180;
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETCURSEL = 0x0186;
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETTEXT = 0x0189;
constexpr UINT LB_GETTEXTLEN = 0x018A;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr LRESULT LB_ERR = -1;

// Notification codes sent to a control's parent in WM_COMMAND (high word of wParam).
constexpr UINT BN_CLICKED = 0;
constexpr UINT EN_SETFOCUS = 0x0100;
constexpr UINT EN_KILLFOCUS = 0x0200;
constexpr UINT EN_CHANGE = 0x0300;

// WM_ACTIVATE states.
constexpr UINT WA_INACTIVE = 0;
constexpr UINT WA_ACTIVE = 1;

// Mouse-message key flags.
constexpr WPARAM MK_LBUTTON = 0x0001;

// Window styles.
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD BS_PUSHBUTTON = 0x0000;

// Indexes of Get/SetWindowLongPtr besides GWLP_WNDPROC.
constexpr int GWL_STYLE = -16;
constexpr int GWLP_ID = -12;
constexpr int GWLP_USERDATA = -21;

// More virtual-key codes.
constexpr int VK_BACK = 0x08;
constexpr int VK_SPACE = 0x20;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F7 = 0x76;

constexpr WORD LOWORD(UINT_PTR v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(UINT_PTR v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) { return (WPARAM{high} << 16) | low; }
constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
  return static_cast<LPARAM>((static_cast<DWORD>(high) << 16) | low);
}
// The point packed in a mouse message's lParam, each word sign-extended.
constexpr int GET_X_LPARAM(LPARAM lp) {
  return static_cast<SHORT>(LOWORD(static_cast<UINT_PTR>(lp)));
}
constexpr int GET_Y_LPARAM(LPARAM lp) {
  return static_cast<SHORT>(HIWORD(static_cast<UINT_PTR>(lp)));
}

struct WNDCLASS {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  void* hIcon;
  void* hCursor;
  void* hbrBackground;
  LPCTSTR lpszMenuName;
  LPCTSTR lpszClassName;
};

// What WM_NCCREATE and WM_CREATE carry in lParam.
struct CREATESTRUCT {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCTSTR lpszName;
  LPCTSTR lpszClass;
  DWORD dwExStyle;
};

// Registers a window class by name (compared without regard to case). Nonzero on success; 0 when
// the name is taken, empty, or the class has no procedure.
LUMO_PLATFORM_EXPORT WORD RegisterClass(const WNDCLASS* lpWndClass);

// Creates a window of a registered class with the calling thread as owner (and gives the thread its
// message queue). A child (WS_CHILD) needs a parent window; hMenu is then its control id. Sends
// WM_NCCREATE and WM_CREATE; a procedure that answers FALSE to the first or -1 to the second makes
// the creation fail and the window is destroyed again. Null on failure (unknown class, missing or
// dead parent).
LUMO_PLATFORM_EXPORT HWND CreateWindowEx(DWORD dwExStyle, LPCTSTR lpClassName, LPCTSTR lpWindowName,
                                         DWORD dwStyle, int x, int y, int nWidth, int nHeight,
                                         HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                                         LPVOID lpParam);

// Destroys a window: if it or a window inside it has the focus, that window gets WM_KILLFOCUS
// (wParam null) and no window keeps the focus; then WM_DESTROY to the window, the destruction of
// each child in the same way, and WM_NCDESTROY; then the handle is gone. FALSE for a handle that
// is not a window or is already being destroyed.
LUMO_PLATFORM_EXPORT BOOL DestroyWindow(HWND hWnd);

LUMO_PLATFORM_EXPORT BOOL IsWindow(HWND hWnd);
// TRUE when hWnd is a child, grandchild, ... of hWndParent.
LUMO_PLATFORM_EXPORT BOOL IsChild(HWND hWndParent, HWND hWnd);
// The parent of a child window; null for a window without one or a handle that is no window.
LUMO_PLATFORM_EXPORT HWND GetParent(HWND hWnd);
// The thread that created the window; 0 for a handle that is no window. *lpdwProcessId, when given,
// receives 1.
LUMO_PLATFORM_EXPORT DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* lpdwProcessId);
// The class name, up to nMaxCount - 1 characters and a terminator; returns the characters copied.
LUMO_PLATFORM_EXPORT int GetClassName(HWND hWnd, LPTSTR lpClassName, int nMaxCount);

// Places the window at (x, y) in its parent's client coordinates with the given size, sends
// WM_MOVE and WM_SIZE, and with bRepaint invalidates it. FALSE for a handle that is no window.
LUMO_PLATFORM_EXPORT BOOL MoveWindow(HWND hWnd, int x, int y, int nWidth, int nHeight,
                                     BOOL bRepaint);
// The window's rectangle in screen coordinates.
LUMO_PLATFORM_EXPORT BOOL GetWindowRect(HWND hWnd, RECT* lpRect);
// The client rectangle: (0, 0, width, height).
LUMO_PLATFORM_EXPORT BOOL GetClientRect(HWND hWnd, RECT* lpRect);
LUMO_PLATFORM_EXPORT BOOL ClientToScreen(HWND hWnd, POINT* lpPoint);
LUMO_PLATFORM_EXPORT BOOL ScreenToClient(HWND hWnd, POINT* lpPoint);
// The deepest visible window whose rectangle holds the screen point, searching the top-level
// windows from the newest; null when none does.
LUMO_PLATFORM_EXPORT HWND WindowFromPoint(POINT point);

// Adds a client rectangle (the whole client area when lpRect is null) to the window's update
// region; bErase marks the background for erasing.
LUMO_PLATFORM_EXPORT BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
// The bounding rectangle of the update region through lpRect (when given); TRUE when the region is
// not empty. bErase is ignored.
LUMO_PLATFORM_EXPORT BOOL GetUpdateRect(HWND hWnd, RECT* lpRect, BOOL bErase);
// Empties the update region (the whole of it when lpRect is null, as nothing is drawn).
LUMO_PLATFORM_EXPORT BOOL ValidateRect(HWND hWnd, const RECT* lpRect);
// TRUE when an erase was asked for since the update region was last emptied.
LUMO_PLATFORM_EXPORT BOOL LumoUpdateNeedsErase(HWND hWnd);

// WM_SETTEXT and WM_GETTEXT / WM_GETTEXTLENGTH through the window's procedure.
LUMO_PLATFORM_EXPORT BOOL SetWindowText(HWND hWnd, LPCTSTR lpString);
LUMO_PLATFORM_EXPORT int GetWindowText(HWND hWnd, LPTSTR lpString, int nMaxCount);
LUMO_PLATFORM_EXPORT int GetWindowTextLength(HWND hWnd);

// GWLP_WNDPROC, GWL_STYLE, GWLP_ID, GWLP_USERDATA. Set returns the previous value; both give 0 for
// a handle that is no window or an unknown index.
LUMO_PLATFORM_EXPORT LONG_PTR GetWindowLongPtr(HWND hWnd, int nIndex);
LUMO_PLATFORM_EXPORT LONG_PTR SetWindowLongPtr(HWND hWnd, int nIndex, LONG_PTR dwNewLong);

LUMO_PLATFORM_EXPORT LRESULT CallWindowProc(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg,
                                            WPARAM wParam, LPARAM lParam);
// The default procedure: keeps the text (WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH) and the font
// (WM_SETFONT, invalidating when lParam asks for a redraw; WM_GETFONT), destroys the window on
// WM_CLOSE, answers TRUE to WM_NCCREATE, and 0 to everything else.
LUMO_PLATFORM_EXPORT LRESULT DefWindowProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Calls the window's procedure now and returns its result; 0 for a handle that is no window or a
// window owned by another thread.
LUMO_PLATFORM_EXPORT LRESULT SendMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// For WM_KEYDOWN of a key that makes a character, posts WM_CHAR with it to the same window, ahead
// of the messages already waiting (so it is taken next): letters
// (lower case unless Shift is down; with Ctrl down the control characters 1-26), digits, space,
// backspace, tab, enter and escape. TRUE when a character was posted.
LUMO_PLATFORM_EXPORT BOOL TranslateMessage(const MSG* lpMsg);

// Gives the keyboard focus to hWnd (a window of the calling thread, or null for none): the window
// losing it gets WM_KILLFOCUS with hWnd, then hWnd gets WM_SETFOCUS with the window that lost it.
// Returns the window that had the focus; null (and nothing changes) for a handle that is no window.
LUMO_PLATFORM_EXPORT HWND SetFocus(HWND hWnd);
LUMO_PLATFORM_EXPORT HWND GetFocus();

// The key's state as a 16-bit value: the high bit set while it is down (0xFF80), the low bit
// toggled by each press, as of the last key message the thread took from its queue (keys come from
// the input functions of input.h).
LUMO_PLATFORM_EXPORT SHORT GetKeyState(int nVirtKey);

// The process clipboard's text, which the edit class reads and writes for WM_COPY, WM_CUT and
// WM_PASTE.
LUMO_PLATFORM_EXPORT void LumoSetClipboardText(LPCTSTR text);
// Copies the clipboard text into buffer (up to size - 1 characters and a terminator) and returns
// its full length.
LUMO_PLATFORM_EXPORT int LumoGetClipboardText(LPTSTR buffer, int size);

#endif  // LUMOTOOLS_PLATFORM_WINDOW_H_
