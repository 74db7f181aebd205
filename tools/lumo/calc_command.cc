// lumo calc NAME [ARG...]   calls a function of the formula function table with up to five text
//                           arguments (missing ones empty) and prints its text result
#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "commands.h"
#include "json_output.h"
#include "lumotools/formula.h"
#include "lumotools/platform.h"

namespace lumo_cli {
namespace {

constexpr size_t kMaxArguments = 5;
// Names within this many single-character edits (letter case ignored) count as close.
constexpr size_t kMaxCloseDistance = 2;
// A shared prefix of at least this length also makes a name close.
constexpr size_t kMinClosePrefix = 3;

struct CalcOptions {
  std::string name;
  std::vector<std::string> arguments;
  bool json = false;
};

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

size_t CommonPrefix(const std::string& a, const std::string& b) {
  const auto mismatch =
      std::mismatch(a.begin(), a.begin() + std::min(a.size(), b.size()), b.begin());
  return static_cast<size_t>(mismatch.first - a.begin());
}

// The registered names close to name (letter case ignored), closest first.
std::vector<std::string> CloseNames(const CExFunTable& table, const std::string& name) {
  const std::string wanted = Lower(name);
  std::vector<std::pair<size_t, std::string>> close;
  for (const auto& entry : table.GetFunctorMap()) {
    const std::string candidate = Lower(entry.first);
    const size_t distance = EditDistance(wanted, candidate);
    const size_t prefix = CommonPrefix(wanted, candidate);
    if (distance <= kMaxCloseDistance ||
        prefix >= std::min({kMinClosePrefix, wanted.size(), candidate.size()})) {
      close.emplace_back(distance, entry.first);
    }
  }
  std::stable_sort(close.begin(), close.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> names;
  for (const auto& entry : close) names.push_back(entry.second);
  return names;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) {
    if (!joined.empty()) joined += ", ";
    joined += name;
  }
  return joined;
}

void RunCalc(const CalcOptions& options) {
  if (options.arguments.size() > kMaxArguments) {
    throw CommandFailure("a function takes at most 5 arguments, " +
                         std::to_string(options.arguments.size()) + " given");
  }
  CExFunTable table;
  if (table.GetFunctor(options.name) == nullptr) {
    const std::vector<std::string> close = CloseNames(table, options.name);
    if (!close.empty()) {
      throw CommandFailure("unknown function '" + options.name + "'; did you mean " +
                           JoinNames(close) + "?");
    }
    std::vector<std::string> all;
    for (const auto& entry : table.GetFunctorMap()) all.push_back(entry.first);
    throw CommandFailure("unknown function '" + options.name + "'; functions: " + JoinNames(all));
  }
  CString args[kMaxArguments];
  for (size_t i = 0; i < options.arguments.size(); ++i) args[i] = CString(options.arguments[i]);
  const CString result = table.Execute(options.name, args[0], args[1], args[2], args[3], args[4]);
  if (options.json) {
    PrintJson({{"function", options.name},
               {"arguments", options.arguments},
               {"result", result.str()},
               {"value", IsNumericText(result) ? Json(NumericTextToDouble(result)) : Json()}});
    return;
  }
  std::cout << result.str() << '\n';
}

}  // namespace

void AddCalcCommand(CLI::App& app) {
  auto options = std::make_shared<CalcOptions>();
  CLI::App* calc =
      app.add_subcommand("calc",
                         "Call a function of the formula table and print its result (put -- before "
                         "arguments such as -.5 that look like options)");
  calc->add_option("name", options->name, "Function name, letter case ignored")->required();
  calc->add_option("args", options->arguments, "Up to five arguments; missing ones are empty");
  calc->add_flag("--json", options->json, "Print one JSON document (see the README)");
  calc->callback([options] { RunCalc(*options); });
}

}  // namespace lumo_cli
