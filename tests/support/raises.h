// Running an action that may raise a framework exception, thrown by pointer as the framework
// throws: whether it raised one of a class, or the cause it gave. The exception is deleted; any
// other exception passes through.
#ifndef LUMOTOOLS_TESTS_SUPPORT_RAISES_H_
#define LUMOTOOLS_TESTS_SUPPORT_RAISES_H_

#include <functional>

namespace lumo_test {

// The cause of the E (CArchiveException, CFileException) that action raises, or -1 when it raises
// none.
template <class E>
int ErrorCause(const std::function<void()>& action) {
  try {
    action();
  } catch (E* e) {
    const int cause = e->m_cause;
    e->Delete();
    return cause;
  }
  return -1;
}

// Whether action raised an E.
template <class E, class Action>
bool Raises(Action&& action) {
  try {
    action();
  } catch (E* e) {
    e->Delete();
    return true;
  }
  return false;
}

}  // namespace lumo_test

#endif  // LUMOTOOLS_TESTS_SUPPORT_RAISES_H_
