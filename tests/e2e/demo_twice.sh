#!/usr/bin/env bash
# Runs `scripts/run.sh --demo` twice in a row, as a newcomer would, and checks that each run
# shows both the firmware question and the scheduled update notification, and that Get It
# downloads and opens the signed package.
#   demo_twice.sh BUILD_DIR   (build/win32 of this checkout, the build run.sh starts from)
# The demo writes the update library's machine settings (Server, TrustedPublishers) with the
# prefix's own reg.exe: in the 64-bit prefix that is the 64-bit one, which writes the 64-bit
# registry view, so the 32-bit vanta finds its server only by reading that view.
set -euo pipefail
build="$(realpath "$1")"
top="$(cd "$(dirname "$0")/../.." && pwd)"
source "$top/scripts/display.sh"

prefix="$top/build/win32/demo-prefix"
status=0
for run in 1 2; do
  echo "demo run $run"
  "$top/scripts/run.sh" --demo --no-build </dev/null >"$build/demo-run-$run.log" 2>&1 &
  demo=$!
  probe=0
  "$top/scripts/wine-run" --prefix "$prefix" "$build/bin/demo_probe.exe" </dev/null || probe=$?
  # The probe closed vanta; a demo that does not end is stopped with its prefix's processes.
  for _ in $(seq 200); do kill -0 "$demo" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$demo" 2>/dev/null; then
    WINEPREFIX="$prefix" wineserver -k || true
    status=1
  fi
  wait "$demo" || true
  [ "$probe" = 0 ] || { echo "demo run $run: a prompt was missing"; status=1; }
  # The package runs on its own after vanta has ended.
  marker="$build/demo/work/package-opened.txt"
  for _ in $(seq 100); do [ -s "$marker" ] && break; sleep 0.1; done
  [ -s "$marker" ] ||
    { echo "demo run $run: the package was not downloaded and opened"; status=1; }
done
# The view split is what this test is about: the demo's prefix must be the 64-bit kind unless
# a 32-bit one was asked for (scripts/test.sh --win32-prefix).
if [ "${VANTA_WINEARCH:-win64}" = win64 ] && ! grep -qx '#arch=win64' "$prefix/system.reg"; then
  echo "the demo ran in a 32-bit prefix"
  status=1
fi
exit $status
