// Records the texts of the message boxes shown while it lives, instead of showing them.
#ifndef LUMOTOOLS_TESTS_SUPPORT_MESSAGE_BOX_RECORDER_H_
#define LUMOTOOLS_TESTS_SUPPORT_MESSAGE_BOX_RECORDER_H_

#include <mutex>
#include <string>
#include <vector>

#include "lumotools/platform/message_box.h"

namespace lumo_test {

class MessageBoxRecorder {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  // The texts shown so far, oldest first.
  std::vector<std::string> texts() const;
  // The styles (MB_*) and help context ids of the boxes shown so far.
  std::vector<UINT> styles() const;
  std::vector<UINT> helpIds() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> texts_;
  std::vector<UINT> styles_;
  std::vector<UINT> helpIds_;
  AfxMessageBoxHandler previous_;
};

}  // namespace lumo_test

#endif  // LUMOTOOLS_TESTS_SUPPORT_MESSAGE_BOX_RECORDER_H_
