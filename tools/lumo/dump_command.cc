// lumo dump FILE [--as KIND]   decodes an archive record file into a listing with byte offsets
//
// KIND is group, item, var, value or oid (an object identifier); a file holds one or more records
// of its kind, one after another. Without --as each kind is tried in that order and the first that
// reads the whole file is taken. A file no kind reads is reported with the offset where reading
// failed.
#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <boost/any.hpp>

#include "commands.h"
#include "json_output.h"
#include "lumotools/db.h"
#include "lumotools/platform.h"
#include "lumotools/property.h"

namespace lumo_cli {
namespace {

struct DumpOptions {
  std::string file;
  std::string kind;
  bool json = false;
};

// Reads from the file's bytes and knows how far it has read.
class RecordReader {
 public:
  explicit RecordReader(const std::vector<unsigned char>& bytes)
      : size_(bytes.size()),
        file_(const_cast<BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()), 0),
        ar_(&file_, CArchive::load) {}
  ~RecordReader() { file_.Detach(); }

  CArchive& ar() { return ar_; }
  ULONGLONG Offset() const { return size_ - ar_.GetLoadRemaining(); }
  ULONGLONG Left() const { return ar_.GetLoadRemaining(); }

 private:
  ULONGLONG size_;
  CMemFile file_;
  CArchive ar_;
};

std::string OffsetText(ULONGLONG offset) {
  std::ostringstream text;
  text << std::setw(8) << std::setfill('0') << std::hex << offset;
  return text.str();
}

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

// A value as {"type": ..., "value": ...}; "empty" has no value, an unknown type gives its name.
Json ValueJson(const boost::any& value) {
  if (value.empty()) return {{"type", "empty"}};
  if (const auto* v = boost::any_cast<BYTE>(&value)) return {{"type", "byte"}, {"value", *v}};
  if (const auto* v = boost::any_cast<int>(&value)) return {{"type", "int"}, {"value", *v}};
  if (const auto* v = boost::any_cast<long>(&value)) return {{"type", "long"}, {"value", *v}};
  if (const auto* v = boost::any_cast<unsigned long>(&value)) {
    return {{"type", "unsigned long"}, {"value", *v}};
  }
  if (const auto* v = boost::any_cast<double>(&value)) return {{"type", "double"}, {"value", *v}};
  if (const auto* v = boost::any_cast<std::string>(&value)) {
    return {{"type", "string"}, {"value", *v}};
  }
  if (const auto* v = boost::any_cast<CString>(&value)) {
    return {{"type", "CString"}, {"value", v->str()}};
  }
  return {{"type", "other"}, {"name", value.type().name()}};
}

std::string DescribeValue(const Json& value) {
  const std::string type = value["type"];
  if (type == "empty") return "(empty)";
  if (type == "other") return "value of type " + value["name"].get<std::string>();
  if (type == "string" || type == "CString") {
    return type + " " + Quoted(value["value"].get<std::string>());
  }
  if (type == "double") {
    std::ostringstream text;
    text << "double " << std::setprecision(17) << value["value"].get<double>();
    return text.str();
  }
  return type + " " + value["value"].dump();
}

// The listing line of a record as the decoders describe it.
std::string TextLine(const Json& r) {
  const std::string kind = r["kind"];
  std::string line = OffsetText(r["offset"].get<ULONGLONG>()) + "  ";
  if (kind == "group") {
    return line + "group, version " + r["version"].dump() + ", " + r["items"].dump() + " items";
  }
  if (kind == "item") {
    line += "item " + (r.contains("index") ? r["index"].dump() + ": " : std::string()) +
            Quoted(r["caption"]) + ", style " + r["style"].dump() + ", variable " +
            Quoted(r["variable"]) + (r["visible"].get<bool>() ? "" : ", hidden");
  } else if (kind == "var") {
    line +=
        "variable " + Quoted(r["name"]) + ", id " + r["id"].dump() + ", kind " + r["type"].dump();
  } else if (kind == "value") {
    line += "value";
  } else {
    const std::string table = r["table_name"];
    return line + "object identifier: table " + r["table"].dump() +
           (table.empty() ? "" : " (" + table + ")") + ", id " + r["id"].dump() + ", parent " +
           r["parent"].dump() + ", property " + r["property"].dump();
  }
  return line + ": " + DescribeValue(r["value"]);
}

// Each decoder appends the records it reads to out; an archive error passes through.
using Decoder = void (*)(RecordReader& in, Json& out);

void DecodeValue(RecordReader& in, Json& out) {
  const ULONGLONG start = in.Offset();
  boost::any value;
  if (!CAnyPropRegMap::instance().ArchiveLoad(in.ar(), value)) {
    AfxThrowArchiveException(CArchiveException::badSchema);
  }
  out.push_back({{"offset", start}, {"kind", "value"}, {"value", ValueJson(value)}});
}

void DecodeVar(RecordReader& in, Json& out) {
  const ULONGLONG start = in.Offset();
  CAnyPropertyVar var(BAT_NONE);
  var.Serialize(in.ar());
  out.push_back({{"offset", start},
                 {"kind", "var"},
                 {"name", var.GetVarName()},
                 {"id", var.ID()},
                 {"type", static_cast<int>(var.Type())},
                 {"value", ValueJson(var.GetAnyValue())}});
}

Json ItemJson(const CAnyPropertyItem& item, ULONGLONG start) {
  return {{"offset", start},
          {"kind", "item"},
          {"caption", item.GetCaption()},
          {"style", item.GetStyleID()},
          {"variable", item.GetVarName()},
          {"visible", item.IsVisible() != FALSE},
          {"value", ValueJson(item.GetAnyValue())}};
}

void DecodeItem(RecordReader& in, Json& out) {
  const ULONGLONG start = in.Offset();
  CAnyPropertyItem item;
  item.Serialize(in.ar());
  out.push_back(ItemJson(item, start));
}

// The group record is read here field by field, so that every item gets its own offset.
void DecodeGroup(RecordReader& in, Json& out) {
  const ULONGLONG groupStart = in.Offset();
  int version = 0;
  DWORD count = 0;
  in.ar() >> version >> count;
  if (count > in.Left()) AfxThrowArchiveException(CArchiveException::endOfFile);
  out.push_back(
      {{"offset", groupStart}, {"kind", "group"}, {"version", version}, {"items", count}});
  for (DWORD i = 0; i < count; ++i) {
    const ULONGLONG start = in.Offset();
    CAnyPropertyItem item;
    item.Serialize(in.ar());
    Json entry = ItemJson(item, start);
    entry["index"] = i + 1;
    out.push_back(std::move(entry));
  }
}

void DecodeObjId(RecordReader& in, Json& out) {
  const ULONGLONG start = in.Offset();
  CObjID id;
  id.Serialize(in.ar());
  out.push_back({{"offset", start},
                 {"kind", "oid"},
                 {"table", static_cast<int>(id.GetTableID())},
                 {"table_name", DbTableName(id.GetTableID()).str()},
                 {"id", id.GetID()},
                 {"parent", id.GetParentID()},
                 {"property", id.GetPropID()}});
}

struct Kind {
  const char* name;
  Decoder decode;
};

const Kind kKinds[] = {{"group", DecodeGroup},
                       {"item", DecodeItem},
                       {"var", DecodeVar},
                       {"value", DecodeValue},
                       {"oid", DecodeObjId}};

struct Attempt {
  bool whole = false;  // the record read and nothing was left
  ULONGLONG failedAt = 0;
  std::string reason;
  Json records = Json::array();
};

Attempt Try(const Kind& kind, const std::vector<unsigned char>& bytes) {
  Attempt attempt;
  RecordReader in(bytes);
  try {
    do {
      kind.decode(in, attempt.records);
    } while (in.Left() != 0);
    attempt.whole = true;
  } catch (CArchiveException* e) {
    attempt.failedAt = in.Offset();
    attempt.reason = e->GetDescription().str();
    e->Delete();
  }
  return attempt;
}

void Dump(const DumpOptions& options) {
  const std::vector<unsigned char> bytes = ReadWholeFile(options.file);
  // An unknown value kind is shown by the registry in a message box; here it is the failure.
  AfxSetMessageBoxHandler([](const CString&, UINT, UINT) { return IDOK; });
  std::string failures;
  for (const Kind& kind : kKinds) {
    if (!options.kind.empty() && options.kind != kind.name) continue;
    const Attempt attempt = Try(kind, bytes);
    if (attempt.whole && options.json) {
      PrintJson({{"file", options.file},
                 {"size", bytes.size()},
                 {"kind", kind.name},
                 {"guessed", options.kind.empty()},
                 {"records", attempt.records}});
      return;
    }
    if (attempt.whole) {
      std::cout << options.file << ": " << bytes.size() << " bytes, read as " << kind.name
                << (options.kind.empty() ? " (guessed; --as chooses)" : "") << '\n';
    }
    // A failed reading as the chosen kind shows how far it got, except as JSON.
    if (attempt.whole || (!options.kind.empty() && !options.json)) {
      for (const Json& record : attempt.records) std::cout << TextLine(record) << '\n';
    }
    if (attempt.whole) return;
    if (!options.kind.empty()) {
      throw CommandFailure(options.file + ": reading as " + kind.name + " failed at byte offset " +
                           std::to_string(attempt.failedAt) + ": " + attempt.reason);
    }
    failures += std::string(failures.empty() ? "" : ", ") + "as " + kind.name + " at byte " +
                std::to_string(attempt.failedAt);
  }
  throw CommandFailure(options.file + ": no record kind reads it (failed " + failures +
                       "); --as KIND shows how far one gets");
}

}  // namespace

void AddDumpCommand(CLI::App& app) {
  auto options = std::make_shared<DumpOptions>();
  CLI::App* dump = app.add_subcommand(
      "dump", "Decode an archive record file (group, item, var, value or oid) with byte offsets");
  dump->add_option("file", options->file, "Record file to read")->required();
  dump->add_option("--as", options->kind, "Read the file as this kind instead of guessing")
      ->check(CLI::IsMember({"group", "item", "var", "value", "oid"}));
  dump->add_flag("--json", options->json, "Print one JSON document (see the README)");
  dump->callback([options] { Dump(*options); });
}

}  // namespace lumo_cli
