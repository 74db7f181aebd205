#!/usr/bin/env bash
# Installs the build tree into a temporary prefix, then builds the programs of examples/ against
# the installed package twice, with find_package(LumoTools) and with pkg-config, and runs each
# in a directory of its own.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR CXX SQLITE_ODBC_DRIVER
set -euo pipefail
build=$1 source=$2 cxx=$3 driver=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
examples="property_pane project_record slab_openings color_manager"

cmake --install "$build" --prefix "$work/prefix" >/dev/null
test -x "$work/prefix/bin/lumo"
export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig"
test "$("$work/prefix/bin/lumo" --version)" = "lumo $(pkg-config --modversion lumotools)"

# The SQLite ODBC driver registered in a private odbcinst.ini, as a host's installer would do.
printf '[SQLite3]\nDriver=%s\n' "$driver" >"$work/odbcinst.ini"
export ODBCSYSINI="$work" ODBCINSTINI=odbcinst.ini

cmake -S "$source/examples" -B "$work/cmake" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/cmake" -j 2 >/dev/null &
mkdir "$work/pc"
for example in $examples; do
  # shellcheck disable=SC2046
  "$cxx" -Wall -Wextra -Werror -o "$work/pc/$example" "$source/examples/$example.cc" \
    $(pkg-config --cflags --libs lumotools) &
done
for job in $(jobs -p); do wait "$job"; done

for kind in cmake pc; do
  for example in $examples; do
    mkdir -p "$work/run/$kind/$example"
    (cd "$work/run/$kind/$example" && "$work/$kind/$example" >/dev/null) ||
      { echo "$kind/$example failed" >&2; exit 1; }
  done
done
echo "examples built with CMake and pkg-config and run"
