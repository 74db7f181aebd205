// The colour manager: the display colours of the application, one CVisualColorItem per figure id
// and one per special-colour kind, kept in the table ColorDef of the configuration database and
// loaded into two ordered maps.
//
// CDbVisualColorItem is one row of ColorDef; CDbVisualColorMrg the manager. Databases are reached
// through the database factory by path (an SQLite file, or a link file pointing at a server).
// Database errors are not caught: CDBException reaches the caller. Only the creation of instance()
// is thread-safe; every other operation must be serialised by the caller.
#ifndef LUMOTOOLS_COLOR_VISUAL_COLOR_MRG_H_
#define LUMOTOOLS_COLOR_VISUAL_COLOR_MRG_H_

#include <map>

#include "lumotools/color/visual_color_item.h"
#include "lumotools/db/lumo_recordset.h"
#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/odbc.h"

// The application's special-colour kinds; the manager treats them as plain integer keys.
enum SpecialColorKind : int {};

class LUMO_EXPORT CDbVisualColorItem {
 public:
  // Relate id and flag 0, colours all zero.
  CDbVisualColorItem() = default;
  // Reads the current row of rs: the integer fields RelateID and IsSpecialColor, and ColorData
  // decoded (see DecodeColorData).
  explicit CDbVisualColorItem(CLumoRecordset& rs);
  CDbVisualColorItem(long relateId, int isSpecialColor, CVisualColorItem item);
  CDbVisualColorItem(const CDbVisualColorItem&) = default;
  CDbVisualColorItem& operator=(const CDbVisualColorItem&) = default;

  CVisualColorItem& GetColorItem() { return m_colorItem; }
  const CVisualColorItem& GetColorItem() const { return m_colorItem; }

  // The ColorData text of item: its 32 bytes (line colour, line transparency, face colour, ...,
  // each word lowest byte first), with 0x00 and 0x66 written as 'T', followed by 32 markers:
  // 'z' for 0x00, 'x' for 0x66, 'c' for any other byte kept as itself.
  static CString EncodeColorData(const CVisualColorItem& item);
  // The colours of a ColorData text (at most its first 64 characters are used; what is missing
  // reads as zero bytes).
  static CVisualColorItem DecodeColorData(const CString& text);

  long m_nRelateID = 0;       // figure id, or the SpecialColorKind of a special colour
  int m_nIsSpecialColor = 0;  // non-zero: special colour
  CVisualColorItem m_colorItem;

 protected:
  friend class CDbVisualColorMrg;
  static CString GetTableName() { return "ColorDef"; }
  // Inserts the row: Insert Into ColorDef(relateID, IsSpecialColor, ColorData) values (...),
  // with a quote inside the ColorData text doubled.
  void InsertToDB(CDatabase* db) const;
};

class LUMO_EXPORT CDbVisualColorMrg {
 public:
  using ColorMap = std::map<int, CDbVisualColorItem>;

  CDbVisualColorMrg() = default;
  // Loads the database at path (LoadFromDB).
  explicit CDbVisualColorMrg(const CString& path);
  CDbVisualColorMrg(const CDbVisualColorMrg&) = default;
  CDbVisualColorMrg& operator=(const CDbVisualColorMrg&) = default;
  ~CDbVisualColorMrg();

  // The process's manager, loaded from GetDBPath() on the first call (a CDBException of that load
  // reaches the first caller, and the next call tries again).
  static CDbVisualColorMrg& instance();

  const ColorMap& GetGJColorMap() const { return m_mapGJColor; }
  const ColorMap& GetSpecialColorMap() const { return m_mapSpecialColor; }

  // The colours of figure id; without such an entry those of the smallest figure id; null only
  // when there is no figure colour at all.
  const CVisualColorItem* GetColorByFigId(int id) const;
  // The colours of the special kind, or null.
  const CVisualColorItem* GetColorBySpecialId(SpecialColorKind kind) const;
  // The full text form (CVisualColorItem::GetColorStr) of what the lookups above find, or the
  // empty text.
  CString GetColorStrByFigId(int id) const;
  CString GetColorStrBySpecialId(SpecialColorKind kind) const;

  // Replace the colours of an existing entry (true), or change nothing (false).
  bool SetFigColor(int id, const CVisualColorItem& item);
  bool SetSpecialColor(SpecialColorKind kind, const CVisualColorItem& item);
  // Add an entry for a key not yet present (true), or change nothing (false).
  bool AddFigColor(int id, const CVisualColorItem& item);
  bool AddSpecialColor(SpecialColorKind kind, const CVisualColorItem& item);

  // Empties both maps and fills them from the ColorDef rows of the database at path ("Select *
  // From ColorDef"); of several rows with one key the first read wins. On a database error the
  // maps are left as far as they were filled.
  void LoadFromDB(const CString& path);
  // Replaces the ColorDef rows of the database at path by the maps ("Delete * From ColorDef",
  // then one insert per entry, figure colours first, each in ascending key order). Not a
  // transaction: a failure part-way leaves the rows written so far.
  void SaveToDB(const CString& path) const;
  // Makes the key sets equal to those of reference: keys only reference has are added with its
  // colours, keys reference lacks are removed, shared keys keep this manager's colours.
  void TrimValue(const CDbVisualColorMrg& reference);

  // The process's current directory, without a trailing separator of its own, at most 510
  // characters long: a longer one is given as ".", which names it relatively. Empty when the
  // system cannot tell.
  static CString GetCurDir();
  // GetCurDir() + "\system\sys_config.mdb" (the backslashes read as separators).
  static CString GetDBPath();
  // GetCurDir() + "\system\sys_config_default.mdb".
  static CString GetDefaultDBPath();

 private:
  ColorMap m_mapGJColor;
  ColorMap m_mapSpecialColor;
};

#endif  // LUMOTOOLS_COLOR_VISUAL_COLOR_MRG_H_
