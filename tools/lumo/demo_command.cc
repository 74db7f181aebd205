// lumo demo [--out DIR]: a walk through the library: a property edited and saved the way a host's
// property pane does it, hook-data texts, a colour item's text form, property values as archive
// records, a property bag, a slab with openings cut by the polygon clipper and drawn to SVG, and
// the checksums of the files the walk wrote into DIR.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "commands.h"
#include "contour_file.h"
#include "hostkit/db_factory.h"
#include "lumotools/color.h"
#include "lumotools/db.h"
#include "lumotools/geometry.h"
#include "lumotools/platform.h"
#include "lumotools/property.h"
#include "lumotools/util.h"

namespace lumo_cli {
namespace {

std::string Quote(const CString& text) { return "\"" + text.str() + "\""; }

std::vector<unsigned char> FileBytes(CMemFile& file) {
  std::vector<unsigned char> bytes(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  if (!bytes.empty()) file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

// A property pane's round: styles registered with their kinds and unit factors, items built from
// texts, shown in the user's unit, edited through a transfer box, saved and loaded back.
std::vector<unsigned char> ShowTypicalRequest() {
  enum : long { kLength = 101, kBars = 102, kGrade = 103, kHook = 104 };
  CAnyPropertyStyleIdCache& styles = CAnyPropertyStyleIdCache::Instance();
  styles.AddID_StyleBaseInfo(kLength, BAT_DOUBLE, 1000.0);  // shown in m, stored in mm
  styles.AddID_StyleBaseInfo(kBars, BAT_INT, 1.0);
  styles.AddID_StyleBaseInfo(kGrade, BAT_CSTRING, 1.0);
  styles.AddID_StyleBaseInfo(kHook, BAT_HOOKDATA, 1.0);

  CAnyTypeStrategyRegister& strategies = CAnyTypeStrategyRegister::instance();
  CAnyPropertyGroup group;
  group.AddPropItem(strategies.PropItemStrategy(kLength, "Length (m)", "L", 1, "2.5"));
  group.AddPropItem(strategies.PropItemStrategy(kBars, "Bars", "N", 1, "12"));
  group.AddPropItem(strategies.PropItemStrategy(kGrade, "Steel grade", "Grade", 1, "HRB400"));
  group.AddPropItem(strategies.PropItemStrategy(kHook, "Hook", "Hook", 0, ""));

  std::cout << "A property pane: items built from texts, shown in the user's unit\n";
  const auto show = [](const CAnyPropertyGroup& g) {
    for (const CAnyPropertyItem& item : g.GetPropertyItems()) {
      std::printf("  %-12s %-6s shown %-10s stored %s\n", item.GetCaption().c_str(),
                  item.GetVarName().c_str(), Quote(item.GetValueS(-2)).c_str(),
                  Quote(item.GetValueS(-1)).c_str());
    }
  };
  show(group);

  std::cout << "The user types 3.25 for the length and picks a hook of 3(2)*4\n";
  CTransferUiToAnyBox lengthBox;
  lengthBox.AddTransfer(new CTransferUiToAny_String("3.25"));
  group.FindPropItemByName("l", false)->SetValueBox(lengthBox, -2);
  CTransferUiToAnyBox hookBox;
  hookBox.AddTransfer(new CTransferUiToAny_Class(CHookData(CString("3(2)*4"))));
  group.FindPropItemByName("Hook", false)->SetValueBox(hookBox, -2);
  show(group);

  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    group.Serialize(ar);
  }
  const std::vector<unsigned char> bytes = FileBytes(file);
  std::cout << "Saved as a group archive of " << bytes.size() << " bytes (the hook value has no "
            << "archive registration, so it is written as kind -1):\n  " << HexBytes(bytes) << '\n';
  file.SeekToBegin();
  CAnyPropertyGroup loaded;
  {
    CArchive ar(&file, CArchive::load);
    loaded.Serialize(ar);
  }
  size_t same = 0;
  for (size_t i = 0; i < loaded.GetPropertyItems().size(); ++i) {
    same += loaded.GetPropertyItems()[i] == group.GetPropertyItems()[i] ? 1 : 0;
  }
  std::cout << "Loaded back: " << same << " of " << group.GetPropertyItems().size()
            << " items equal to the saved ones\n\n";
  return bytes;
}

void ShowHookData() {
  std::cout << "Hook data: text -> pairs -> text\n";
  for (const char* text : {"3(2)*4", "3 * 4", "*7", "12(3)*0"}) {
    const CHookData value{CString(text)};
    std::printf("  %-10s -> %d(%d), %d(%d) -> %s\n", Quote(text).c_str(), value.m_nNum1,
                value.m_nSub1, value.m_nNum2, value.m_nSub2, Quote(value.GetHookDataStr()).c_str());
  }
}

void ShowColorItem() {
  CVisualColorItem item;
  item.SetColor(VCK_LINE, 0x0000FF);
  item.SetColor(VCK_FACE, 0x00BF80);
  item.SetTransparency(VCK_FACE, 0x404040);
  std::cout << "\nColour item (red line, face 0x00BF80 with transmission 0x404040)\n";
  std::cout << "  colours of line and face: "
            << item.GetColorStr_OnlyColor(VCK_LINE, VCK_FACE, VCK_END).str() << '\n';
  std::cout << "  full text form:\n";
  CString full = item.GetColorStr();
  for (int start = 0; start >= 0;) {
    const CString segment = full.Tokenize(",", start);
    if (start >= 0) std::cout << "    " << segment.str() << '\n';
  }
}

std::string DescribeValue(const boost::any& value) {
  char buf[64];
  if (value.empty()) return "(empty)";
  if (const auto* v = boost::any_cast<unsigned char>(&value))
    std::snprintf(buf, sizeof buf, "byte %u", *v);
  else if (const auto* v = boost::any_cast<int>(&value))
    std::snprintf(buf, sizeof buf, "int %d", *v);
  else if (const auto* v = boost::any_cast<long>(&value))
    std::snprintf(buf, sizeof buf, "long %ld", *v);
  else if (const auto* v = boost::any_cast<double>(&value))
    std::snprintf(buf, sizeof buf, "double %g", *v);
  else if (const auto* v = boost::any_cast<unsigned long>(&value))
    std::snprintf(buf, sizeof buf, "colour 0x%06lX", *v);
  else if (const auto* v = boost::any_cast<std::string>(&value))
    return "std::string \"" + *v + "\"";
  else if (const auto* v = boost::any_cast<CString>(&value))
    return "CString " + Quote(*v);
  else
    return "(a value of another type)";
  return buf;
}

void ShowArchiveRecords() {
  std::cout << "\nProperty values as archive records (kind, then payload)\n";
  const boost::any values[] = {static_cast<unsigned char>(7),
                               42,
                               -3L,
                               1.5,
                               0x00FF8000UL,
                               std::string("宋体"),
                               CString("abc"),
                               boost::any()};
  CAnyPropRegMap& registry = CAnyPropRegMap::instance();
  for (const boost::any& value : values) {
    CMemFile file;
    {
      CArchive ar(&file, CArchive::store);
      registry.ArchiveStore(ar, value);
    }
    std::vector<unsigned char> bytes(static_cast<size_t>(file.GetLength()));
    file.SeekToBegin();
    file.Read(bytes.data(), static_cast<UINT>(bytes.size()));

    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    boost::any back;
    const bool read = registry.ArchiveLoad(ar, back);
    std::printf("  %-22s %-38s -> %s\n", DescribeValue(value).c_str(), HexBytes(bytes).c_str(),
                read ? DescribeValue(back).c_str() : "not read back");
  }
}

void ShowBag() {
  Kv_SuperProp bag;
  bag.m_mapVars["Width"] = "300";
  bag.m_mapVars["Grade"] = "C30";
  const std::vector<unsigned char> bytes = bag.ToByteArray();
  Kv_SuperProp back;
  back.FromByteArray(bytes);
  std::cout << "\nProperty bag {Width=300, Grade=C30} as bytes\n  " << HexBytes(bytes) << "\n"
            << "  read back equal: " << (back == bag ? "yes" : "no") << '\n';
}

struct DemoOptions {
  std::string out = "lumo-demo";
};

void AddRectangle(OwnedPolygon& polygon, double x0, double y0, double x1, double y1) {
  gpc_vertex corners[] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
  gpc_vertex_list contour{4, corners};
  gpc_add_contour(polygon.get(), &contour, 0);
}

// The group archive kept as the data object of an object-table record in an SQLite project
// database, and read back from there.
void ShowDataObject(const std::string& out, const std::vector<unsigned char>& groupBytes) {
  const std::string path = out + "/project.db";
  std::filesystem::remove(path);
  auto& factory = CDbFactoryT<CDatabase>::instance();
  factory.CreateDB(path.c_str());
  CDatabase* db = factory.GetDB(path.c_str());
  db->ExecuteSQL(
      "CREATE TABLE TB_ENT (ID INTEGER, ParentID INTEGER, PropID INTEGER, DataObj BLOB)");
  CObjID id;
  id.SetTableID(TB_ENT);
  id.SetID(1);
  id.SetParentID(0);
  id.SetPropID(7);
  {
    CDataRecordset rs(db);
    rs.OpenForAppend("TB_ENT");
    rs.AddNew();
    rs.SetObjID(id);
    rs.WriteDataObj(groupBytes);
    rs.Update();
  }
  std::vector<unsigned char> stored;
  {
    CDataRecordset rs(db);
    rs.OpenTable(CRecordset::snapshot, id.BuildSql(), CRecordset::readOnly);
    if (!rs.IsEOF()) rs.ReadDataObj(stored);
  }
  CAnyPropertyGroup group;
  CMemFile file(stored.data(), static_cast<UINT>(stored.size()), 0);
  {
    CArchive ar(&file, CArchive::load);
    group.Serialize(ar);
  }
  file.Detach();
  factory.CloseDB(path.c_str());
  std::printf(
      "\nThe group archive stored as the data object of record %ld of TB_ENT in %s\n"
      "  query: %s\n  read back %zu bytes (%s), %zu items\n",
      id.GetID(), path.c_str(), id.BuildSql().GetString(), stored.size(),
      stored == groupBytes ? "the same bytes" : "DIFFERENT bytes", group.GetPropertyItems().size());
}

// A configuration database with the ColorDef table: two figure colours and one special colour
// saved by the colour manager and loaded back by a second one.
void ShowColorTable(const std::string& out) {
  const std::string path = out + "/sys_config.db";
  std::filesystem::remove(path);
  auto& factory = CDbFactoryT<CDatabase>::instance();
  factory.CreateDB(path.c_str());
  factory.GetDB(path.c_str())
      ->ExecuteSQL(
          "CREATE TABLE ColorDef (relateID INTEGER, IsSpecialColor INTEGER, ColorData "
          "VARCHAR(64))");
  CVisualColorItem wall;
  wall.SetColor(VCK_LINE, 0x202020);
  wall.SetColor(VCK_FACE, 0xC0C0C0);
  CVisualColorItem rebar;
  rebar.SetColor(VCK_LINE, 0x0000FF);
  rebar.SetTransparency(VCK_FACE, 0x303030);
  CVisualColorItem selected;
  selected.SetColor(VCK_EDGE, 0x00FFFF);
  CDbVisualColorMrg colors;
  colors.AddFigColor(1, wall);
  colors.AddFigColor(2, rebar);
  colors.AddSpecialColor(static_cast<SpecialColorKind>(1), selected);
  colors.SaveToDB(path.c_str());
  const CDbVisualColorMrg loaded(path.c_str());
  factory.CloseDB(path.c_str());
  std::cout << "\nThe colour table (ColorDef) of " << path << ", loaded back\n";
  for (const auto& entry : loaded.GetGJColorMap()) {
    std::cout << "  figure " << entry.first << ": "
              << entry.second.m_colorItem.GetColorStr_OnlyColor(VCK_LINE, VCK_FACE, VCK_END).str()
              << '\n';
  }
  for (const auto& entry : loaded.GetSpecialColorMap()) {
    std::cout << "  special " << entry.first << ": "
              << entry.second.m_colorItem.GetColorStr_OnlyColor(VCK_EDGE, VCK_END).str() << '\n';
  }
}

// A floor slab of 12 m by 8 m less a stairwell inside it and a shaft at its edge: the concrete
// area of the take-off, and a picture of it.
void ShowSlabCut(const std::string& out) {
  OwnedPolygon slab, openings, rest;
  AddRectangle(slab, 0, 0, 12, 8);
  AddRectangle(openings, 3, 3, 6, 5.5);  // stairwell, inside the slab
  AddRectangle(openings, 10, 6, 13, 9);  // shaft, over the corner
  gpc_polygon_clip(GPC_DIFF, slab.get(), openings.get(), rest.get());
  int holes = 0;
  for (int32_t c = 0; c < rest->num_contours; ++c) holes += rest->hole[c];
  const std::string svg = out + "/slab.svg";
  WriteClipSvg(svg, *slab, *openings, *rest);
  std::printf(
      "\nA slab of 12 x 8 m less a stairwell of 3 x 2.5 m and a shaft over its corner\n"
      "  %d contours (%d of them holes), area %.2f m2 (96 - 7.5 - 4)\n  drawn to %s\n",
      rest->num_contours, holes, NetArea(*rest), svg.c_str());
}

// The checksums of what the walk wrote, as a take-off project keeps them for its files.
void ShowChecksums(const std::string& out) {
  CFileInfoArray files;
  files.AddDir(CString(out + "/"), "*.*", FALSE, 0, FALSE);
  std::cout << "\nFiles written to " << out << ", with their CRC-32 and additive checksum\n";
  for (INT_PTR i = 0; i < files.GetSize(); ++i) {
    CFileInfo& file = files[i];
    std::printf("  %-40s %8llu bytes  crc %08X  sum %08X\n", file.GetFilePath().GetString(),
                static_cast<unsigned long long>(file.GetLength64()), file.GetCRC(),
                file.GetChecksum());
  }
}

void RunDemo(const DemoOptions& options) {
  std::error_code failed;
  std::filesystem::create_directories(options.out, failed);
  if (failed) throw CommandFailure("cannot create " + options.out + ": " + failed.message());
  // Message boxes of the library appear in the walk's output instead of on standard error.
  const AfxMessageBoxHandler previous =
      AfxSetMessageBoxHandler([](const CString& text, UINT, UINT) {
        std::cout << "  [message box] " << text.str() << '\n';
        return IDOK;
      });
  std::cout << "LumoTools demo\n\n";
  const std::vector<unsigned char> groupBytes = ShowTypicalRequest();
  ShowHookData();
  ShowColorItem();
  ShowArchiveRecords();
  ShowBag();
  try {
    ShowDataObject(options.out, groupBytes);
    ShowColorTable(options.out);
  } catch (CDBException* e) {
    const std::string reason = e->m_strError.str();
    e->Delete();
    throw CommandFailure("database: " + reason);
  }
  ShowSlabCut(options.out);
  ShowChecksums(options.out);
  AfxSetMessageBoxHandler(previous);
}

}  // namespace

void AddDemoCommand(CLI::App& app) {
  auto options = std::make_shared<DemoOptions>();
  CLI::App* demo =
      app.add_subcommand("demo", "Walk through the library, writing its files into a directory");
  demo->add_option("--out", options->out, "Directory for the files the walk writes")
      ->capture_default_str();
  demo->callback([options] { RunDemo(*options); });
}

}  // namespace lumo_cli
