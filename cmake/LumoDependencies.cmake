# Finds the Debian-packaged dependencies and presents each as an imported target.

find_package(Threads REQUIRED)
find_package(Boost 1.74 REQUIRED)

find_path(LOKI_INCLUDE_DIR loki/Functor.h REQUIRED)
find_library(LOKI_LIBRARY NAMES loki REQUIRED)
add_library(Loki::loki UNKNOWN IMPORTED)
set_target_properties(Loki::loki PROPERTIES
  IMPORTED_LOCATION "${LOKI_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${LOKI_INCLUDE_DIR}")

# zlib is the peer and the test oracle of the CRC; the library computes it with ISA-L, which folds
# with carry-less multiplication and runs several times faster.
find_package(ZLIB REQUIRED)
find_path(ISAL_INCLUDE_DIR isa-l/crc.h REQUIRED)
find_library(ISAL_LIBRARY NAMES isal REQUIRED)
add_library(ISAL::isal UNKNOWN IMPORTED)
set_target_properties(ISAL::isal PROPERTIES
  IMPORTED_LOCATION "${ISAL_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${ISAL_INCLUDE_DIR}")
find_package(CLI11 REQUIRED)
# lumo's --json output and GeoJSON polygons.
find_package(nlohmann_json 3.2 REQUIRED)
# unixODBC (the platform's ODBC facility links it; nothing above the platform includes it).
find_package(ODBC REQUIRED)

if(LUMO_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
if(LUMO_BUILD_BENCHMARKS)
  find_package(benchmark REQUIRED)
endif()
