#include "lumotools/platform/window.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "lumotools/platform/controls.h"
#include "lumotools/platform/font.h"
#include "lumotools/platform/input.h"
#include "lumotools/platform/wnd.h"

namespace {

using Lines = std::vector<std::string>;

// Every message that reached a window of the recording class, as "name:message" lines.
Lines& Journal() {
  static Lines journal;
  return journal;
}

std::string NameOf(HWND hWnd) {
  if (hWnd == nullptr) return "none";
  char name[64] = {};
  // The window text names the window; read it without a message so the journal stays clean.
  DefWindowProc(hWnd, WM_GETTEXT, sizeof name, reinterpret_cast<LPARAM>(name));
  return name;
}

LRESULT RecordingProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const std::string self = NameOf(hWnd) + ":";
  const auto other = NameOf(reinterpret_cast<HWND>(wParam));
  // These messages carry no parameter but the focus messages' window; a window sized by
  // MoveWindow is SIZE_RESTORED (0).
  const bool noWParam =
      msg == WM_DESTROY || msg == WM_NCDESTROY || msg == WM_GETTEXTLENGTH || msg == WM_SIZE;
  const bool noLParam = (noWParam && msg != WM_SIZE) || msg == WM_SETFOCUS || msg == WM_KILLFOCUS;
  if ((noWParam && wParam != 0) || (noLParam && lParam != 0)) {
    Journal().push_back(self + "a parameter where none is sent");
  }
  if (msg == WM_DESTROY) Journal().push_back(self + "destroy");
  if (msg == WM_NCDESTROY) Journal().push_back(self + "ncdestroy");
  if (msg == WM_SETFOCUS) Journal().push_back(self + "setfocus from " + other);
  if (msg == WM_KILLFOCUS) Journal().push_back(self + "killfocus to " + other);
  if (msg == WM_LBUTTONDOWN) {
    Journal().push_back(self + "down " + std::to_string(GET_X_LPARAM(lParam)) + "," +
                        std::to_string(GET_Y_LPARAM(lParam)));
  }
  if (msg == WM_USER) {
    Journal().push_back(self + "user");
    return 42;
  }
  return DefWindowProc(hWnd, msg, wParam, lParam);
}

void RegisterRecordingClass() {
  WNDCLASS cls{};
  cls.lpfnWndProc = &RecordingProc;
  cls.lpszClassName = "Recording";
  RegisterClass(&cls);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterRecordingClass();
    Journal().clear();
  }
  void TearDown() override {
    for (HWND w : made_) DestroyWindow(w);
    LumoPumpPendingMessages();
  }

  HWND Make(const char* name, HWND parent, RECT r) {
    HWND w =
        CreateWindowEx(0, "Recording", name, (parent ? WS_CHILD : 0) | WS_VISIBLE, r.left, r.top,
                       r.right - r.left, r.bottom - r.top, parent, nullptr, nullptr, nullptr);
    if (parent == nullptr) made_.push_back(w);
    return w;
  }

  std::vector<HWND> made_;
};

TEST_F(WindowTest, DestroySendsDestroyThenDestroysChildrenThenNcDestroy) {
  HWND top = Make("top", nullptr, {0, 0, 100, 100});
  HWND a = Make("a", top, {0, 0, 10, 10});
  HWND a1 = Make("a1", a, {0, 0, 5, 5});
  HWND b = Make("b", top, {10, 0, 20, 10});
  ASSERT_TRUE(IsChild(top, a1));
  ASSERT_FALSE(IsChild(a, b));
  SetFocus(a1);
  // Destroying a window the focus is not in leaves the focus where it is.
  DestroyWindow(Make("other", nullptr, {0, 0, 1, 1}));
  EXPECT_EQ(GetFocus(), a1);
  Journal().clear();

  EXPECT_EQ(GetWindowTextLength(top), 3);
  EXPECT_TRUE(DestroyWindow(top));
  const Lines expected = {"a1:killfocus to none", "top:destroy", "a:destroy", "a1:destroy",
                          "a1:ncdestroy",         "a:ncdestroy", "b:destroy", "b:ncdestroy",
                          "top:ncdestroy"};
  EXPECT_EQ(Journal(), expected);
  for (HWND w : {top, a, a1, b}) EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(DefWindowProc(top, WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_EQ(DefWindowProc(top, WM_GETFONT, 0, 0), 0);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_FALSE(DestroyWindow(top));
}

TEST_F(WindowTest, ChildNeedsALiveParentAndUnknownClassesFail) {
  EXPECT_EQ(CreateWindowEx(0, "Recording", "orphan", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr,
                           nullptr, nullptr),
            nullptr);
  EXPECT_EQ(
      CreateWindowEx(0, "NoSuchClass", "x", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
      nullptr);
  HWND top = Make("top", nullptr, {0, 0, 1, 1});
  EXPECT_EQ(GetParent(Make("child", top, {0, 0, 1, 1})), top);
  char name[8] = "x";
  EXPECT_EQ(GetClassName(top, name, 4), 3);
  EXPECT_STREQ(name, "Rec");
  EXPECT_EQ(GetClassName(top, name, 0), 0);
  WNDCLASS again{};
  again.lpfnWndProc = &RecordingProc;
  again.lpszClassName = "RECORDING";
  EXPECT_EQ(RegisterClass(&again), 0) << "class names are compared without regard to case";
}

TEST_F(WindowTest, FocusMovesWithKillFocusFirstAndSurvivesTheLoserDestroyingTheGainer) {
  HWND top = Make("top", nullptr, {0, 0, 100, 100});
  HWND a = Make("a", top, {0, 0, 10, 10});
  HWND b = Make("b", top, {10, 0, 20, 10});
  EXPECT_EQ(SetFocus(a), nullptr);
  EXPECT_EQ(SetFocus(b), a);
  EXPECT_EQ(Journal(), (Lines{"a:setfocus from none", "a:killfocus to b", "b:setfocus from a"}));
  EXPECT_EQ(GetFocus(), b);

  // A window that reacts to losing the focus by destroying the gainer leaves no focus behind.
  HWND c = Make("c", top, {20, 0, 30, 10});
  SetWindowLongPtr(b, GWLP_WNDPROC,
                   reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                     if (m == WM_KILLFOCUS) DestroyWindow(reinterpret_cast<HWND>(w));
                     return RecordingProc(h, m, w, l);
                   }));
  SetFocus(c);
  EXPECT_FALSE(IsWindow(c));
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowTest, MessagesReachTheChainOfProceduresOfLiveWindowsOnTheirThread) {
  HWND top = Make("top", nullptr, {0, 0, 10, 10});
  static WNDPROC previous = nullptr;
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtr(
      top, GWLP_WNDPROC,
      reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER) Journal().push_back("hook");
        return CallWindowProc(previous, h, m, w, l);
      })));
  EXPECT_EQ(previous, &RecordingProc);
  EXPECT_EQ(CallWindowProc(nullptr, top, WM_USER, 0, 0), 0);
  EXPECT_EQ(GetWindowLongPtr(top, GWLP_USERDATA), 0);
  EXPECT_EQ(SendMessage(top, WM_USER, 0, 0), 42);
  EXPECT_EQ(Journal(), (Lines{"hook", "top:user"}));

  LRESULT fromOther = -1;
  std::thread([&] { fromOther = SendMessage(top, WM_USER, 0, 0); }).join();
  EXPECT_EQ(fromOther, 0);
  EXPECT_EQ(Journal().size(), 2u);

  HWND gone = Make("gone", nullptr, {0, 0, 10, 10});
  EXPECT_TRUE(PostMessage(top, WM_USER, 0, 0));
  EXPECT_TRUE(PostMessage(gone, WM_USER, 0, 0));
  DestroyWindow(gone);
  PostQuitMessage(9);
  Journal().clear();
  EXPECT_EQ(LumoPumpPendingMessages(), 2);
  EXPECT_EQ(Journal(), (Lines{"hook", "top:user"}));
  EXPECT_FALSE(PostMessage(gone, WM_USER, 0, 0));
  MSG quit;  // the pump stops at the quit request and leaves it for the thread's loop
  ASSERT_TRUE(PeekMessage(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 9u);
}

TEST_F(WindowTest, GeometryIsRelativeToTheParentAndClicksFindTheDeepestWindow) {
  HWND top = Make("top", nullptr, {100, 50, 300, 250});
  HWND panel = Make("panel", top, {20, 20, 120, 120});
  HWND inner = Make("inner", panel, {10, 10, 30, 30});
  RECT r{};
  GetWindowRect(inner, &r);
  EXPECT_EQ(CRect(r), CRect(130, 80, 150, 100));
  GetClientRect(inner, &r);
  EXPECT_EQ(CRect(r), CRect(0, 0, 20, 20));
  EXPECT_FALSE(GetClientRect(inner, nullptr));

  EXPECT_EQ(LumoMouseDown(top, {30, 30}), inner);  // the left and top edges are inside
  EXPECT_EQ(LumoMouseDown(top, {5, 5}), top);
  LumoPumpPendingMessages();
  EXPECT_EQ(Journal(), (Lines{"inner:down 0,0", "top:down 5,5"}));

  MoveWindow(panel, 5, 0, 50, 50, TRUE);
  EXPECT_EQ(LumoMouseDown(top, {20, 16}), inner) << "children move with their parent";
  EXPECT_EQ(Journal().size(), 2u);
  EXPECT_TRUE(GetUpdateRect(panel, &r, FALSE));
  EXPECT_EQ(CRect(r), CRect(0, 0, 50, 50));
  EXPECT_TRUE(LumoUpdateNeedsErase(panel));
  LumoPumpPendingMessages();
  ValidateRect(panel, nullptr);
  EXPECT_FALSE(GetUpdateRect(panel, &r, FALSE));
  EXPECT_EQ(CRect(r), CRect(0, 0, 0, 0));
}

TEST(KeyState, DownKeysHaveTheirHighByteSetAndPressesToggle) {
  const SHORT before = GetKeyState(VK_SHIFT);
  LumoKeyDown(VK_SHIFT);
  LumoKeyDown(255);  // the last key there is
  EXPECT_EQ(GetKeyState(VK_SHIFT), before) << "the state follows the messages taken";
  MSG msg;  // a repeat count of 1
  ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
  EXPECT_EQ(msg.lParam, 1);
  LumoPumpPendingMessages();
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0xFF00, 0xFF00);
  EXPECT_EQ(GetKeyState(255) & 0xFF00, 0xFF00);
  LumoKeyUp(VK_SHIFT);
  LumoKeyUp(255);
  // A key going up also has the previous-state and transition bits.
  ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_KEYUP, WM_KEYUP, PM_REMOVE));
  EXPECT_EQ(msg.lParam, static_cast<LPARAM>(0xC0000001u));
  LumoPumpPendingMessages();
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0xFF00, 0);
  EXPECT_NE(GetKeyState(VK_SHIFT) & 1, before & 1);
  EXPECT_EQ(GetKeyState(-1), 0);
  EXPECT_EQ(GetKeyState(256), 0);
  LumoPressKey(VK_SHIFT);  // down and up again
  LumoPumpPendingMessages();
  EXPECT_EQ(GetKeyState(VK_SHIFT), before);
}

// A parent that records its children's notifications and the messages offered to it first.
class RecordingFrame : public CWnd {
 public:
  Lines seen;
  bool swallowCtrlC = false;

  RecordingFrame() {
    RegisterRecordingClass();
    CreateEx(0, "Recording", "frame", WS_VISIBLE, CRect(0, 0, 200, 100), nullptr, 0);
  }
  BOOL PreTranslateMessage(MSG* pMsg) override {
    if (pMsg->message != WM_KEYDOWN || pMsg->wParam != 'C' || !swallowCtrlC ||
        (GetKeyState(VK_CONTROL) & 0xFF00) != 0xFF00) {
      return FALSE;
    }
    seen.push_back("accelerator");
    return TRUE;
  }

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND) seen.push_back("unhandled command");
    return CWnd::DefWindowProc(message, wParam, lParam);
  }
  void OnClicked() { seen.push_back("clicked"); }
  void OnEditChange() { seen.push_back("changed"); }

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RecordingFrame, CWnd)
ON_BN_CLICKED(7, OnClicked)
ON_CONTROL(EN_CHANGE, 8, OnEditChange)
END_MESSAGE_MAP()

// A frame whose own map takes one command: the others reach the handlers in its base's map.
class DerivedFrame : public RecordingFrame {
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedFrame, RecordingFrame)
ON_CONTROL(EN_CHANGE, 8, OnEditChange)
END_MESSAGE_MAP()

// An edit that deletes itself when its window goes, and handles its own focus notifications.
class SelfDeletingEdit : public CEdit {
 public:
  static int alive;
  Lines* log = nullptr;
  SelfDeletingEdit() { ++alive; }
  ~SelfDeletingEdit() override { --alive; }

 protected:
  void OnKillFocus(CWnd* pNew) {
    CEdit::OnKillFocus(pNew);
    log->push_back(pNew == nullptr ? "lost focus" : "lost focus to a window");
  }
  void OnOwnSetFocus() { log->push_back("reflected setfocus"); }
  void OnNcDestroy() {
    CEdit::OnNcDestroy();
    delete this;
  }

  DECLARE_MESSAGE_MAP()
};

int SelfDeletingEdit::alive = 0;

BEGIN_MESSAGE_MAP(SelfDeletingEdit, CEdit)
ON_WM_KILLFOCUS()
ON_WM_NCDESTROY()
ON_CONTROL_REFLECT(EN_SETFOCUS, OnOwnSetFocus)
END_MESSAGE_MAP()

TEST(Wnd, MessageMapsReflectionAndSelfDeletion) {
  DerivedFrame frame;
  auto* edit = new SelfDeletingEdit;
  edit->log = &frame.seen;
  ASSERT_TRUE(edit->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 20), &frame, 8));
  EXPECT_EQ(CWnd::FromHandlePermanent(edit->m_hWnd), edit);
  CButton button;
  ASSERT_TRUE(button.Create("D", WS_CHILD | WS_VISIBLE, CRect(150, 0, 170, 20), &frame, 7));

  edit->SetFocus();
  edit->SetWindowText("abc");
  LumoClick(frame.m_hWnd, {160, 10});
  LumoPumpPendingMessages();
  EXPECT_EQ(frame.seen, (Lines{"reflected setfocus", "changed", "unhandled command",
                               "lost focus to a window", "clicked"}));
  EXPECT_EQ(CWnd::GetFocus(), &button);

  HWND editWindow = edit->m_hWnd;
  EXPECT_TRUE(DestroyWindow(editWindow));
  EXPECT_EQ(SelfDeletingEdit::alive, 0);
  EXPECT_EQ(CWnd::FromHandlePermanent(editWindow), nullptr);
  EXPECT_TRUE(frame.DestroyWindow());
  EXPECT_EQ(frame.m_hWnd, nullptr);
  EXPECT_EQ(button.m_hWnd, nullptr) << "destroying the parent detaches the child's object";

  // A temporary object never destroys its window.
  HWND top = CreateWindowEx(0, "EDIT", "t", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  CWnd* temporary = CWnd::FromHandle(top);
  ASSERT_NE(temporary, nullptr);
  EXPECT_EQ(CWnd::FromHandle(top), temporary);
  EXPECT_EQ(CWnd::FromHandlePermanent(top), nullptr);
  LumoPumpPendingMessages();
  // An object holds one window at a time.
  HWND second = CreateWindowEx(0, "EDIT", "s", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  CWnd owner;
  EXPECT_FALSE(owner.Attach(nullptr));
  EXPECT_TRUE(owner.Attach(top));
  EXPECT_FALSE(owner.Attach(second));
  EXPECT_EQ(owner.Detach(), top);
  EXPECT_TRUE(DestroyWindow(top));
  EXPECT_EQ(SendMessage(second, WM_CLOSE, 0, 0), 0);  // closing destroys
  EXPECT_FALSE(IsWindow(second));
}

TEST(Wnd, EditBoxTypingSelectionAndClipboard) {
  RecordingFrame frame;
  CEdit edit;
  int start = -1, end = -1;
  edit.GetSel(start, end);  // no box yet: an empty selection
  EXPECT_EQ(std::make_pair(start, end), std::make_pair(0, 0));
  ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(0, 0, 40, 20), &frame, 3));
  EXPECT_EQ(::SendMessage(edit.m_hWnd, EM_GETSEL, 0, 0), MAKELPARAM(0, 0));
  edit.SetFocus();
  LumoTypeText("Az1 x");
  LumoPressKey(VK_BACK);
  LumoPumpPendingMessages();
  CString text;
  edit.GetWindowText(text);
  EXPECT_STREQ(text, "Az1 ");

  edit.SetSel(0, -1);
  edit.GetSel(start, end);
  EXPECT_EQ(std::make_pair(start, end), std::make_pair(0, 4));
  EXPECT_EQ(::SendMessage(edit.m_hWnd, EM_GETSEL, 0, 0), MAKELPARAM(0, 4));

  // Ctrl+C goes through translation to the box unless a window above takes it first; the box
  // sends itself WM_COPY (Ctrl+X WM_CUT, Ctrl+V WM_PASTE) without parameters, as a procedure
  // subclassing it sees.
  SetWindowLongPtr(edit.m_hWnd, GWLP_WNDPROC,
                   reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) {
                     const bool clipboard = m == WM_COPY || m == WM_CUT || m == WM_PASTE;
                     EXPECT_TRUE(!clipboard || (w == 0 && l == 0));
                     return AfxWndProc(h, m, w, l);
                   }));
  frame.swallowCtrlC = true;
  LumoSetClipboardText("");
  LumoPressKeyWith(VK_CONTROL, 'C');
  LumoPumpPendingMessages();
  char clip[16] = {};
  EXPECT_EQ(LumoGetClipboardText(clip, sizeof clip), 0);
  frame.swallowCtrlC = false;
  LumoPressKeyWith(VK_CONTROL, 'C');
  LumoPumpPendingMessages();
  LumoGetClipboardText(clip, sizeof clip);
  EXPECT_STREQ(clip, "Az1 ");
  EXPECT_EQ(LumoGetClipboardText(clip, 1), 4);  // a one-character buffer holds the end only
  EXPECT_STREQ(clip, "");

  edit.SetSel(1, 3);
  LumoPressKeyWith(VK_CONTROL, 'X');
  LumoPressKey(VK_END);
  LumoPressKeyWith(VK_CONTROL, 'V');
  LumoPressKey(VK_LEFT);
  LumoPressKeyWith(VK_CONTROL, 'A');
  LumoPumpPendingMessages();
  edit.GetWindowText(text);
  EXPECT_STREQ(text, "A z1");
  EXPECT_EQ(::SendMessage(edit.m_hWnd, EM_GETSEL, 0, 0), MAKELPARAM(0, 4));
  // Delete takes the selection, or else the character after the caret.
  edit.SetSel(1, 3);
  LumoPressKey(VK_DELETE);
  LumoPressKey(VK_HOME);
  LumoPressKey(VK_DELETE);
  LumoTypeText("0");
  LumoPumpPendingMessages();
  edit.GetWindowText(text);
  EXPECT_STREQ(text, "01");

  // A long text scrolls so that the caret stays in the 40-pixel box: 8 pixels a character, or
  // half the font's height.
  edit.SetWindowText("0123456789abcdef");
  edit.SetSel(16, 16);
  EXPECT_EQ(edit.GetFirstVisibleLine(), 11);
  CFont font;
  const char face[] = "\xCB\xCE\xCC\xE5";
  ASSERT_TRUE(font.CreatePointFont(141, face));
  EXPECT_FALSE(font.CreatePointFont(120, ""));  // once made, a font stays as it is
  LOGFONT lf{};
  ASSERT_EQ(font.GetLogFont(&lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(lf.lfHeight, -19);  // at 96 dots per inch, 141 * 96 / 720 = 18.8
  EXPECT_STREQ(lf.lfFaceName, face);
  edit.SetFont(&font);
  edit.SetSel(0, 0);
  edit.SetSel(16, 16);
  EXPECT_EQ(edit.GetFirstVisibleLine(), 12);
  CFont tiny;  // one pixel high: a character still takes a pixel
  ASSERT_TRUE(tiny.CreatePointFont(10, "x"));
  edit.SetFont(&tiny);
  edit.SetSel(0, 0);
  edit.SetSel(16, 16);
  EXPECT_EQ(edit.GetFirstVisibleLine(), 0);
  frame.DestroyWindow();
  HFONT handle = font;
  font.DeleteObject();
  EXPECT_EQ(GetObject(handle, sizeof lf, &lf), 0);
  EXPECT_FALSE(DeleteObject(handle));
}

TEST(ListBox, KeepsItemsAndSelection) {
  CListBox list;
  EXPECT_EQ(list.AddString("x"), LB_ERR);
  ASSERT_TRUE(list.Create(0, CRect(0, 0, 10, 10), nullptr, 0));
  EXPECT_EQ(list.AddString("one"), 0);
  EXPECT_EQ(list.AddString("two"), 1);
  CString item;
  EXPECT_EQ(list.GetText(0, item), 3);
  EXPECT_STREQ(item, "one");
  EXPECT_EQ(list.GetText(2, item), LB_ERR);
  EXPECT_EQ(list.SendMessage(LB_GETTEXT, 0, 0), LB_ERR);  // nowhere to put the text
  EXPECT_EQ(list.SetCurSel(5), LB_ERR);
  EXPECT_EQ(list.SetCurSel(0), 0);
  EXPECT_EQ(list.SetCurSel(-1), LB_ERR);  // and clears the selection
  EXPECT_EQ(list.GetCurSel(), -1);
  EXPECT_EQ(list.SetCurSel(1), 1);
  list.ResetContent();
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetCurSel(), -1);
}

}  // namespace
