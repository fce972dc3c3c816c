#!/usr/bin/env bash
# Stress of the live parts under Wine, at full size (the test suite runs short versions):
#   bench/stress/run.sh [BUILD_DIR] [DIALOG_ROUNDS] [HOTPLUG_ARRIVALS] [EXPORT_SECONDS]
#   (defaults: build/win32, 200, 200, 10)
#  - the update dialog opened and cancelled at random moments (0 to 500 ms) while its query
#    waits for an FTP server that delays its replies;
#  - the exports called from 8 threads at once, each on its own product;
#  - a hot-plug storm of simulated calculators against the running vanta.exe.
# Prints one "stress:" line per part (rounds, time, handle/GDI/USER/window counts before and
# after) and exits non-zero when a part fails. Not part of CI; takes a few minutes.
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build/win32}"
export ORV_STRESS_DIALOG_ROUNDS="${2:-200}"
export VANTA_STRESS_HOTPLUG_ARRIVALS="${3:-200}"
export ORV_STRESS_EXPORT_SECONDS="${4:-10}"
cmake --build "$build" --target update_check_stress_tests e2e_tests vanta OrvUpdateCheck \
      package_stub test_hid test_setupapi >/dev/null

source scripts/display.sh
prefix="$PWD/$build/bench-stress-prefix"
log="$PWD/$build/bench-stress.log"
: > "$log"
status=0
tests/support/ftp_server/with-ftp-server --root-parent "$PWD/$build/bench-stress-ftp" -- \
    scripts/wine-run --prefix "$prefix" "$PWD/$build/bin/update_check_stress_tests.exe" \
    >>"$log" 2>&1 || status=1
scripts/wine-run --prefix "$prefix" "$PWD/$build/bin/e2e_tests.exe" \
    --gtest_filter='vanta_hotplug_storm.*' >>"$log" 2>&1 || status=1
grep -E '^stress:|FAILED' "$log" || true
exit $status
