#include "lumotools/labeledit/msg_object.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "label_edit_fixture.h"

namespace labeledit_test {
namespace {

// An object whose control is a plain flag, with scripted answers.
class ScriptedObject : public CMsgObject {
 public:
  int updateAnswer = 1;
  int destroyAnswer = 1;
  int updates = 0;
  bool controlOpen = false;

  void PlaceControl(const CQuad&) override {}
  int CreateControl() override {
    controlOpen = true;
    return 1;
  }
  int UpdateCtrlValue(int) override {
    ++updates;
    return updateAnswer;
  }
  int DestroyControl() override {
    controlOpen = false;
    return destroyAnswer;
  }
};

class MsgObjectTest : public LabelEditTest {
 protected:
  void SetUp() override {
    LabelEditTest::SetUp();
    object.AddListener(&listener);
    object.SetUserData(9);
  }

  ScriptedObject object;
};

// Opening needs a parent window. Closing saves only when asked and reports a change only with an
// edit functor; the destroyed message only follows a control that was destroyed.
TEST_F(MsgObjectTest, ClosingReadsTheControlOnlyWhenSavingAndReportsOnlyWithAFunctor) {
  CMsgPasser unhooked;
  EXPECT_EQ(object.Create(&unhooked), 0) << "no parent window";
  EXPECT_FALSE(object.controlOpen);
  ASSERT_EQ(object.Create(&passer), 1);
  EXPECT_EQ(object.GetParentWnd(), &view);
  object.Destroy(1);
  EXPECT_EQ(object.updates, 1);
  EXPECT_TRUE(listener.calls.empty());
  EXPECT_EQ(view.notes, (std::vector<std::string>{"created", "destroyed"}));

  object.SetEditFunctor(listener.Functor());
  object.Create(&passer);
  object.Destroy(0);
  EXPECT_EQ(object.updates, 1);
  EXPECT_TRUE(listener.edited.empty());

  view.notes.clear();
  object.destroyAnswer = 0;
  object.SetValue("v");
  object.Create(&passer);
  object.Destroy(1);
  EXPECT_EQ(view.notes, (std::vector<std::string>{"created", "valuechanged"}));
  EXPECT_EQ(listener.edited, std::vector<std::string>{"v"});
  EXPECT_EQ(listener.calls, std::vector<std::string>{"changed 9"});
  EXPECT_EQ(object.GetParentWnd(), nullptr) << "a report forgets the parent window";
}

// An object that keeps every default operation.
struct BareObject : CMsgObject {
  void PlaceControl(const CQuad&) override {}
};

TEST_F(MsgObjectTest, DefaultOperationsOpenNothingAndReportNothing) {
  BareObject bare;
  bare.SetEditFunctor(listener.Functor());
  EXPECT_EQ(bare.Create(&passer), 0);
  EXPECT_EQ(bare.GetControlHandle(), nullptr);
  bare.Destroy(1);
  EXPECT_TRUE(view.notes.empty());
  EXPECT_TRUE(listener.edited.empty());
}

TEST_F(MsgObjectTest, DestroyingAnObjectDetachesItFromEveryPasser) {
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
}

TEST_F(MsgObjectTest, AnObjectDroppedWithItsParentMayOutliveThePasser) {
  auto child = std::make_unique<ScriptedObject>();
  {
    CMsgPasser shortLived;
    shortLived.Attach(&object, nullptr);
    shortLived.Attach(child.get(), &object);
    shortLived.Detach(&object);
    EXPECT_EQ(child->GetPasser().size(), 1u);
  }
  child.reset();  // must not reach the passer that is gone
  SUCCEED();
}

}  // namespace
}  // namespace labeledit_test
