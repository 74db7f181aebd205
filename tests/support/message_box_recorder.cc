#include "support/message_box_recorder.h"

namespace lumo_test {

MessageBoxRecorder::MessageBoxRecorder() {
  previous_ = AfxSetMessageBoxHandler([this](const CString& text, UINT nType, UINT nIDHelp) {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_.push_back(text.str());
    styles_.push_back(nType);
    helpIds_.push_back(nIDHelp);
    return IDOK;
  });
}

MessageBoxRecorder::~MessageBoxRecorder() { AfxSetMessageBoxHandler(previous_); }

std::vector<std::string> MessageBoxRecorder::texts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return texts_;
}

std::vector<UINT> MessageBoxRecorder::styles() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return styles_;
}

std::vector<UINT> MessageBoxRecorder::helpIds() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return helpIds_;
}

}  // namespace lumo_test
