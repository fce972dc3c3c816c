#!/usr/bin/env bash
# scripts/release.sh refuses malformed arguments before it builds anything: exit status 2, a
# message naming the problem, no build folder for the version.
set -uo pipefail
release="$(cd "$(dirname "$0")/../.." && pwd)/scripts/release.sh"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
: > "$scratch/empty.pem"
# A self-signed certificate, and one its CA issued (which expires, so needs time stamps).
certificate() {  # NAME SUBJECT [openssl x509 -req arguments...]
  local name="$1" subject="$2"
  shift 2
  openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj "/CN=$subject" \
    -keyout "$scratch/$name.key" -out "$scratch/$name.csr" 2>/dev/null &&
    openssl x509 -req -in "$scratch/$name.csr" -days 30 -out "$scratch/$name.pem" "$@" 2>/dev/null
}
certificate ca "Test CA" -key "$scratch/ca.key"
certificate self "Test Publisher" -key "$scratch/self.key"
certificate issued "Test Publisher" -CA "$scratch/ca.pem" -CAkey "$scratch/ca.key" -set_serial 2
self="--sign-cert $scratch/self.pem --sign-key $scratch/self.key"
issued="--sign-cert $scratch/issued.pem --sign-key $scratch/issued.key"
token="--sign-key pkcs11:token=Orvatec%20Test%20Token;object=publisher"
pin=0123456789abcdef0123456789abcdef0123456789ABCDEF0123456789abcdef

# arguments | text the message must hold
cases=(
  "--version 2013.01.1|is not YYYY.M.D"
  "--version 2013.13.1|is not YYYY.M.D"
  "--version 2013.1.32|is not YYYY.M.D"
  "--version 13.1.1|is not YYYY.M.D"
  "--version 2013.1.1.0|is not YYYY.M.D"
  "--version 2013.1.1;rm|is not YYYY.M.D"
  "--version|needs a value"
  "--version 2013.1.1 --sign-cert $scratch/empty.pem|go together"
  "--version 2013.1.1 --sign-cert $scratch/empty.pem --sign-key $scratch/empty.pem|not a PEM certificate"
  "--version 2013.1.1 --sign-cert $scratch/missing.pem --sign-key $scratch/empty.pem|cannot read"
  "--version 2013.1.1 --firmware 12345678901234567|hexadecimal digits"
  "--version 2013.1.1 --also-trust|needs a value"
  "--version 2013.1.1 --also-trust 0123456789abcdef|not a publisher pin"
  "--version 2013.1.1 --also-trust ${pin:1}g|not a publisher pin"
  "--version 2013.1.1 --also-trust ${pin}0|not a publisher pin"
  "--version 2013.1.1 --also-trust $pin --also-trust ${pin%?}|not a publisher pin"
  "--version 2013.1.1 --publish $scratch/pub|--publish needs --sign-cert"
  "--version 2013.1.1 --also-trust $pin --publish $scratch/pub|--publish needs --sign-cert"
  "--version 2013.1.1 $issued|was issued by a CA: its signatures need --timestamp"
  "--version 2013.1.1 $issued --publish $scratch/pub|was issued by a CA"
  "--version 2013.1.1 $self --timestamp ftp://127.0.0.1/tsa|is not an http:// or https:// URL"
  "--version 2013.1.1 $self --timestamp http://127.0.0.1/a'b|is not an http:// or https:// URL"
  "--version 2013.1.1 $self --timestamp|needs a value"
  "--version 2013.1.1 $issued --timestamp http://127.0.0.1:1 --no-timestamp|contradict"
  "--version 2013.1.1 --timestamp http://127.0.0.1:1|go with --sign-cert and --sign-key"
  "--version 2013.1.1 --no-timestamp|go with --sign-cert and --sign-key"
  "--version 2013.1.1 $token|needs --pkcs11-module"
  "--version 2013.1.1 $token --pkcs11-module $scratch/missing.so|cannot read the PKCS#11 module"
  "--version 2013.1.1 $self --pkcs11-module $scratch/empty.pem|goes with a --sign-key pkcs11: URI"
  "--version 2013.1.1 --bogus|unknown argument"
  "|usage"
)
failures=0
for entry in "${cases[@]}"; do
  arguments="${entry%%|*}" expected="${entry#*|}"
  # shellcheck disable=SC2086
  message="$("$release" $arguments 2>&1 >/dev/null)"
  status=$?
  if [ "$status" != 2 ] || [[ "$message" != *"$expected"* ]]; then
    echo "FAIL: release.sh $arguments -> status $status, \"$message\" (wanted \"$expected\")"
    failures=$((failures + 1))
  fi
done
echo "${#cases[@]} cases, $failures failed"
[ "$failures" = 0 ]
