// Fails a test program that something ends with exit() while a test runs, as the polygon clipper
// does with status 0 when an allocation fails: a test cut short that way must not pass. The child
// of a death test exits as it pleases.
#ifndef LUMOTOOLS_TESTS_SUPPORT_EXIT_GUARD_H_
#define LUMOTOOLS_TESTS_SUPPORT_EXIT_GUARD_H_

#include <gtest/gtest.h>

#include <cstdlib>

namespace lumo_test {

inline bool inTest = false;

struct ExitDuringATestFails : testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { inTest = true; }
  void OnTestEnd(const testing::TestInfo&) override { inTest = false; }
};

inline void FailIfInATest() {
  if (inTest && !testing::internal::InDeathTestChild()) std::_Exit(1);
}

inline const bool kExitDuringATestFails =
    (std::atexit(FailIfInATest),
     testing::UnitTest::GetInstance()->listeners().Append(new ExitDuringATestFails), true);

}  // namespace lumo_test

#endif  // LUMOTOOLS_TESTS_SUPPORT_EXIT_GUARD_H_
