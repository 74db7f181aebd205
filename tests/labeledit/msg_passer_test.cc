#include "lumotools/labeledit/msg_passer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "label_edit_fixture.h"

namespace labeledit_test {
namespace {

using QuadLabel = Label<CQuadEdit>;

// A view with labels A and B at the top level and C and D below A, in a 2D or 3D view.
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

  // The label whose edit control is open, or null.
  QuadLabel* Open() {
    for (QuadLabel* label : {&a, &b, &c, &d}) {
      if (label->edit != nullptr) return label;
    }
    return nullptr;
  }
  std::string OpenName() {
    QuadLabel* open = Open();
    return open == nullptr ? "none" : open->GetValue().str();
  }

  QuadLabel a{"A", LabelAt(100, 50)};
  QuadLabel b{"B", LabelAt(100, 150)};
  QuadLabel c{"C", LabelAt(300, 50)};
  QuadLabel d{"D", LabelAt(300, 150)};
};

// Tab and Shift+Tab walk one level and wrap; Enter walks the level too, Ctrl+Enter goes down and
// Shift+Enter up. A leaf has no level below: Ctrl+Enter takes the child level of the first node of
// its level that has children.
TEST_F(PasserTest, KeysWalkTheTreeAndWrap) {
  const struct {
    int vk, modifier;
    const char* opens;
  } steps[] = {{VK_TAB, 0, "A"},
               {VK_TAB, 0, "B"},
               {VK_TAB, 0, "A"},
               {VK_TAB, VK_SHIFT, "B"},
               {VK_TAB, 0, "A"},
               {VK_RETURN, VK_CONTROL, "C"},
               {VK_RETURN, 0, "D"},
               {VK_RETURN, 0, "C"},
               {VK_RETURN, VK_CONTROL, "C"},
               {VK_RETURN, VK_SHIFT, "A"},
               {VK_TAB, 0, "B"},
               {VK_RETURN, VK_SHIFT, "A"},
               {VK_TAB, 0, "B"},
               {VK_RETURN, VK_CONTROL, "C"}};
  for (const auto& step : steps) {
    Press(step.vk, step.modifier);
    EXPECT_EQ(OpenName(), step.opens) << step.vk << " " << step.modifier;
  }
  EXPECT_EQ(listener.calls.front(), "open 65 by 2");
  for (const std::string& note : view.notes) EXPECT_EQ(note.find("view key"), std::string::npos);
  // A key the passer takes is answered as processed.
  EXPECT_EQ(::SendMessage(view.m_hWnd, WM_KEYDOWN, VK_TAB, 0), 0);
}

TEST_F(PasserTest, EditorSitsOverTheLabelWithAFontOfItsHeight) {
  Press(VK_TAB);
  ASSERT_NE(a.edit, nullptr);
  EXPECT_EQ(WindowRectOf(a.edit->m_hWnd), CRect(60, 40, 140, 60));
  LOGFONT lf{};
  ASSERT_NE(GetObject(a.edit->GetFontHandle(), sizeof lf, &lf), 0);
  EXPECT_EQ(lf.lfHeight, -PointSizeToPixels(141));
  EXPECT_STREQ(lf.lfFaceName, "\xCB\xCE\xCC\xE5");
  int start = -1;
  int end = -1;
  a.edit->GetSel(start, end);
  EXPECT_EQ(end - start, 1) << "the label's text starts selected";
  a.edit->SetTextValue("0123456789abcdefghij");
  EXPECT_GT(a.edit->GetFirstVisibleLine(), 0) << "the caret at the end is scrolled into view";

  // After the view zooms, ResetMsgPos moves the open control.
  struct Shifted : FlatTranslator {
    Shifted() : FlatTranslator(false) {}
    CPoint WorldToWindow(const shapekit::point3d<double>& pt) const override {
      return CPoint(static_cast<int>(pt.x) + 5, static_cast<int>(pt.y) + 7);
    }
    double GetTranslateScale(const shapekit::point3d<double>&) const override { return 2.0; }
  } shifted;
  passer.SetTranslator(&shifted);
  passer.ResetMsgPos();
  EXPECT_EQ(WindowRectOf(a.edit->m_hWnd), CRect(25, 37, 185, 77));
}

// The font's size in points is seven tenths of the control's height in pixels, plus a tenth.
TEST_F(PasserTest, FontSizeFollowsTheLabelsHeight) {
  QuadLabel tall{"T", CTextRect({500, 300, 0.0}, {1.0, 0.0, 0.0}, 80.0, 23.0)};
  passer.Attach(&tall, nullptr);
  for (int i = 0; i < 3; ++i) Press(VK_TAB);
  ASSERT_NE(tall.edit, nullptr);
  LOGFONT lf{};
  ASSERT_NE(GetObject(tall.edit->GetFontHandle(), sizeof lf, &lf), 0);
  EXPECT_EQ(lf.lfHeight, -22);
}

TEST_F(PasserTest, TabSavesTheTypedValueAndEscapeDiscardsIt) {
  Press(VK_TAB);
  Type("xy");
  view.notes.clear();
  Press(VK_TAB);
  EXPECT_STREQ(a.GetValue(), "xy");
  EXPECT_EQ(listener.edited, std::vector<std::string>{"xy"});
  EXPECT_EQ(listener.calls.back(), "open 66 by 2");
  EXPECT_NE(std::find(listener.calls.begin(), listener.calls.end(), "changed 65"),
            listener.calls.end());
  const std::vector<std::string> closeThenOpen = {"killfocus", "destroyed", "valuechanged",
                                                  "created"};
  EXPECT_EQ(view.notes, closeThenOpen);

  Type("zz");
  view.notes.clear();
  Press(VK_ESCAPE);
  EXPECT_STREQ(b.GetValue(), "B");
  EXPECT_EQ(OpenName(), "none");
  EXPECT_EQ(view.notes, (std::vector<std::string>{"killfocus", "destroyed"}));
  EXPECT_EQ(listener.edited.size(), 1u);
}

TEST_F(PasserTest, LosingTheFocusClosesWithSaving) {
  Press(VK_TAB);
  Type("q");
  view.SetFocus();
  Pump();
  EXPECT_EQ(OpenName(), "none");
  EXPECT_STREQ(a.GetValue(), "q");
  EXPECT_EQ(view.killFocusTarget, &view);
}

TEST_F(PasserTest, ClicksOnLabelsCloseTheEditorAndOpenOnlyWhenEnabled) {
  Press(VK_TAB);
  Type("1");
  LumoClick(view.m_hWnd, {100, 150});
  Pump();
  EXPECT_EQ(OpenName(), "none");
  EXPECT_STREQ(a.GetValue(), "1");
  EXPECT_EQ(GetFocus(), view.m_hWnd);

  passer.EnableClickToEdit(static_cast<PASSER_EVENT_TRIGGER>(7));
  LumoClick(view.m_hWnd, {300, 150});
  Pump();
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
  LumoClick(view.m_hWnd, {500, 500});
  Pump();
  EXPECT_EQ(OpenName(), "none");
  EXPECT_EQ(view.notes.back(), "view button up") << "a click's release goes on to the view";
}

TEST_F(PasserTest, CopyKeysReachTheEditBeforeTheHostsAccelerators) {
  Press(VK_TAB);
  LumoSetClipboardText("");
  Press('C', VK_CONTROL);
  char clip[8] = {};
  LumoGetClipboardText(clip, sizeof clip);
  EXPECT_STREQ(clip, "A");
  EXPECT_EQ(view.acceleratorHits, 0);
  Press(VK_F7, VK_CONTROL);
  EXPECT_EQ(view.acceleratorHits, 1);
}

// Going down from leaf B leads to the first child of A, whatever index a deeper level had before.
TEST_F(PasserTest, GoingDownFromALeafStartsAtTheFirstChild) {
  QuadLabel f{"F", LabelAt(500, 100)};
  QuadLabel g{"G", LabelAt(500, 200)};
  passer.Attach({&f, &g}, &c);
  const struct {
    int vk, modifier;
  } steps[] = {{VK_TAB, 0},    {VK_RETURN, VK_CONTROL}, {VK_RETURN, VK_CONTROL},
               {VK_RETURN, 0}, {VK_RETURN, VK_SHIFT},   {VK_RETURN, VK_SHIFT},
               {VK_TAB, 0},    {VK_RETURN, VK_CONTROL}};
  for (const auto& step : steps) Press(step.vk, step.modifier);
  EXPECT_EQ(OpenName(), "C");
}

TEST_F(PasserTest, OtherKeysAndKeysWithoutObjectsReachTheView) {
  Press(VK_F7);
  EXPECT_EQ(view.notes.back(), "view key 118");
  passer.DetachAll();
  EXPECT_TRUE(a.GetPasser().empty());
  Press(VK_TAB);
  EXPECT_EQ(view.notes.back(), "view key 9");
  EXPECT_EQ(OpenName(), "none");
}

TEST_F(PasserTest, DetachClosesWithoutSavingAndDropsTheSubtree) {
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
}

// A view is hooked by one passer at a time, and unhooked when the passer listens to another, which
// has the open editor saved.
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
  EXPECT_NE(Open(), nullptr);
  next.DestroyWindow();
  Pump();
}

TEST_F(PasserTest, APasserGoingAwayClosesItsEditorWithSaving) {
  auto passer2 = std::make_unique<CMsgPasser>();
  passer2->SetTranslator(&flat);
  passer2->Attach(&d, nullptr);
  passer2->Listen(nullptr, view.m_hWnd);
  passer2->KeyDown(VK_TAB, 1, 0);
  ASSERT_NE(d.edit, nullptr);
  d.edit->SetTextValue("saved");
  passer2.reset();
  EXPECT_STREQ(d.GetValue(), "saved");
  EXPECT_EQ(d.GetPasser().size(), 1u);
}

// Labels in a rotated 3D view: placed through their world quads, hit by pick lines.
TEST(PasserIn3D, TiltedLabelsGetUprightControlsAndArePickedByLines) {
  HostView view;
  ASSERT_TRUE(view.Create());
  FlatTranslator rotated{true};
  const double s = 1.0 / std::sqrt(2.0);
  QuadLabel tilted{"T", LabelAt(200, 200, s, s)};
  QuadLabel plain{"P", LabelAt(400, 100)};
  CMsgPasser passer;
  passer.SetTranslator(&rotated);
  passer.Attach({&tilted, &plain}, nullptr);
  passer.Listen(view.m_hWnd, view.m_hWnd);
  passer.EnableClickToEdit(PET_TAB);
  view.SetFocus();

  LumoClick(view.m_hWnd, {200, 200});
  Pump();
  ASSERT_NE(tilted.edit, nullptr);
  const CRect r = WindowRectOf(tilted.edit->m_hWnd);
  EXPECT_NEAR(r.Width(), 80, 1);
  EXPECT_NEAR(r.Height(), 20, 1);
  EXPECT_NEAR(r.CenterPoint().x, 200, 1);
  EXPECT_NEAR(r.CenterPoint().y, 200, 1);

  LumoClick(view.m_hWnd, {430, 95});
  Pump();
  EXPECT_EQ(tilted.edit, nullptr);
  EXPECT_NE(plain.edit, nullptr);
  view.DestroyWindow();
  Pump();
}

}  // namespace
}  // namespace labeledit_test
