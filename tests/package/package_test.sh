#!/usr/bin/env bash
# Installs the build tree into a temporary prefix, then builds and runs a host program against the
# installed package twice: with find_package(LumoTools) and with pkg-config.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR CXX
set -euo pipefail
build=$1 source=$2 cxx=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
test -x "$work/prefix/bin/lumo"
"$work/prefix/bin/lumo" --help >/dev/null

cmake -S "$source/tests/package/host" -B "$work/host" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/host" >/dev/null
"$work/host/lumo_host"

PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" pkg-config --exists lumotools
version=$(PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" pkg-config --modversion lumotools)
test "$("$work/prefix/bin/lumo" --version)" = "lumo $version"
# shellcheck disable=SC2046
"$cxx" -o "$work/host_pc" "$source/tests/package/host/host.cc" \
  $(PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" pkg-config --cflags --libs lumotools)
"$work/host_pc"
