#!/usr/bin/env bash
# Makes a fresh Debian 12 machine ready to build, run and test Kestrine.
# Idempotent: installs only what is missing, registers qemu only when it is not registered.
#
# Kestrine is a 32-bit Windows program. Wine runs it through Debian's 32-bit
# Wine loader; on kernels that cannot execute 32-bit Linux code (no IA-32
# emulation, as on our CI machines) that loader runs under qemu-user. qemu 7.2
# from bookworm mishandles MAP_FIXED_NOREPLACE and makes every Wine start take
# about a minute; qemu 10 from bookworm-backports starts Wine in about a second.
set -euo pipefail

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev libssl-dev openssl
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 xvfb fonts-wine xdotool imagemagick x11-apps python3
  nsis zip unzip man-db
  # The locale sources the tests make a Japanese and a Latin-1 locale from (localedef).
  # iconv's Windows code pages come with the C library (libc6's gconv modules).
  locales
)

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  need_update=1
fi
backports=/etc/apt/sources.list.d/kestrine-backports.sources
if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  as_root tee "$backports" >/dev/null <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
qemu_ok=0
if installed qemu-user-static && dpkg-query -W -f='${Version}' qemu-user-static | grep -q '^1:1[0-9]'; then qemu_ok=1; fi

if [ ${#missing[@]} -gt 0 ] || [ $qemu_ok = 0 ] || [ $need_update = 1 ]; then
  echo "setup: installing ${missing[*]} $( [ $qemu_ok = 0 ] && echo qemu-user-static/backports)"
  as_root apt-get update -qq
  export DEBIAN_FRONTEND=noninteractive
  if [ ${#missing[@]} -gt 0 ]; then
    as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  if [ $qemu_ok = 0 ]; then
    as_root apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user-static >/dev/null
  fi
fi

# Can this kernel run the 32-bit Wine loader directly? If not, hand i386 ELF files to qemu.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e "$binfmt/register" ] || as_root mount -t binfmt_misc binfmt_misc "$binfmt"
  [ -e "$binfmt/qemu-i386" ] && echo -1 | as_root tee "$binfmt/qemu-i386" >/dev/null
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    | as_root tee "$binfmt/register" >/dev/null
  /usr/lib/wine/wine --version >/dev/null || { echo "setup: cannot run the 32-bit Wine loader" >&2; exit 1; }
  echo "setup: 32-bit Wine runs through qemu-user"
fi
echo "setup: machine ready"
