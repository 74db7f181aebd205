// Base classes of host objects stored one record per object: CDbItemBase (records found by a
// condition the caller gives) and CDbItemBaseWithID (records found by the integer column "ID",
// numbered by the database).
//
// A derived class lists its stored fields by filling a statement builder in GetFieldValue. Nothing
// is caught: database exceptions reach the caller. Not thread-safe.
#ifndef LUMOTOOLS_DB_DB_ITEM_BASE_H_
#define LUMOTOOLS_DB_DB_ITEM_BASE_H_

#include "lumotools/db/lumo_recordset.h"
#include "lumotools/db/sql_builder.h"
#include "lumotools/export.h"

class LUMO_EXPORT CDbItemBase {
 public:
  CDbItemBase() = default;
  CDbItemBase(const CDbItemBase&) = default;
  CDbItemBase& operator=(const CDbItemBase&) = default;
  virtual ~CDbItemBase();

  // Inserts the fields GetFieldValue lists into table.
  virtual void InsertToDB(CDatabase* db, const CString& table);
  // Updates the records where selects with the fields GetFieldValue lists.
  void UpdateToDB(CDatabase* db, const CString& table, const CString& where) const;
  // "Delete * From <table> Where <where>".
  void DeleteFromDB(CDatabase* db, const CString& table, const CString& where) const;
  // A hook for derived classes; sends nothing.
  void CreateTable(CDatabase* db, const CString& table) const;

 protected:
  // Adds each stored field to builder, in the order of the statement's columns.
  virtual void GetFieldValue(CSqlStrHelper& builder) const = 0;
};

class LUMO_EXPORT CDbItemBaseWithID : public CDbItemBase {
 public:
  CDbItemBaseWithID() = default;
  // The identifier is the "ID" field of the current record of rs.
  explicit CDbItemBaseWithID(CLumoRecordset& rs);
  CDbItemBaseWithID(const CDbItemBaseWithID&) = default;
  CDbItemBaseWithID& operator=(const CDbItemBaseWithID&) = default;

  long GetID() const { return m_nID; }
  void SetID(long id) { m_nID = id; }  // nothing is written

  // Inserts, then takes the table's largest ID (0 when none) as the identifier. When the insert
  // fails the identifier keeps its value.
  void InsertToDB(CDatabase* db, const CString& table) override;
  using CDbItemBase::DeleteFromDB;
  using CDbItemBase::UpdateToDB;
  // The record whose ID is the identifier ("ID = <id>").
  void UpdateToDB(CDatabase* db, const CString& table) const;
  void DeleteFromDB(CDatabase* db, const CString& table) const;
  // Gives the item's record the identifier newId. Refuses (false, nothing changed) when a record
  // of table already carries newId or no record carries the item's identifier; otherwise rewrites
  // the record's ID and the item's identifier and returns true.
  bool ModifyID(CDatabase* db, const CString& table, long newId);

 protected:
  // The "ID" column is never written by the item: nothing is added.
  void GetFieldValue(CSqlStrHelper& builder) const override;

  long m_nID = -1;
};

#endif  // LUMOTOOLS_DB_DB_ITEM_BASE_H_
