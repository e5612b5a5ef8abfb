#!/usr/bin/env bash
# Builds the Debian package from a clean build (build-package/, made afresh)
# and prints the path of the .deb on its last line. Install it with
#   sudo apt install ./build-package/corvane_<version>_<arch>.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh >&2
build=$root/build-package
rm -rf "$build"
# Debian's own compiler and linker flags, with every hardening feature.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CXXFLAGS $CPPFLAGS" # CMake reads no CPPFLAGS
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DCORVANE_BUILD_TESTS=OFF -DCORVANE_BUILD_BENCH=OFF >&2
cmake --build "$build" -j"$(nproc)" >&2
cpack --config "$build/CPackConfig.cmake" -B "$build" >&2
debs=("$build"/corvane_*.deb)
[ -f "${debs[0]}" ] || { echo "package.sh: no package was made" >&2; exit 1; }
echo "${debs[0]}"
