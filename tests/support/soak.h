// Soak runs of the stress tests. Normally a stress test runs one round with a fixed seed; with
// LUMO_SOAK_SECONDS set (make soak) it runs rounds with random seeds until that many seconds have
// passed, printing each seed so that a failing schedule can be replayed.
#ifndef LUMOTOOLS_TESTS_SUPPORT_SOAK_H_
#define LUMOTOOLS_TESTS_SUPPORT_SOAK_H_

#include <functional>

namespace lumo_test {

// The soak duration in seconds; 0 when LUMO_SOAK_SECONDS is unset or not a positive number.
double SoakSeconds();

// Runs round(fixedSeed) once, or under a soak rounds with random seeds until the time is up (at
// least one). Stops early when a round records a test failure. Returns the rounds run.
int RunStressRounds(unsigned fixedSeed, const std::function<void(unsigned seed)>& round);

}  // namespace lumo_test

#endif  // LUMOTOOLS_TESTS_SUPPORT_SOAK_H_
