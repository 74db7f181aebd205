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

}  // namespace

LumoRun RunLumo(const ScratchDir& dir, const std::vector<std::string>& args,
                const std::string& stdinText) {
  std::ofstream(dir.File(".stdin"), std::ios::binary) << stdinText;
  std::string command = "cd " + ShellQuoted(dir.path()) + " && " + ShellQuoted(LUMO_PROGRAM);
  for (const std::string& arg : args) command += " " + ShellQuoted(arg);
  command += " <.stdin >.stdout 2>.stderr";
  const int raw = std::system(command.c_str());
  LumoRun run;
  run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = Slurp(dir.File(".stdout"));
  run.err = Slurp(dir.File(".stderr"));
  return run;
}

int LineCount(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace lumo_test
