#include "lumotools/platform/message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/message_box_recorder.h"

namespace {

TEST(MessageBox, DefaultBoxWritesToStandardErrorUntilAHandlerTakesOver) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(AfxMessageBox("未知万能属性"), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "未知万能属性\n");
  {
    lumo_test::MessageBoxRecorder recorder;
    AfxMessageBox("one");
    AfxMessageBox("two", MB_OK | MB_ICONWARNING);
    EXPECT_EQ(recorder.texts(), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(recorder.styles(), (std::vector<UINT>{MB_OK, MB_OK | MB_ICONWARNING}));
    auto previous = AfxSetMessageBoxHandler([](const CString&, UINT, UINT) { return IDCANCEL; });
    EXPECT_EQ(AfxMessageBox("question", MB_OKCANCEL), IDCANCEL);
    AfxSetMessageBoxHandler(previous);
  }
  testing::internal::CaptureStderr();
  AfxMessageBox("after");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "after\n");
}

}  // namespace
