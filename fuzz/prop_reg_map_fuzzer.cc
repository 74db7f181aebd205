// Reads property value records from arbitrary bytes. Each value read must store and read back to
// an equal value; failures must be archive exceptions or the unknown-kind result.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_support.h"

namespace {

bool RoundTrips(const boost::any& value) {
  CAnyPropRegMap& registry = CAnyPropRegMap::instance();
  bool stored = false;
  const std::vector<BYTE> bytes =
      lumo_fuzz::StoreBytes([&](CArchive& ar) { stored = registry.ArchiveStore(ar, value); });
  boost::any back;
  bool loaded = false;
  lumo_fuzz::LoadBytes(bytes, [&](CArchive& ar) { loaded = registry.ArchiveLoad(ar, back); });
  return stored && loaded && lumo_fuzz::SameValue(value, back);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lumo_fuzz::SilenceMessageBoxes();
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
