#!/usr/bin/env bash
# Builds the Windows program and starts vanta.exe under Wine, as a user would run it.
#   scripts/run.sh
# The Wine prefix (build/win32/run-prefix) is kept between runs, so settings such as the
# chosen language survive. vanta starts in build/win32/run, which holds the version file it
# compares calculators with (created with the current reference version if missing; edit it
# to try others) and is where it looks for Updater.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/win32 -j "$(nproc)"

root="$PWD"
run_dir="$root/build/win32/run"
mkdir -p "$run_dir"
[ -f "$run_dir/version" ] || printf 'K58x=7222201200000000;\r\n' > "$run_dir/version"

# A virtual display when there is none; it ends when vanta does.
source scripts/display.sh
cd "$run_dir"
"$root/scripts/wine-run" --prefix "$root/build/win32/run-prefix" "$root/build/win32/bin/vanta.exe"
