// The subcommands of the lumo program. Each Add* registers its subcommand on the application;
// the subcommand's callback raises CommandFailure for bad input.
#ifndef LUMOTOOLS_TOOLS_LUMO_COMMANDS_H_
#define LUMOTOOLS_TOOLS_LUMO_COMMANDS_H_

#include <stdexcept>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace lumo_cli {

// Bad input: reported as one line on standard error, exit status 1.
class CommandFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

void AddDemoCommand(CLI::App& app);
void AddBagCommand(CLI::App& app);
void AddCalcCommand(CLI::App& app);
void AddColorsCommand(CLI::App& app);

// Reads a whole file; raises CommandFailure naming the file when it cannot.
std::vector<unsigned char> ReadWholeFile(const std::string& path);
// Writes bytes as the whole content of a file; raises CommandFailure when it cannot.
void WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes);
// "01 02 FF".
std::string HexBytes(const std::vector<unsigned char>& bytes);

}  // namespace lumo_cli

#endif  // LUMOTOOLS_TOOLS_LUMO_COMMANDS_H_
