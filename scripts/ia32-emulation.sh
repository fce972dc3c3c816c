#!/usr/bin/env bash
# For a machine whose kernel cannot run 32-bit programs (no IA-32 emulation), where
# scripts/test.sh otherwise tests a 64-bit build: lets the kernel run them through QEMU's
# user-mode i386 emulator, so that Wine's 32-bit loader works and scripts/test.sh runs the
# 32-bit product's own lanes (the WOW64 prefix, the release loop, the demo).
#   scripts/ia32-emulation.sh on       install QEMU from bookworm-backports and register it
#   scripts/ia32-emulation.sh off      remove the registration (the package stays)
#   scripts/ia32-emulation.sh status
# Needs root. The registration is the kernel's (binfmt_misc) and lasts until `off` or a reboot.
# Bookworm's own QEMU 7.2 works too, but there each start of a Wine program took 55 to 80 s.
set -euo pipefail

entry=vanta-qemu-i386
binfmt=/proc/sys/fs/binfmt_misc
qemu=/usr/bin/qemu-i386
# A 32-bit little-endian ELF executable or shared object for the i386.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

runs_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1 </dev/null; }

case "${1:-}" in
  on)
    [ -e "$binfmt/$entry" ] && { echo "ia32-emulation: already registered"; exit 0; }
    if runs_32bit; then
      echo "ia32-emulation: this machine already runs 32-bit programs; nothing to do"
      exit 0
    fi
    [ "$(id -u)" = 0 ] || { echo "ia32-emulation: run as root" >&2; exit 2; }
    if ! "$qemu" --version 2>/dev/null | grep -Eq 'version ([89]|[1-9][0-9])\.'; then
      sources=/etc/apt/sources.list.d/bookworm-backports.sources
      if ! grep -rqsE '^[^#]*bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d; then
        printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' \
          'Suites: bookworm-backports' 'Components: main' \
          'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' >"$sources"
      fi
      DEBIAN_FRONTEND=noninteractive apt-get update -q
      DEBIAN_FRONTEND=noninteractive apt-get install -y -q -t bookworm-backports qemu-user
    fi
    [ -f "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
    # F: the kernel opens the emulator now, so it works in any mount namespace later.
    printf ':%s:M::%s:%s:%s:F\n' "$entry" "$magic" "$mask" "$qemu" >"$binfmt/register"
    if runs_32bit; then
      echo "ia32-emulation: 32-bit programs now run through $("$qemu" --version | head -n 1)"
    else
      echo "ia32-emulation: registered, but Wine's 32-bit loader still does not start" >&2
      exit 1
    fi
    ;;
  off)
    if [ -e "$binfmt/$entry" ]; then echo -1 >"$binfmt/$entry"; fi
    echo "ia32-emulation: not registered"
    ;;
  status)
    if [ -e "$binfmt/$entry" ]; then echo "registered: $(sed -n 2p "$binfmt/$entry")"
    else echo "not registered"; fi
    if runs_32bit; then echo "32-bit programs run"; else echo "32-bit programs do not run"; fi
    ;;
  *) echo "usage: scripts/ia32-emulation.sh on|off|status" >&2; exit 2 ;;
esac
