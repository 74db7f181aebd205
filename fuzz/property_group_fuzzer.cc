// Reads a property group from arbitrary bytes. A group that reads completely must write and read
// back to the same group and the same bytes; failures must be archive exceptions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_support.h"
#include "lumotools/property/property_group.h"

namespace {

std::vector<BYTE> StoreGroup(CAnyPropertyGroup& group) {
  return lumo_fuzz::StoreBytes([&](CArchive& ar) { group.Serialize(ar); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lumo_fuzz::SilenceMessageBoxes();
  CAnyPropertyGroup group;
  try {
    CMemFile file(const_cast<BYTE*>(data), static_cast<UINT>(size));
    CArchive ar(&file, CArchive::load, 128);
    group.Serialize(ar);
  } catch (CArchiveException* e) {
    e->Delete();
    return 0;
  }

  const std::vector<BYTE> bytes = StoreGroup(group);
  CAnyPropertyGroup back;
  lumo_fuzz::LoadBytes(bytes, [&](CArchive& ar) { back.Serialize(ar); });
  const auto& items = group.GetPropertyItems();
  const auto& back_items = back.GetPropertyItems();
  if (items.size() != back_items.size()) std::abort();
  for (size_t i = 0; i < items.size(); ++i) {
    if (!lumo_fuzz::SameItem(items[i], back_items[i])) std::abort();
  }
  if (StoreGroup(back) != bytes) std::abort();
  return 0;
}
