#!/usr/bin/env bash
# Makes the Windows Installer package of Orv Vanta Kit with wixl (from orv_vanta_kit.wxs):
#   make-msi.sh --version YYYY.M.D --bin-dir DIR --version-file FILE --out FILE.msi
#               [--platform x64|x86]
# DIR holds vanta.exe, OrvUpdateCheck.dll and the language libraries vanta???.dll, as the setup
# program installs them. The package's ProductVersion is (YYYY - 2000).M.D: Windows Installer
# keeps a version as major.minor.build with major and minor at most 255, and this keeps the
# releases in order up to 2255. The release itself is the property OrvReleaseVersion.
# --platform x64 (the default) makes the package of 64-bit Windows, x86 the one of 32-bit
# Windows; the files are the same. The package is not signed here.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
fail() { echo "make-msi.sh: $*" >&2; exit 2; }

version="" bin_dir="" version_file="" out="" platform="x64"
while [ $# -gt 0 ]; do
  case "$1" in
    --version|--bin-dir|--version-file|--out|--platform)
      [ $# -ge 2 ] && [ -n "$2" ] || fail "$1 needs a value"
      case "$1" in
        --version) version="$2" ;;
        --bin-dir) bin_dir="$2" ;;
        --version-file) version_file="$2" ;;
        --out) out="$2" ;;
        --platform) platform="$2" ;;
      esac
      shift 2 ;;
    *) fail "unknown argument $1" ;;
  esac
done
[ -n "$version" ] && [ -n "$bin_dir" ] && [ -n "$version_file" ] && [ -n "$out" ] ||
  fail "usage: make-msi.sh --version YYYY.M.D --bin-dir DIR --version-file FILE --out FILE.msi [--platform x64|x86]"
[[ "$version" =~ ^(2[0-2][0-9][0-9])\.([1-9]|1[0-2])\.([1-9]|[12][0-9]|3[01])$ ]] ||
  fail "--version \"$version\" is not YYYY.M.D with 2000 <= YYYY <= 2255"
year="${BASH_REMATCH[1]}" month="${BASH_REMATCH[2]}" day="${BASH_REMATCH[3]}"
[ "$year" -le 2255 ] || fail "--version \"$version\": the year must be 2255 or earlier"
case "$platform" in
  x64) win64=yes ;;
  x86) win64=no ;;
  *) fail "--platform \"$platform\" is not x64 or x86" ;;
esac
for file in vanta.exe OrvUpdateCheck.dll; do
  [ -f "$bin_dir/$file" ] || fail "$bin_dir has no $file"
done
[ -f "$version_file" ] || fail "no version file $version_file"
command -v wixl >/dev/null || fail "wixl is not installed (Debian package wixl)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$bin_dir/vanta.exe" "$bin_dir/OrvUpdateCheck.dll" "$work/"
cp "$root/app/vanta.ico" "$work/vanta.ico"
cp "$version_file" "$work/version"
cp "$here/orv_vanta_kit.wxs" "$work/"

# One component per language library, each with a GUID of its own name, so that every release
# gives a library the same component.
shopt -s nullglob
languages=("$bin_dir"/vanta???.dll)
shopt -u nullglob
[ ${#languages[@]} -gt 0 ] || fail "$bin_dir has no language library (vanta???.dll)"
{
  echo '<?xml version="1.0" encoding="utf-8"?>'
  echo '<Include>'
  for library in "${languages[@]}"; do
    name="$(basename "$library")"
    cp "$library" "$work/$name"
    guid="$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID("87839f78-fde1-4ec9-a92c-c39d6c5ae3db"), sys.argv[1])).upper())' "$name")"
    printf '  <Component Id="%s" Guid="%s" Win64="no">\n' "${name%.dll}" "$guid"
    printf '    <File Id="%s" Name="%s" Source="%s" KeyPath="yes"/>\n' "$name" "$name" "$name"
    echo '  </Component>'
  done
  echo '</Include>'
} > "$work/Languages.wxi"
{
  echo '<?xml version="1.0" encoding="utf-8"?>'
  echo '<Include>'
  for library in "${languages[@]}"; do
    name="$(basename "$library")"
    printf '  <ComponentRef Id="%s"/>\n' "${name%.dll}"
  done
  echo '</Include>'
} > "$work/LanguageRefs.wxi"

mkdir -p "$(dirname "$out")"
out="$(realpath -m "$out")"
rm -f "$out"
# wixl takes the files named in the package from the folder it runs in.
(cd "$work" && wixl -a "$platform" -o "$out" -D Release="$version" \
   -D MsiVersion="$((year - 2000)).$month.$day" -D Win64="$win64" orv_vanta_kit.wxs >&2)
[ -s "$out" ] || fail "wixl made no package"
