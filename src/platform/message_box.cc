#include "lumotools/platform/message_box.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace {

int ShowOnStandardError(const CString& text, UINT, UINT) {
  std::fprintf(stderr, "%s\n", text.GetString());
  std::fflush(stderr);
  return IDOK;
}

struct HandlerSlot {
  std::mutex mutex;
  AfxMessageBoxHandler handler = ShowOnStandardError;
};

HandlerSlot& Slot() {
  static HandlerSlot slot;
  return slot;
}

}  // namespace

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT nIDHelp) {
  AfxMessageBoxHandler handler;
  {
    std::lock_guard<std::mutex> lock(Slot().mutex);
    handler = Slot().handler;
  }
  return handler(CString(lpszText), nType, nIDHelp);
}

AfxMessageBoxHandler AfxSetMessageBoxHandler(AfxMessageBoxHandler handler) {
  if (!handler) handler = ShowOnStandardError;
  std::lock_guard<std::mutex> lock(Slot().mutex);
  std::swap(Slot().handler, handler);
  return handler;
}
