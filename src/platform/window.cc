// The window table: one record per live handle under one mutex, which is never held while a
// window procedure runs, so procedures may create, destroy and message windows freely.
#include "lumotools/platform/window.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "lumotools/platform/sync.h"
#include "window_internal.h"

namespace {

struct Window {
  std::string className;
  WNDPROC proc = nullptr;
  HWND parent = nullptr;
  std::vector<HWND> children;  // oldest first; later ones lie on top
  std::string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{0, 0, 0, 0};  // in the parent's client coordinates
  HFONT font = nullptr;
  DWORD thread = 0;
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  bool destroying = false;
  bool hasUpdate = false;
  bool erase = false;
  RECT update{0, 0, 0, 0};
};

std::string FoldCase(const char* name) {
  std::string folded(name == nullptr ? "" : name);
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

struct Table {
  Table() {
    classes["edit"] = {"EDIT", lumo_platform::EditWindowProc};
    classes["button"] = {"BUTTON", lumo_platform::ButtonWindowProc};
    classes["listbox"] = {"LISTBOX", lumo_platform::ListBoxWindowProc};
  }

  struct Class {
    std::string name;
    WNDPROC proc;
  };

  Window* Find(HWND hWnd) {
    auto it = windows.find(hWnd);
    return it == windows.end() ? nullptr : it->second.get();
  }

  std::mutex mutex;
  std::unordered_map<HWND, std::unique_ptr<Window>> windows;
  std::vector<HWND> topLevel;            // oldest first
  std::map<std::string, Class> classes;  // by folded name
  UINT_PTR nextHandle = 0x10000;
  HWND focus = nullptr;
  std::array<SHORT, 256> keys{};
  std::string clipboard;
};

Table& TheTable() {
  static Table* table = new Table;  // outlives every static that may still destroy a window
  return *table;
}

struct PendingCreationHook {
  lumo_platform::CreationHook hook = nullptr;
  void* context = nullptr;
};

thread_local PendingCreationHook t_creationHook;

bool ContainsPoint(const RECT& r, LONG x, LONG y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Under the table lock: the screen offset of hWnd's client area.
POINT ClientOrigin(Table& table, HWND hWnd) {
  POINT origin{0, 0};
  for (Window* w = table.Find(hWnd); w != nullptr; w = table.Find(w->parent)) {
    origin.x += w->rect.left;
    origin.y += w->rect.top;
  }
  return origin;
}

// Under the table lock: the deepest visible window at the point, given in the client coordinates
// of one of the candidates' parent.
HWND DeepestAt(Table& table, const std::vector<HWND>& candidates, LONG x, LONG y) {
  for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
    Window* w = table.Find(*it);
    if (w == nullptr || (w->style & WS_VISIBLE) == 0 || !ContainsPoint(w->rect, x, y)) continue;
    HWND inner = DeepestAt(table, w->children, x - w->rect.left, y - w->rect.top);
    return inner != nullptr ? inner : *it;
  }
  return nullptr;
}

bool IsDescendant(Table& table, HWND ancestor, HWND hWnd) {
  for (Window* w = table.Find(hWnd); w != nullptr && w->parent != nullptr;
       w = table.Find(w->parent)) {
    if (w->parent == ancestor) return true;
  }
  return false;
}

}  // namespace

namespace lumo_platform {

DWORD WindowOwnerThread(HWND hWnd) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  Window* w = table.Find(hWnd);
  return w == nullptr ? 0 : w->thread;
}

void HookNextWindowCreation(CreationHook hook, void* context) {
  t_creationHook = PendingCreationHook{hook, context};
}

}  // namespace lumo_platform

WORD RegisterClass(const WNDCLASS* lpWndClass) {
  if (lpWndClass == nullptr || lpWndClass->lpfnWndProc == nullptr) return 0;
  const std::string folded = FoldCase(lpWndClass->lpszClassName);
  if (folded.empty()) return 0;
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  if (!table.classes
           .emplace(folded, Table::Class{lpWndClass->lpszClassName, lpWndClass->lpfnWndProc})
           .second) {
    return 0;
  }
  return static_cast<WORD>(table.classes.size());
}

HWND CreateWindowEx(DWORD dwExStyle, LPCTSTR lpClassName, LPCTSTR lpWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                    HINSTANCE hInstance, LPVOID lpParam) {
  const PendingCreationHook creationHook = t_creationHook;
  t_creationHook = PendingCreationHook{};
  const bool child = (dwStyle & WS_CHILD) != 0;
  Table& table = TheTable();
  HWND hWnd = nullptr;
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    auto cls = table.classes.find(FoldCase(lpClassName));
    if (cls == table.classes.end()) return nullptr;
    Window* parent = child ? table.Find(hWndParent) : nullptr;
    if (child && (parent == nullptr || parent->destroying)) return nullptr;
    hWnd = reinterpret_cast<HWND>(table.nextHandle++);
    auto w = std::make_unique<Window>();
    w->className = cls->second.name;
    w->proc = cls->second.proc;
    w->parent = child ? hWndParent : nullptr;
    w->style = dwStyle;
    w->exStyle = dwExStyle;
    w->rect = RECT{x, y, x + nWidth, y + nHeight};
    w->thread = GetCurrentThreadId();
    if (child) w->id = reinterpret_cast<LONG_PTR>(hMenu);
    table.windows.emplace(hWnd, std::move(w));
    if (child) {
      parent->children.push_back(hWnd);
    } else {
      table.topLevel.push_back(hWnd);
    }
  }
  lumo_platform::EnsureCurrentThreadQueue();
  if (creationHook.hook != nullptr) creationHook.hook(hWnd, creationHook.context);
  CREATESTRUCT cs{lpParam,     hInstance, hMenu, child ? hWndParent : nullptr, nHeight,
                  nWidth,      y,         x,     static_cast<LONG>(dwStyle),   lpWindowName,
                  lpClassName, dwExStyle};
  const LPARAM csParam = reinterpret_cast<LPARAM>(&cs);
  if (SendMessage(hWnd, WM_NCCREATE, 0, csParam) == FALSE ||
      SendMessage(hWnd, WM_CREATE, 0, csParam) == -1) {
    DestroyWindow(hWnd);
    return nullptr;
  }
  return hWnd;
}

BOOL DestroyWindow(HWND hWnd) {
  Table& table = TheTable();
  HWND lostFocus = nullptr;
  std::vector<HWND> children;
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    Window* w = table.Find(hWnd);
    if (w == nullptr || w->destroying) return FALSE;
    w->destroying = true;
    if (table.focus != nullptr && (table.focus == hWnd || IsDescendant(table, hWnd, table.focus))) {
      lostFocus = table.focus;
      table.focus = nullptr;
    }
  }
  if (lostFocus != nullptr) SendMessage(lostFocus, WM_KILLFOCUS, 0, 0);
  SendMessage(hWnd, WM_DESTROY, 0, 0);
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    children = table.Find(hWnd)->children;
  }
  for (HWND child : children) DestroyWindow(child);
  SendMessage(hWnd, WM_NCDESTROY, 0, 0);
  std::lock_guard<std::mutex> lock(table.mutex);
  Window* w = table.Find(hWnd);
  std::vector<HWND>& siblings =
      w->parent != nullptr ? table.Find(w->parent)->children : table.topLevel;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), hWnd), siblings.end());
  table.windows.erase(hWnd);
  return TRUE;
}

BOOL IsWindow(HWND hWnd) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  return table.Find(hWnd) != nullptr;
}

BOOL IsChild(HWND hWndParent, HWND hWnd) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  return hWndParent != nullptr && IsDescendant(table, hWndParent, hWnd);
}

HWND GetParent(HWND hWnd) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  Window* w = table.Find(hWnd);
  return w == nullptr ? nullptr : w->parent;
}

DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* lpdwProcessId) {
  if (lpdwProcessId != nullptr) *lpdwProcessId = 1;
  return lumo_platform::WindowOwnerThread(hWnd);
}

int GetClassName(HWND hWnd, LPTSTR lpClassName, int nMaxCount) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  Window* w = table.Find(hWnd);
  if (w == nullptr || lpClassName == nullptr || nMaxCount <= 0) return 0;
  const int n = std::min(static_cast<int>(w->className.size()), nMaxCount - 1);
  std::memcpy(lpClassName, w->className.data(), static_cast<size_t>(n));
  lpClassName[n] = '\0';
  return n;
}

BOOL MoveWindow(HWND hWnd, int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
  {
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    Window* w = table.Find(hWnd);
    if (w == nullptr) return FALSE;
    w->rect = RECT{x, y, x + nWidth, y + nHeight};
  }
  SendMessage(hWnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
  SendMessage(hWnd, WM_SIZE, 0, MAKELPARAM(static_cast<WORD>(nWidth), static_cast<WORD>(nHeight)));
  if (bRepaint) InvalidateRect(hWnd, nullptr, TRUE);
  return TRUE;
}

BOOL GetWindowRect(HWND hWnd, RECT* lpRect) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  Window* w = table.Find(hWnd);
  if (w == nullptr || lpRect == nullptr) return FALSE;
  const POINT origin = ClientOrigin(table, w->parent);
  *lpRect = RECT{w->rect.left + origin.x, w->rect.top + origin.y, w->rect.right + origin.x,
                 w->rect.bottom + origin.y};
  return TRUE;
}

BOOL GetClientRect(HWND hWnd, RECT* lpRect) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  Window* w = table.Find(hWnd);
  if (w == nullptr || lpRect == nullptr) return FALSE;
  *lpRect = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  return TRUE;
}

BOOL ClientToScreen(HWND hWnd, POINT* lpPoint) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  if (table.Find(hWnd) == nullptr || lpPoint == nullptr) return FALSE;
  const POINT origin = ClientOrigin(table, hWnd);
  lpPoint->x += origin.x;
  lpPoint->y += origin.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hWnd, POINT* lpPoint) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  if (table.Find(hWnd) == nullptr || lpPoint == nullptr) return FALSE;
  const POINT origin = ClientOrigin(table, hWnd);
  lpPoint->x -= origin.x;
  lpPoint->y -= origin.y;
  return TRUE;
}

HWND WindowFromPoint(POINT point) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  return DeepestAt(table, table.topLevel, point.x, point.y);
}

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  Window* w = table.Find(hWnd);
  if (w == nullptr) return FALSE;
  const RECT whole{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  const RECT r = lpRect != nullptr ? *lpRect : whole;
  if (w->hasUpdate) {
    w->update = RECT{std::min(w->update.left, r.left), std::min(w->update.top, r.top),
                     std::max(w->update.right, r.right), std::max(w->update.bottom, r.bottom)};
  } else {
    w->update = r;
    w->hasUpdate = true;
  }
  if (bErase) w->erase = true;
  return TRUE;
}

BOOL GetUpdateRect(HWND hWnd, RECT* lpRect, BOOL) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  Window* w = table.Find(hWnd);
  if (w == nullptr) return FALSE;
  if (lpRect != nullptr) *lpRect = w->hasUpdate ? w->update : RECT{0, 0, 0, 0};
  return w->hasUpdate ? TRUE : FALSE;
}

BOOL ValidateRect(HWND hWnd, const RECT*) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  Window* w = table.Find(hWnd);
  if (w == nullptr) return FALSE;
  w->hasUpdate = false;
  w->erase = false;
  return TRUE;
}

BOOL LumoUpdateNeedsErase(HWND hWnd) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  Window* w = table.Find(hWnd);
  return w != nullptr && w->erase ? TRUE : FALSE;
}

BOOL SetWindowText(HWND hWnd, LPCTSTR lpString) {
  if (!IsWindow(hWnd)) return FALSE;
  return SendMessage(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) != 0;
}

int GetWindowText(HWND hWnd, LPTSTR lpString, int nMaxCount) {
  return static_cast<int>(SendMessage(hWnd, WM_GETTEXT, static_cast<WPARAM>(std::max(nMaxCount, 0)),
                                      reinterpret_cast<LPARAM>(lpString)));
}

int GetWindowTextLength(HWND hWnd) {
  return static_cast<int>(SendMessage(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

LONG_PTR GetWindowLongPtr(HWND hWnd, int nIndex) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  Window* w = table.Find(hWnd);
  if (w == nullptr) return 0;
  switch (nIndex) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_STYLE:
      return static_cast<LONG_PTR>(w->style);
    case GWLP_ID:
      return w->id;
    case GWLP_USERDATA:
      return w->userData;
    default:
      return 0;
  }
}

LONG_PTR SetWindowLongPtr(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  Window* w = table.Find(hWnd);
  if (w == nullptr) return 0;
  LONG_PTR previous = 0;
  switch (nIndex) {
    case GWLP_WNDPROC:
      if (dwNewLong == 0) return 0;
      previous = reinterpret_cast<LONG_PTR>(w->proc);
      w->proc = reinterpret_cast<WNDPROC>(dwNewLong);
      break;
    case GWL_STYLE:
      previous = static_cast<LONG_PTR>(w->style);
      w->style = static_cast<DWORD>(dwNewLong);
      break;
    case GWLP_ID:
      previous = w->id;
      w->id = dwNewLong;
      break;
    case GWLP_USERDATA:
      previous = w->userData;
      w->userData = dwNewLong;
      break;
    default:
      break;
  }
  return previous;
}

LRESULT CallWindowProc(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return lpPrevWndFunc == nullptr ? 0 : lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

LRESULT DefWindowProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Table& table = TheTable();
  switch (Msg) {
    case WM_NCCREATE: {
      const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
      std::lock_guard<std::mutex> lock(table.mutex);
      Window* w = table.Find(hWnd);
      if (w != nullptr && cs != nullptr && cs->lpszName != nullptr) w->text = cs->lpszName;
      return TRUE;
    }
    case WM_SETTEXT: {
      std::lock_guard<std::mutex> lock(table.mutex);
      Window* w = table.Find(hWnd);
      if (w == nullptr) return FALSE;
      const char* text = reinterpret_cast<const char*>(lParam);
      w->text = text == nullptr ? "" : text;
      return TRUE;
    }
    case WM_GETTEXT: {
      std::lock_guard<std::mutex> lock(table.mutex);
      Window* w = table.Find(hWnd);
      char* buffer = reinterpret_cast<char*>(lParam);
      if (w == nullptr || buffer == nullptr || wParam == 0) return 0;
      const size_t n = std::min(w->text.size(), static_cast<size_t>(wParam) - 1);
      std::memcpy(buffer, w->text.data(), n);
      buffer[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
      std::lock_guard<std::mutex> lock(table.mutex);
      Window* w = table.Find(hWnd);
      return w == nullptr ? 0 : static_cast<LRESULT>(w->text.size());
    }
    case WM_SETFONT: {
      {
        std::lock_guard<std::mutex> lock(table.mutex);
        Window* w = table.Find(hWnd);
        if (w == nullptr) return 0;
        w->font = reinterpret_cast<HFONT>(wParam);
      }
      if (LOWORD(static_cast<UINT_PTR>(lParam)) != 0) InvalidateRect(hWnd, nullptr, TRUE);
      return 0;
    }
    case WM_GETFONT: {
      std::lock_guard<std::mutex> lock(table.mutex);
      Window* w = table.Find(hWnd);
      return w == nullptr ? 0 : reinterpret_cast<LRESULT>(w->font);
    }
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    default:
      return 0;
  }
}

LRESULT SendMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc = nullptr;
  {
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    Window* w = table.Find(hWnd);
    if (w == nullptr || w->thread != GetCurrentThreadId()) return 0;
    proc = w->proc;
  }
  return proc(hWnd, Msg, wParam, lParam);
}

BOOL TranslateMessage(const MSG* lpMsg) {
  if (lpMsg == nullptr || lpMsg->message != WM_KEYDOWN) return FALSE;
  const int vk = static_cast<int>(lpMsg->wParam);
  const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  int ch = -1;
  if (vk >= 'A' && vk <= 'Z') {
    ch = ctrl ? vk - 'A' + 1 : (shift ? vk : vk - 'A' + 'a');
  } else if (vk >= '0' && vk <= '9' && !ctrl) {
    ch = vk;
  } else if (vk == VK_SPACE || vk == VK_BACK || vk == VK_TAB || vk == VK_RETURN ||
             vk == VK_ESCAPE) {
    ch = vk;
  }
  if (ch < 0) return FALSE;
  return lumo_platform::PostNextMessage(lpMsg->hwnd, WM_CHAR, static_cast<WPARAM>(ch),
                                        lpMsg->lParam);
}

HWND SetFocus(HWND hWnd) {
  Table& table = TheTable();
  HWND previous = nullptr;
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    if (hWnd != nullptr && table.Find(hWnd) == nullptr) return nullptr;
    previous = table.focus;
    if (previous == hWnd) return previous;
    // No window holds the focus while the one losing it reacts, so that destroying it then does
    // not take the focus from it a second time.
    table.focus = nullptr;
  }
  if (previous != nullptr) {
    SendMessage(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
  }
  if (hWnd == nullptr) return previous;
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    Window* w = table.Find(hWnd);
    if (w == nullptr || w->destroying || table.focus != nullptr) return previous;
    table.focus = hWnd;
  }
  SendMessage(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  return previous;
}

HWND GetFocus() {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  return table.focus;
}

SHORT GetKeyState(int nVirtKey) {
  if (nVirtKey < 0 || nVirtKey > 255) return 0;
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  return table.keys[static_cast<size_t>(nVirtKey)];
}

namespace lumo_platform {

// Records a key going down or up: down sets the high byte (0xFF80) and toggles the low bit.
void SetKeyDown(int vk, bool down) {
  if (vk < 0 || vk > 255) return;
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  SHORT& state = table.keys[static_cast<size_t>(vk)];
  const SHORT toggle = static_cast<SHORT>(state & 1);
  state = down ? static_cast<SHORT>(static_cast<SHORT>(0xFF80) | (toggle ^ 1)) : toggle;
}

}  // namespace lumo_platform

void LumoSetClipboardText(LPCTSTR text) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  table.clipboard = text == nullptr ? "" : text;
}

int LumoGetClipboardText(LPTSTR buffer, int size) {
  Table& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  if (buffer != nullptr && size > 0) {
    const size_t n = std::min(table.clipboard.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, table.clipboard.data(), n);
    buffer[n] = '\0';
  }
  return static_cast<int>(table.clipboard.size());
}
