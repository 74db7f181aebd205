// Recordsets bound to one long-binary column: COleRecordset moves bytes between a byte vector and
// the column; CDataRecordset is the recordset of the model's object tables, binding the three
// identifier columns of a CObjID and the column [DataObj].
//
// Not thread-safe: one thread per recordset and connection.
#ifndef LUMOTOOLS_DB_DATA_RECORDSET_H_
#define LUMOTOOLS_DB_DATA_RECORDSET_H_

#include <vector>

#include "lumotools/db/lumo_recordset.h"
#include "lumotools/db/obj_id.h"
#include "lumotools/export.h"

class LUMO_EXPORT COleRecordset : public CLumoRecordset {
  DECLARE_DYNAMIC(COleRecordset)

 public:
  // column is the long-binary column the data object is bound to. One bound field; the default
  // open type is snapshot.
  COleRecordset(CDatabase* db, const CString& column);
  // Frees the data object's memory, then closes.
  ~COleRecordset() override;

  // Open(openType, sql, options): non-zero on success; database exceptions pass on.
  int OpenTable(unsigned int openType, const char* sql, unsigned long options);

  // Puts bytes into the data object (fixed, zeroed global memory) and marks the field changed and
  // not NULL, so the next Update writes it. An empty vector frees the data object and answers
  // false, leaving the field unmarked. REQUIRES: Edit or AddNew has started, for the mark to
  // count.
  bool WriteDataObj(const std::vector<unsigned char>& bytes);
  // Replaces bytes with the data object's bytes and returns their number; no memory gives an
  // empty vector and 0.
  unsigned int ReadDataObj(std::vector<unsigned char>& bytes) const;

 protected:
  // "ODBC;DSN=MS Access Database", used when the recordset opens a connection of its own.
  CString GetDefaultConnect() override;
  // Output columns: the long-binary column named at construction.
  void DoFieldExchange(CFieldExchange* fx) override;
  // Frees the data object's memory, if any, and clears the handle.
  void FreeDataObj();

  CLongBinary m_dataObj;
  CString m_strColumn;
};

class LUMO_EXPORT CDataRecordset : public COleRecordset {
  DECLARE_DYNAMIC(CDataRecordset)

 public:
  // Bound to [DataObj]; four bound fields; the object identifier all -1.
  explicit CDataRecordset(CDatabase* db);

  // Opens a dynaset on "select * from <table> where 1=0 " (no records), ready for AddNew.
  // Returns the open's result; database exceptions pass on.
  int OpenForAppend(const CString& table);

  CObjID GetObjID() const { return m_objId; }
  // Copies the four fields (the identifier manager is not told).
  void SetObjID(const CObjID& id) { m_objId = id; }

 protected:
  // Output columns [ID], [ParentID], [PropID], then [DataObj].
  void DoFieldExchange(CFieldExchange* fx) override;

  CObjID m_objId;
};

#endif  // LUMOTOOLS_DB_DATA_RECORDSET_H_
