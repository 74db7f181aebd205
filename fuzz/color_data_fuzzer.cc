// Reads ColorData texts of the colour table. Any text must decode without reading outside it, and
// what a decoded item encodes to must decode to the same item.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lumotools/color/visual_color_mrg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const CString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
  const CVisualColorItem item = CDbVisualColorItem::DecodeColorData(text);
  const CString encoded = CDbVisualColorItem::EncodeColorData(item);
  if (!(CDbVisualColorItem::DecodeColorData(encoded) == item)) std::abort();
  return 0;
}
