#!/usr/bin/env bash
# The release loop's test (ctest e2e.release_loop), run under the FTP server's wrapper:
#   release_loop.sh BUILD_DIR RELEASE_LOOP_TESTS.exe
# Builds release 2012.2.22, and release 2013.1.1 signed with a test key and published in the
# served directory (scripts/release.sh both times; the release builds are kept and reused), then
# runs the Windows test in a Wine prefix of its own, laid anew each run.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
build="$1"
tests="$2"
[ -n "${ORV_TEST_FTP_ROOT:-}" ] || { echo "release_loop.sh: run under with-ftp-server" >&2; exit 2; }

work="$build/release-loop"
mkdir -p "$work"
if [ ! -s "$work/signing-key.pem" ] || [ ! -s "$work/signing-cert.pem" ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Orvatec Test Publisher" \
          -keyout "$work/signing-key.pem" -out "$work/signing-cert.pem" 2>/dev/null
fi
# Wine takes the system language from the Unix locale; the Chinese installer needs zh_CN.
if [ ! -d "$work/locale/zh_CN.UTF-8" ]; then
  mkdir -p "$work/locale"
  localedef -i zh_CN -f UTF-8 "$work/locale/zh_CN.UTF-8" >/dev/null 2>&1 || true
fi

old="$("$source_dir/scripts/release.sh" --version 2012.2.22 | tail -n 1)"
"$source_dir/scripts/release.sh" --version 2013.1.1 --sign-cert "$work/signing-cert.pem" \
    --sign-key "$work/signing-key.pem" --publish "$ORV_TEST_FTP_ROOT" > "$work/release-new.txt"
new="$(tail -n 1 "$work/release-new.txt")"
pin="$(sed -n 's/^Publisher pin[^:]*: \([0-9a-f]\{64\}\)$/\1/p' "$work/release-new.txt")"
[ -n "$pin" ] || { echo "release_loop.sh: release.sh printed no publisher pin" >&2; exit 1; }

windows_path() { local p; p="$(realpath "$1")"; printf 'Z:%s' "${p//\//\\}"; }
export ORV_RELEASE_OLD="$(windows_path "$old")"
export ORV_RELEASE_NEW="$(windows_path "$new")"
export ORV_PUBLISHER_PIN="$pin"

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
