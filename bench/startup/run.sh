#!/usr/bin/env bash
# Start-up benchmark: vanta.exe against a minimal one-window program, under Wine, in one run.
#   bench/startup/run.sh [BUILD_DIR] [ROUNDS]      (defaults: build/win32, 15)
# Prints the median time from process start to a shown, idle main window for each program and
# the ratio to the minimal program. The target is a ratio of at most 1.3 for vanta.
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build/win32}"
rounds="${2:-15}"
cmake --build "$build" --target startup_bench vanta startup_minimal >/dev/null

folder="$PWD/$build/bench-startup"
mkdir -p "$folder"
printf 'K58x=7222201200000000;\r\n' > "$folder/version"

# Wine's drive Z: is the Unix root.
windows_path() { local p="${1//\//\\}"; echo "Z:$p"; }

source scripts/display.sh
bin="$PWD/$build/bin"
scripts/wine-run --prefix "$PWD/$build/bench-prefix" "$bin/startup_bench.exe" "$rounds" \
    "$(windows_path "$folder")" \
    "$(windows_path "$bin/startup_minimal.exe")" "$(windows_path "$bin/vanta.exe")"
