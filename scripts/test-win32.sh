#!/usr/bin/env bash
# The 32-bit lane: the product's own 32-bit Tarnwick.dll, run in tests under
# 32-bit Wine. Builds build-win32-tests/ (the DLL, the stand-in host and the
# spine tests), creates its 32-bit Wine prefix once (kept there) and runs
#   - the spine tests: start, menu, exit with unload, also with the
#     toolchain's shared unwinder DLL loaded into the host first;
#   - the run command's scripted session: dialog, query, sort, choose, drop.
# Where 32-bit x86 code cannot execute (this project's machines), qemu-i386
# emulates it: the i386 entry of binfmt_misc is registered for this script's
# processes only (a private user and mount namespace, or the machine's table
# where the kernel has no private one) and removed when the script ends.
# Slow (see README); not part of scripts/test.sh. Extra arguments go to the
# spine test program (e.g. --gtest_filter=...).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARNWICK_WIN32_TESTS_BUILD:-${root}/build-win32-tests}"
# Only this lane needs them: the rest of the project never emulates.
lane_packages=(qemu-user-static)
binfmt=/proc/sys/fs/binfmt_misc
entry=tarnwick-i386
i386_elf_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_elf_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
wine32=/usr/lib/wine/wine

seconds_since() { echo $(($(date +%s) - $1)); }
note() { echo "test-win32: $*"; }

prepare() {
  "${root}/scripts/setup.sh"
  local missing=() package
  for package in "${lane_packages[@]}"; do
    dpkg-query -W -f='${Status}' "${package}" 2>/dev/null | grep -q "install ok installed" || missing+=("${package}")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    note "installing ${missing[*]}"
    local sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  if [ ! -f "${build}/build.ninja" ]; then
    cmake -S "${root}" -B "${build}" -G Ninja -DCMAKE_TOOLCHAIN_FILE="${root}/cmake/toolchain-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_WIN32_DLL="${build}/bin/Tarnwick.dll" >/dev/null
  fi
  cmake --build "${build}" --target Tarnwick tarnwick_host integration_spine -- -j"$(nproc)"
}

# With "private", a fresh binfmt_misc instance of this namespace, never the
# machine's, whatever is mounted there.
register_i386() {
  if [ "${1:-}" = private ] || [ ! -e "${binfmt}/register" ]; then
    mount -t binfmt_misc binfmt_misc "${binfmt}"
  fi
  printf ':%s:M::%s:%s:/usr/bin/qemu-i386-static:F' "${entry}" "${i386_elf_magic}" "${i386_elf_mask}" \
    > "${binfmt}/register"
}

remove_i386() {
  if [ -e "${binfmt}/${entry}" ]; then echo -1 > "${binfmt}/${entry}"; fi
}

# Runs the tests with the i386 entry registered, and removes it afterwards,
# also on failure or interruption.
run_emulated() {  # private|machine
  local table=$1
  shift
  trap remove_i386 EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  register_i386 "${table}"
  # Wine reserves the address space above 2 GB at every process start, by
  # probing it with MAP_FIXED_NOREPLACE, which qemu 7.2 does not honour: every
  # probe fails and Wine splits the range down to 64 KB pieces, about 100 s
  # per process. A guest address space of 2.25 GB leaves it little to probe
  # (about 35 s).
  export QEMU_RESERVED_VA="${QEMU_RESERVED_VA:-0x90000000}"
  if ! "${wine32}" --version >/dev/null 2>&1; then
    note "32-bit Wine does not start under qemu-i386" >&2
    exit 2
  fi
  local status=0
  run_tests_in_wine || status=$?
  remove_i386
  return "${status}"
}

run_tests_in_wine() {
  export TARNWICK_BUILD="${build}" TARNWICK_WINE_ARCH=win32 TARNWICK_WIN32_STAGE=tests
  export TARNWICK_WIN32_WINE_STARTED="$(date +%s)"
  "${root}/scripts/with-wine.sh" "${BASH_SOURCE[0]}" "$@"
}

# Inside with-wine.sh: the prefix exists and the wineserver runs.
run_tests() {
  note "prefix and wineserver ready after $(seconds_since "${TARNWICK_WIN32_WINE_STARTED}") s"
  local failed=0 passed=0 step_started=0
  step_started=$(date +%s)
  if "${TARNWICK_WINE}" "${build}/bin/integration_spine.exe" "$@"; then
    passed=$((passed + 1)); note "spine tests passed in $(seconds_since "${step_started}") s"
  else
    failed=$((failed + 1)); note "spine tests FAILED after $(seconds_since "${step_started}") s"
  fi
  step_started=$(date +%s)
  if TARNWICK_SESSION_TIMEOUT="${TARNWICK_SESSION_TIMEOUT:-1200}" \
      bash "${root}/tests/integration/demo/scripted_session_test.sh" "${build}/bin/tarnwick_host.exe"; then
    passed=$((passed + 1)); note "scripted session passed in $(seconds_since "${step_started}") s"
  else
    failed=$((failed + 1)); note "scripted session FAILED after $(seconds_since "${step_started}") s"
  fi
  echo "test-win32: ${passed} passed, ${failed} failed"
  [ "${failed}" -eq 0 ]
}

stage="${TARNWICK_WIN32_STAGE:-}"
if [ "${stage}" = tests ]; then
  run_tests "$@"
elif [ "${stage}" = namespace ]; then
  run_emulated private "$@"
else
  started=$(date +%s)
  prepare
  note "built in $(seconds_since "${started}") s"
  status=0
  if "${wine32}" --version >/dev/null 2>&1; then
    run_tests_in_wine "$@" || status=$?
  elif unshare --user --map-root-user --mount --propagation private \
      sh -c "mount -t binfmt_misc binfmt_misc ${binfmt}" 2>/dev/null; then
    # A private binfmt_misc table (Linux 6.7 and later): nothing else on the
    # machine ever sees the entry, even if this script is killed.
    TARNWICK_WIN32_STAGE=namespace unshare --user --map-root-user --mount --propagation private \
      "${BASH_SOURCE[0]}" "$@" || status=$?
  elif [ "$(id -u)" -eq 0 ]; then
    # The machine's table: while the entry is there, every i386 program on
    # the machine runs emulated (a new 64-bit prefix's 32-bit part too).
    run_emulated machine "$@" || status=$?
  else
    note "32-bit x86 code does not execute here, and registering qemu-i386 needs root" >&2
    status=2
  fi
  note "$( [ "${status}" -eq 0 ] && echo passed || echo FAILED ) in $(seconds_since "${started}") s in all"
  exit "${status}"
fi
