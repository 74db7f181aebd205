// Feeds arbitrary text to lumo clip's WKT and GeoJSON readers (the first byte chooses). Bad input
// must be refused with one line naming the source; accepted input must give contours of at least
// 3 finite vertices that print in the same format and read back as as many contours.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "command_failure.h"
#include "contour_file.h"
#include "polygon_formats.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const lumo_cli::PolygonFormat format =
      data[0] % 2 == 0 ? lumo_cli::PolygonFormat::kWkt : lumo_cli::PolygonFormat::kGeoJson;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  lumo_cli::OwnedPolygon parsed;
  try {
    lumo_cli::ParsePolygons(text, "fuzz", format, parsed.get());
  } catch (const lumo_cli::CommandFailure& failure) {
    const std::string message = failure.what();
    Check(message.compare(0, 5, "fuzz:") == 0);
    Check(message.find('\n') == std::string::npos);
    return 0;
  }
  for (int32_t c = 0; c < parsed->num_contours; ++c) {
    const gpc_vertex_list& contour = parsed->contour[c];
    Check(contour.num_vertices >= 3);
    for (int32_t v = 0; v < contour.num_vertices; ++v) {
      Check(std::isfinite(contour.vertex[v].x) && std::isfinite(contour.vertex[v].y));
    }
  }
  lumo_cli::OwnedPolygon reread;
  lumo_cli::ParsePolygons(lumo_cli::FormatPolygons(*parsed, format), "printed", format,
                          reread.get());
  Check(reread->num_contours == parsed->num_contours);
  return 0;
}
