// Reads a property bag from arbitrary bytes. A bag that reads completely must write and read
// back to an equal bag; failures must be archive exceptions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "lumotools/platform/exception.h"
#include "lumotools/property/super_prop.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<unsigned char> bytes(data, data + size);
  Kv_SuperProp bag;
  try {
    bag.FromByteArray(bytes);
  } catch (CArchiveException* e) {
    e->Delete();
    return 0;
  }
  Kv_SuperProp back;
  back.FromByteArray(bag.ToByteArray());
  if (!(back == bag)) std::abort();
  return 0;
}
