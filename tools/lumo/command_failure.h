// How a lumo subcommand reports that it did not complete: bad input (exit status 1, one line on
// standard error) or an interruption by the user (exit status 130).
#ifndef LUMOTOOLS_TOOLS_LUMO_COMMAND_FAILURE_H_
#define LUMOTOOLS_TOOLS_LUMO_COMMAND_FAILURE_H_

#include <stdexcept>

namespace lumo_cli {

// Bad input: reported as one line on standard error, exit status 1.
class CommandFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Stopped by the user (Ctrl-C) after printing what was done: exit status 130.
class CommandInterrupted : public std::runtime_error {
 public:
  CommandInterrupted() : std::runtime_error("interrupted") {}
};

}  // namespace lumo_cli

#endif  // LUMOTOOLS_TOOLS_LUMO_COMMAND_FAILURE_H_
