#!/usr/bin/env bash
# Runs `scripts/run.sh --demo` twice in a row, as a newcomer would, and checks that each run
# shows both the firmware question and the scheduled update notification.
#   demo_twice.sh BUILD_DIR   (build/win32 of this checkout, the build run.sh starts from)
set -euo pipefail
build="$(realpath "$1")"
top="$(cd "$(dirname "$0")/../.." && pwd)"
source "$top/scripts/display.sh"

status=0
for run in 1 2; do
  echo "demo run $run"
  "$top/scripts/run.sh" --demo --no-build </dev/null >"$build/demo-run-$run.log" 2>&1 &
  demo=$!
  probe=0
  "$top/scripts/wine-run" --prefix "$top/build/win32/demo-prefix" \
      "$build/bin/demo_probe.exe" </dev/null || probe=$?
  # The probe closed vanta; a demo that does not end is stopped with its prefix's processes.
  for _ in $(seq 200); do kill -0 "$demo" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$demo" 2>/dev/null; then
    WINEPREFIX="$top/build/win32/demo-prefix" wineserver -k || true
    status=1
  fi
  wait "$demo" || true
  [ "$probe" = 0 ] || { echo "demo run $run: a prompt was missing"; status=1; }
done
exit $status
