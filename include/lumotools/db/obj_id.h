// Object identifiers of the building model's tables (CObjID) and the process-wide identifier
// manager (CLumoID_Manager) that hands out new identifiers and remembers every identifier set.
//
// Only the creation of the manager is thread-safe; the identifier space is used from one thread at
// a time.
#ifndef LUMOTOOLS_DB_OBJ_ID_H_
#define LUMOTOOLS_DB_OBJ_ID_H_

#include <map>

#include "lumotools/export.h"
#include "lumotools/platform/archive.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/odbc.h"

// The model's tables; the value indexes the table names ("TB_WORLD" ...), -1 is no table.
enum DbTableID : int {
  TB_NULL = -1,
  TB_WORLD = 0,
  TB_AREA = 1,
  TB_FLOOR = 2,
  TB_TC = 3,
  TB_LEVEL = 4,
  TB_ENT = 5,
  TB_AXIS = 6,
  TB_AXIS_TEMPLATE = 7,
  TB_ENT_TEMPLATE = 8,
  TB_ENT_SOUL = 9,
  TB_TEMPLATE_SOUL = 10,
  TB_BODY_3D = 11,
  TB_CAD_GRAPH = 12,
};

// The SQL name of a table ("TB_ENT"); the empty text for a value outside TB_WORLD..TB_CAD_GRAPH.
LUMO_EXPORT CString DbTableName(DbTableID table);

// One stored object: its table, identifier (the "ID" column), parent identifier ("ParentID") and
// the property under which it hangs from the parent ("PropID"). All -1 when new.
class LUMO_EXPORT CObjID {
 public:
  CObjID() = default;
  CObjID(const CObjID&) = default;
  CObjID& operator=(const CObjID&) = default;

  DbTableID GetTableID() const { return m_tableId; }
  long GetID() const { return m_id; }
  long GetParentID() const { return m_parentId; }
  long GetPropID() const { return m_propId; }

  // Set the field, then register the whole identifier with the manager.
  void SetTableID(DbTableID table);
  void SetID(long id);
  // Set the field only.
  void SetParentID(long id) { m_parentId = id; }
  void SetPropID(long id) { m_propId = id; }

  bool IsNull() const { return m_tableId == TB_NULL; }
  void SetNull();  // all four fields -1, nothing registered
  bool IsValid() const { return m_id >= 0; }

  // Comparisons look at the identifiers only, as signed numbers.
  bool operator<(const CObjID& o) const { return m_id < o.m_id; }
  bool operator>(const CObjID& o) const { return m_id > o.m_id; }
  bool operator<=(const CObjID& o) const { return m_id <= o.m_id; }
  bool operator>=(const CObjID& o) const { return m_id >= o.m_id; }
  bool operator==(const CObjID& o) const { return m_id == o.m_id; }
  bool operator!=(const CObjID& o) const { return m_id != o.m_id; }

  // The number of record fields DoFieldExchange binds: 3.
  unsigned int FieldCount() const { return 3; }
  // Binds the long columns [ID], [ParentID] and [PropID], in this order (the table is not a
  // column).
  void DoFieldExchange(CFieldExchange* fx);

  // "select * from <table> where ID = <id>". For a table outside TB_WORLD..TB_CAD_GRAPH the table
  // name is empty (and the text is no valid statement).
  CString BuildSql() const;
  // "select * from <table> where ParentID = <id> and PropID = <propId>": the children of this
  // object under property propId in table.
  CString BuildDynSql(DbTableID table, int propId) const;

  // Five 32-bit words: the format number 1, table, identifier, parent, property. Loading ignores
  // the format number and registers the object with the manager.
  void Serialize(CArchive& ar);

 private:
  DbTableID m_tableId = TB_NULL;
  long m_id = -1;
  long m_parentId = -1;
  long m_propId = -1;
};

class LUMO_EXPORT CLumoID_Manager {
 public:
  // The single instance, created on first use.
  static CLumoID_Manager& instance();

  CLumoID_Manager(const CLumoID_Manager&) = default;
  CLumoID_Manager(CLumoID_Manager&&) = default;
  CLumoID_Manager& operator=(const CLumoID_Manager&) = default;
  CLumoID_Manager& operator=(CLumoID_Manager&&) = default;

  // Raises the running maximum by one and returns it (1001 first on a fresh manager).
  long GetNextID();
  long GetCurMaxID() const { return m_curMaxId; }

  // Stores a copy of id under its identifier, replacing an earlier entry; the maximum stays.
  void RegisterObjID(const CObjID& id);
  // The stored copy for id, or null. Valid until the entry is replaced.
  const CObjID* FindObjID(long id) const;

  // "update config set nVal=<maximum> where key ='max_id'". Raises CDBException on failure; a
  // missing row is left missing.
  void SaveInfo(CDatabase* db);
  // Takes the nVal of the config row whose key is max_id as the running maximum; without such a
  // row the maximum stays. Raises CDBException on failure (a missing config table).
  void LoadInfo(CDatabase* db);

 private:
  CLumoID_Manager() = default;

  long m_curMaxId = 1000;
  std::map<long, CObjID> m_registry;
};

#endif  // LUMOTOOLS_DB_OBJ_ID_H_
