// CAnyPropertyItem: one property as the host shows and edits it (style ID, caption, variable name,
// value, visibility), converting its value through the type strategy of its style's kind with the
// style's unit factor.
//
// The kind is not stored: each value operation looks the style ID up in CAnyPropertyStyleIdCache
// and throws std::invalid_argument naming the style ID when it has no entry. Factor arguments:
// -1 means no conversion, -2 the factor registered for the style, anything else is the factor.
#ifndef LUMOTOOLS_PROPERTY_PROPERTY_ITEM_H_
#define LUMOTOOLS_PROPERTY_PROPERTY_ITEM_H_

#include <string>

#include <boost/any.hpp>

#include "lumotools/export.h"
#include "lumotools/platform/archive.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/property/transfer_box.h"

class CPropHolder;

class LUMO_EXPORT CAnyPropertyItem {
 public:
  CAnyPropertyItem() = default;
  // text is accepted and not kept.
  CAnyPropertyItem(long styleId, const std::string& caption, const std::string& varName,
                   const boost::any& value, bool visible, const std::string& text);
  CAnyPropertyItem(const CAnyPropertyItem&) = default;
  CAnyPropertyItem(CAnyPropertyItem&&) = default;
  virtual ~CAnyPropertyItem() = default;
  // Copy and move assignment take style ID, var name, value and visibility; the caption of the
  // target stays. So erasing from or inserting into a vector of items, which shifts the items by
  // assignment, leaves the captions where they were.
  CAnyPropertyItem& operator=(const CAnyPropertyItem& other);
  CAnyPropertyItem& operator=(CAnyPropertyItem&& other);

  // Style IDs, var names (case-sensitive), values (CAnyPropRegMap::IsEqual) and visibility equal;
  // the caption is not compared.
  bool operator==(const CAnyPropertyItem& other) const;

  long GetStyleID() const { return m_lStyleID; }
  void SetStyleID(long styleId) { m_lStyleID = styleId; }
  const std::string& GetCaption() const { return m_strCaption; }
  void SetCaption(const std::string& caption) { m_strCaption = caption; }
  const std::string& GetVarName() const { return m_strVarName; }
  void SetVarName(const std::string& varName) { m_strVarName = varName; }
  const boost::any& GetAnyValue() const { return m_anyValue; }
  bool IsValueEmpty() const { return m_anyValue.empty(); }
  bool IsVisible() const { return m_bVisible; }
  void SetVisible(bool visible) { m_bVisible = visible; }

  // The value through the kind's strategy with factor GetUnitConversion(style, f). A value not of
  // the type the strategy reads throws boost::bad_any_cast.
  CString GetValueS(double f) const;
  int GetValueI(double f) const;
  double GetValueD(double f) const;
  // Replace the value with the strategy's conversion of the argument, after pointing the
  // strategy's m_pAnyValue at this item's value.
  void SetValueS(const CString& value, double f);
  void SetValueI(int value, double f);
  void SetValueD(double value, double f);
  void SetValueBox(const CTransferUiToAnyBox& box, double f);
  void AddExtInfo(const CPropHolder* holder);
  void ClearExtInfo();

  // 1.0 when f is -1 and the registered factor of styleId when f is -2 (each within 1e-6; -1.0
  // when styleId has no entry); otherwise f.
  static double GetUnitConversion(long styleId, double f);

  // Writes or reads: version 1 (int32), style ID (int32), caption and var name (archive strings),
  // the value record of CAnyPropRegMap, visibility (1 byte). On reading, texts end at their first
  // zero byte, and a value record of unknown kind leaves the value as it was.
  virtual void Serialize(CArchive& ar);

 protected:
  static int StringToInt(const CString& text);
  static double StringToDouble(const CString& text);

 private:
  long m_lStyleID = -1;
  std::string m_strCaption;
  std::string m_strVarName;
  boost::any m_anyValue;
  bool m_bVisible = true;
};

#endif  // LUMOTOOLS_PROPERTY_PROPERTY_ITEM_H_
