// The colour manager: a configuration database where the host keeps it (system/sys_config.mdb
// under the current directory), colours saved into its ColorDef table, and the process's manager
// answering the 3D view's questions from it. Run it in a directory of its own.
#include <cstdio>
#include <filesystem>

#include "hostkit/db_factory.h"
#include "lumotools/color.h"
#include "lumotools/platform.h"

int main() {
  const CString path = CDbVisualColorMrg::GetDBPath();
  std::filesystem::create_directories("system");
  std::filesystem::remove(path.GetString());
  try {
    auto& factory = CDbFactoryT<CDatabase>::instance();
    factory.CreateDB(path);
    factory.GetDB(path)->ExecuteSQL(
        "CREATE TABLE ColorDef (relateID INTEGER, IsSpecialColor INTEGER, ColorData VARCHAR(64))");

    CVisualColorItem wall;
    wall.SetColor(VCK_LINE, 0x202020);  // 0xBBGGRR: red in the lowest byte
    wall.SetColor(VCK_FACE, 0xC0C0C0);
    wall.SetTransparency(VCK_FACE, 0x303030);
    CVisualColorItem rebar;
    rebar.SetColor(VCK_LINE, 0x0000FF);
    CDbVisualColorMrg editor;
    editor.AddFigColor(1, wall);
    editor.AddFigColor(2, rebar);
    editor.SaveToDB(path);

    const CDbVisualColorMrg& colors = CDbVisualColorMrg::instance();  // loads GetDBPath()
    std::printf("figure 2: %s\n",
                colors.GetColorByFigId(2)->GetColorStr_OnlyColor(VCK_LINE, VCK_END).GetString());
    std::printf("figure 9 (none; the smallest id answers): %s\n",
                colors.GetColorStrByFigId(9).GetString());
    factory.CloseDB(path);
    const bool right = colors.GetGJColorMap().size() == 2 && *colors.GetColorByFigId(9) == wall &&
                       colors.GetColorByFigId(2)->GetColor(VCK_LINE) == 0x0000FF;
    return right ? 0 : 1;
  } catch (CDBException* e) {
    std::fprintf(stderr, "%s: %s\n", path.GetString(), e->GetDescription().GetString());
    e->Delete();
    return 1;
  }
}
