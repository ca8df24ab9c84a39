#!/usr/bin/env bash
# Installs what building and running the plug-in needs, if missing. Safe to
# run again: it only calls apt when a package or the locale is absent.
set -euo pipefail

# cmigemo-common: C/Migemo's CP932 dictionary (/usr/share/cmigemo/cp932/)
# for the run command, the benchmarks and one test; patch and xz-utils
# unpack C/Migemo's source package, which apt checks with Debian's archive key
# (scripts/fetch-cmigemo.sh).
packages=(cmake ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
          binutils-mingw-w64-x86-64 mingw-w64-tools
          wine wine64 fonts-wine xvfb xauth x11-utils fonts-ipafont-gothic imagemagick
          locales googletest python3
          cmigemo-common patch xz-utils debian-archive-keyring)
# What only the 32-bit lane (scripts/test-win32.sh, which passes --win32)
# needs on the machine: the key of the archive it fetches its qemu-i386 and
# its 32-bit Wine from, into its build folder. Nothing of i386 is installed
# and no dpkg architecture is added: a mirror in the middle of a sync cannot
# always serve the i386 indexes, and an architecture added to the machine
# makes every apt-get update ask for them.
win32_packages=(debian-archive-keyring)
if [ "${1:-}" = --win32 ]; then packages+=("${win32_packages[@]}"); fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing_of() {
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || echo "$package"
  done
}

mapfile -t missing < <(missing_of "${packages[@]}")

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  # Only the machine's own architecture: a foreign one added earlier (this
  # set-up once added i386) would have every update ask for its indexes too.
  native=(-o "APT::Architectures=$(dpkg --print-architecture)")
  # A mirror caught mid-sync fails an index now and then: try again, then
  # install from what did load (apt says so if that is not enough).
  for attempt in 1 2 3; do
    if "${sudo_cmd[@]}" apt-get "${native[@]}" update -qq; then break; fi
    echo "setup: apt-get update failed (attempt ${attempt} of 3)"
    if [ "$attempt" -lt 3 ]; then sleep 20; fi
  done
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get "${native[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine converts file names with the Unix locale's charset: Japanese names
# need the ja_JP.UTF-8 locale to exist.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  "${sudo_cmd[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
