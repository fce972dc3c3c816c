#!/usr/bin/env bash
# scripts/release.sh refuses malformed arguments before it builds anything: exit status 2, a
# message naming the problem, no build folder for the version.
set -uo pipefail
release="$(cd "$(dirname "$0")/../.." && pwd)/scripts/release.sh"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
: > "$scratch/empty.pem"
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
