// CAnyPropertyGroup: an ordered list of property items with lookup by variable name and an archive
// layout of its own (version 1, item count, the items). Values are read and written without unit
// conversion. Not thread-safe; copies are independent.
#ifndef LUMOTOOLS_PROPERTY_PROPERTY_GROUP_H_
#define LUMOTOOLS_PROPERTY_PROPERTY_GROUP_H_

#include <vector>

#include "lumotools/export.h"
#include "lumotools/platform/archive.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/property/property_item.h"

class LUMO_EXPORT CAnyPropertyGroup {
 public:
  CAnyPropertyGroup() = default;
  CAnyPropertyGroup(const CAnyPropertyGroup&) = default;
  // Makes this group a copy of other, captions included (an item's own assignment keeps its
  // caption, so the items are copied whole rather than assigned one by one).
  CAnyPropertyGroup& operator=(const CAnyPropertyGroup& other);
  virtual ~CAnyPropertyGroup();

  std::vector<CAnyPropertyItem>& GetPropertyItems() { return m_vecItems; }
  const std::vector<CAnyPropertyItem>& GetPropertyItems() const { return m_vecItems; }

  // Appends a copy; names need not be unique.
  void AddPropItem(const CAnyPropertyItem& item);
  // The first item whose var name equals name ignoring ASCII case, or null. With create, a missing
  // name is appended as an item of style ID 0 holding the int 0 and returned; appending may move
  // the items, so earlier pointers become invalid.
  CAnyPropertyItem* FindPropItemByName(const CString& name, bool create);
  const CAnyPropertyItem* FindPropItemByName(const CString& name) const;

  // The named item's value without unit conversion; "", 0 or 0.0 when no item has the name.
  CString GetValueS(const CString& name) const;
  int GetValueI(const CString& name) const;
  double GetValueD(const CString& name) const;
  // Sets the named item's value without unit conversion; an unknown name changes nothing.
  void SetValueS(const CString& name, const CString& value);

  bool IsEmpty() const { return m_vecItems.empty(); }
  void Clear() { m_vecItems.clear(); }

  // Writes or reads the group. Reading overwrites the items in place: the list is resized to the
  // count read (new items are default items), then each item reads its record. A count larger than
  // the remaining bytes could hold raises CArchiveException before the list is resized.
  void Serialize(CArchive& ar);

 private:
  std::vector<CAnyPropertyItem> m_vecItems;
};

#endif  // LUMOTOOLS_PROPERTY_PROPERTY_GROUP_H_
