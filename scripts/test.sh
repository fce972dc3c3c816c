#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively under ASan/UBSan, then
# the Windows build under Wine in a fresh prefix on a virtual display.
#   scripts/test.sh                  the Windows tests in a 64-bit prefix, where the 32-bit
#                                    product runs under WOW64 as on 64-bit Windows (what CI runs)
#   scripts/test.sh --win32-prefix   the same in a 32-bit prefix, as on 32-bit Windows
set -euo pipefail
cd "$(dirname "$0")/.."

prefix_arch=win64
for arg in "$@"; do
  case "$arg" in
    --win32-prefix) prefix_arch=win32 ;;
    *) echo "usage: scripts/test.sh [--win32-prefix]" >&2; exit 2 ;;
  esac
done
scripts/setup.sh

jobs=$(nproc)
# Compiled objects are cached between runs (and between checkouts: paths count from here).
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(pwd)}"
export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j "$jobs"
ctest --test-dir build/native --output-on-failure -j "$jobs"

# The product is 32-bit. A kernel that cannot run 32-bit programs cannot run it under Wine
# either; there the same sources are built and tested for 64-bit Windows instead, without the
# tests that need the 32-bit product (the installer loop and the demo).
build=build/win32 toolchain=cmake/mingw-i686.cmake
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 </dev/null; then
  if [ "$prefix_arch" = win32 ]; then
    echo "test.sh: --win32-prefix needs a machine that runs 32-bit programs" >&2
    exit 2
  fi
  echo "test.sh: this machine cannot run 32-bit programs; testing a 64-bit build of the same" \
       "sources in build/win64 (without the installer loop and the demo)" >&2
  scripts/setup.sh --64
  build=build/win64 toolchain=cmake/mingw-x86_64.cmake
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
cmake --build "$build" -j "$jobs"

# Every prefix the tests make takes this architecture (scripts/wine-run).
export VANTA_WINEARCH="$prefix_arch"
echo "test.sh: Windows tests in a ${prefix_arch#win}-bit Wine prefix" >&2
# A throwaway Wine prefix for this run; no test touches a real user's registry. The demo keeps
# its prefix between runs; one made with the other architecture is laid anew.
rm -rf "$build"/wineprefix "$build"/wineprefix-*
demo_prefix="$build/demo-prefix"
if [ -f "$demo_prefix/system.reg" ] && ! grep -qx "#arch=$prefix_arch" "$demo_prefix/system.reg"; then
  rm -rf "$demo_prefix" "$demo_prefix.lock"
fi
source scripts/display.sh
ctest --test-dir "$build" --output-on-failure -j "$jobs"
