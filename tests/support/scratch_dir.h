// A temporary directory for one test, removed with everything in it when the object goes away.
#ifndef LUMOTOOLS_TESTS_SUPPORT_SCRATCH_DIR_H_
#define LUMOTOOLS_TESTS_SUPPORT_SCRATCH_DIR_H_

#include <string>

namespace lumo_test {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // path() joined with name.
  std::string File(const std::string& name) const;
  // Writes content as the file name (a relative path; missing directories are made) and returns
  // its full path.
  std::string WriteFile(const std::string& name, const std::string& content) const;

 private:
  std::string path_;
};

}  // namespace lumo_test

#endif  // LUMOTOOLS_TESTS_SUPPORT_SCRATCH_DIR_H_
