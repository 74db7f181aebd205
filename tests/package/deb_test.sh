#!/usr/bin/env bash
# Builds the Debian packages of the build tree with CPack, checks their dependencies, unpacks them
# into a scratch root and builds and runs an example against that root; lintian, when installed,
# must report no error.
# Usage: deb_test.sh BUILD_DIR SOURCE_DIR CXX
set -euo pipefail
build=$1 source=$2 cxx=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/packages" >/dev/null)
version=$(dpkg-deb -f "$work"/packages/lumo_*.deb Version)
for package in liblumotools0 liblumotools-dev lumo; do
  deb=$(echo "$work/packages/${package}_${version}"_*.deb)
  dpkg-deb -x "$deb" "$work/root"
  depends=$(dpkg-deb -f "$deb" Depends)
  case $package in
    liblumotools0) [[ $depends == *libodbc2* && $depends == *libstdc++6* ]] ;;
    *) [[ $depends == *"liblumotools0 (= $version)"* ]] ;;
  esac || { echo "$package: wrong dependencies: $depends" >&2; exit 1; }
done

export LD_LIBRARY_PATH="$work/root/usr/lib"
test "$("$work/root/usr/bin/lumo" --version)" = "lumo $version"
cmake -S "$source/examples" -B "$work/example" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_PREFIX_PATH="$work/root/usr" >/dev/null
cmake --build "$work/example" --target slab_openings >/dev/null
(cd "$work" && "$work/example/slab_openings" >/dev/null)

if command -v lintian >/dev/null; then
  lintian --fail-on error "$work"/packages/*.deb
fi
echo "packages built, unpacked and used"
