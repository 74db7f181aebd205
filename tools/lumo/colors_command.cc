// lumo colors init DB                       creates the configuration database (an SQLite file
//                                           when DB does not exist yet) with an empty ColorDef
// lumo colors list DB                       prints every colour with its text form
// lumo colors get DB figure|special ID      prints the text form the colour manager answers
// lumo colors set DB figure|special ID PART=COLOUR[/TRANSPARENCY]...
//                                           changes (or adds) one colour
// lumo colors export DB FILE                writes the ColorDef table as a text file
// lumo colors import DB FILE                replaces the ColorDef table with a text file's colours
//
// DB is a path as the database factory takes it: an SQLite file, or a link file whose connect
// text points at a server database. Colours are written 0xBBGGRR (red in the lowest byte).
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "hostkit/db_factory.h"
#include "json_output.h"
#include "lumotools/color.h"
#include "lumotools/db.h"

namespace lumo_cli {
namespace {

const char* const kPartNames[] = {"line", "face", "edge", "text"};

const char kFileHeader[] =
    "# LumoTools colour table. One colour a line: figure|special ID, then for each drawing part\n"
    "# PART=COLOUR/TRANSPARENCY with the words written 0xBBGGRR (red in the lowest byte).\n";

struct ColorsOptions {
  std::string db;
  std::string kind;
  int id = 0;
  std::vector<std::string> parts;
  std::string file;
  bool json = false;
};

std::string Describe(CException* e) {
  const std::string text = e->GetDescription().str();
  e->Delete();
  return text;
}

// Runs f; a database exception becomes a CommandFailure.
template <class F>
void WithDatabase(const std::string& db, F&& f) {
  try {
    f();
  } catch (CDBException* e) {
    throw CommandFailure(db + ": " + Describe(e));
  }
}

int ParseId(const std::string& text, const std::string& where) {
  size_t used = 0;
  long long value = 0;
  try {
    value = std::stoll(text, &used, 10);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || value < INT32_MIN || value > INT32_MAX) {
    throw CommandFailure(where + "bad id '" + text + "': expected a whole number");
  }
  return static_cast<int>(value);
}

DWORD ParseWord(const std::string& text, const std::string& where) {
  size_t used = 0;
  unsigned long long value = 0;
  try {
    value = std::stoull(text, &used, 0);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || value > 0xFFFFFFFFull) {
    throw CommandFailure(where + "bad colour '" + text + "': expected a number such as 0x0000FF");
  }
  return static_cast<DWORD>(value);
}

// Applies "line=0x0000FF" or "line=0x0000FF/0x101010" to item.
void ApplyPart(const std::string& token, CVisualColorItem& item, const std::string& where) {
  const size_t equals = token.find('=');
  const std::string name = token.substr(0, equals);
  int part = -1;
  for (int p = 0; p < 4; ++p) {
    if (name == kPartNames[p]) part = p;
  }
  if (equals == std::string::npos || part < 0) {
    throw CommandFailure(where + "bad part '" + token +
                         "': expected line|face|edge|text=COLOUR[/TRANSPARENCY]");
  }
  const std::string value = token.substr(equals + 1);
  const size_t slash = value.find('/');
  item.SetColor(static_cast<VisualColorKind>(part), ParseWord(value.substr(0, slash), where));
  if (slash != std::string::npos) {
    item.SetTransparency(static_cast<VisualColorKind>(part),
                         ParseWord(value.substr(slash + 1), where));
  }
}

bool IsSpecial(const std::string& kind) {
  if (kind == "figure") return false;
  if (kind == "special") return true;
  throw CommandFailure("bad kind '" + kind + "': expected figure or special");
}

std::string Word(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(value));
  return text;
}

std::string Line(const char* kind, int id, const CVisualColorItem& item) {
  std::string line = std::string(kind) + " " + std::to_string(id);
  for (int p = 0; p < 4; ++p) {
    const auto part = static_cast<VisualColorKind>(p);
    line += std::string(" ") + kPartNames[p] + "=" + Word(item.GetColor(part)) + "/" +
            Word(item.GetTransparency(part));
  }
  return line;
}

// {"kind", "id", "parts": {"line": {"color", "rgb", "transparency"}, ...}, "text"}.
Json ColorJson(const char* kind, int id, const CVisualColorItem& item) {
  Json parts = Json::object();
  for (int p = 0; p < 4; ++p) {
    const auto part = static_cast<VisualColorKind>(p);
    const DWORD color = item.GetColor(part);
    parts[kPartNames[p]] = {{"color", Word(color)},
                            {"rgb", {color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF}},
                            {"transparency", Word(item.GetTransparency(part))}};
  }
  return {{"kind", kind}, {"id", id}, {"parts", parts}, {"text", item.GetColorStr().str()}};
}

void Init(const ColorsOptions& o) {
  WithDatabase(o.db, [&] {
    auto& factory = CDbFactoryT<CDatabase>::instance();
    factory.CreateDB(o.db.c_str());
    CDatabase* db = factory.GetDB(o.db.c_str());
    if (CDbOperateTool::CheckTableExistFromDatabase(db, "ColorDef")) {
      factory.CloseDB(o.db.c_str());
      throw CommandFailure(o.db + " already has a ColorDef table");
    }
    db->ExecuteSQL(
        "CREATE TABLE ColorDef (relateID INTEGER, IsSpecialColor INTEGER, ColorData VARCHAR(64))");
    factory.CloseDB(o.db.c_str());
  });
}

CDbVisualColorMrg Load(const std::string& path) {
  CDbVisualColorMrg mrg;
  WithDatabase(path, [&] { mrg.LoadFromDB(path.c_str()); });
  return mrg;
}

void List(const ColorsOptions& o) {
  const CDbVisualColorMrg mrg = Load(o.db);
  if (o.json) {
    Json colors = Json::array();
    for (const auto& entry : mrg.GetGJColorMap()) {
      colors.push_back(ColorJson("figure", entry.first, entry.second.m_colorItem));
    }
    for (const auto& entry : mrg.GetSpecialColorMap()) {
      colors.push_back(ColorJson("special", entry.first, entry.second.m_colorItem));
    }
    PrintJson({{"db", o.db}, {"colors", colors}});
    return;
  }
  for (const auto& entry : mrg.GetGJColorMap()) {
    std::cout << "figure " << entry.first << ": " << entry.second.m_colorItem.GetColorStr().str()
              << '\n';
  }
  for (const auto& entry : mrg.GetSpecialColorMap()) {
    std::cout << "special " << entry.first << ": " << entry.second.m_colorItem.GetColorStr().str()
              << '\n';
  }
}

void Get(const ColorsOptions& o) {
  const bool special = IsSpecial(o.kind);
  const CDbVisualColorMrg mrg = Load(o.db);
  const CString text = special ? mrg.GetColorStrBySpecialId(static_cast<SpecialColorKind>(o.id))
                               : mrg.GetColorStrByFigId(o.id);
  if (text.IsEmpty()) throw CommandFailure("no " + o.kind + " colour " + std::to_string(o.id));
  if (o.json) {
    // The colour answered may be another id's (the manager falls back); name that one.
    const CVisualColorItem* found =
        special ? mrg.GetColorBySpecialId(static_cast<SpecialColorKind>(o.id))
                : mrg.GetColorByFigId(o.id);
    for (const auto& entry : special ? mrg.GetSpecialColorMap() : mrg.GetGJColorMap()) {
      if (&entry.second.m_colorItem != found) continue;
      Json color = ColorJson(o.kind.c_str(), entry.first, *found);
      PrintJson({{"db", o.db}, {"asked", o.id}, {"color", color}});
    }
    return;
  }
  std::cout << text.str() << '\n';
}

void Set(const ColorsOptions& o) {
  const bool special = IsSpecial(o.kind);
  if (o.parts.empty()) throw CommandFailure("nothing to set: give PART=COLOUR[/TRANSPARENCY]");
  CDbVisualColorMrg mrg = Load(o.db);
  const auto& map = special ? mrg.GetSpecialColorMap() : mrg.GetGJColorMap();
  const auto found = map.find(o.id);
  CVisualColorItem item = found != map.end() ? found->second.m_colorItem : CVisualColorItem();
  for (const std::string& part : o.parts) ApplyPart(part, item, "");
  const auto kind = static_cast<SpecialColorKind>(o.id);
  if (special) {
    if (!mrg.SetSpecialColor(kind, item)) mrg.AddSpecialColor(kind, item);
  } else if (!mrg.SetFigColor(o.id, item)) {
    mrg.AddFigColor(o.id, item);
  }
  WithDatabase(o.db, [&] { mrg.SaveToDB(o.db.c_str()); });
}

void Export(const ColorsOptions& o) {
  const CDbVisualColorMrg mrg = Load(o.db);
  std::ostringstream out;
  out << kFileHeader;
  for (const auto& entry : mrg.GetGJColorMap()) {
    out << Line("figure", entry.first, entry.second.m_colorItem) << '\n';
  }
  for (const auto& entry : mrg.GetSpecialColorMap()) {
    out << Line("special", entry.first, entry.second.m_colorItem) << '\n';
  }
  const std::string text = out.str();
  WriteWholeFile(o.file, std::vector<unsigned char>(text.begin(), text.end()));
}

void Import(const ColorsOptions& o) {
  const std::vector<unsigned char> bytes = ReadWholeFile(o.file);
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  CDbVisualColorMrg mrg;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string kind;
    if (!(words >> kind) || kind[0] == '#') continue;
    const std::string where = o.file + ":" + std::to_string(number) + ": ";
    std::string idText;
    words >> idText;
    const int id = ParseId(idText, where);
    CVisualColorItem item;
    for (std::string part; words >> part;) ApplyPart(part, item, where);
    bool added = false;
    try {
      added = IsSpecial(kind) ? mrg.AddSpecialColor(static_cast<SpecialColorKind>(id), item)
                              : mrg.AddFigColor(id, item);
    } catch (const CommandFailure& e) {
      throw CommandFailure(where + e.what());
    }
    if (!added) throw CommandFailure(where + kind + " " + idText + " given twice");
  }
  WithDatabase(o.db, [&] { mrg.SaveToDB(o.db.c_str()); });
}

}  // namespace

void AddColorsCommand(CLI::App& app) {
  auto o = std::make_shared<ColorsOptions>();
  CLI::App* colors =
      app.add_subcommand("colors", "Keep the display colours of a configuration database");
  colors->require_subcommand(1);
  auto withDb = [&](const char* name, const char* help) {
    CLI::App* sub = colors->add_subcommand(name, help);
    sub->add_option("db", o->db, "Database path: an SQLite file or a link file")->required();
    return sub;
  };
  auto withId = [&](CLI::App* sub) {
    sub->add_option("kind", o->kind, "figure or special")->required();
    sub->add_option("id", o->id, "Figure id or special-colour kind")->required();
  };
  withDb("init", "Create the database (when missing) with an empty ColorDef table")->callback([o] {
    Init(*o);
  });
  const char* const jsonHelp = "Print one JSON document (see the README)";
  CLI::App* list = withDb("list", "Print every colour with its text form");
  list->add_flag("--json", o->json, jsonHelp);
  list->callback([o] { List(*o); });
  CLI::App* get = withDb("get", "Print the text form of one colour");
  withId(get);
  get->add_flag("--json", o->json, jsonHelp);
  get->callback([o] { Get(*o); });
  CLI::App* set = withDb("set", "Change one colour (added when missing)");
  withId(set);
  set->add_option("parts", o->parts, "PART=COLOUR[/TRANSPARENCY], PART line|face|edge|text")
      ->required();
  set->callback([o] { Set(*o); });
  CLI::App* exp = withDb("export", "Write the colours to a text file");
  exp->add_option("file", o->file, "Text file to write")->required();
  exp->callback([o] { Export(*o); });
  CLI::App* imp = withDb("import", "Replace the colours with those of a text file");
  imp->add_option("file", o->file, "Text file to read")->required();
  imp->callback([o] { Import(*o); });
}

}  // namespace lumo_cli
