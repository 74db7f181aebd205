// The subcommands of the lumo program. Each Add* registers its subcommand on the application;
// the subcommand's callback raises CommandFailure for bad input.
#ifndef LUMOTOOLS_TOOLS_LUMO_COMMANDS_H_
#define LUMOTOOLS_TOOLS_LUMO_COMMANDS_H_

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "command_failure.h"
#include "lumotools/geometry/polygon_clipper.h"

namespace lumo_cli {

void AddDemoCommand(CLI::App& app);
void AddBagCommand(CLI::App& app);
void AddCalcCommand(CLI::App& app);
void AddClipCommand(CLI::App& app);
void AddDumpCommand(CLI::App& app);
void AddFilesCommand(CLI::App& app);
void AddColorsCommand(CLI::App& app);

// Reads a whole file; raises CommandFailure naming the file when it cannot.
std::vector<unsigned char> ReadWholeFile(const std::string& path);
// Writes bytes as the whole content of a file; raises CommandFailure when it cannot.
void WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes);
// Draws a and b outlined and result filled (holes open) into an SVG file; raises CommandFailure
// when the file cannot be written.
void WriteClipSvg(const std::string& path, const gpc_polygon& a, const gpc_polygon& b,
                  const gpc_polygon& result);

// "01 02 FF".
std::string HexBytes(const std::vector<unsigned char>& bytes);

}  // namespace lumo_cli

#endif  // LUMOTOOLS_TOOLS_LUMO_COMMANDS_H_
