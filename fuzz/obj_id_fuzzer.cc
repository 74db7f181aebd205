// Reads object identifiers from arbitrary bytes, one after another. Each identifier read must
// write the same twenty bytes it came from (the format number read back as 1); failures must be
// archive exceptions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "lumotools/db/obj_id.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lumo_fuzz::SilenceMessageBoxes();
  CMemFile file(const_cast<BYTE*>(data), static_cast<UINT>(size));
  CArchive ar(&file, CArchive::load, 128);
  size_t offset = 0;
  try {
    for (;; offset += 20) {
      CObjID id;
      id.Serialize(ar);
      const std::vector<BYTE> bytes =
          lumo_fuzz::StoreBytes([&](CArchive& out) { id.Serialize(out); });
      if (bytes.size() != 20 || std::memcmp(bytes.data() + 4, data + offset + 4, 16) != 0) {
        std::abort();
      }
    }
  } catch (CArchiveException* e) {
    e->Delete();
  }
  return 0;
}
