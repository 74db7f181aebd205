// Feeds arbitrary text to the contour-file reader of lumo clip. Bad input must be refused with one
// line "<source>:<line>: ..." naming a line of the input; accepted input must give contours of at
// least 3 vertices that print and read back as exactly the same contours and hole flags.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "command_failure.h"
#include "contour_file.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool SameContours(const gpc_polygon& a, const gpc_polygon& b) {
  if (a.num_contours != b.num_contours) return false;
  for (int32_t c = 0; c < a.num_contours; ++c) {
    if (a.hole[c] != b.hole[c]) return false;
    const gpc_vertex_list& x = a.contour[c];
    const gpc_vertex_list& y = b.contour[c];
    if (x.num_vertices != y.num_vertices) return false;
    if (std::memcmp(x.vertex, y.vertex, sizeof(gpc_vertex) * x.num_vertices) != 0) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  lumo_cli::OwnedPolygon parsed;
  try {
    lumo_cli::ParseContours(text, "fuzz", parsed.get());
  } catch (const lumo_cli::CommandFailure& failure) {
    const std::string message = failure.what();
    Check(message.compare(0, 5, "fuzz:") == 0);
    Check(message.find('\n') == std::string::npos);
    const int line = std::atoi(message.c_str() + 5);
    Check(line >= 1 && line <= lines);
    return 0;
  }
  for (int32_t c = 0; c < parsed.get()->num_contours; ++c) {
    Check(parsed.get()->contour[c].num_vertices >= 3);
  }
  lumo_cli::OwnedPolygon reread;
  lumo_cli::ParseContours(lumo_cli::FormatContours(*parsed.get()), "printed", reread.get());
  Check(SameContours(*parsed.get(), *reread.get()));
  return 0;
}
