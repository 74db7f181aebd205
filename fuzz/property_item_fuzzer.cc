// Reads property items from arbitrary bytes, one after another. Each item read must write and read
// back to the same item and the same bytes; failures must be archive exceptions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_support.h"
#include "lumotools/property/property_item.h"

namespace {

std::vector<BYTE> StoreItem(CAnyPropertyItem& item) {
  return lumo_fuzz::StoreBytes([&](CArchive& ar) { item.Serialize(ar); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lumo_fuzz::SilenceMessageBoxes();
  CMemFile file(const_cast<BYTE*>(data), static_cast<UINT>(size));
  CArchive ar(&file, CArchive::load, 128);
  try {
    for (;;) {
      CAnyPropertyItem item;
      item.Serialize(ar);
      const std::vector<BYTE> bytes = StoreItem(item);
      CAnyPropertyItem back;
      lumo_fuzz::LoadBytes(bytes, [&](CArchive& in) { back.Serialize(in); });
      if (!lumo_fuzz::SameItem(item, back) || StoreItem(back) != bytes) std::abort();
    }
  } catch (CArchiveException* e) {
    e->Delete();
  }
  return 0;
}
