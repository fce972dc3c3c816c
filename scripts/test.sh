#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively under ASan/UBSan, then
# the Windows build under Wine in a fresh prefix on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j "$jobs"
ctest --test-dir build/native --output-on-failure -j "$jobs"

# The product is 32-bit. A kernel that cannot run 32-bit programs cannot run it under Wine
# either; there the same sources are built and tested for 64-bit Windows instead, without the
# two tests that need the 32-bit product (the installer loop and the demo).
build=build/win32 toolchain=cmake/mingw-i686.cmake
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 </dev/null; then
  echo "test.sh: this machine cannot run 32-bit programs; testing a 64-bit build of the same" \
       "sources in build/win64 (without the installer loop and the demo)" >&2
  scripts/setup.sh --64
  build=build/win64 toolchain=cmake/mingw-x86_64.cmake
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
cmake --build "$build" -j "$jobs"

# A throwaway Wine prefix for this run; no test touches a real user's registry.
rm -rf "$build/wineprefix"
source scripts/display.sh
ctest --test-dir "$build" --output-on-failure -j "$jobs"
