// Helpers shared by the fuzz targets: silent message boxes, archiving to and from bytes, and value
// equality that counts a NaN double as equal to a NaN.
#ifndef LUMOTOOLS_FUZZ_FUZZ_SUPPORT_H_
#define LUMOTOOLS_FUZZ_FUZZ_SUPPORT_H_

#include <vector>

#include <boost/any.hpp>

#include "lumotools/platform/archive.h"
#include "lumotools/platform/mem_file.h"
#include "lumotools/platform/message_box.h"
#include "lumotools/property/prop_reg_map.h"
#include "lumotools/property/property_item.h"

namespace lumo_fuzz {

// Installs, once, a message box that shows nothing and answers OK.
inline void SilenceMessageBoxes() {
  static const bool silenced = [] {
    AfxSetMessageBoxHandler([](const CString&, UINT, UINT) { return IDOK; });
    return true;
  }();
  (void)silenced;
}

// The bytes that store(archive) writes.
template <class Store>
std::vector<BYTE> StoreBytes(Store store) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    store(ar);
  }
  std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  if (!bytes.empty()) file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

// Runs load(archive) over bytes.
template <class Load>
void LoadBytes(const std::vector<BYTE>& bytes, Load load) {
  CMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  load(ar);
}

// Equal by the registry, except that a NaN double equals a NaN.
inline bool SameValue(const boost::any& a, const boost::any& b) {
  const double* x = boost::any_cast<double>(&a);
  const double* y = boost::any_cast<double>(&b);
  if (x && y && *x != *x) return *y != *y;
  return CAnyPropRegMap::instance().IsEqual(a, b);
}

// Two items alike in everything their record holds.
inline bool SameItem(const CAnyPropertyItem& a, const CAnyPropertyItem& b) {
  return a.GetCaption() == b.GetCaption() && a.GetStyleID() == b.GetStyleID() &&
         a.GetVarName() == b.GetVarName() && a.IsVisible() == b.IsVisible() &&
         SameValue(a.GetAnyValue(), b.GetAnyValue());
}

}  // namespace lumo_fuzz

#endif  // LUMOTOOLS_FUZZ_FUZZ_SUPPORT_H_
