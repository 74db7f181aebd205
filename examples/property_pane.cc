// A property pane's round trip: styles with their units, items built from the user's texts, an
// edit through a transfer box, and the group stored as an archive record and loaded back.
#include <cstdio>

#include "lumotools/platform.h"
#include "lumotools/property.h"

int main() {
  enum : long { kLength = 101, kBars = 102, kGrade = 103 };
  CAnyPropertyStyleIdCache& styles = CAnyPropertyStyleIdCache::Instance();
  styles.AddID_StyleBaseInfo(kLength, BAT_DOUBLE, 1000.0);  // shown in m, stored in mm
  styles.AddID_StyleBaseInfo(kBars, BAT_INT, 1.0);
  styles.AddID_StyleBaseInfo(kGrade, BAT_CSTRING, 1.0);

  CAnyTypeStrategyRegister& strategies = CAnyTypeStrategyRegister::instance();
  CAnyPropertyGroup group;
  group.AddPropItem(strategies.PropItemStrategy(kLength, "Length (m)", "L", 1, "2.5"));
  group.AddPropItem(strategies.PropItemStrategy(kBars, "Bars", "N", 1, "12"));
  group.AddPropItem(strategies.PropItemStrategy(kGrade, "Steel grade", "Grade", 1, "HRB400"));

  // The user types 3.25 into the length's cell.
  CTransferUiToAnyBox box;
  box.AddTransfer(new CTransferUiToAny_String("3.25"));
  group.FindPropItemByName("L", false)->SetValueBox(box, -2);

  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    group.Serialize(ar);
  }
  file.SeekToBegin();
  CAnyPropertyGroup loaded;
  {
    CArchive ar(&file, CArchive::load);
    loaded.Serialize(ar);
  }

  bool same = loaded.GetPropertyItems().size() == group.GetPropertyItems().size();
  for (const CAnyPropertyItem& item : loaded.GetPropertyItems()) {
    std::printf("%-12s shown %-8s stored %s\n", item.GetCaption().c_str(),
                item.GetValueS(-2).GetString(), item.GetValueS(-1).GetString());
    same = same && *group.FindPropItemByName(item.GetVarName().c_str(), false) == item;
  }
  const CString stored = loaded.FindPropItemByName("L", false)->GetValueS(-1);
  std::printf("%llu bytes, loaded back %s\n", static_cast<unsigned long long>(file.GetLength()),
              same && stored == "3250" ? "equal" : "DIFFERENT");
  return same && stored == "3250" ? 0 : 1;
}
