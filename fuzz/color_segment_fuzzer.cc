// Reads colour segments of the figure colour text form. Any text must give a name and three
// channel values without reading outside the text.
#include <cstddef>
#include <cstdint>

#include "lumotools/color/visual_color_item.h"

// Reaches the segment reader, which the item keeps private.
struct VisualColorSegmentReader {
  static void Read(const CString& segment) {
    const CVisualColorItem item;
    CString name;
    int r = 0;
    int g = 0;
    int b = 0;
    item.__DealColorSegmentStr(segment, name, r, g, b);
  }
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VisualColorSegmentReader::Read(
      CString(reinterpret_cast<const char*>(data), static_cast<int>(size)));
  return 0;
}
