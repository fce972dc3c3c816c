#!/usr/bin/env bash
# The release loop's test (ctest e2e.release_loop), run under the FTP server's wrapper:
#   release_loop.sh BUILD_DIR RELEASE_LOOP_TESTS.exe
# Builds release 2012.2.22 and release 2013.1.1, both signed with the test publisher's key
# (tests/support/signing/test-signing), which release.sh builds into them as their pin: 2012.2.22
# from the PEM file, 2013.1.1 from a SoftHSM2 token holding the same key (its PIN only in the
# environment), both time-stamped by a loopback time-stamp server; checks that every signature
# they carry has its time stamp. Publishes 2013.1.1 in the served directory and makes a copy of
# it signed with the other test key (the release builds are kept and reused). Then runs the
# Windows test in a Wine prefix of its own, laid anew each run.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
build="$1"
tests="$2"
[ -n "${ORV_TEST_FTP_ROOT:-}" ] || { echo "release_loop.sh: run under with-ftp-server" >&2; exit 2; }
source "$source_dir/tests/support/timestamp_server/timestamp_server.sh"
trap 'stop_timestamp_servers' EXIT

work="$build/release-loop"
mkdir -p "$work"
signing="$source_dir/tests/support/signing/test-signing"
keys="$build/test-signing"
"$signing" keys "$keys"
start_timestamp_server stamps "$build/test-tsa"
# The publisher's key on a token, for release 2013.1.1.
export ORV_SIGN_PIN="pin-$RANDOM$RANDOM"
token="$source_dir/tests/support/signing/test-token"
"$token" make "$work/token" "$keys/publisher.key" "$keys/publisher.pem"
export SOFTHSM2_CONF="$work/token/softhsm2.conf"
# Wine takes the system language from the Unix locale; the Chinese installer needs zh_CN.
if [ ! -d "$work/locale/zh_CN.UTF-8" ]; then
  mkdir -p "$work/locale"
  localedef -i zh_CN -f UTF-8 "$work/locale/zh_CN.UTF-8" >/dev/null 2>&1 || true
fi

release() {  # OUTPUT VERSION [ARGS...]: release.sh signed with the publisher's key, time-stamped
  local output="$1" version="$2" file
  shift 2
  "$source_dir/scripts/release.sh" --version "$version" --timestamp "$stamps" "$@" > "$output"
  # Its pin, and no other, is built in.
  grep -qx "Built-in publisher pins: $("$signing" pin "$keys/publisher.pem")" "$output" ||
    { echo "release_loop.sh: release $version does not build in its publisher's pin" >&2; exit 1; }
  # Every signature it made carries a time stamp: the binaries, the uninstaller, the installer.
  for file in "$source_dir/build/release/$version/stage/"*.{exe,dll} \
              "$source_dir/build/release/$version/uninstall.exe" "$(tail -n 1 "$output")"; do
    signature_is_timestamped "$file" "$keys/publisher.pem" "$build/test-tsa" ||
      { echo "release_loop.sh: $file carries no time-stamped signature" >&2; exit 1; }
  done
  tail -n 1 "$output"
}
old="$(release "$work/release-old.txt" 2012.2.22 --sign-cert "$keys/publisher.pem" \
         --sign-key "$keys/publisher.key")"
new="$(release "$work/release-new.txt" 2013.1.1 --publish "$ORV_TEST_FTP_ROOT" \
         --sign-key "pkcs11:token=Orvatec%20Test%20Token;object=publisher" \
         --pkcs11-module "$("$token" module)")"
# osslsigncode overwrites nothing: a second run would stop here.
rm -f "$work/unsigned.exe" "$work/Orv_Vanta_Kit_2013_1_1_other_key.exe"
osslsigncode remove-signature -in "$new" -out "$work/unsigned.exe" >/dev/null
"$signing" sign "$keys" "$work/unsigned.exe" "$work/Orv_Vanta_Kit_2013_1_1_other_key.exe" other

windows_path() { local p; p="$(realpath "$1")"; printf 'Z:%s' "${p//\//\\}"; }
ORV_RELEASE_OLD="$(windows_path "$old")"
ORV_RELEASE_NEW="$(windows_path "$new")"
ORV_RELEASE_ROGUE="$(windows_path "$work/Orv_Vanta_Kit_2013_1_1_other_key.exe")"
# The new release's signed uninstaller, which must not pass for its installer.
ORV_RELEASE_UNINSTALLER="$(windows_path "$source_dir/build/release/2013.1.1/uninstall.exe")"
# Where the test's stand-in for icacls records the installer's commands.
rm -f "$work/icacls-starts.log"
VANTA_UPDATER_LOG="$(windows_path "$work/icacls-starts.log")"
export ORV_RELEASE_OLD ORV_RELEASE_NEW ORV_RELEASE_ROGUE ORV_RELEASE_UNINSTALLER VANTA_UPDATER_LOG
# The test checks the prefix's kind against the one asked for.
export VANTA_WINEARCH="${VANTA_WINEARCH:-win64}"

prefix="$work/prefix"
rm -rf "$prefix" "$prefix.lock"
# The Chinese installer first, in the system language Wine takes from the Unix locale; then
# everything else in English.
status=0
LOCPATH="$work/locale" LC_ALL=zh_CN.UTF-8 \
  "$source_dir/scripts/wine-run" --prefix "$prefix" "$tests" --gtest_filter='*chinese*' || status=1
LC_ALL=C.UTF-8 "$source_dir/scripts/wine-run" --prefix "$prefix" "$tests" --gtest_filter='-*chinese*' ||
  status=1
exit $status
