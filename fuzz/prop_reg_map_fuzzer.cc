// Reads property value records from arbitrary bytes. Each value read must store and read back to
// an equal value; failures must be archive exceptions or the unknown-kind result.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lumotools/platform/archive.h"
#include "lumotools/platform/mem_file.h"
#include "lumotools/platform/message_box.h"
#include "lumotools/property/prop_reg_map.h"

namespace {

bool RoundTrips(const boost::any& value) {
  CAnyPropRegMap& registry = CAnyPropRegMap::instance();
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    if (!registry.ArchiveStore(ar, value)) return false;
  }
  file.SeekToBegin();
  CArchive ar(&file, CArchive::load);
  boost::any back;
  if (!registry.ArchiveLoad(ar, back)) return false;
  // NaN doubles are unequal to themselves by definition; compare their bytes instead.
  if (back.type() == typeid(double)) {
    const double a = boost::any_cast<double>(value);
    const double b = boost::any_cast<double>(back);
    return a == b || (a != a && b != b);
  }
  return registry.IsEqual(value, back);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool silenced = [] {
    AfxSetMessageBoxHandler([](const CString&, UINT, UINT) { return IDOK; });
    return true;
  }();
  (void)silenced;

  CMemFile file(const_cast<BYTE*>(data), static_cast<UINT>(size));
  CArchive ar(&file, CArchive::load, 128);
  try {
    boost::any value;
    while (CAnyPropRegMap::instance().ArchiveLoad(ar, value)) {
      if (!RoundTrips(value)) std::abort();
    }
  } catch (CArchiveException* e) {
    e->Delete();
  }
  return 0;
}
