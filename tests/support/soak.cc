#include "support/soak.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace lumo_test {

double SoakSeconds() {
  const char* text = std::getenv("LUMO_SOAK_SECONDS");
  if (text == nullptr) return 0.0;
  const double seconds = std::atof(text);
  return seconds > 0.0 ? seconds : 0.0;
}

int RunStressRounds(unsigned fixedSeed, const std::function<void(unsigned seed)>& round) {
  const double seconds = SoakSeconds();
  if (seconds == 0.0) {
    round(fixedSeed);
    return 1;
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  std::random_device entropy;
  int rounds = 0;
  do {
    const unsigned seed = entropy();
    std::printf("soak round %d, seed %u\n", rounds + 1, seed);
    round(seed);
    ++rounds;
  } while (!::testing::Test::HasFailure() && std::chrono::steady_clock::now() < end);
  std::printf("soak: %d rounds in %.0f s\n", rounds, seconds);
  return rounds;
}

}  // namespace lumo_test
