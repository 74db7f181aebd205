#include "support/scratch_dir.h"

#include <filesystem>
#include <random>
#include <system_error>

namespace lumo_test {

ScratchDir::ScratchDir() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto candidate = base / ("lumo-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate.string();
      return;
    }
  }
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::File(const std::string& name) const {
  return (std::filesystem::path(path_) / name).string();
}

}  // namespace lumo_test
