#!/usr/bin/env bash
# Builds the Windows program and starts vanta.exe under Wine, as a user would run it.
#   scripts/run.sh             vanta as it is, with whatever calculators are attached (none
#                              here), in the prefix build/win32/run-prefix
#   scripts/run.sh --demo      vanta with a simulated calculator whose firmware is older than
#                              the version file's, an Updater.exe stand-in and a local update
#                              server offering a newer package, in its own prefix
#                              build/win32/demo-prefix (see scripts/demo.sh)
#   scripts/run.sh --no-build  (with or without --demo) starts what build/win32 already holds;
#                              for tests, which must not reconfigure the tree they run from
# The plain run's prefix is kept between runs, so settings such as the chosen language survive.
# vanta starts in build/win32/run, which holds the version file it compares calculators with
# (created with the current reference version if missing; edit it to try others) and is where
# it looks for Updater.exe.
set -euo pipefail
cd "$(dirname "$0")/.."

demo=0
build=1
for arg in "$@"; do
  case "$arg" in
    --demo) demo=1 ;;
    --no-build) build=0 ;;
    *) echo "usage: scripts/run.sh [--demo] [--no-build]" >&2; exit 2 ;;
  esac
done

if [ "$build" = 1 ]; then
  scripts/setup.sh
  cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
  # The program, its libraries, and what the demonstration adds (the test HID stack, the
  # updater stand-in and a package to download); the tests are left to scripts/test.sh.
  cmake --build build/win32 -j "$(nproc)" --target vanta OrvUpdateCheck vantaCHS vantaCHT \
        vantaZHH vantaZHM vantaDEU vantaFRA vantaESN vantaPTB vantaJPN vantaKOR updater_stub test_hid test_setupapi package_stub
fi

root="$PWD"
prefix="$root/build/win32/run-prefix"
run_dir="$root/build/win32/run"
program="$root/build/win32/bin/vanta.exe"
mkdir -p "$run_dir"
[ -f "$run_dir/version" ] || printf 'K58x=7222201200000000;\r\n' > "$run_dir/version"

# A virtual display when there is none; it ends when vanta does.
source scripts/display.sh

if [ "$demo" = 1 ]; then
  prefix="$root/build/win32/demo-prefix"
  source scripts/demo.sh
  trap 'kill $demo_ftp_server 2>/dev/null || true; kill ${_vanta_xvfb:-} 2>/dev/null || true' EXIT
  program="$demo_app"
  run_dir="$demo_work"
  echo "Demo: the simulated calculator is plugged in; vanta asks to update it, and the"
  echo "scheduled update check offers a newer package."
  echo "Updater starts are recorded in $demo_work/updater-starts.log"
fi

cd "$run_dir"
"$root/scripts/wine-run" --prefix "$prefix" "$program"
