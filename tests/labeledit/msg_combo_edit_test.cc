#include "lumotools/labeledit/msg_combo_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "label_edit_fixture.h"

namespace labeledit_test {
namespace {

using ComboLabel = Label<CMsgComboEdit>;

class ComboEditTest : public LabelEditTest {
 protected:
  void SetUp() override {
    LabelEditTest::SetUp();
    passer.Attach(&label, nullptr);
    view.SetFocus();
    Press(VK_TAB);
    ASSERT_NE(label.edit, nullptr);
  }

  ComboLabel label{"L", LabelAt(100, 50)};
};

TEST_F(ComboEditTest, PressingItsButtonKeepsTheEditorOpenAndLeavingItSaves) {
  // The control lies at (60, 40)-(140, 60); its button is the last 20 pixels.
  EXPECT_EQ(WindowRectOf(label.edit->m_hWnd), CRect(60, 40, 140, 60));
  HWND button = LumoClick(view.m_hWnd, {130, 50});
  Pump();
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(GetParent(button), label.edit->m_hWnd);
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
}

TEST_F(ComboEditTest, ReflectedCloseNotificationClosesAndDestroysTheControl) {
  Type("r");
  HWND control = label.edit->m_hWnd;
  view.SendMessage(WM_COMMAND, MAKEWPARAM(kLabelControlId, 4), reinterpret_cast<LPARAM>(control));
  EXPECT_FALSE(IsWindow(control));
  EXPECT_EQ(label.edit, nullptr);
  EXPECT_STREQ(label.GetValue(), "rL");
  // The second kill-focus comes from destroying the control that had the focus.
  EXPECT_EQ(view.notes,
            (std::vector<std::string>{"created", "killfocus", "killfocus", "destroyed"}));
}

TEST_F(ComboEditTest, ActivationRepaintsTheWholeControl) {
  HWND control = label.edit->m_hWnd;
  ValidateRect(control, nullptr);
  SendMessage(control, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_FALSE(LumoUpdateNeedsErase(control));
  SendMessage(control, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_TRUE(LumoUpdateNeedsErase(control));
}

}  // namespace
}  // namespace labeledit_test
