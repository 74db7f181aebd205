#include "lumo/lumo_runner.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace lumo_test {
namespace {

std::string ShellQuoted(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs command in dir with standard input from stdinText, capturing what it prints.
LumoRun RunInDir(const ScratchDir& dir, const std::string& command, const std::string& stdinText) {
  std::ofstream(dir.File(".stdin"), std::ios::binary) << stdinText;
  const std::string full =
      "cd " + ShellQuoted(dir.path()) + " && (" + command + ") <.stdin >.stdout 2>.stderr";
  const int raw = std::system(full.c_str());
  LumoRun run;
  run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = Slurp(dir.File(".stdout"));
  run.err = Slurp(dir.File(".stderr"));
  return run;
}

}  // namespace

LumoRun RunLumo(const ScratchDir& dir, const std::vector<std::string>& args,
                const std::string& stdinText) {
  std::string command = ShellQuoted(LUMO_PROGRAM);
  for (const std::string& arg : args) command += " " + ShellQuoted(arg);
  return RunInDir(dir, command, stdinText);
}

LumoRun RunShell(const ScratchDir& dir, const std::string& commandLine) {
  const std::string program = LUMO_PROGRAM;
  const std::string programDir = program.substr(0, program.rfind('/'));
  return RunInDir(
      dir, "PATH=" + ShellQuoted(programDir) + ":\"$PATH\" sh -c " + ShellQuoted(commandLine), "");
}

int LineCount(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace lumo_test
