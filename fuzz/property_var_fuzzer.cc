// Reads property variables from arbitrary bytes, one after another. Each variable read must write
// and read back to the same variable and the same bytes; failures must be archive exceptions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_support.h"
#include "lumotools/property/property_var.h"

namespace {

std::vector<BYTE> StoreVar(CAnyPropertyVar& var) {
  return lumo_fuzz::StoreBytes([&](CArchive& ar) { var.Serialize(ar); });
}

void CheckRoundTrip(CAnyPropertyVar& var) {
  std::vector<BYTE> bytes = StoreVar(var);
  CAnyPropertyVar back(BAT_NONE);
  lumo_fuzz::LoadBytes(bytes, [&](CArchive& ar) { back.Serialize(ar); });
  if (back.ID() != var.ID() || back.GetVarName() != var.GetVarName() || back.Type() != var.Type() ||
      !lumo_fuzz::SameValue(back.GetAnyValue(), var.GetAnyValue()) || StoreVar(back) != bytes) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lumo_fuzz::SilenceMessageBoxes();

  CMemFile file(const_cast<BYTE*>(data), static_cast<UINT>(size));
  CArchive ar(&file, CArchive::load, 128);
  try {
    // Each variable reads into a fresh one, so a value record of unknown kind leaves it empty.
    for (;;) {
      CAnyPropertyVar var(BAT_NONE);
      var.Serialize(ar);
      CheckRoundTrip(var);
    }
  } catch (CArchiveException* e) {
    e->Delete();
  }
  return 0;
}
