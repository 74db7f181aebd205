// The built-in window classes: a single-line edit box, a push button and a list box. Each keeps
// its per-window state in a map keyed by handle, made on WM_NCCREATE and dropped on WM_NCDESTROY;
// the text itself is the window's text.
#include <algorithm>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "lumotools/platform/font.h"
#include "lumotools/platform/window.h"
#include "window_internal.h"

namespace {

// Per-window state of one class. Entries are made and dropped by the window's own thread; their
// addresses stay valid while other windows come and go.
template <typename State>
class StateMap {
 public:
  State* Make(HWND hWnd) {
    std::lock_guard<std::mutex> lock(mutex_);
    return &states_[hWnd];
  }
  State* Find(HWND hWnd) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = states_.find(hWnd);
    return it == states_.end() ? nullptr : &it->second;
  }
  void Drop(HWND hWnd) {
    std::lock_guard<std::mutex> lock(mutex_);
    states_.erase(hWnd);
  }

 private:
  std::mutex mutex_;
  std::unordered_map<HWND, State> states_;
};

void NotifyParent(HWND hWnd, UINT code) {
  HWND parent = GetParent(hWnd);
  if (parent == nullptr) return;
  const auto id = static_cast<WORD>(GetWindowLongPtr(hWnd, GWLP_ID));
  SendMessage(parent, WM_COMMAND, MAKEWPARAM(id, static_cast<WORD>(code)),
              reinterpret_cast<LPARAM>(hWnd));
}

std::string TextOf(HWND hWnd) {
  std::string text(static_cast<size_t>(DefWindowProc(hWnd, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
  text.resize(static_cast<size_t>(
      DefWindowProc(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
  return text;
}

// ---- Edit box -------------------------------------------------------------------------------

// The selection runs from anchor to caret (either order); an empty one is the caret alone.
struct EditState {
  int anchor = 0;
  int caret = 0;
  int firstVisible = 0;

  int SelStart() const { return std::min(anchor, caret); }
  int SelEnd() const { return std::max(anchor, caret); }
};

StateMap<EditState>& Edits() {
  static auto* edits = new StateMap<EditState>;
  return *edits;
}

void ReplaceSelection(HWND hWnd, EditState& s, const std::string& with) {
  std::string text = TextOf(hWnd);
  const int start = std::min(s.SelStart(), static_cast<int>(text.size()));
  const int end = std::min(s.SelEnd(), static_cast<int>(text.size()));
  text.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), with);
  DefWindowProc(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  s.anchor = s.caret = start + static_cast<int>(with.size());
  NotifyParent(hWnd, EN_CHANGE);
}

// Average character width: half the font's height, 8 pixels without a font.
int CharWidth(HWND hWnd) {
  LOGFONT lf{};
  const auto font = reinterpret_cast<HGDIOBJ>(DefWindowProc(hWnd, WM_GETFONT, 0, 0));
  if (GetObject(font, sizeof lf, &lf) == 0 || lf.lfHeight == 0) return 8;
  return std::max(1, static_cast<int>(std::abs(lf.lfHeight)) / 2);
}

void ScrollCaretIntoView(HWND hWnd, EditState& s) {
  RECT client{};
  GetClientRect(hWnd, &client);
  const int visible = std::max(1, static_cast<int>(client.right - client.left) / CharWidth(hWnd));
  if (s.caret < s.firstVisible) s.firstVisible = s.caret;
  if (s.caret > s.firstVisible + visible) s.firstVisible = s.caret - visible;
}

void CopySelection(HWND hWnd, const EditState& s) {
  if (s.SelStart() == s.SelEnd()) return;
  const std::string text = TextOf(hWnd);
  LumoSetClipboardText(
      text.substr(static_cast<size_t>(s.SelStart()), static_cast<size_t>(s.SelEnd() - s.SelStart()))
          .c_str());
}

void EditChar(HWND hWnd, EditState& s, int ch) {
  switch (ch) {
    case 1:  // Ctrl+A
      s.anchor = 0;
      s.caret = static_cast<int>(TextOf(hWnd).size());
      return;
    case 3:  // Ctrl+C
      SendMessage(hWnd, WM_COPY, 0, 0);
      return;
    case 0x16:  // Ctrl+V
      SendMessage(hWnd, WM_PASTE, 0, 0);
      return;
    case 0x18:  // Ctrl+X
      SendMessage(hWnd, WM_CUT, 0, 0);
      return;
    case VK_BACK:
      if (s.SelStart() == s.SelEnd() && s.caret > 0) s.anchor = s.caret - 1;
      if (s.SelStart() != s.SelEnd()) ReplaceSelection(hWnd, s, "");
      return;
    default:
      // Tab, Enter, Escape and other control characters do nothing in a single-line box.
      if (ch >= 0x20 && ch != 0x7F)
        ReplaceSelection(hWnd, s, std::string(1, static_cast<char>(ch)));
      return;
  }
}

void EditKey(HWND hWnd, EditState& s, int vk) {
  const int length = static_cast<int>(TextOf(hWnd).size());
  const bool extend = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  int caret = s.caret;
  switch (vk) {
    case VK_LEFT:
      caret = std::max(0, caret - 1);
      break;
    case VK_RIGHT:
      caret = std::min(length, caret + 1);
      break;
    case VK_HOME:
      caret = 0;
      break;
    case VK_END:
      caret = length;
      break;
    case VK_DELETE:
      if (s.SelStart() == s.SelEnd() && s.caret < length) s.anchor = s.caret + 1;
      if (s.SelStart() != s.SelEnd()) ReplaceSelection(hWnd, s, "");
      return;
    default:
      return;
  }
  s.caret = caret;
  if (!extend) s.anchor = caret;
}

// ---- Button and list box ---------------------------------------------------------------------

struct ButtonState {
  bool pressed = false;
};

StateMap<ButtonState>& Buttons() {
  static auto* buttons = new StateMap<ButtonState>;
  return *buttons;
}

struct ListBoxState {
  std::vector<std::string> items;
  int selected = -1;
};

StateMap<ListBoxState>& ListBoxes() {
  static auto* lists = new StateMap<ListBoxState>;
  return *lists;
}

}  // namespace

namespace lumo_platform {

LRESULT EditWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_NCCREATE) Edits().Make(hWnd);
  EditState* s = Edits().Find(hWnd);
  if (s == nullptr) return DefWindowProc(hWnd, uMsg, wParam, lParam);
  switch (uMsg) {
    case WM_NCDESTROY:
      Edits().Drop(hWnd);
      return 0;
    case WM_SETTEXT: {
      const LRESULT set = DefWindowProc(hWnd, uMsg, wParam, lParam);
      *s = EditState{};
      NotifyParent(hWnd, EN_CHANGE);
      return set;
    }
    case EM_SETSEL: {
      const int length = static_cast<int>(TextOf(hWnd).size());
      const int start = static_cast<int>(static_cast<INT_PTR>(wParam));
      const int end = static_cast<int>(lParam);
      if (start == -1) {
        s->anchor = s->caret;
        return 0;
      }
      s->anchor = std::min(std::max(start, 0), length);
      s->caret = end < 0 ? length : std::min(end, length);
      return 0;
    }
    case EM_GETSEL: {
      if (wParam != 0) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(s->SelStart());
      if (lParam != 0) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(s->SelEnd());
      return MAKELPARAM(static_cast<WORD>(s->SelStart()), static_cast<WORD>(s->SelEnd()));
    }
    case EM_REPLACESEL: {
      const char* with = reinterpret_cast<const char*>(lParam);
      ReplaceSelection(hWnd, *s, with == nullptr ? "" : with);
      return 0;
    }
    case EM_SCROLLCARET:
      ScrollCaretIntoView(hWnd, *s);
      return TRUE;
    case EM_GETFIRSTVISIBLELINE:
      return s->firstVisible;
    case WM_CHAR:
      EditChar(hWnd, *s, static_cast<int>(wParam));
      return 0;
    case WM_KEYDOWN:
      EditKey(hWnd, *s, static_cast<int>(wParam));
      return 0;
    case WM_COPY:
      CopySelection(hWnd, *s);
      return 0;
    case WM_CUT:
      CopySelection(hWnd, *s);
      if (s->SelStart() != s->SelEnd()) ReplaceSelection(hWnd, *s, "");
      return 0;
    case WM_PASTE: {
      std::string clip(static_cast<size_t>(LumoGetClipboardText(nullptr, 0)) + 1, '\0');
      clip.resize(
          static_cast<size_t>(LumoGetClipboardText(&clip[0], static_cast<int>(clip.size()))));
      ReplaceSelection(hWnd, *s, clip);
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetFocus(hWnd);
      return 0;
    case WM_SETFOCUS:
      NotifyParent(hWnd, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      NotifyParent(hWnd, EN_KILLFOCUS);
      return 0;
    default:
      return DefWindowProc(hWnd, uMsg, wParam, lParam);
  }
}

LRESULT ButtonWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_NCCREATE) Buttons().Make(hWnd);
  ButtonState* s = Buttons().Find(hWnd);
  if (s == nullptr) return DefWindowProc(hWnd, uMsg, wParam, lParam);
  switch (uMsg) {
    case WM_NCDESTROY:
      Buttons().Drop(hWnd);
      return 0;
    case WM_LBUTTONDOWN:
      s->pressed = true;
      SetFocus(hWnd);
      return 0;
    case WM_LBUTTONUP:
      if (s->pressed) {
        s->pressed = false;
        NotifyParent(hWnd, BN_CLICKED);
      }
      return 0;
    default:
      return DefWindowProc(hWnd, uMsg, wParam, lParam);
  }
}

LRESULT ListBoxWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_NCCREATE) ListBoxes().Make(hWnd);
  ListBoxState* s = ListBoxes().Find(hWnd);
  if (s == nullptr) return DefWindowProc(hWnd, uMsg, wParam, lParam);
  const auto index = static_cast<size_t>(wParam);
  switch (uMsg) {
    case WM_NCDESTROY:
      ListBoxes().Drop(hWnd);
      return 0;
    case LB_ADDSTRING: {
      const char* item = reinterpret_cast<const char*>(lParam);
      s->items.emplace_back(item == nullptr ? "" : item);
      return static_cast<LRESULT>(s->items.size() - 1);
    }
    case LB_RESETCONTENT:
      s->items.clear();
      s->selected = -1;
      return 0;
    case LB_GETCOUNT:
      return static_cast<LRESULT>(s->items.size());
    case LB_GETTEXTLEN:
      return index < s->items.size() ? static_cast<LRESULT>(s->items[index].size()) : LB_ERR;
    case LB_GETTEXT: {
      if (index >= s->items.size() || lParam == 0) return LB_ERR;
      const std::string& item = s->items[index];
      std::copy(item.begin(), item.end(), reinterpret_cast<char*>(lParam));
      reinterpret_cast<char*>(lParam)[item.size()] = '\0';
      return static_cast<LRESULT>(item.size());
    }
    case LB_SETCURSEL:
      if (static_cast<INT_PTR>(wParam) == -1) {
        s->selected = -1;
        return LB_ERR;
      }
      if (index >= s->items.size()) return LB_ERR;
      s->selected = static_cast<int>(index);
      return s->selected;
    case LB_GETCURSEL:
      return s->selected;
    default:
      return DefWindowProc(hWnd, uMsg, wParam, lParam);
  }
}

}  // namespace lumo_platform
