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

cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/win32 -j "$jobs"

# A throwaway Wine prefix for this run; no test touches a real user's registry.
rm -rf build/win32/wineprefix
source scripts/display.sh
ctest --test-dir build/win32 --output-on-failure -j "$jobs"
