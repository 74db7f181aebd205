// Label editing in a host view: message objects, the passer that moves an editor between them, and
// the two edit controls. Input goes through the platform's simulated keyboard and mouse and the
// framework's message loop.
#include "lumotools/labeledit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lumotools/platform/input.h"
#include "lumotools/platform/wnd.h"

namespace labeledit_test {
namespace {

using Notes = std::vector<std::string>;

// Top-down view: world (x, y) is window (x + dx, y + dy), at the given scale; pick lines run
// along z.
struct FlatTranslator : CCoordTranslator {
  bool rotate = false;
  int dx = 0, dy = 0;
  double scale = 1.0;
  CPoint WorldToWindow(const shapekit::point3d<double>& pt) const override {
    return CPoint(static_cast<int>(pt.x) + dx, static_cast<int>(pt.y) + dy);
  }
  shapekit::tagLine3D WindowToWorldLine(const CPoint& pt) const override {
    return shapekit::tagLine3D({double(pt.x), double(pt.y), 100.0},
                               {double(pt.x), double(pt.y), -100.0});
  }
  double GetTranslateScale(const shapekit::point3d<double>&) const override { return scale; }
  bool IsTextRotate() const override { return rotate; }
};

// The view: records the notification messages it receives; forwards Tab, Enter and Escape pressed
// in an edit control to itself, where the passer sees them; has host accelerators on Ctrl+C and
// Ctrl+F7.
class HostView : public CWnd {
 public:
  Notes notes;
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
  // The notifications carry no parameter but the control's handle when created and the window
  // gaining the focus on killfocus, both in wParam.
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    static const std::map<UINT, std::string> kNames = {{WM_MSGOBJ_CREATED, "created"},
                                                       {WM_MSGOBJ_DESTROYED, "destroyed"},
                                                       {WM_MSGOBJ_VALUECHANGED, "valuechanged"},
                                                       {WM_MSGOBJ_KILLFOCUS, "killfocus"}};
    const auto name = kNames.find(message);
    if (name != kNames.end()) {
      const bool handle = message == WM_MSGOBJ_CREATED && IsWindow(reinterpret_cast<HWND>(wParam));
      const bool other = lParam != 0 || (wParam != 0 && !handle && message != WM_MSGOBJ_KILLFOCUS);
      notes.push_back(name->second + (other ? " with parameters" : ""));
    }
    if (message == WM_MSGOBJ_KILLFOCUS) killFocusTarget = reinterpret_cast<CWnd*>(wParam);
    if (message == WM_KEYDOWN) notes.push_back("view key " + std::to_string(wParam));
    if (message == WM_LBUTTONUP) notes.push_back("view button up");
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
    edit->CreateWnd(CRect(10, 10, 90, 30), GetParentWnd(), kLabelControlId);
    edit->SetTextValue(GetValue());
    edit->SetFocus();
    return 1;
  }
  void PlaceControl(const CQuad& quad) override {
    if (edit != nullptr) edit->MoveControl(quad);
  }
  int UpdateCtrlValue(int) override {
    if (edit == nullptr || edit->GetTextValue() == GetValue()) return 0;
    SetValue(edit->GetTextValue());
    return 1;
  }
  int DestroyControl() override {
    if (edit == nullptr) return 0;
    std::exchange(edit, nullptr)->DestroyWindow();
    return 1;
  }
  HWND GetControlHandle() override { return edit == nullptr ? nullptr : edit->m_hWnd; }
};

using QuadLabel = Label<CQuadEdit>;
using ComboLabel = Label<CMsgComboEdit>;

// Records what a label's listener is told, and the texts its edit functor is called with.
struct RecordingListener : CMsgObjectListener {
  Notes calls;
  Notes edited;
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
CTextRect LabelAt(double x, double y, double dx = 1.0, double dy = 0.0) {
  return CTextRect({x, y, 0.0}, {dx, dy, 0.0}, 80.0, 20.0);
}

// Handles every waiting message (several rounds, as handling may post more).
void Pump() {
  while (LumoPumpPendingMessages() > 0) {
  }
}

void Press(int vk, int modifier = 0) {
  LumoPressKeyWith(modifier, vk);
  Pump();
}

void Type(const char* text) {
  LumoTypeText(text);
  Pump();
}

void Click(HWND hWnd, POINT point) {
  LumoClick(hWnd, point);
  Pump();
}

CRect WindowRectOf(HWND hWnd) {
  RECT r{};
  GetWindowRect(hWnd, &r);
  return CRect(r);
}

LOGFONT FontOf(CWnd* control) {
  LOGFONT lf{};
  EXPECT_NE(GetObject(control->GetFontHandle(), sizeof lf, &lf), 0);
  return lf;
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
  FlatTranslator flat;
  CMsgPasser passer;
  RecordingListener listener;
};

// An object without a window, with scripted answers.
struct ScriptedObject : CMsgObject {
  int destroyAnswer = 1;
  int updates = 0;

  void PlaceControl(const CQuad&) override {}
  int CreateControl() override { return 1; }
  int UpdateCtrlValue(int nReserved) override {
    EXPECT_EQ(nReserved, 0);
    return ++updates;
  }
  int DestroyControl() override { return destroyAnswer; }
};

// An object that keeps every default operation.
struct BareObject : CMsgObject {
  void PlaceControl(const CQuad&) override {}
};

// Opening needs a parent window. Closing with saving reports a change only with an edit functor;
// the destroyed message only follows a control that was destroyed.
TEST_F(LabelEditTest, MessageObjectsOpenCloseReportAndDetach) {
  ScriptedObject object;
  object.AddListener(&listener);
  object.SetUserData(9);
  CMsgPasser unhooked;
  EXPECT_EQ(object.Create(&unhooked), 0) << "no parent window";
  ASSERT_EQ(object.Create(&passer), 1);
  object.Destroy(1);
  EXPECT_EQ(object.updates, 1);
  EXPECT_TRUE(listener.calls.empty());
  EXPECT_EQ(view.notes, (Notes{"created", "destroyed"}));

  view.notes.clear();
  object.SetEditFunctor(listener.Functor());
  object.destroyAnswer = 0;
  object.SetValue("v");
  object.Create(&passer);
  object.Destroy(1);
  EXPECT_EQ(view.notes, (Notes{"created", "valuechanged"}));
  EXPECT_EQ(listener.edited, Notes{"v"});
  EXPECT_EQ(listener.calls, Notes{"changed 9"});
  EXPECT_EQ(object.GetParentWnd(), nullptr) << "a report forgets the parent window";

  // The default operations open nothing, so nothing is sent or reported.
  view.notes.clear();
  BareObject bare;
  bare.SetEditFunctor(listener.Functor());
  EXPECT_EQ(bare.Create(&passer), 0);
  bare.Destroy(1);
  EXPECT_TRUE(view.notes.empty());
  EXPECT_EQ(listener.edited.size(), 1u);

  // Destroying an object detaches it from every live passer.
  const CMsgPasser blank;
  CMsgPasser other(blank);  // a copy is a passer of its own
  CMsgPasser assigned;
  assigned = passer;
  EXPECT_EQ(assigned.GetParentWnd(), view.m_hWnd);
  auto* doomed = new ScriptedObject;
  passer.Attach(doomed, nullptr);
  other.Attach(doomed, nullptr);
  passer.Attach(&object, doomed);
  ASSERT_EQ(doomed->GetPasser().size(), 2u);
  delete doomed;
  // Both trees lost the object's node, the first one with the subtree below it.
  EXPECT_EQ(passer.KeyDown(VK_TAB, 1, 0), 0);
  EXPECT_EQ(other.KeyDown(VK_TAB, 1, 0), 0);
  EXPECT_EQ(object.GetPasser().size(), 1u) << "objects below keep the passer in their sets";

  // Such an object may outlive the passer; its destruction must not reach it.
  auto child = std::make_unique<ScriptedObject>();
  {
    CMsgPasser shortLived;
    shortLived.Attach(&object, nullptr);
    shortLived.Attach(child.get(), &object);
    shortLived.Detach(&object);
    EXPECT_EQ(child->GetPasser().size(), 1u);
  }
  child.reset();
}

// Before an editor opens, drops the listener after it and adds another.
struct ReshufflingListener : RecordingListener {
  CMsgObject* object = nullptr;
  RecordingListener added;
  void PreMsgObjCreate(DWORD dwUserData, PASSER_EVENT_TRIGGER trigger) override {
    RecordingListener::PreMsgObjCreate(dwUserData, trigger);
    object->SetListener({this, &added});
  }
};

// Listeners changed from inside the call take effect after it: the one dropped is not told, the
// one added is told from the next call on.
TEST(MessageObject, ListenersChangedBeforeAnEditorOpensTakeEffectAfterTheCall) {
  BareObject object;
  object.SetUserData(9);
  ReshufflingListener reshuffling;
  reshuffling.object = &object;
  RecordingListener dropped;
  object.SetListener({&reshuffling, &dropped});
  object.PreMsgObjCreate(PET_TAB);
  EXPECT_EQ(reshuffling.calls, Notes{"open 9 by 2"});
  EXPECT_TRUE(dropped.calls.empty());
  EXPECT_TRUE(reshuffling.added.calls.empty());
  object.PreMsgObjCreate(PET_TAB);
  EXPECT_EQ(reshuffling.added.calls, Notes{"open 9 by 2"});
}

// The combo edit: its button keeps the editor open, leaving it saves, and the reflected close
// notification closes the editor and destroys the control.
TEST_F(LabelEditTest, ComboEditButtonAndCloseNotification) {
  ComboLabel label{"L", LabelAt(100, 50)};
  passer.Attach(&label, nullptr);
  view.SetFocus();
  Press(VK_TAB);
  ASSERT_NE(label.edit, nullptr);
  // Activation repaints the whole control.
  HWND control = label.edit->m_hWnd;
  ValidateRect(control, nullptr);
  SendMessage(control, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_FALSE(LumoUpdateNeedsErase(control));
  SendMessage(control, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_TRUE(LumoUpdateNeedsErase(control));

  // The control lies at (60, 40)-(140, 60); its button is the last 20 pixels.
  EXPECT_EQ(WindowRectOf(control), CRect(60, 40, 140, 60));
  HWND button = LumoClick(view.m_hWnd, {130, 50});
  Pump();
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(GetParent(button), control);
  EXPECT_EQ(WindowRectOf(button), CRect(120, 40, 140, 60));
  EXPECT_EQ(GetFocus(), button);
  ASSERT_NE(label.edit, nullptr) << "the editor stays open";
  Press('C', VK_CONTROL);
  EXPECT_EQ(view.acceleratorHits, 1) << "the edit takes copy keys only while it has the focus";

  label.edit->SetFocus();
  Type("w");
  view.SetFocus();
  Pump();
  EXPECT_EQ(label.edit, nullptr);
  EXPECT_STREQ(label.GetValue(), "wL") << "the text was not selected, so typing inserted";

  Press(VK_TAB);
  view.notes.clear();
  Type("r");
  control = label.edit->m_hWnd;
  view.SendMessage(WM_COMMAND, MAKEWPARAM(kLabelControlId, 4), reinterpret_cast<LPARAM>(control));
  EXPECT_FALSE(IsWindow(control));
  EXPECT_EQ(label.edit, nullptr);
  EXPECT_STREQ(label.GetValue(), "rwL");
  // The second kill-focus comes from destroying the control that had the focus.
  EXPECT_EQ(view.notes, (Notes{"killfocus", "killfocus", "destroyed"}));
}

// A view with labels A and B at the top level and C and D below A.
class PasserTest : public LabelEditTest {
 protected:
  void SetUp() override {
    LabelEditTest::SetUp();
    passer.Attach({&a, &b}, nullptr);
    passer.Attach({&c, &d}, &a);
    for (QuadLabel* label : {&a, &b, &c, &d}) {
      label->SetUserData(static_cast<DWORD>(label->GetValue()[0]));
      label->AddListener(&listener);
      label->SetEditFunctor(listener.Functor());
    }
    view.SetFocus();
    Pump();
  }

  // The value of the label whose edit control is open, or "none".
  std::string OpenName() {
    for (QuadLabel* label : labels) {
      if (label->edit != nullptr) return label->GetValue().str();
    }
    return "none";
  }

  QuadLabel a{"A", LabelAt(100, 50)};
  QuadLabel b{"B", LabelAt(100, 150)};
  QuadLabel c{"C", LabelAt(300, 50)};
  QuadLabel d{"D", LabelAt(300, 150)};
  std::vector<QuadLabel*> labels{&a, &b, &c, &d};
};

// Tab and Shift+Tab walk one level and wrap; Enter walks the level too, Ctrl+Enter goes down and
// Shift+Enter up. A leaf has no level below: Ctrl+Enter takes the child level of the first node of
// its level that has children, or stays when there is none.
TEST_F(PasserTest, KeysWalkTheTreeAndWrap) {
  QuadLabel f{"F", LabelAt(500, 100)};
  QuadLabel g{"G", LabelAt(500, 200)};
  passer.Attach({&f, &g}, &c);
  labels.insert(labels.end(), {&f, &g});
  // T Tab, t Shift+Tab, E Enter, D Ctrl+Enter (down), U Shift+Enter (up). The last step goes down
  // from leaf B after a deeper level held index 1.
  const std::string keys = "tTTtTDEDEDUEEUTUTD";
  const std::string opens = "ABABACDFGGCDCABABC";
  for (size_t i = 0; i < keys.size(); ++i) {
    const char k = keys[i];
    const int vk = k == 'T' || k == 't' ? VK_TAB : VK_RETURN;
    const int modifier = k == 't' || k == 'U' ? VK_SHIFT : k == 'D' ? VK_CONTROL : 0;
    Press(vk, modifier);
    EXPECT_EQ(OpenName(), std::string(1, opens[i])) << "step " << i;
  }
  EXPECT_EQ(listener.calls.front(), "open 65 by 2");
  // The passer takes Tab and Enter (the view still sees the modifier keys).
  for (const std::string& note : view.notes) {
    EXPECT_TRUE(note != "view key 9" && note != "view key 13");
  }
  // A key the passer takes is answered as processed.
  EXPECT_EQ(::SendMessage(view.m_hWnd, WM_KEYDOWN, VK_TAB, 0), 0);
}

// The editor is centred on the label, its font sized from the label's height: seven tenths of a
// point per pixel, plus a tenth.
TEST_F(PasserTest, EditorSitsOverTheLabelWithAFontOfItsHeight) {
  Press(VK_TAB);
  ASSERT_NE(a.edit, nullptr);
  EXPECT_EQ(WindowRectOf(a.edit->m_hWnd), CRect(60, 40, 140, 60));
  EXPECT_EQ(FontOf(a.edit).lfHeight, -PointSizeToPixels(141));
  EXPECT_STREQ(FontOf(a.edit).lfFaceName, "\xCB\xCE\xCC\xE5");
  int start = -1, end = -1;
  a.edit->GetSel(start, end);
  EXPECT_EQ(end - start, 1) << "the label's text starts selected";
  a.edit->SetTextValue("0123456789abcdefghij");
  EXPECT_GT(a.edit->GetFirstVisibleLine(), 0) << "the caret at the end is scrolled into view";
  // Copy keys reach the edit before the host's accelerators; others do not.
  LumoSetClipboardText("");
  Press('C', VK_CONTROL);
  char clip[32] = {};
  LumoGetClipboardText(clip, sizeof clip);
  EXPECT_STREQ(clip, "0123456789abcdefghij");
  Press(VK_F7, VK_CONTROL);
  EXPECT_EQ(view.acceleratorHits, 1);

  // After the view pans and zooms, ResetMsgPos moves the open control.
  flat.dx = 5;
  flat.dy = 7;
  flat.scale = 2.0;
  passer.ResetMsgPos();
  EXPECT_EQ(WindowRectOf(a.edit->m_hWnd), CRect(25, 37, 185, 77));

  QuadLabel tall{"T", CTextRect({500, 300, 0.0}, {1.0, 0.0, 0.0}, 80.0, 23.0)};
  flat = FlatTranslator();
  passer.Attach(&tall, nullptr);
  Press(VK_TAB);
  Press(VK_TAB);
  ASSERT_NE(tall.edit, nullptr);
  EXPECT_EQ(FontOf(tall.edit).lfHeight, -22);
}

// Every key that moves on, and losing the focus (the view is told where it went), closes the editor
// saving; Escape closes it without.
TEST_F(PasserTest, MovingOnAndLosingTheFocusSaveTheTypedValueAndEscapeDiscardsIt) {
  Press(VK_TAB);
  Type("xy");
  view.notes.clear();
  Press(VK_TAB, VK_SHIFT);
  EXPECT_STREQ(a.GetValue(), "xy");
  EXPECT_EQ(listener.edited, Notes{"xy"});
  EXPECT_EQ(view.notes, (Notes{"killfocus", "destroyed", "valuechanged", "created"}));

  Type("zz");
  view.notes.clear();
  Press(VK_ESCAPE);
  EXPECT_STREQ(b.GetValue(), "B");
  EXPECT_EQ(OpenName(), "none");
  EXPECT_EQ(view.notes, (Notes{"killfocus", "destroyed"}));

  view.SetFocus();
  Press(VK_TAB);
  const struct {
    int vk, modifier;
    const char* typed;
    QuadLabel* left;
  } moves[] = {{VK_TAB, 0, "2", &a},
               {VK_RETURN, VK_CONTROL, "3", &b},
               {VK_RETURN, 0, "4", &c},
               {VK_RETURN, VK_SHIFT, "5", &d}};
  for (const auto& move : moves) {
    Type(move.typed);
    Press(move.vk, move.modifier);
    EXPECT_STREQ(move.left->GetValue(), move.typed);
  }
  Type("6");
  view.SetFocus();
  Pump();
  EXPECT_EQ(OpenName(), "none");
  EXPECT_STREQ(a.GetValue(), "6");
  EXPECT_EQ(view.killFocusTarget, &view);
}

TEST_F(PasserTest, ClicksOnLabelsCloseTheEditorAndOpenOnlyWhenEnabled) {
  Press(VK_TAB);
  Type("1");
  Click(view.m_hWnd, {100, 150});
  EXPECT_EQ(OpenName(), "none");
  EXPECT_STREQ(a.GetValue(), "1");
  EXPECT_EQ(GetFocus(), view.m_hWnd);

  passer.EnableClickToEdit(static_cast<PASSER_EVENT_TRIGGER>(7));
  Click(view.m_hWnd, {300, 150});
  EXPECT_EQ(OpenName(), "D");
  EXPECT_EQ(listener.calls.back(), "open 68 by 7");
  Press(VK_TAB);
  EXPECT_EQ(OpenName(), "C") << "the tab path leads to the clicked label";

  // Pressed and released at different points: the editor stays and the view sees the release.
  LumoMouseDown(view.m_hWnd, {500, 500});
  LumoMouseUp(view.m_hWnd, {510, 500});
  Pump();
  EXPECT_EQ(OpenName(), "C");
  EXPECT_EQ(view.notes.back(), "view button up");
  EXPECT_EQ(::SendMessage(view.m_hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(100, 150)), 0);
  Click(view.m_hWnd, {500, 500});
  EXPECT_EQ(OpenName(), "none");
  EXPECT_EQ(view.notes.back(), "view button up") << "a click's release goes on to the view";
  passer.DisableClickToEdit();
  Click(view.m_hWnd, {300, 150});
  EXPECT_EQ(OpenName(), "none");
}

// Detach closes without saving and drops the subtree; other keys, and every key once nothing is
// attached, reach the view.
TEST_F(PasserTest, DetachingAndKeysTheViewKeeps) {
  Press(VK_F7);
  EXPECT_EQ(view.notes.back(), "view key 118");
  Press(VK_TAB);
  Type("gone");
  passer.Detach(&a);
  EXPECT_EQ(OpenName(), "none");
  EXPECT_STREQ(a.GetValue(), "A");
  EXPECT_TRUE(a.GetPasser().empty());
  EXPECT_FALSE(c.GetPasser().empty()) << "objects below keep the passer in their sets";
  view.SetFocus();
  Press(VK_TAB);
  Press(VK_TAB);
  EXPECT_EQ(OpenName(), "B");
  Type("z");
  passer.DetachAll();
  EXPECT_EQ(OpenName(), "none");
  EXPECT_STREQ(b.GetValue(), "B");
  EXPECT_TRUE(b.GetPasser().empty());
  view.SetFocus();
  Press(VK_TAB);
  EXPECT_EQ(view.notes.back(), "view key 9");
  EXPECT_EQ(OpenName(), "none");
}

// A view is hooked by one passer at a time, and unhooked when the passer listens to another, which
// has the open editor saved. A passer going away also closes its editor with saving.
TEST_F(PasserTest, EachViewIsHookedByOnePasser) {
  HostView next;
  ASSERT_TRUE(next.Create());
  QuadLabel other{"X", LabelAt(100, 50)};
  CMsgPasser second;
  second.SetTranslator(&flat);
  second.Attach(&other, nullptr);
  second.Listen(view.m_hWnd, view.m_hWnd);
  view.SetFocus();
  Press(VK_TAB);
  EXPECT_EQ(OpenName(), "A");
  EXPECT_EQ(other.edit, nullptr);

  Type("kept");
  passer.Listen(next.m_hWnd, next.m_hWnd);
  EXPECT_STREQ(a.GetValue(), "kept");
  EXPECT_EQ(OpenName(), "none");
  view.SetFocus();
  Press(VK_TAB);
  EXPECT_EQ(OpenName(), "none");
  EXPECT_EQ(view.notes.back(), "view key 9");
  next.SetFocus();
  Press(VK_TAB);
  EXPECT_EQ(OpenName(), "B");
  next.DestroyWindow();
  Pump();

  auto passer2 = std::make_unique<CMsgPasser>();
  passer2->SetTranslator(&flat);
  passer2->Attach(&d, nullptr);
  passer2->Listen(nullptr, view.m_hWnd);
  passer2->KeyDown(VK_TAB, 1, 0);
  ASSERT_NE(d.edit, nullptr);
  EXPECT_EQ(passer2->LeftButtonDown(0, CPoint(300, 150)), 0) << "it hooks no window";
  d.edit->SetTextValue("saved");
  passer2.reset();
  EXPECT_STREQ(d.GetValue(), "saved");
  EXPECT_EQ(d.GetPasser().size(), 1u);
}

// Labels in a rotated 3D view: placed through their world quads, hit by pick lines.
TEST_F(LabelEditTest, TiltedLabelsGetUprightControlsAndArePickedByLines) {
  flat.rotate = true;
  const double s = 1.0 / std::sqrt(2.0);
  QuadLabel tilted{"T", LabelAt(200, 200, s, s)};
  QuadLabel plain{"P", LabelAt(400, 100)};
  passer.Attach({&tilted, &plain}, nullptr);
  passer.EnableClickToEdit(PET_TAB);
  view.SetFocus();

  Click(view.m_hWnd, {200, 200});
  ASSERT_NE(tilted.edit, nullptr);
  const CRect r = WindowRectOf(tilted.edit->m_hWnd);
  EXPECT_NEAR(r.Width(), 80, 1);
  EXPECT_NEAR(r.Height(), 20, 1);
  EXPECT_NEAR(r.CenterPoint().x, 200, 1);
  EXPECT_NEAR(r.CenterPoint().y, 200, 1);

  Click(view.m_hWnd, {430, 95});
  EXPECT_EQ(tilted.edit, nullptr);
  EXPECT_NE(plain.edit, nullptr);
}

}  // namespace
}  // namespace labeledit_test
