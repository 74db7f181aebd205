// lumo bag make FILE NAME=VALUE...   writes a property bag in its byte-array form
// lumo bag dump FILE                 prints a bag file as NAME=VALUE lines, in name order
#include <iostream>
#include <memory>

#include "commands.h"
#include "json_output.h"
#include "lumotools/platform.h"
#include "lumotools/property.h"

namespace lumo_cli {
namespace {

struct BagOptions {
  std::string file;
  std::vector<std::string> entries;
  bool json = false;
};

void MakeBag(const BagOptions& options) {
  Kv_SuperProp bag;
  for (const std::string& entry : options.entries) {
    const size_t equals = entry.find('=');
    if (equals == std::string::npos || equals == 0) {
      throw CommandFailure("bad entry '" + entry + "': expected NAME=VALUE");
    }
    const CString name(entry.substr(0, equals));
    if (bag.HaveVar(name)) throw CommandFailure("name '" + name.str() + "' given twice");
    bag.m_mapVars[name] = CString(entry.substr(equals + 1));
  }
  WriteWholeFile(options.file, bag.ToByteArray());
}

void DumpBag(const BagOptions& options) {
  const std::vector<unsigned char> bytes = ReadWholeFile(options.file);
  Kv_SuperProp bag;
  try {
    bag.FromByteArray(bytes);
  } catch (CArchiveException* e) {
    const std::string reason = e->GetDescription().str();
    e->Delete();
    throw CommandFailure(options.file + " is not a property bag: " + reason);
  }
  if (options.json) {
    Json entries = Json::object();
    for (const auto& entry : bag.m_mapVars) entries[entry.first.str()] = entry.second.str();
    PrintJson({{"file", options.file}, {"entries", entries}});
    return;
  }
  for (const auto& entry : bag.m_mapVars) {
    std::cout << entry.first.str() << '=' << entry.second.str() << '\n';
  }
}

}  // namespace

void AddBagCommand(CLI::App& app) {
  auto options = std::make_shared<BagOptions>();
  CLI::App* bag = app.add_subcommand("bag", "Write or read a property bag file (name=value pairs)");
  bag->require_subcommand(1);

  CLI::App* make = bag->add_subcommand("make", "Write the bag of the given NAME=VALUE entries");
  make->add_option("file", options->file, "Bag file to write")->required();
  make->add_option("entries", options->entries, "Entries as NAME=VALUE");
  make->callback([options] { MakeBag(*options); });

  CLI::App* dump = bag->add_subcommand("dump", "Print a bag file as NAME=VALUE lines");
  dump->add_option("file", options->file, "Bag file to read")->required();
  dump->add_flag("--json", options->json, "Print one JSON document (see the README)");
  dump->callback([options] { DumpBag(*options); });
}

}  // namespace lumo_cli
