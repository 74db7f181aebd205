// The lumo program as a user runs it: exit status 0 on success, 1 with one line on standard error
// for bad input, 2 for misuse.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/bytes.h"
#include "support/scratch_dir.h"

namespace lumo_test {
namespace {

struct LumoRun {
  int status = -1;  // the exit status; -1 when the program did not exit normally
  std::string out;
  std::string err;
};

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

// Runs a shell command line in dir, with lumo's directory first on PATH, capturing what it prints.
LumoRun RunShell(const ScratchDir& dir, const std::string& commandLine) {
  const std::string program = LUMO_PROGRAM;
  const std::string full = "cd " + ShellQuoted(dir.path()) +
                           " && PATH=" + ShellQuoted(program.substr(0, program.rfind('/'))) +
                           ":\"$PATH\" sh -c " + ShellQuoted(commandLine) +
                           " </dev/null >.stdout 2>.stderr";
  const int raw = std::system(full.c_str());
  LumoRun run;
  run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = Slurp(dir.File(".stdout"));
  run.err = Slurp(dir.File(".stderr"));
  return run;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// A group of version 1 with one item: style 7, caption "c", variable "v", int 5, visible.
const char kGroupRecord[] =
    "01 00 00 00 01 00 00 00 01 00 00 00 07 00 00 00 01 63 01 76 01 00 00 00 05 00 00 00 01";
// An object identifier: format 1, table 5, id 42, parent 7, property 3.
const char kIdRecord[] = "01 00 00 00 05 00 00 00 2A 00 00 00 07 00 00 00 03 00 00 00";

// Runs lumo in a scratch directory holding g.rec and id.rec (the records above), a.txt (a 10 x 10
// square) and b.txt (a 2 x 2 square in its middle).
class LumoProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(dir.File("g.rec"), FromHex(kGroupRecord));
    WriteBytes(dir.File("id.rec"), FromHex(kIdRecord));
    std::ofstream(dir.File("a.txt")) << "0 0\n10 0\n10 10\n0 10\n";
    std::ofstream(dir.File("b.txt")) << "# the middle\n4 4\n6 4\n6 6\n4 6\n";
  }
  LumoRun Run(const std::vector<std::string>& args) {
    std::string command = ShellQuoted(LUMO_PROGRAM);
    for (const std::string& arg : args) command += " " + ShellQuoted(arg);
    return RunShell(dir, command);
  }
  // Expects status 1 and one line on standard error that contains message; returns the run.
  LumoRun ExpectOneLineError(const std::vector<std::string>& args, const std::string& message) {
    const LumoRun run = Run(args);
    EXPECT_EQ(run.status, 1) << args[0];
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    return run;
  }
  ScratchDir dir;
};

TEST_F(LumoProgram, MisuseIsStatusTwo) {
  for (const std::vector<std::string>& misuse :
       {std::vector<std::string>{},
        {"no-such-command"},
        {"dump"},
        {"clip", "nand", "a", "b"},
        {"files", ".", "--order", "sideways"},
        {"dump", "--as", "nonsense", "g.rec"},
        {"clip", "xor", "a.txt", "b.txt", "--to", "svg"}}) {
    EXPECT_EQ(Run(misuse).status, 2) << (misuse.empty() ? "" : misuse[0]);
  }
  const LumoRun version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "lumo " LUMO_VERSION_TEXT "\n");
}

TEST_F(LumoProgram, CalcAndBagsPrintTheirResultsAndOneLineErrors) {
  const LumoRun max = Run({"calc", "max3", "1", "7.25", "3"});
  EXPECT_EQ(max.status, 0);
  EXPECT_EQ(max.out, "7.25\n");
  // Close names (edit distance up to 2, or a common start of 3 letters) come closest first.
  ExpectOneLineError({"calc", "mx3"}, "did you mean max3, max, max2, min, min3?");
  ExpectOneLineError({"calc", "MAX4"}, "did you mean max, max2, max3?");
  ExpectOneLineError({"calc", "max3", "1", "2", "3", "4", "5", "6"},
                     "at most 5 arguments, 6 given");

  EXPECT_EQ(Run({"bag", "make", "b.bag", "width=2.5", "name=slab"}).status, 0);
  const LumoRun dump = Run({"bag", "dump", "b.bag"});
  EXPECT_EQ(dump.status, 0);
  EXPECT_EQ(dump.out, "name=slab\nwidth=2.5\n");
  ExpectOneLineError({"bag", "make", "c.bag", "novalue"}, "expected NAME=VALUE");
  ExpectOneLineError({"bag", "make", "c.bag", "=x"}, "expected NAME=VALUE");
  WriteBytes(dir.File("bad.bag"), FromHex("05 00 00 00 01"));
  ExpectOneLineError({"bag", "dump", "bad.bag"}, "bad.bag");
  EXPECT_EQ(Run({"bag", "dump", "missing.bag"}).status, 1);
}

TEST_F(LumoProgram, DumpGuessesTheRecordKindAndListsOffsets) {
  const LumoRun group = Run({"dump", "g.rec"});
  ASSERT_EQ(group.status, 0) << group.err;
  EXPECT_NE(group.out.find("read as group"), std::string::npos) << group.out;
  EXPECT_NE(group.out.find("00000008  item 1: \"c\", style 7, variable \"v\": int 5"),
            std::string::npos)
      << group.out;

  WriteBytes(dir.File("cut.rec"), FromHex("01 00 00 00 01 00 00 00 01 00 00 00 07 00"));
  // Read as a chosen kind, what was read before the failure is shown; a guess shows nothing.
  EXPECT_EQ(
      ExpectOneLineError({"dump", "--as", "group", "cut.rec"}, "failed at byte offset 12").out,
      "00000000  group, version 1, 1 items\n");
  EXPECT_EQ(ExpectOneLineError({"dump", "cut.rec"}, "cut.rec").out, "");

  const LumoRun oid = Run({"dump", "id.rec"});
  ASSERT_EQ(oid.status, 0) << oid.err;
  EXPECT_NE(oid.out.find("table 5 (TB_ENT), id 42, parent 7, property 3"), std::string::npos)
      << oid.out;
}

TEST_F(LumoProgram, ClipComputesAreasAndDrawsThem) {
  const LumoRun diff = Run({"clip", "diff", "a.txt", "b.txt", "--svg", "d.svg"});
  ASSERT_EQ(diff.status, 0) << diff.err;
  EXPECT_NE(diff.out.find("total area 96"), std::string::npos) << diff.out;
  EXPECT_NE(diff.out.find("hole"), std::string::npos);
  std::ifstream svg(dir.File("d.svg"));
  std::string firstLine;
  std::getline(svg, firstLine);
  EXPECT_NE(firstLine.find("<?xml"), std::string::npos);

  // The printed result reads back as input.
  std::ofstream(dir.File("r.txt")) << diff.out;
  const LumoRun again = Run({"clip", "int", "r.txt", "a.txt"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("total area 96"), std::string::npos) << again.out;

  std::ofstream(dir.File("bad.txt")) << "0 0\n4 x\n";
  ExpectOneLineError({"clip", "union", "a.txt", "bad.txt"}, "bad.txt:2");
}

TEST_F(LumoProgram, ClipReadsAndWritesWktAndGeoJson) {
  using nlohmann::json;
  // A 10 x 10 square with a 2 x 2 hole (rings written clockwise, against the rule: their place,
  // not their orientation, makes them outer or hole), and an island in the hole beside a feature
  // without geometry.
  std::ofstream(dir.File("holed.wkt")) << "POLYGON ((0 0, 0 10, 10 10, 10 0, 0 0),\n"
                                          "         (4 4, 6 4, 6 6, 4 6, 4 4))\n";
  std::ofstream(dir.File("island.geojson"))
      << R"({"type": "FeatureCollection", "features": [{"type": "Feature", "properties": {},)"
      << R"( "geometry": {"type": "Polygon", "coordinates": [[[5, 5], [5.5, 5], [5.5, 5.5],)"
      << R"( [5, 5]]]}}, {"type": "Feature", "geometry": null}]})";
  std::ofstream(dir.File("wkt-as.txt")) << "MULTIPOLYGON(((0 0,1 0,1 1,0 0)))";

  const LumoRun wkt = Run({"clip", "union", "holed.wkt", "island.geojson"});
  ASSERT_EQ(wkt.status, 0) << wkt.err;
  EXPECT_EQ(wkt.out,
            "MULTIPOLYGON(((5.5 5.5,5 5,5.5 5,5.5 5.5)),((10 10,0 10,0 0,10 0,10 10),"
            "(6 6,6 4,4 4,4 6,6 6)))\n")
      << "in A's format; outer rings counter-clockwise, holes clockwise with their outer ring";

  const LumoRun geo = Run({"clip", "union", "holed.wkt", "island.geojson", "--to", "geojson"});
  ASSERT_EQ(geo.status, 0) << geo.err;
  // The rings are those written as WKT above; what was written reads back: island and holed
  // square again, now from GeoJSON.
  const json result = json::parse(geo.out);
  EXPECT_EQ(result["type"], "MultiPolygon");
  EXPECT_EQ(result["coordinates"].size(), 2u) << geo.out;
  std::ofstream(dir.File("result.json")) << geo.out;
  const LumoRun again = Run({"clip", "int", "result.json", "a.txt", "--json"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(json::parse(again.out)["area"], 96.125);
  EXPECT_EQ(Run({"clip", "int", "result.json", "a.txt"}).out.front(), '{') << "GeoJSON";
  EXPECT_NE(Run({"clip", "int", "a.txt", "result.json"}).out.find("total area 96.125"),
            std::string::npos);

  const LumoRun forced = Run({"clip", "union", "wkt-as.txt", "wkt-as.txt", "--format", "wkt"});
  EXPECT_EQ(forced.out, "MULTIPOLYGON(((1 1,0 0,1 0,1 1)))\n") << forced.err;

  // WKT coordinates take 15 significant digits unless one needs 17 to read back the same.
  std::ofstream(dir.File("short.wkt")) << "POLYGON((0.1 0,0.25 0,0.1 1,0.1 0))";
  std::ofstream(dir.File("long.wkt")) << "POLYGON((0.1 0,0.30000000000000004 0,0.1 1,0.1 0))";
  EXPECT_EQ(Run({"clip", "union", "short.wkt", "short.wkt"}).out,
            "MULTIPOLYGON(((0.1 1,0.1 0,0.25 0,0.1 1)))\n");
  EXPECT_NE(Run({"clip", "union", "long.wkt", "long.wkt"}).out.find(",0.30000000000000004 0,"),
            std::string::npos);
}

TEST_F(LumoProgram, ClipNamesTheLineOrJsonPathOfBadPolygons) {
  struct Case {
    const char* file;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"kind.wkt", "\n\nLINESTRING (0 0, 1 1)", "kind.wkt:3: expected POLYGON or MULTIPOLYGON"},
      {"cut.wkt", "POLYGON ((0 0, 1 0, 1 1, 0 0))\nPOLYGON ((0 0,\n1 0", "cut.wkt:2: expected WKT"},
      {"two.wkt", "POLYGON ((0 0, 1 0, 0 0))", "two.wkt:1: expected a ring of at least 3"},
      {"nan.wkt", "POLYGON ((0 0, 1 0, 1 nan, 0 0))", "nan.wkt:1: expected finite coordinates"},
      {"syntax.geojson", "{\n\"type\": }", "syntax.geojson:2: expected JSON"},
      {"huge.geojson", "{\"type\": \"Polygon\",\n\"coordinates\": [[[0, 0], [1e400, 0], [1, 1]]]}",
       "huge.geojson:2: expected JSON numbers a double holds"},
      {"typeless.geojson", R"({"type": 5})", "typeless.geojson: $.type: expected a type name"},
      {"point.geojson", R"({"type": "Point", "coordinates": [0, 0]})",
       "point.geojson: $.type: expected \"Polygon\""},
      {"position.geojson",
       R"({"type": "FeatureCollection", "features": [{"type": "Feature", "geometry":)"
       R"( {"type": "MultiPolygon", "coordinates": [[[[0, 0], [1, 0], ["x", 1]]]]}}]})",
       "position.geojson: $.features[0].geometry.coordinates[0][0][2]: expected a position"},
  };
  for (const Case& c : cases) {
    std::ofstream(dir.File(c.file)) << c.text;
    ExpectOneLineError({"clip", "union", c.file, c.file}, c.message);
  }
}

// The README's examples run a mask.
TEST_F(LumoProgram, FilesListsEntriesAndNamesAMissingDirectory) {
  const LumoRun files = Run({"files", dir.path(), "--order", "path"});
  ASSERT_EQ(files.status, 0) << files.err;
  EXPECT_NE(files.out.find(dir.File("g.rec")), std::string::npos) << files.out;
  ExpectOneLineError({"files", dir.File("no-such-dir")}, "no-such-dir");
}

TEST_F(LumoProgram, ColorsKeepAConfigurationDatabase) {
  ASSERT_EQ(Run({"colors", "init", "cfg.db"}).status, 0);
  EXPECT_EQ(Run({"colors", "init", "cfg.db"}).status, 1) << "the table is there already";
  ASSERT_EQ(Run({"colors", "set", "cfg.db", "figure", "3", "line=0x0000FF"}).status, 0);
  const LumoRun get = Run({"colors", "get", "cfg.db", "figure", "9"});
  ASSERT_EQ(get.status, 0) << get.err;
  EXPECT_NE(get.out.find("r=1.0"), std::string::npos) << "figure 9 falls back to 3: " << get.out;
  ASSERT_EQ(Run({"colors", "export", "cfg.db", "colors.txt"}).status, 0);
  ASSERT_EQ(Run({"colors", "init", "other.db"}).status, 0);
  ASSERT_EQ(Run({"colors", "import", "other.db", "colors.txt"}).status, 0);
  EXPECT_EQ(Run({"colors", "list", "other.db"}).out, Run({"colors", "list", "cfg.db"}).out);

  ExpectOneLineError({"colors", "list", "nowhere.db"}, "nowhere.db");
}

TEST_F(LumoProgram, DemoWalksTheLibraryAndSaysWhereItWrote) {
  const LumoRun demo = Run({"demo", "--out", "walk"});
  ASSERT_EQ(demo.status, 0) << demo.err;
  for (const char* file : {"walk/project.db", "walk/sys_config.db", "walk/slab.svg"}) {
    EXPECT_NE(demo.out.find(file), std::string::npos) << file;
    EXPECT_TRUE(std::ifstream(dir.File(file)).good()) << file;
  }
  // Lines that follow from the library's behaviour alone: the pane's items before and after the
  // edit, the group archive's bytes, the colours written and read back.
  for (const char* line :
       {"  Steel grade  Grade  shown \"HRB400\"   stored \"HRB400\"\n",
        "  Length (m)   L      shown \"3.25\"     stored \"3250\"\n",
        "  01 00 00 00 04 00 00 00 01 00 00 00 65 00 00 00 0A 4C 65 6E 67 74 68 20 28 6D 29 01 4C "
        "03 00 00 00 00 00 00 00 00 64 A9 40 01 01 00 00 00 66 00 00 00 04 42 61 72 73 01 4E 01 "
        "00 00 00 0C 00 00 00 01 01 00 00 00 67 00 00 00 0B 53 74 65 65 6C 20 67 72 61 64 65 05 "
        "47 72 61 64 65 05 00 00 00 06 48 52 42 34 30 30 01 01 00 00 00 68 00 00 00 04 48 6F 6F "
        "6B 04 48 6F 6F 6B FF FF FF FF 00\n",
        "Loaded back: 3 of 4 items equal to the saved ones\n",
        "  colours of line and face: line = (r=1.0 g=0.0 b=0.0),face = (r=0.5 g=0.7 b=0.0)\n",
        "    face = (transmission = (r=0.3 g=0.3 b=0.3))\n",
        "  figure 1: line = (r=0.1 g=0.1 b=0.1),face = (r=0.8 g=0.8 b=0.8)\n", "area 84.50"}) {
    EXPECT_NE(demo.out.find(line), std::string::npos) << line << demo.out;
  }
}

TEST_F(LumoProgram, JsonOfEverySubcommandIsOneDocumentWithItsFields) {
  using nlohmann::json;
  ASSERT_EQ(Run({"bag", "make", "b.bag", "width=2.5"}).status, 0);
  ScratchDir tree;
  std::ofstream(tree.File("h.txt")) << "hello\n";
  ASSERT_EQ(Run({"colors", "init", "cfg.db"}).status, 0);
  ASSERT_EQ(Run({"colors", "set", "cfg.db", "figure", "3", "line=0x0000FF/0x101010"}).status, 0);

  struct Case {
    std::vector<std::string> args;
    std::string pointer;  // a JSON pointer into the document
    json expected;
  };
  const std::vector<std::string> calc = {"calc", "max3", "1", "7.25", "3"};
  const Case cases[] = {
      {calc, "/result", "7.25"},
      {calc, "/arguments", {"1", "7.25", "3"}},
      {{"bag", "dump", "b.bag"}, "/entries", {{"width", "2.5"}}},
      {{"dump", "g.rec"}, "/kind", "group"},
      {{"dump", "g.rec"},
       "/records/0",
       {{"offset", 0}, {"kind", "group"}, {"version", 1}, {"items", 1}}},
      {{"dump", "g.rec"}, "/records/1/offset", 8},
      {{"dump", "g.rec"}, "/records/1/caption", "c"},
      {{"dump", "g.rec"}, "/records/1/value", {{"type", "int"}, {"value", 5}}},
      {{"dump", "--as", "oid", "id.rec"}, "/guessed", false},
      {{"dump", "id.rec"}, "/records/0/table_name", "TB_ENT"},
      {{"clip", "int", "a.txt", "b.txt"},
       "/contours",
       {{{"hole", false}, {"area", 4.0}, {"vertices", {{6, 6}, {4, 6}, {4, 4}, {6, 4}}}}}},
      {{"files", tree.path(), "--crc", "--checksum"}, "/entries/0/checksum", "6C6C6FD7"},
      {{"files", tree.path()}, "/totals", {{"files", 1}, {"directories", 0}, {"bytes", 6}}},
      {{"colors", "list", "cfg.db"},
       "/colors/0/parts/line",
       {{"color", "0x0000FF"}, {"rgb", {255, 0, 0}}, {"transparency", "0x101010"}}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back("--json");
    const LumoRun run = Run(args);
    const std::string what = args[0] + " " + args[1] + " " + c.pointer;
    ASSERT_EQ(run.status, 0) << what << ": " << run.err;
    json document;
    ASSERT_NO_THROW(document = json::parse(run.out)) << what << ":\n" << run.out;
    const json::json_pointer pointer(c.pointer);
    ASSERT_TRUE(document.contains(pointer)) << what << ":\n" << run.out;
    EXPECT_EQ(document[pointer], c.expected) << what;
  }

  const json files = json::parse(Run({"files", tree.path(), "--json"}).out);
  const std::regex iso("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z");
  EXPECT_TRUE(std::regex_match(files["entries"][0]["written"].get<std::string>(), iso))
      << files.dump();
  EXPECT_FALSE(files["entries"][0].contains("crc32")) << "a sum not asked for is left out";
}

// Every README block of shell lines starting "$ " runs here as written, in one empty scratch
// directory, and prints the lines below it.
TEST_F(LumoProgram, ReadmeShellExamplesPrintWhatTheReadmeShows) {
  std::ifstream readme(LUMO_README);
  ASSERT_TRUE(readme.good()) << LUMO_README;
  struct Step {
    std::string command;
    std::string expected;
  };
  std::vector<Step> steps;
  bool inBlock = false, sessionBlock = false;
  for (std::string line; std::getline(readme, line);) {
    if (line.rfind("```", 0) == 0) {
      inBlock = !inBlock;
      sessionBlock = false;
    } else if (inBlock && line.rfind("$ ", 0) == 0) {
      sessionBlock = true;
      steps.push_back({line.substr(2), ""});
    } else if (sessionBlock) {
      steps.back().expected += line + "\n";
    }
  }
  ASSERT_GE(steps.size(), 5u) << "the README's jq examples were not found";
  const ScratchDir empty;
  for (const Step& step : steps) {
    const LumoRun run = RunShell(empty, step.command);
    EXPECT_EQ(run.status, 0) << step.command << "\n" << run.err;
    EXPECT_EQ(run.out, step.expected) << step.command;
  }
}

}  // namespace
}  // namespace lumo_test
