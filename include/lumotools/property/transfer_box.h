// UI transfer objects: the results of editing a property (an index, a text or a value object)
// that the host's user interface hands to the property system in a box.
#ifndef LUMOTOOLS_PROPERTY_TRANSFER_BOX_H_
#define LUMOTOOLS_PROPERTY_TRANSFER_BOX_H_

#include <memory>
#include <vector>

#include <boost/any.hpp>

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"

// One editing result; GetTransferType tells which: 0 an index, 2 a text, 3 a value object.
class LUMO_EXPORT CTransferUiToAny {
 public:
  virtual int GetTransferType() const = 0;
  virtual ~CTransferUiToAny();
};

class LUMO_EXPORT CTransferUiToAny_Index : public CTransferUiToAny {
 public:
  explicit CTransferUiToAny_Index(int index) : m_nIndex(index) {}
  int GetTransferType() const override { return 0; }
  int m_nIndex;
};

class LUMO_EXPORT CTransferUiToAny_String : public CTransferUiToAny {
 public:
  explicit CTransferUiToAny_String(const CString& text) : m_strText(text) {}
  int GetTransferType() const override { return 2; }
  CString m_strText;
};

class LUMO_EXPORT CTransferUiToAny_Class : public CTransferUiToAny {
 public:
  explicit CTransferUiToAny_Class(const boost::any& value) : m_anyValue(value) {}
  int GetTransferType() const override { return 3; }
  boost::any m_anyValue;
};

// An ordered box of transfer objects, owning them. Not copyable: a copy would share the objects.
class LUMO_EXPORT CTransferUiToAnyBox {
 public:
  CTransferUiToAnyBox() = default;
  CTransferUiToAnyBox(const CTransferUiToAnyBox&) = delete;
  CTransferUiToAnyBox& operator=(const CTransferUiToAnyBox&) = delete;
  virtual ~CTransferUiToAnyBox();

  // Appends p and takes ownership of it. A null p is ignored. Later objects with the same code
  // as an earlier one are never looked at.
  void AddTransfer(CTransferUiToAny* p);
  bool empty() const { return m_transfers.empty(); }

 private:
  friend class CAnyTypeStrategy;  // reads the results by code
  std::vector<std::unique_ptr<CTransferUiToAny>> m_transfers;
};

#endif  // LUMOTOOLS_PROPERTY_TRANSFER_BOX_H_
