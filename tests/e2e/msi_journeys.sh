#!/usr/bin/env bash
# The Windows Installer package's test (ctest e2e.msi_journeys), run under the FTP server's
# wrapper:
#   msi_journeys.sh BUILD_DIR MSI_JOURNEYS_TESTS.exe
# Makes packages of releases 2012.2.22 and 2013.1.1 from this build's binaries with
# installer/msi/make-msi.sh, signs them with the test publisher's key (and 2013.1.1 once more
# with the other test key), makes a setup program of 2013.1.1 from the same files, and runs the
# Windows test in a 64-bit Wine prefix of its own, laid anew each run.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
build="$1"
tests="$2"
[ -n "${ORV_TEST_FTP_ROOT:-}" ] || { echo "msi_journeys.sh: run under with-ftp-server" >&2; exit 2; }

work="$build/msi-journeys"
stage="$work/stage"
rm -rf "$stage" "$work"/*.msi "$work"/*.exe
mkdir -p "$stage"
cp "$build/bin/vanta.exe" "$build/bin/OrvUpdateCheck.dll" "$build"/bin/vanta???.dll "$stage/"
printf 'K58x=7222201200000000;\r\n' > "$work/version"
signing="$source_dir/tests/support/signing/test-signing"
keys="$build/test-signing"
"$signing" keys "$keys"

for version in 2012.2.22 2013.1.1; do
  tag="${version//./_}"
  "$source_dir/installer/msi/make-msi.sh" --version "$version" --bin-dir "$stage" \
      --version-file "$work/version" --out "$work/unsigned_$tag.msi"
  "$signing" sign "$keys" "$work/unsigned_$tag.msi" "$work/Orv_Vanta_Kit_$tag.msi"
done
"$signing" sign "$keys" "$work/unsigned_2013_1_1.msi" "$work/Orv_Vanta_Kit_2013_1_1_other_key.msi" other
makensis -V1 -DVERSION=2013.1.1 -DBIN_DIR="$stage" -DVERSION_FILE="$work/version" \
    -DOUT_FILE="$work/Orv_Vanta_Kit_2013_1_1.exe" "$source_dir/installer/orv_vanta_kit.nsi" >&2

windows_path() { local p; p="$(realpath "$1")"; printf 'Z:%s' "${p//\//\\}"; }
ORV_MSI_OLD="$(windows_path "$work/Orv_Vanta_Kit_2012_2_22.msi")"
ORV_MSI_NEW="$(windows_path "$work/Orv_Vanta_Kit_2013_1_1.msi")"
ORV_MSI_ROGUE="$(windows_path "$work/Orv_Vanta_Kit_2013_1_1_other_key.msi")"
ORV_SETUP_NEW="$(windows_path "$work/Orv_Vanta_Kit_2013_1_1.exe")"
ORV_TEST_PIN="$("$signing" pin "$keys/publisher.pem")"
export ORV_MSI_OLD ORV_MSI_NEW ORV_MSI_ROGUE ORV_SETUP_NEW ORV_TEST_PIN

prefix="$work/prefix"
rm -rf "$prefix" "$prefix.lock"
LC_ALL=C.UTF-8 "$source_dir/scripts/wine-run" --prefix "$prefix" --win64-prefix "$tests"
