#!/usr/bin/env bash
# The installer's folders under Wine, on any build: installer/orv_vanta_kit.nsi made for 64-bit
# Windows (makensis -X"Target amd64-unicode"; the release itself is 32-bit, which a machine that
# cannot run 32-bit programs cannot run), with stand-in binaries, in a prefix of its own:
#   installer_folders.sh BUILD_DIR PROGRAM.exe RECORDER.exe
# - an existing /D= folder that is not the product's installation is refused (exit status 2),
#   with nothing copied into it and no icacls run;
# - a fresh install owns, resets and grants the highest folder it creates (/T), then the
#   download place ProgramData\OrvUpdateCheck (/L, the folder itself);
# - an upgrade does the same for the existing installation, which is the product's.
# Wine's icacls is a stub, so RECORDER (the Updater.exe stand-in) takes its place and the
# commands it saw are compared.
set -uo pipefail
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(realpath "$1")"
program="$2"
recorder="$3"
work="$build/installer-folders"
rm -rf "$work"
mkdir -p "$work/bin"
for name in vanta.exe OrvUpdateCheck.dll vantaCHS.dll; do cp "$program" "$work/bin/$name"; done
printf 'K58x=7222201200000000;\r\n' > "$work/version"
makensis -V2 -X"Target amd64-unicode" -DVERSION=2013.1.1 -DBIN_DIR="$work/bin" \
  -DVERSION_FILE="$work/version" -DOUT_FILE="$work/Orv_Vanta_Kit_2013_1_1.exe" \
  "$source_dir/installer/orv_vanta_kit.nsi" || exit 1

prefix="$work/prefix"
run() { "$source_dir/scripts/wine-run" --prefix "$prefix" "$@" </dev/null >/dev/null 2>&1; }
run cmd /c exit 0
cp "$recorder" "$prefix/drive_c/windows/system32/icacls.exe"
run reg add 'HKCU\Software\Wine\DllOverrides' /v icacls.exe /d native /f || exit 1
log="$work/icacls.log"
VANTA_UPDATER_LOG="Z:${log//\//\\}"
export VANTA_UPDATER_LOG

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
commands() { [ -f "$log" ] && cut -f1 "$log" | tr -d '\r'; }
own() {  # FOLDER OPTIONS GRANTS: the three commands that give FOLDER its own access list
  local start="\"C:\\windows\\system32\\icacls.exe\" \"$1\" "
  printf '%s\n' "$start/setowner *S-1-5-32-544$2" "$start/reset$2" "$start/inheritance:r /grant:r $3"
}
install_grants='*S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX'
place="$(own 'C:\ProgramData\OrvUpdateCheck' ' /L' '*S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F /L')"

mkdir -p "$prefix/drive_c/users/Public/Planted"
run "$work/Orv_Vanta_Kit_2013_1_1.exe" /S '/D=C:\users\Public\Planted'
status=$?
[ "$status" = 2 ] || fail "an existing foreign folder: exit status $status, not 2"
[ -z "$(ls -A "$prefix/drive_c/users/Public/Planted")" ] || fail "files copied into the foreign folder"
[ -z "$(commands)" ] || fail "icacls ran for a refused folder: $(commands)"

run "$work/Orv_Vanta_Kit_2013_1_1.exe" /S || fail "the fresh install failed"
[ -f "$prefix/drive_c/Program Files/Orvatec/Orv Vanta Kit/vanta.exe" ] || fail "nothing installed"
expected="$(own 'C:\Program Files\Orvatec' ' /T' "$install_grants")"$'\n'"$place"
[ "$(commands)" = "$expected" ] || fail "fresh install ran:"$'\n'"$(commands)"$'\n'"wanted:"$'\n'"$expected"
[ -d "$prefix/drive_c/ProgramData/OrvUpdateCheck" ] || fail "no download place"

run "$work/Orv_Vanta_Kit_2013_1_1.exe" /S || fail "the upgrade failed"
expected+=$'\n'"$(own 'C:\Program Files\Orvatec\Orv Vanta Kit' ' /T' "$install_grants")"$'\n'"$place"
[ "$(commands)" = "$expected" ] || fail "the upgrade ran:"$'\n'"$(commands)"$'\n'"wanted:"$'\n'"$expected"

echo "installer folders: $failures failed"
[ "$failures" = 0 ]
