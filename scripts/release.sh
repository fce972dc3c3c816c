#!/usr/bin/env bash
# Builds a release of Orv Vanta Kit and its installers.
#   scripts/release.sh --version YYYY.M.D [--sign-cert CERT.pem] [--sign-key KEY.pem|URI]
#                      [--pkcs11-module PATH] [--timestamp URL]... [--no-timestamp]
#                      [--also-trust PIN]... [--publish DIR] [--firmware HEX]
# Builds the release binaries in build/release/YYYY.M.D and the installer
# build/release/Orv_Vanta_Kit_YYYY_M_D.exe, beside it the Windows Installer package
# Orv_Vanta_Kit_YYYY_M_D.msi (installer/msi/make-msi.sh; ProductVersion (YYYY - 2000).M.D, the
# release in its property OrvReleaseVersion) and the Group Policy templates in
# build/release/PolicyDefinitions, laid out as a central store. With a certificate and key it
# signs the binaries, both installers and the uninstaller (scripts/sign-file.sh: osslsigncode,
# SHA-256; the installers' signature description "Orv Vanta Kit Setup", the uninstaller's "Orv Vanta Kit Uninstall", so
# that the uninstaller never passes for an installer; a copy of the signed uninstaller stays in
# build/release/YYYY.M.D/uninstall.exe) and builds the certificate's publisher pin (the SHA-256
# of its SubjectPublicKeyInfo) into the update library, so that the release accepts the next
# release signed with the same key and nothing else; --also-trust adds another pin (64 hex
# digits), for a key that takes over.
# The key is a PEM file, or a PKCS#11 URI ("pkcs11:token=...;object=...") of a key on a token
# whose module --pkcs11-module names; its certificate is --sign-cert or, without it, the one
# stored beside the key on the token. The token's PIN comes from ORV_SIGN_PIN or the URI's
# pin-value, and is never passed on a command line.
# Every signature is time-stamped (RFC 3161, SHA-256) by the first --timestamp server that
# answers; when none answers, the release fails and nothing is published. A certificate that is
# not self-signed (one a CA issued, which expires) needs --timestamp, or --no-timestamp to say
# that its signatures may end with it. With --publish, which needs a certificate, it lays both
# installers out under DIR as the update server serves them. --firmware sets the reference
# firmware in the installed "version" file (hexadecimal; default 7222201200000000). The last
# line of output names the installer.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

usage() {
  echo "usage: scripts/release.sh --version YYYY.M.D [--sign-cert CERT.pem] [--sign-key KEY.pem|pkcs11:URI] [--pkcs11-module PATH] [--timestamp URL]... [--no-timestamp] [--also-trust PIN]... [--publish DIR] [--firmware HEX]" >&2
  exit 2
}
fail() { echo "release.sh: $*" >&2; exit 2; }

version="" cert="" key="" module="" publish="" firmware="7222201200000000" also_trust=()
timestamps=() no_timestamp=0
while [ $# -gt 0 ]; do
  case "$1" in
    --no-timestamp) no_timestamp=1; shift; continue ;;
    --version|--sign-cert|--sign-key|--publish|--firmware|--also-trust|--pkcs11-module|--timestamp)
      [ $# -ge 2 ] && [ -n "$2" ] || fail "$1 needs a value"
      case "$1" in
        --version) version="$2" ;;
        --sign-cert) cert="$2" ;;
        --sign-key) key="$2" ;;
        --publish) publish="$2" ;;
        --firmware) firmware="$2" ;;
        --also-trust) also_trust+=("$2") ;;
        --pkcs11-module) module="$2" ;;
        --timestamp) timestamps+=("$2") ;;
      esac
      shift 2 ;;
    -h|--help) usage ;;
    *) echo "release.sh: unknown argument $1" >&2; usage ;;
  esac
done

[ -n "$version" ] || usage
# Year, month 1-12 and day 1-31 without leading zeros: the update tag compares the numbers,
# and the program prints each one as written.
[[ "$version" =~ ^[0-9]{4}\.([1-9]|1[0-2])\.([1-9]|[12][0-9]|3[01])$ ]] ||
  fail "--version \"$version\" is not YYYY.M.D (for example 2013.1.1)"
[[ "$firmware" =~ ^[0-9A-Fa-f]{1,16}$ ]] || fail "--firmware \"$firmware\" is not 1 to 16 hexadecimal digits"
source "$root/scripts/pkcs11-uri.sh"
signer_args=()
if [[ "$key" == pkcs11:* ]]; then
  [ -n "$module" ] || fail "--sign-key $key (a key on a token) needs --pkcs11-module"
  [ -r "$module" ] || fail "cannot read the PKCS#11 module $module"
  module="$(realpath "$module")"
  if [ -n "$(uri_attribute "$key" pin-value)" ]; then
    echo "release.sh: warning: the PIN in --sign-key is visible to every user of this machine while release.sh runs; set ORV_SIGN_PIN instead" >&2
    # Handed on through the environment only.
    [ -n "${ORV_SIGN_PIN:-}" ] || ORV_SIGN_PIN="$(uri_attribute "$key" pin-value)"
    export ORV_SIGN_PIN
    key="$(uri_without_pin "$key")"
  fi
  signer_args+=(--pkcs11-module "$module")
  if [ -z "$cert" ]; then
    # The certificate stored on the token beside the key.
    mkdir -p "$root/build/release"
    token_cert="$root/build/release/token-certificate.pem"
    "$root/scripts/sign-file.sh" --sign-key "$key" --pkcs11-module "$module" --print-cert \
      > "$token_cert" || fail "no certificate for $key on the token; name one with --sign-cert"
    cert="$token_cert"
  fi
elif [ -n "$module" ]; then
  fail "--pkcs11-module goes with a --sign-key pkcs11: URI"
fi
if [ -n "$cert$key" ]; then
  [ -n "$cert" ] && [ -n "$key" ] || fail "--sign-cert and --sign-key go together"
  [ -r "$cert" ] || fail "cannot read certificate $cert"
  cert="$(realpath "$cert")"
  openssl x509 -in "$cert" -noout 2>/dev/null || fail "$cert is not a PEM certificate"
  if [[ "$key" != pkcs11:* ]]; then
    [ -r "$key" ] || fail "cannot read key $key"
    key="$(realpath "$key")"
    openssl pkey -in "$key" -noout 2>/dev/null || fail "$key is not a PEM private key"
  fi
fi
for url in "${timestamps[@]}"; do
  [[ "$url" =~ ^https?://[^[:space:]\'\"]+$ ]] || fail "--timestamp \"$url\" is not an http:// or https:// URL"
done
if [ ${#timestamps[@]} -gt 0 ] || [ "$no_timestamp" = 1 ]; then
  [ -n "$cert" ] || fail "--timestamp and --no-timestamp go with --sign-cert and --sign-key"
  [ ${#timestamps[@]} -eq 0 ] || [ "$no_timestamp" = 0 ] ||
    fail "--timestamp and --no-timestamp contradict each other"
fi
if [ -n "$cert" ] && [ ${#timestamps[@]} -eq 0 ] && [ "$no_timestamp" = 0 ]; then
  # A self-signed certificate is for tests. Any other one expires, and on that day Windows
  # stops trusting every signature it made that carries no time stamp.
  [ "$(openssl x509 -in "$cert" -noout -subject_hash)" = "$(openssl x509 -in "$cert" -noout -issuer_hash)" ] ||
    fail "$cert was issued by a CA: its signatures need --timestamp URL (or --no-timestamp, if they are meant to end with the certificate)"
fi
# Without a signature the update library opens no package, so nothing unsigned is published.
[ -z "$publish" ] || [ -n "$cert" ] ||
  fail "--publish needs --sign-cert and --sign-key: installed releases open only signed packages"

# The pins built into the release's update library: the signing certificate's, then any added.
pins=()
if [ -n "$cert" ]; then
  pin="$(openssl x509 -in "$cert" -pubkey -noout | openssl pkey -pubin -outform DER | sha256sum)"
  pins+=("${pin%% *}")
fi
for extra in "${also_trust[@]}"; do
  [[ "$extra" =~ ^[0-9A-Fa-f]{64}$ ]] ||
    fail "--also-trust \"$extra\" is not a publisher pin (64 hexadecimal digits, the SHA-256 of a certificate's public key)"
  pins+=("${extra,,}")
done
pin_list="$(IFS=';'; echo "${pins[*]}")"

tag="${version//./_}"
installer_name="Orv_Vanta_Kit_${tag}.exe"
out_dir="$root/build/release"
build="$out_dir/$version"
stage="$build/stage"
installer="$out_dir/$installer_name"
package_name="Orv_Vanta_Kit_${tag}.msi"
package="$out_dir/$package_name"

echo "== building $version in $build" >&2
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
  export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"
fi
IFS=. read -r year month day <<<"$version"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DBUILD_TESTING=OFF \
      -DVANTA_VERSION="$version" -DVANTA_FILE_VERSION="$year.$month.$day.0" \
      -DORV_UPDATE_PUBLISHER_PINS="$pin_list" >/dev/null
# vanta builds its language libraries with it.
cmake --build "$build" -j "$(nproc)" --target vanta OrvUpdateCheck >&2

rm -rf "$stage"
mkdir -p "$stage"
cp "$build/bin/vanta.exe" "$build/bin/OrvUpdateCheck.dll" "$stage/"
shopt -s nullglob
languages=("$build"/bin/vanta???.dll)
shopt -u nullglob
[ ${#languages[@]} -gt 0 ] || fail "the build made no language library"
cp "${languages[@]}" "$stage/"
printf 'K58x=%s;\r\n' "$firmware" > "$build/version"

sign_args=()
if [ -n "$cert" ]; then
  # Signs in place the file named by its last argument, with the signature description given
  # before it (--description TEXT). The PIN of a key on a token stays in the environment.
  signer="$build/sign-file.sh"
  signer_args+=(--sign-cert "$cert" --sign-key "$key")
  for url in "${timestamps[@]}"; do
    signer_args+=(--timestamp "$url")
  done
  [ ${#timestamps[@]} -gt 0 ] || signer_args+=(--no-timestamp)
  {
    echo '#!/usr/bin/env bash'
    printf 'exec %q' "$root/scripts/sign-file.sh"
    printf ' %q' "${signer_args[@]}"
    echo ' "$@"'
  } > "$signer"
  chmod +x "$signer"
  for file in "$stage"/*.exe "$stage"/*.dll; do
    "$signer" --description "Orv Vanta Kit" "$file"
  done
  # A copy of the signed uninstaller, for checking: makensis writes it into the installer only.
  rm -f "$build/uninstall.exe"
  sign_args=(-DSIGN_SCRIPT="$signer" -DUNINSTALLER_COPY="$build/uninstall.exe")
fi

echo "== making the installer" >&2
# Made and signed aside: the installer appears under its name only once fully signed.
rm -f "$installer"
unsigned="$build/$installer_name"
rm -f "$unsigned"
makensis -V2 -DVERSION="$version" -DBIN_DIR="$stage" -DVERSION_FILE="$build/version" \
         -DOUT_FILE="$unsigned" "${sign_args[@]}" installer/orv_vanta_kit.nsi >&2
[ -s "$unsigned" ] || fail "makensis made no installer"

echo "== making the Windows Installer package" >&2
# Made and signed aside too.
rm -f "$package"
unsigned_package="$build/$package_name"
rm -f "$unsigned_package"
"$root/installer/msi/make-msi.sh" --version "$version" --bin-dir "$stage" \
    --version-file "$build/version" --out "$unsigned_package"
rm -rf "$out_dir/PolicyDefinitions"
cp -r "$root/installer/policy" "$out_dir/PolicyDefinitions"

if [ -n "$cert" ]; then
  "$signer" --description "Orv Vanta Kit Setup" "$unsigned"
  "$signer" --description "Orv Vanta Kit Setup" "$unsigned_package"
fi
mv -f "$unsigned" "$installer"
mv -f "$unsigned_package" "$package"
if [ -n "$cert" ]; then
  echo "Publisher pin (SHA-256 of the certificate's public key): ${pins[0]}"
fi
if [ ${#pins[@]} -gt 0 ]; then
  echo "Built-in publisher pins: ${pins[*]}"
else
  echo "release.sh: warning: no publisher pin is built in; this release will open no update" >&2
fi

if [ -n "$publish" ]; then
  # The update server's layout: vanta asks for /pub/calculators/OrvK58x/Orv_Vanta_Kit.exe and
  # takes the first Orv_Vanta_Kit_<version>.exe listed beside it. An FTP server lists the
  # folder itself; for an HTTPS server the folder carries Orv_Vanta_Kit.list, which names every
  # package in it with its size, newest version first.
  directory="$publish/pub/calculators/OrvK58x"
  mkdir -p "$directory"
  for other in "$directory"/Orv_Vanta_Kit_*.exe "$directory"/Orv_Vanta_Kit_*.msi; do
    if [ -e "$other" ] && [ "$(basename "$other")" != "$installer_name" ] &&
       [ "$(basename "$other")" != "$package_name" ]; then
      echo "release.sh: warning: $other is published as well; an FTP server offers the first one it lists" >&2
    fi
  done
  for file in "$installer" "$package"; do
    cp "$file" "$directory/$(basename "$file").part"
    mv -f "$directory/$(basename "$file").part" "$directory/$(basename "$file")"
  done
  # Newest first: each name's version numbers, zero-padded and joined, sorted in reverse.
  {
    echo "# Orv Vanta Kit packages, newest first: <file name> <size in bytes>"
    for listed in "$directory"/Orv_Vanta_Kit_*.exe "$directory"/Orv_Vanta_Kit_*.msi; do
      [ -f "$listed" ] || continue
      name="$(basename "$listed")"
      if ! [[ "$name" =~ ^[A-Za-z0-9._-]+$ ]]; then
        echo "release.sh: warning: $listed is not listed: its name has characters a list may not hold" >&2
        continue
      fi
      version="${name#Orv_Vanta_Kit_}"
      key="$(printf '%s\n' "${version%.*}" | tr -c '0-9\n' ' ' |
             awk '{ for (i = 1; i <= NF; i++) printf "%012d", $i } END { print "" }')"
      printf '%s %s %s\n' "${key:-0}" "$name" "$(stat -c %s "$listed")"
    done | LC_ALL=C sort -r | cut -d' ' -f2-
  } >"$directory/Orv_Vanta_Kit.list.part"
  mv -f "$directory/Orv_Vanta_Kit.list.part" "$directory/Orv_Vanta_Kit.list"
  echo "Published: $directory/$installer_name and $package_name (listed in $directory/Orv_Vanta_Kit.list)"
fi

echo "$installer"
