#!/usr/bin/env bash
# Authenticode-signs one file in place (osslsigncode, SHA-256), as scripts/release.sh signs
# every file of a release:
#   scripts/sign-file.sh --sign-key KEY [--sign-cert CERT.pem] [--pkcs11-module PATH]
#                        [--timestamp URL]... [--no-timestamp] --description TEXT FILE
#   scripts/sign-file.sh --sign-key URI --pkcs11-module PATH --print-cert
# KEY is a PEM private key, or a PKCS#11 URI (RFC 7512, "pkcs11:token=...;object=...") of a
# key on a token, whose module --pkcs11-module names. The certificate is CERT.pem, or, for a
# key on a token without --sign-cert, the certificate object of the same token and label or id.
# The token's PIN is read from the environment (ORV_SIGN_PIN) or from the URI's pin-value; it
# reaches osslsigncode through a pipe, never through a command line, which every user can read.
# Each --timestamp URL is an RFC 3161 time-stamp server, asked in turn until one answers;
# without an answer the file is not signed. TEXT is the signature's description (osslsigncode
# -n), which Windows shows as the program's name when it asks for consent.
# --print-cert prints, as PEM, the certificate that a key on a token signs with, and signs
# nothing.
# FILE is replaced only once it is fully signed (and time-stamped); on any failure it is left
# as it was and the exit status is 1 (2 for a usage error).
set -euo pipefail

fail() { echo "sign-file.sh: $*" >&2; exit 2; }

key="" cert="" module="" description="" file="" timestamps=() no_timestamp=0 print_cert=0
while [ $# -gt 0 ]; do
  case "$1" in
    --sign-key|--sign-cert|--pkcs11-module|--timestamp|--description)
      [ $# -ge 2 ] && [ -n "$2" ] || fail "$1 needs a value"
      case "$1" in
        --sign-key) key="$2" ;;
        --sign-cert) cert="$2" ;;
        --pkcs11-module) module="$2" ;;
        --timestamp) timestamps+=("$2") ;;
        --description) description="$2" ;;
      esac
      shift 2 ;;
    --no-timestamp) no_timestamp=1; shift ;;
    --print-cert) print_cert=1; shift ;;
    -*) fail "unknown argument $1" ;;
    *) [ -z "$file" ] || fail "one file at a time"; file="$1"; shift ;;
  esac
done
if [ "$print_cert" = 0 ]; then
  [ -n "$key" ] && [ -n "$description" ] && [ -n "$file" ] ||
    fail "usage: sign-file.sh --sign-key KEY [--sign-cert CERT] [--pkcs11-module PATH] [--timestamp URL]... --description TEXT FILE"
  [ ${#timestamps[@]} -gt 0 ] || [ "$no_timestamp" = 1 ] ||
    fail "no --timestamp: say --no-timestamp when the signature is meant to end with its certificate"
  [ -f "$file" ] || fail "no file $file"
fi

source "$(dirname "$0")/pkcs11-uri.sh"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"; [ -z "$file" ] || rm -f "$file.signing"' EXIT

args=(sign -h sha256 -n "$description")
pin=""
if [[ "$key" == pkcs11:* ]]; then
  [ -n "$module" ] || fail "a key on a token (pkcs11:...) needs --pkcs11-module"
  [ -r "$module" ] || fail "cannot read the PKCS#11 module $module"
  pin="${ORV_SIGN_PIN:-$(uri_attribute "$key" pin-value)}"
  key="$(uri_without_pin "$key")"
  if [ -z "$cert" ]; then
    # The certificate stored beside the key: same token, same label or id.
    token="$(uri_attribute "$key" token)"
    object="$(uri_attribute "$key" object)"
    id="$(uri_attribute "$key" id | od -An -tx1 | tr -d ' \n')"
    read_args=(--module "$module" --read-object --type cert --output-file "$scratch/cert.der")
    [ -z "$token" ] || read_args+=(--token-label "$token")
    [ -z "$object" ] || read_args+=(--label "$object")
    [ -z "$id" ] || read_args+=(--id "$id")
    pkcs11-tool "${read_args[@]}" >/dev/null 2>&1 &&
      openssl x509 -inform DER -in "$scratch/cert.der" -out "$scratch/cert.pem" 2>/dev/null ||
      { echo "sign-file.sh: no certificate for $key on the token" >&2; exit 1; }
    cert="$scratch/cert.pem"
  fi
  if [ "$print_cert" = 1 ]; then
    cat "$cert"
    exit 0
  fi
  args+=(-pkcs11module "$module" -certs "$cert" -key "$key")
else
  [ "$print_cert" = 0 ] || fail "--print-cert is for a key on a token"
  [ -n "$cert" ] || fail "a PEM key needs --sign-cert"
  args+=(-certs "$cert" -key "$key")
fi
for url in "${timestamps[@]}"; do
  args+=(-ts "$url")
done

rm -f "$file.signing"
if [ -n "$pin" ]; then
  # The PIN through a pipe that osslsigncode reads as a file.
  osslsigncode "${args[@]}" -readpass /dev/fd/3 -in "$file" -out "$file.signing" \
    3< <(printf '%s\n' "$pin") >/dev/null || { echo "sign-file.sh: signing $file failed" >&2; exit 1; }
else
  osslsigncode "${args[@]}" -in "$file" -out "$file.signing" </dev/null >/dev/null ||
    { echo "sign-file.sh: signing $file failed" >&2; exit 1; }
fi
mv -f "$file.signing" "$file"
