// INSERT and UPDATE statements built from field names and values and run on a connection, with
// long-binary values written afterwards through a COleRecordset into the records the statement
// wrote: the engine reports their row identities with the statement itself, so a value never goes
// to an older record with equal values, and an UPDATE whose SET changes what its where text tests
// still gets its values.
//
// Values are rendered as SQL text when added: integers by "%d", reals as the number text (at most
// three decimals), texts in single quotes as they stand (a quote inside makes the statement fail).
// Nothing is caught: database exceptions reach the caller, and when the statement fails no long
// binary is written. A builder is not emptied by ExecuteSQL. Not thread-safe.
#ifndef LUMOTOOLS_DB_SQL_BUILDER_H_
#define LUMOTOOLS_DB_SQL_BUILDER_H_

#include <utility>
#include <vector>

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/odbc.h"

class LUMO_EXPORT CSqlStrHelper {
 public:
  CSqlStrHelper() = default;
  CSqlStrHelper(const CSqlStrHelper&) = default;
  CSqlStrHelper(CSqlStrHelper&&) = default;
  CSqlStrHelper& operator=(const CSqlStrHelper&) = default;
  CSqlStrHelper& operator=(CSqlStrHelper&&) = default;
  virtual ~CSqlStrHelper();

  // Runs the statement on db for table, then writes the long-binary values.
  virtual void ExecuteSQL(CDatabase* db, const CString& table) = 0;

  // Append one field; the same field added twice stays twice.
  void AddFieldValue(const CString& name, int value);
  void AddFieldValue(const CString& name, long value);
  void AddFieldValue(const CString& name, double value);
  void AddFieldValue(const CString& name, const CString& value);
  // A copy of the bytes goes to the long-binary list.
  void AddFieldValue(const CString& name, std::vector<unsigned char>& value);

 protected:
  // Runs sql on db. With a non-empty long-binary value, writes each such value, in the order
  // added, into every record of table the statement wrote, through a COleRecordset opened as a
  // dynaset on "select <field> from <table>" and positioned on that record. A record the open
  // does not find is skipped; a recordset that cannot be updated (a read-only connection) ends the
  // writing without an error. Empty values open nothing. Raises CDBException as the statement or a
  // write does; a failed statement writes no value.
  void Execute(CDatabase* db, const CString& table, const CString& sql) const;

  std::vector<std::pair<CString, CString>> m_values;  // field, value text
  std::vector<std::pair<CString, std::vector<unsigned char>>> m_binaries;
};

class LUMO_EXPORT CSqlInsert : public CSqlStrHelper {
 public:
  // INSERT INTO <table>(a,b) VALUES(5,'x'); the long binaries go into the record it inserted.
  void ExecuteSQL(CDatabase* db, const CString& table) override;

 private:
  friend class CSqlBuilderTextPeer;
  CString MakeInsertSQL(const CString& table) const;
  // "a=5 AND b='x'": selects the records that carry the inserted values.
  CString MakeFilterStr() const;
};

class LUMO_EXPORT CSqlUpdate : public CSqlStrHelper {
 public:
  // The condition without the word WHERE ("ID = 7").
  void SetWhere(const CString& where) { m_strWhere = where; }
  // UPDATE <table> SET a=5, b=1.5 WHERE <where> (the WHERE is written also when the where text is
  // empty, and the engine rejects it); the long binaries go into the records it changed.
  void ExecuteSQL(CDatabase* db, const CString& table) override;

 protected:
  friend class CSqlBuilderTextPeer;
  CString MakeUpdateSQL(const CString& table) const;

  CString m_strWhere;
};

#endif  // LUMOTOOLS_DB_SQL_BUILDER_H_
