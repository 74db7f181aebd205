// Runs the built lumo program the way a shell does and captures what it says.
#ifndef LUMOTOOLS_TESTS_LUMO_LUMO_RUNNER_H_
#define LUMOTOOLS_TESTS_LUMO_LUMO_RUNNER_H_

#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace lumo_test {

struct LumoRun {
  int status = -1;  // the exit status; -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs lumo with the arguments (each quoted for the shell), standard input from stdinText, in the
// scratch directory.
LumoRun RunLumo(const ScratchDir& dir, const std::vector<std::string>& args,
                const std::string& stdinText = "");

// Runs a shell command line in the scratch directory, with lumo's directory first on PATH.
LumoRun RunShell(const ScratchDir& dir, const std::string& commandLine);

// The number of lines of text.
int LineCount(const std::string& text);

}  // namespace lumo_test

#endif  // LUMOTOOLS_TESTS_LUMO_LUMO_RUNNER_H_
