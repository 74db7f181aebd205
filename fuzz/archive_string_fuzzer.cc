// Reads archive strings from arbitrary bytes until the input runs out. Every failure must be a
// CArchiveException; a claimed length must never commit memory the input does not back.
#include <cstddef>
#include <cstdint>

#include "lumotools/platform/archive.h"
#include "lumotools/platform/mem_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CMemFile file(const_cast<BYTE*>(data), static_cast<UINT>(size));
  CArchive ar(&file, CArchive::load, 128);
  try {
    for (;;) {
      CString text;
      ar >> text;
    }
  } catch (CArchiveException* e) {
    e->Delete();
  }
  return 0;
}
