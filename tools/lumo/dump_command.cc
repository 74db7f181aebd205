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
#include "lumotools/db.h"
#include "lumotools/platform.h"
#include "lumotools/property.h"

namespace lumo_cli {
namespace {

struct DumpOptions {
  std::string file;
  std::string kind;
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

std::string DescribeValue(const boost::any& value) {
  if (value.empty()) return "(empty)";
  if (const auto* v = boost::any_cast<BYTE>(&value)) return "byte " + std::to_string(*v);
  if (const auto* v = boost::any_cast<int>(&value)) return "int " + std::to_string(*v);
  if (const auto* v = boost::any_cast<long>(&value)) return "long " + std::to_string(*v);
  if (const auto* v = boost::any_cast<unsigned long>(&value)) {
    return "unsigned long " + std::to_string(*v);
  }
  if (const auto* v = boost::any_cast<double>(&value)) {
    std::ostringstream text;
    text << "double " << std::setprecision(17) << *v;
    return text.str();
  }
  if (const auto* v = boost::any_cast<std::string>(&value)) return "string " + Quoted(*v);
  if (const auto* v = boost::any_cast<CString>(&value)) return "CString " + Quoted(v->str());
  return std::string("value of type ") + value.type().name();
}

// Each decoder prints its lines to out as it reads; an archive error passes through.
using Decoder = void (*)(RecordReader& in, std::ostream& out);

void DecodeValue(RecordReader& in, std::ostream& out) {
  const ULONGLONG start = in.Offset();
  boost::any value;
  if (!CAnyPropRegMap::instance().ArchiveLoad(in.ar(), value)) {
    AfxThrowArchiveException(CArchiveException::badSchema);
  }
  out << OffsetText(start) << "  value: " << DescribeValue(value) << '\n';
}

void DecodeVar(RecordReader& in, std::ostream& out) {
  const ULONGLONG start = in.Offset();
  CAnyPropertyVar var(BAT_NONE);
  var.Serialize(in.ar());
  out << OffsetText(start) << "  variable " << Quoted(var.GetVarName()) << ", id " << var.ID()
      << ", kind " << static_cast<int>(var.Type()) << ": " << DescribeValue(var.GetAnyValue())
      << '\n';
}

void PrintItem(const CAnyPropertyItem& item, ULONGLONG start, const std::string& label,
               std::ostream& out) {
  out << OffsetText(start) << "  " << label << Quoted(item.GetCaption()) << ", style "
      << item.GetStyleID() << ", variable " << Quoted(item.GetVarName())
      << (item.IsVisible() ? "" : ", hidden") << ": " << DescribeValue(item.GetAnyValue()) << '\n';
}

void DecodeItem(RecordReader& in, std::ostream& out) {
  const ULONGLONG start = in.Offset();
  CAnyPropertyItem item;
  item.Serialize(in.ar());
  PrintItem(item, start, "item ", out);
}

// The group record is read here field by field, so that every item gets its own offset; the
// whole record is then read once more by the group itself, which checks it as the library does.
void DecodeGroup(RecordReader& in, std::ostream& out) {
  int version = 0;
  DWORD count = 0;
  in.ar() >> version >> count;
  if (count > in.Left()) AfxThrowArchiveException(CArchiveException::endOfFile);
  out << OffsetText(0) << "  group, version " << version << ", " << count << " items\n";
  for (DWORD i = 0; i < count; ++i) {
    const ULONGLONG start = in.Offset();
    CAnyPropertyItem item;
    item.Serialize(in.ar());
    PrintItem(item, start, "item " + std::to_string(i + 1) + ": ", out);
  }
}

void DecodeObjId(RecordReader& in, std::ostream& out) {
  const ULONGLONG start = in.Offset();
  CObjID id;
  id.Serialize(in.ar());
  const CString table = DbTableName(id.GetTableID());
  out << OffsetText(start) << "  object identifier: table " << static_cast<int>(id.GetTableID())
      << (table.IsEmpty() ? "" : " (" + table.str() + ")") << ", id " << id.GetID() << ", parent "
      << id.GetParentID() << ", property " << id.GetPropID() << '\n';
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
  std::string listing;
};

Attempt Try(const Kind& kind, const std::vector<unsigned char>& bytes) {
  Attempt attempt;
  RecordReader in(bytes);
  std::ostringstream out;
  try {
    do {
      kind.decode(in, out);
    } while (in.Left() != 0);
    attempt.whole = true;
  } catch (CArchiveException* e) {
    attempt.failedAt = in.Offset();
    attempt.reason = e->GetDescription().str();
    e->Delete();
  }
  attempt.listing = out.str();
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
    if (attempt.whole) {
      std::cout << options.file << ": " << bytes.size() << " bytes, read as " << kind.name
                << (options.kind.empty() ? " (guessed; --as chooses)" : "") << '\n'
                << attempt.listing;
      return;
    }
    if (!options.kind.empty()) {
      std::cout << attempt.listing;
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
  dump->callback([options] { Dump(*options); });
}

}  // namespace lumo_cli
