#!/usr/bin/env bash
# Installs what building and testing need on Debian 12. Quick when all is there.
set -euo pipefail

packages=(cmake ninja-build g++ make mingw-w64 g++-mingw-w64-i686-posix
          libgtest-dev googletest libbenchmark-dev
          wine wine32:i386 wine64 fonts-wine xvfb xauth x11-utils imagemagick fonts-wqy-microhei
          python3-pyftpdlib curl ccache
          osslsigncode openssl nsis clang libclang-rt-14-dev
          libengine-pkcs11-openssl softhsm2 opensc wixl libxml2-utils libxml2-dev)
# libengine-pkcs11-openssl: release.sh signing with a key on a token (osslsigncode's PKCS#11
# engine); softhsm2 and opensc (pkcs11-tool): the test token and reading a certificate from it.
# wixl: the Windows Installer package; libxml2: checking the Group Policy templates.
# wine64 beside wine32: the tests run the 32-bit product in a 64-bit prefix, as 64-bit Windows
# runs it. --64: also the compiler of the 64-bit test build (scripts/test.sh, on machines that
# cannot run 32-bit programs).
if [ "${1:-}" = "--64" ]; then
  packages+=(g++-mingw-w64-x86-64-posix)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
# A mirror caught mid-sync fails an index now and then; try again, and if it still fails, go
# on with the lists there are: the install below says clearly what it cannot find.
for attempt in 1 2 3; do
  $sudo apt-get update -qq && break
  echo "setup.sh: apt-get update failed (attempt $attempt of 3)" >&2
  sleep $((attempt * 10))
done
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
