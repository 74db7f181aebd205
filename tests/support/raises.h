// Raises<E>(action): runs action and tells whether it raised the framework exception E, thrown by
// pointer as the framework throws; the exception is deleted. Any other exception passes through.
#ifndef LUMOTOOLS_TESTS_SUPPORT_RAISES_H_
#define LUMOTOOLS_TESTS_SUPPORT_RAISES_H_

namespace lumo_test {

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
