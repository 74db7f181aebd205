// A host for the label-editing tests: a view window whose labels lie at known world positions, a
// translator for 2D and one for 3D views, message objects that open CQuadEdit or CMsgComboEdit
// controls, and a listener that records what it is told. Input goes through the platform's
// simulated keyboard and mouse and the framework's message loop.
#ifndef LUMOTOOLS_TESTS_LABELEDIT_LABEL_EDIT_FIXTURE_H_
#define LUMOTOOLS_TESTS_LABELEDIT_LABEL_EDIT_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lumotools/labeledit.h"
#include "lumotools/platform/input.h"
#include "lumotools/platform/wnd.h"

namespace labeledit_test {

// Top-down view: world (x, y) is window (x, y); pick lines run along z.
class FlatTranslator : public CCoordTranslator {
 public:
  explicit FlatTranslator(bool rotate) : rotate_(rotate) {}
  CPoint WorldToWindow(const shapekit::point3d<double>& pt) const override {
    return CPoint(static_cast<int>(pt.x), static_cast<int>(pt.y));
  }
  shapekit::tagLine3D WindowToWorldLine(const CPoint& pt) const override {
    return shapekit::tagLine3D({double(pt.x), double(pt.y), 100.0},
                               {double(pt.x), double(pt.y), -100.0});
  }
  bool IsTextRotate() const override { return rotate_; }

 private:
  bool rotate_;
};

// The view: records the notification messages it receives and the destroy message; forwards Tab,
// Enter and Escape pressed in an edit control to itself, where the passer sees them; has host
// accelerators on Ctrl+C and Ctrl+F7.
class HostView : public CWnd {
 public:
  std::vector<std::string> notes;
  CWnd* killFocusTarget = nullptr;
  int acceleratorHits = 0;

  bool Create() {
    WNDCLASS cls{};
    cls.lpfnWndProc = &::DefWindowProc;
    cls.lpszClassName = "HostView";
    RegisterClass(&cls);
    return CreateEx(0, "HostView", "view", WS_VISIBLE, CRect(0, 0, 800, 600), nullptr, 0);
  }

  BOOL PreTranslateMessage(MSG* pMsg) override {
    if (pMsg->message != WM_KEYDOWN) return FALSE;
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0xFF00) == 0xFF00;
    if (ctrl && (pMsg->wParam == 'C' || pMsg->wParam == VK_F7)) {
      ++acceleratorHits;
      return TRUE;
    }
    const bool navigation =
        pMsg->wParam == VK_TAB || pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE;
    if (navigation && pMsg->hwnd != m_hWnd) {
      ::SendMessage(m_hWnd, WM_KEYDOWN, pMsg->wParam, pMsg->lParam);
      return TRUE;
    }
    return FALSE;
  }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_MSGOBJ_CREATED:
        notes.push_back(lParam == 0 ? "created" : "created, lParam");
        break;
      case WM_MSGOBJ_DESTROYED:
        notes.push_back("destroyed");
        break;
      case WM_MSGOBJ_VALUECHANGED:
        notes.push_back(wParam == 0 && lParam == 0 ? "valuechanged" : "valuechanged, parameters");
        break;
      case WM_MSGOBJ_KILLFOCUS:
        notes.push_back("killfocus");
        killFocusTarget = reinterpret_cast<CWnd*>(wParam);
        break;
      case WM_DESTROY:
        notes.push_back("view destroy");
        break;
      case WM_KEYDOWN:
        notes.push_back("view key " + std::to_string(wParam));
        break;
      case WM_LBUTTONUP:
        notes.push_back("view button up");
        break;
      default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

constexpr UINT kLabelControlId = 100;

// A label that opens an edit control of type Edit (CQuadEdit or CMsgComboEdit).
template <typename Edit>
class Label : public CMsgObject {
 public:
  Edit* edit = nullptr;

  Label(const char* value, CTextRect pos) {
    SetValue(value);
    SetWorldPos(pos);
  }
  // The host closes its own editor: the base destructor can no longer reach this class.
  ~Label() override { Destroy(0); }

  int CreateControl() override {
    edit = new Edit(this);
    edit->CreateWnd(CRect(0, 0, 80, 20), GetParentWnd(), kLabelControlId);
    edit->SetTextValue(GetValue());
    edit->SetFocus();
    return 1;
  }
  void PlaceControl(const CQuad& quad) override {
    if (edit != nullptr) edit->MoveControl(quad);
  }
  int UpdateCtrlValue(int) override {
    if (edit == nullptr) return 0;
    const CString text = edit->GetTextValue();
    if (text == GetValue()) return 0;
    SetValue(text);
    return 1;
  }
  int DestroyControl() override {
    if (edit == nullptr) return 0;
    Edit* going = edit;
    edit = nullptr;
    going->DestroyWindow();
    return 1;
  }
  HWND GetControlHandle() override { return edit == nullptr ? nullptr : edit->m_hWnd; }
};

// Records what a label's listener is told, and the texts its edit functor is called with.
struct RecordingListener : CMsgObjectListener {
  std::vector<std::string> calls;
  std::vector<std::string> edited;
  void OnMsgObjValueChanged(DWORD dwUserData) override {
    calls.push_back("changed " + std::to_string(dwUserData));
  }
  void PreMsgObjCreate(DWORD dwUserData, PASSER_EVENT_TRIGGER trigger) override {
    calls.push_back("open " + std::to_string(dwUserData) + " by " + std::to_string(trigger));
  }
  DWORD Edited(const char* text) {
    edited.push_back(text);
    return 0;
  }
  CMsgObject::EditFunctor Functor() {
    return CMsgObject::EditFunctor(this, &RecordingListener::Edited);
  }
};

// A label rectangle of 80 x 20 world units reading along direction (dx, dy).
inline CTextRect LabelAt(double x, double y, double dx = 1.0, double dy = 0.0) {
  return CTextRect({x, y, 0.0}, {dx, dy, 0.0}, 80.0, 20.0);
}

// Handles every waiting message (several rounds, as handling may post more).
inline void Pump() {
  while (LumoPumpPendingMessages() > 0) {
  }
}

inline void Press(int vk, int modifier = 0) {
  LumoPressKeyWith(modifier, vk);
  Pump();
}

inline void Type(const char* text) {
  LumoTypeText(text);
  Pump();
}

inline CRect WindowRectOf(HWND hWnd) {
  RECT r{};
  GetWindowRect(hWnd, &r);
  return CRect(r);
}

// A shown view with a passer listening to it through a 2D translator.
class LabelEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(view.Create());
    passer.SetTranslator(&flat);
    passer.Listen(view.m_hWnd, view.m_hWnd);
  }
  void TearDown() override {
    view.DestroyWindow();
    Pump();
  }

  HostView view;
  FlatTranslator flat{false};
  CMsgPasser passer;
  RecordingListener listener;
};

}  // namespace labeledit_test

#endif  // LUMOTOOLS_TESTS_LABELEDIT_LABEL_EDIT_FIXTURE_H_
