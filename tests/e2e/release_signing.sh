#!/usr/bin/env bash
# How scripts/release.sh signs every file of a release (scripts/sign-file.sh), against loopback
# RFC 3161 time-stamp servers and a SoftHSM2 token made for the run:
#   release_signing.sh BUILD_DIR PROGRAM.exe
# - time-stamped by the first server that answers, the stamp chaining to the test authority;
# - with every server failing: an error, and the file left as it was (nothing half-signed);
# - with the publisher's key on a token and the PIN from ORV_SIGN_PIN: a signature that
#   verifies against the publisher's certificate, the certificate read from the token when none
#   is named; the PIN on no process's command line while it signs; a wrong PIN signs nothing.
set -uo pipefail
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(realpath "$1")"
program="$2"
sign="$source_dir/scripts/sign-file.sh"
source "$source_dir/tests/support/timestamp_server/timestamp_server.sh"

work="$build/release-signing"
rm -rf "$work"
mkdir -p "$work"
trap 'stop_timestamp_servers' EXIT
keys="$build/test-signing"
"$source_dir/tests/support/signing/test-signing" keys "$keys" || exit 1
start_timestamp_server stamps "$build/test-tsa" || exit 1
start_timestamp_server down "$build/test-tsa" --fail || exit 1
start_timestamp_server slow "$build/test-tsa" --delay 1 || exit 1

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
fresh() { cp "$program" "$work/$1"; echo "$work/$1"; }
# Signed by CERT with the digest intact.
verified() { osslsigncode verify -in "$1" -CAfile "$2" >/dev/null 2>&1; }
stamped() { signature_is_timestamped "$1" "$2" "$build/test-tsa"; }
unchanged() { cmp -s "$1" "$program" && [ ! -e "$1.signing" ]; }
pem=(--sign-cert "$keys/publisher.pem" --sign-key "$keys/publisher.key")

# Time stamps: a dead server first, then one that answers.
file="$(fresh stamped.exe)"
"$sign" "${pem[@]}" --timestamp http://127.0.0.1:1 --timestamp "$stamps" \
  --description "Orv Vanta Kit Setup" "$file" 2>/dev/null || fail "signing with a fallback server"
stamped "$file" "$keys/publisher.pem" || fail "no time stamp after the fallback"
[[ "$(osslsigncode verify -in "$file" 2>/dev/null)" == *"Text description: Orv Vanta Kit Setup"* ]] ||
  fail "the description is not the one given"
for servers in "$down" "http://127.0.0.1:1 $down"; do
  file="$(fresh refused.exe)"
  args=()
  for url in $servers; do args+=(--timestamp "$url"); done
  "$sign" "${pem[@]}" "${args[@]}" --description X "$file" 2>/dev/null &&
    fail "signed although no server ($servers) stamped it"
  unchanged "$file" || fail "a failed time stamp changed the file ($servers)"
done
file="$(fresh unstamped.exe)"
"$sign" "${pem[@]}" --description X "$file" 2>/dev/null && fail "signed without --timestamp or --no-timestamp"
unchanged "$file" || fail "a refused signing changed the file"

# A key on a token.
export ORV_SIGN_PIN="pin-$RANDOM$RANDOM-7215"
"$source_dir/tests/support/signing/test-token" make "$work/token" "$keys/publisher.key" \
  "$keys/publisher.pem" || exit 1
export SOFTHSM2_CONF="$work/token/softhsm2.conf"
module="$("$source_dir/tests/support/signing/test-token" module)"
uri="pkcs11:token=Orvatec%20Test%20Token;object=publisher"
token=(--sign-key "$uri" --pkcs11-module "$module")

# The certificate from the token; the PIN looked for on every command line while it signs (the
# slow server keeps osslsigncode running).
file="$(fresh token.exe)"
"$sign" "${token[@]}" --timestamp "$slow" --description "Orv Vanta Kit Setup" "$file" &
signing=$!
seen_signer=0 seen_pin=0
while kill -0 "$signing" 2>/dev/null; do
  for cmdline in /proc/[0-9]*/cmdline; do
    { mapfile -d '' argv < "$cmdline"; } 2>/dev/null || continue
    line="${argv[*]}"
    [[ "${argv[0]:-}" == *osslsigncode && "${argv[1]:-}" == sign ]] && seen_signer=1
    [[ "$line" == *"$ORV_SIGN_PIN"* ]] && seen_pin=1
  done
done
wait "$signing" || fail "signing with the token"
[ "$seen_signer" = 1 ] || fail "osslsigncode was never seen signing"
[ "$seen_pin" = 0 ] || fail "the PIN was on a command line"
stamped "$file" "$keys/publisher.pem" || fail "the token's signature does not verify"
[ "$("$sign" "${token[@]}" --print-cert | openssl x509 -noout -fingerprint -sha256)" = \
  "$(openssl x509 -in "$keys/publisher.pem" -noout -fingerprint -sha256)" ] ||
  fail "--print-cert is not the token's certificate"

# The PIN in the URI instead; then a wrong PIN.
file="$(fresh token-uri.exe)"
ORV_SIGN_PIN="" "$sign" --sign-key "$uri;pin-value=$ORV_SIGN_PIN" --pkcs11-module "$module" \
  --sign-cert "$keys/publisher.pem" --no-timestamp --description X "$file" 2>/dev/null ||
  fail "signing with the URI's pin-value"
verified "$file" "$keys/publisher.pem" || fail "the pin-value signature does not verify"
stamped "$file" "$keys/publisher.pem" && fail "a signature made with --no-timestamp counts as stamped"
file="$(fresh wrong-pin.exe)"
ORV_SIGN_PIN="not-$ORV_SIGN_PIN" "$sign" "${token[@]}" --no-timestamp --description X "$file" \
  >/dev/null 2>&1 && fail "signed with a wrong PIN"
unchanged "$file" || fail "a wrong PIN changed the file"

echo "release signing: $failures failed"
[ "$failures" = 0 ]
