// A project record holding a property group: the group's archive bytes stored as the data object
// of a row of an SQLite project database, read back and loaded.
// Usage: project_record [DB]   (default project.db; the file is created anew)
#include <cstdio>
#include <filesystem>
#include <vector>

#include "hostkit/db_factory.h"
#include "lumotools/db.h"
#include "lumotools/platform.h"
#include "lumotools/property.h"

int main(int argc, char** argv) {
  const CString path = argc > 1 ? argv[1] : "project.db";
  std::filesystem::remove(path.GetString());
  CAnyPropertyStyleIdCache::Instance().AddID_StyleBaseInfo(201, BAT_DOUBLE, 1.0);
  CAnyPropertyGroup group;
  group.AddPropItem(
      CAnyTypeStrategyRegister::instance().PropItemStrategy(201, "Thickness", "T", 1, "200"));
  CMemFile memory;
  {
    CArchive ar(&memory, CArchive::store);
    group.Serialize(ar);
  }
  std::vector<unsigned char> bytes(static_cast<size_t>(memory.GetLength()));
  memory.SeekToBegin();
  memory.Read(bytes.data(), static_cast<UINT>(bytes.size()));

  try {
    auto& factory = CDbFactoryT<CDatabase>::instance();
    factory.CreateDB(path);  // a new SQLite file
    CDatabase* db = factory.GetDB(path);
    db->ExecuteSQL(
        "CREATE TABLE TB_ENT (ID INTEGER, ParentID INTEGER, PropID INTEGER, DataObj BLOB)");
    CObjID id;
    id.SetTableID(TB_ENT);
    id.SetID(1);
    id.SetPropID(7);
    {
      CDataRecordset rs(db);
      rs.OpenForAppend("TB_ENT");
      rs.AddNew();
      rs.SetObjID(id);
      rs.WriteDataObj(bytes);
      rs.Update();
    }
    std::vector<unsigned char> stored;
    {
      CDataRecordset rs(db);
      rs.OpenTable(CRecordset::snapshot, id.BuildSql(), CRecordset::readOnly);
      if (!rs.IsEOF()) rs.ReadDataObj(stored);
    }
    factory.CloseDB(path);

    CMemFile file(stored.data(), static_cast<UINT>(stored.size()), 0);
    CAnyPropertyGroup loaded;
    {
      CArchive ar(&file, CArchive::load);
      loaded.Serialize(ar);
    }
    file.Detach();
    const bool same = stored == bytes && loaded.GetPropertyItems() == group.GetPropertyItems();
    std::printf("%s: %zu bytes in record %ld, %s\n", path.GetString(), stored.size(), id.GetID(),
                same ? "read back equal" : "read back DIFFERENT");
    return same ? 0 : 1;
  } catch (CDBException* e) {
    std::fprintf(stderr, "%s: %s\n", path.GetString(), e->GetDescription().GetString());
    e->Delete();
    return 1;
  }
}
