#!/usr/bin/env bash
# Start-up benchmark under Wine, run by hand:
#   bench/startup/run.sh [BUILD_DIR] [ROUNDS]      (defaults: build/win32, 25)
# Prints, from process start to a shown window whose message loop answers (medians and
# interquartile ranges, the programs interleaved round by round):
#   1. vanta's first window with 0, 1, 2 and 4 simulated calculators attached (a copy of the
#      program beside the test HID stack; each identify exchange has its mandated pauses);
#   2. the load cost of single system DLLs, as a minimal one-window program that loads them;
#   3. vanta against the minimal program; the last line is "startup ratio: R".
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build/win32}"
rounds="${2:-25}"
cmake --build "$build" --target startup_bench vanta startup_minimal OrvUpdateCheck test_hid \
      test_setupapi >/dev/null

root="$PWD"
folder="$root/$build/bench-startup"
prefix="$root/$build/bench-prefix"
bin="$root/$build/bin"
rm -rf "$folder"
mkdir -p "$folder/app" "$folder/sim"
printf 'K58x=7222201200000000;\r\n' > "$folder/version"

# Wine's drive Z: is the Unix root.
windows_path() { local p="${1//\//\\}"; echo "Z:$p"; }
source scripts/display.sh
bench() { scripts/wine-run --prefix "$prefix" "$bin/startup_bench.exe" "$@"; }

# A copy of vanta that loads the test HID stack, with current calculators (no question).
cp "$bin/vanta.exe" "$bin/OrvUpdateCheck.dll" "$folder/app/"
cp "$root/$build/test_hid_stack/hid.dll" "$root/$build/test_hid_stack/setupapi.dll" "$folder/app/"
cat > "$folder/hid.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\vanta.exe\\DllOverrides]
"hid"="native,builtin"
"setupapi"="native,builtin"

[HKEY_CURRENT_USER\\Software\\Orvatec\\UpdateCheck\\64]
"AutoUpdateCheck"=dword:00000000
REG
scripts/wine-run --prefix "$prefix" regedit /S "$(windows_path "$folder/hid.reg")" \
    </dev/null >/dev/null 2>&1
export VANTA_SIM_DIR="$(windows_path "$folder/sim")"
plug() {
  local device="$folder/sim/hid#vid_3c5d&pid_7e21#bench000$1#{4d1e55b2-f16f-11cf-88cb-001111000030}"
  : > "$device"
  printf 'sequence=%s\nvendor_id=3c5d\nproduct_id=7e21\nmodel=calculator\nname=4b00\nversion_bytes=7222201200000000\n' \
      "$1" > "$device.cfg"
}
echo "== first window with simulated calculators"
attached=0
for count in 0 1 2 4; do
  while [ "$attached" -lt "$count" ]; do attached=$((attached + 1)); plug "$attached"; done
  echo "-- $count calculators"
  bench 5 "$(windows_path "$folder")" "$(windows_path "$bin/startup_minimal.exe")" \
      "$(windows_path "$folder/app/vanta.exe")" | sed '$d'
done
rm -f "$folder"/sim/*

echo "== load cost of single DLLs (+ms over the minimal program)"
minimal="$(windows_path "$bin/startup_minimal.exe")"
bench "$rounds" "$(windows_path "$folder")" "$minimal" \
    "$minimal wininet.dll" "$minimal shell32.dll" "$minimal comdlg32.dll" \
    "$minimal ole32.dll" "$minimal setupapi.dll" "$minimal comctl32.dll" | sed '$d'

echo "== vanta against the minimal program"
bench "$rounds" "$(windows_path "$folder")" "$minimal" "$(windows_path "$bin/vanta.exe")"
