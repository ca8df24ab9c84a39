#!/usr/bin/env bash
# The 32-bit lane: the product's own 32-bit Tarnwick.dll, run in tests under
# 32-bit Wine. Builds build-win32-tests/ (the DLL, the stand-in host and the
# test programs), creates its 32-bit Wine prefix once (kept there) and runs
#   - every test program that loads the real DLL into the stand-in host (the
#     spine: start, menu, exit with unload, also beside the toolchain's shared
#     unwinder; the dialog, drag and drop, shutdown and reliability tests),
#     on the stripped Tarnwick.dll of the release zip;
#   - the run command's scripted session: dialog, query, sort, choose, drop.
# 32-bit Wine is never installed on the machine: Debian's wine32 and libwine
# for i386, at the installed wine64's version, are fetched by apt with a
# private state into a root of their own in the build folder (kept there
# until that version changes) and laid over /usr/lib for this script's
# processes only.
# Where 32-bit x86 code cannot execute (this project's machines), qemu-i386
# emulates it: the i386 entry of binfmt_misc is registered for this script's
# processes only (a private user and mount namespace, or the machine's table
# where the kernel has no private one) and removed when the script ends.
# scripts/test.sh runs it after the suite. Extra arguments go to each test
# program (e.g. --gtest_filter=...). TARNWICK_WIN32_RUN="command" runs that
# command in the lane's setting instead of the tests; --prepare does all but
# the tests (the build, the downloads, the root and the prefix).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARNWICK_WIN32_TESTS_BUILD:-${root}/build-win32-tests}"
# The test programs that load the real DLL into the stand-in host, each run
# as one Wine process. The out-of-memory tests load TarnwickAllocFail.dll, the
# same sources with a failing allocator, built here.
lane_programs=(integration_spine integration_binding_no_connect integration_binding_no_setstatus
  integration_plugin_info integration_catalogue_shutdown integration_dragdrop integration_dialog
  integration_reliability)
# The plug-in's calls into C/Migemo themselves, with the stack pointer checked
# around each, in both conventions a 32-bit migemo.dll may have (the test
# builds in the folder's migemo/): the one unit test program of the lane.
lane_unit_program=unit_search
lane_unit_filter='--gtest_filter=*Migemo*'
binfmt=/proc/sys/fs/binfmt_misc
entry=tarnwick-i386
i386_elf_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_elf_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
wine32=/usr/lib/wine/wine
# Debian 12's own qemu-i386 (7.2) runs 32-bit Wine about 25 times slower than
# the backports' qemu and kills threads of some Wine processes, the virtual
# desktop's among them. The lane unpacks the backports' qemu-i386 into the
# build folder, fetched by apt with Debian's archive key: nothing is
# installed on the machine. TARNWICK_QEMU_I386 names another one.
qemu_i386="${TARNWICK_QEMU_I386:-${build}/qemu/usr/bin/qemu-i386}"
packaged="${build}/packaged"
# The private root of 32-bit Wine (fetch_i386_root), handed on to the stages.
i386_root="${TARNWICK_WIN32_I386_ROOT:-}"

seconds_since() { echo $(($(date +%s) - $1)); }
note() { echo "test-win32: $*"; }

prepare() {
  "${root}/scripts/setup.sh" --win32
  # A configure that failed (no compiler yet, say) leaves a cache whose empty
  # flags a later one would keep: an unoptimised build. Start again instead.
  if [ ! -f "${build}/build.ninja" ]; then
    rm -rf "${build}/CMakeCache.txt" "${build}/CMakeFiles"
    cmake -S "${root}" -B "${build}" -G Ninja -DCMAKE_TOOLCHAIN_FILE="${root}/cmake/toolchain-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_WIN32_DLL="${build}/bin/Tarnwick.dll" >/dev/null
  fi
  cmake --build "${build}" --target Tarnwick TarnwickAllocFail tarnwick_host "${lane_programs[@]}" "${lane_unit_program}" \
    -- -j"$(nproc)"
  use_packaged_dll
  [ -n "${TARNWICK_QEMU_I386:-}" ] || fetch_qemu
}

# The tests run on the DLL that users install: the one in the release zip,
# checked against its checksum, beside the test programs built here.
use_packaged_dll() {
  # The test command made it just before (and its suite may be reading it).
  [ "${TARNWICK_PACKAGE_MADE:-}" = 1 ] || "${root}/scripts/package.sh" >/dev/null
  local zip
  zip="$(ls "${root}"/dist/Tarnwick-*-win32.zip)"
  (cd "$(dirname "${zip}")" && sha256sum --quiet -c "$(basename "${zip}").sha256")
  rm -rf "${packaged}"
  mkdir -p "${packaged}/zip"
  (cd "${packaged}/zip" && cmake -E tar xf "${zip}")
  cp "${packaged}"/zip/*/Tarnwick.dll "${packaged}/"
  rm -rf "${packaged}/zip"
  local program
  for program in "${lane_programs[@]}" "${lane_unit_program}" tarnwick_host; do cp "${build}/bin/${program}.exe" "${packaged}/"; done
  cp "${build}"/bin/{TarnwickAllocFail.dll,libgcc_s_dw2-1.dll,libwinpthread-1.dll} "${packaged}/"
}

fetch_qemu() {
  [ -x "${build}/qemu/usr/bin/qemu-i386" ] && return
  local apt_dir="${build}/qemu-apt" suite
  suite="$(. /etc/os-release && echo "${VERSION_CODENAME}")-backports"
  rm -rf "${apt_dir}" "${build}/qemu" "${build}/qemu.partial"
  mkdir -p "${apt_dir}/sources" "${apt_dir}/lists/partial" "${apt_dir}/cache/archives/partial" "${build}/qemu.partial"
  printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
    "${suite}" /usr/share/keyrings/debian-archive-keyring.gpg > "${apt_dir}/sources/backports.sources"
  local apt_options=(-qq -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=${apt_dir}/sources"
    -o "Dir::State::Lists=${apt_dir}/lists" -o "Dir::Cache=${apt_dir}/cache" -o "APT::Sandbox::User=$(id -un)")
  note "fetching qemu-user from ${suite}"
  apt-get "${apt_options[@]}" update
  (cd "${apt_dir}" && apt-get "${apt_options[@]}" download qemu-user)
  # Unpacked beside and renamed once whole: a kill meanwhile leaves no cut
  # qemu-i386 that the check above would take for a fetched one.
  dpkg-deb --fsys-tarfile "${apt_dir}"/qemu-user_*.deb | tar -x -C "${build}/qemu.partial" ./usr/bin/qemu-i386
  mv "${build}/qemu.partial" "${build}/qemu"
  rm -rf "${apt_dir}"
  note "using $("${build}/qemu/usr/bin/qemu-i386" --version | head -1)"
}

# 32-bit Wine from Debian's wine32 and libwine for i386, at the version of
# the installed wine64 (whose wineserver serves the 32-bit processes too),
# in a root of the build folder named after that version. apt resolves and
# fetches them with a state of its own and an empty package status: the
# machine's apt state is neither read nor changed, and the machine's i386
# packages, if any, play no part. Only the release and its updates are
# asked: the security suite's i386 index has been served out of step with
# amd64 for days at a time.
i386_root_of() {  # wine64-version
  echo "${build}/i386-root/wine-$(printf '%s' "$1" | tr -c 'A-Za-z0-9.+~-' '_')"
}

fetch_i386_root() {
  local version
  version="$(dpkg-query -W -f='${Version}' wine64)"
  i386_root="$(i386_root_of "${version}")"
  # Only a complete root ever has its final name (renamed there in one step).
  [ -f "${i386_root}/.tarnwick-complete" ] && return
  local started work codename archive
  started=$(date +%s)
  codename="$(. /etc/os-release && echo "${VERSION_CODENAME}")"
  archive="$(apt-get indextargets --no-release-info 'Identifier: Packages' "Release: ${codename}" 'Component: main' |
    sed -n '/^Repo-URI: /{s///p;q}')"
  archive="${archive:-http://deb.debian.org/debian/}"
  # What a killed run left is never used: its root was not renamed yet.
  rm -rf "${build}/i386-root"/*.partial "${i386_root}"
  work="${i386_root}.partial"
  mkdir -p "${work}"/apt/{sources,preferences,state,lists/partial,cache/archives/partial} "${work}"/{debs,root/etc}
  : > "${work}/apt/status"
  printf 'Types: deb\nURIs: %s\nSuites: %s %s-updates\nComponents: main\nSigned-By: %s\n' \
    "${archive}" "${codename}" "${codename}" /usr/share/keyrings/debian-archive-keyring.gpg \
    > "${work}/apt/sources/debian.sources"
  local apt_options=(-qq -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=${work}/apt/sources"
    -o Dir::Etc::Preferences=/dev/null -o "Dir::Etc::PreferencesParts=${work}/apt/preferences"
    -o "Dir::State=${work}/apt/state" -o "Dir::State::Lists=${work}/apt/lists"
    -o "Dir::State::status=${work}/apt/status" -o "Dir::Cache=${work}/apt/cache"
    -o APT::Architecture=i386 -o APT::Architectures=i386 -o "APT::Sandbox::User=$(id -un)")
  note "fetching 32-bit Wine ${version} (wine32, libwine and their i386 dependencies) from ${archive} ${codename}"
  apt-get "${apt_options[@]}" update
  DEBIAN_FRONTEND=noninteractive apt-get "${apt_options[@]}" install -y --download-only --no-install-recommends \
    "wine32=${version}" "libwine=${version}" >/dev/null
  local debs=("${work}"/apt/cache/archives/*.deb) fetched deb
  fetched="$(du -sm "${work}/apt/cache/archives" | cut -f1)"
  note "fetched ${#debs[@]} packages, ${fetched} MB, in $(seconds_since "${started}") s"
  # Unpacked, not installed. Only lib/ and usr/lib/ are kept: the rest (fonts,
  # /etc, programs) would stand in front of the machine's own.
  for deb in "${debs[@]}"; do dpkg-deb -x "${deb}" "${work}/debs"; done
  mv "${work}/debs/lib" "${work}/root/lib"
  mkdir -p "${work}/root/usr"
  mv "${work}/debs/usr/lib" "${work}/root/usr/lib"
  # What unpacking skips of the maintainer scripts that matter here:
  # libwine's makes Wine's builtin zlib1.dll from libz-mingw-w64's.
  local arch zlib
  for arch in i686:i386 x86_64:x86_64; do
    zlib="${work}/debs/usr/${arch%%:*}-w64-mingw32/lib/zlib1.dll"
    [ -f "${zlib}" ] && [ -d "${work}/root/usr/lib/i386-linux-gnu/wine/${arch##*:}-windows" ] || continue
    builtin_dll "${zlib}" > "${work}/root/usr/lib/i386-linux-gnu/wine/${arch##*:}-windows/zlib1.dll"
  done
  # The emulated loader reads /etc/ld.so.cache through QEMU_LD_PREFIX: the
  # root's own, of its i386 libraries. The machine's lists the i386
  # libraries of libc6-i386 under /lib32, which would be mixed in.
  cp -r "${work}/debs/etc/ld.so.conf.d" "${work}/root/etc/"
  echo 'include /etc/ld.so.conf.d/*.conf' > "${work}/root/etc/ld.so.conf"
  unshare --user --map-root-user ldconfig -X -r "${work}/root"
  rm -r "${work}/root/etc/ld.so.conf" "${work}/root/etc/ld.so.conf.d"
  if [ ! -x "${work}/root/usr/lib/wine/wine" ] || [ ! -s "${work}/root/etc/ld.so.cache" ]; then
    note "the unpacked packages have no 32-bit Wine loader, or ldconfig wrote no cache" >&2
    exit 2
  fi
  echo "${version}" > "${work}/root/.tarnwick-complete"
  mv -T "${work}/root" "${i386_root}"
  rm -rf "${work}"
  # Roots of other Wine versions are of no further use.
  local other
  for other in "${build}"/i386-root/wine-*; do
    [ "${other}" = "${i386_root}" ] || rm -rf "${other}"
  done
  note "32-bit Wine root ready in $(seconds_since "${started}") s: $(du -sm "${i386_root}" | cut -f1) MB in ${i386_root}"
}

# What libwine's maintainer script writes: the MinGW DLL with Wine's builtin
# mark in its DOS stub.
builtin_dll() {  # mingw-dll
  head -c 64 "$1"
  printf 'Wine builtin DLL'
  head -c 16 /dev/zero
  tail -c +97 "$1"
}

# Inside the lane's mount namespace: 32-bit Wine's files appear in /usr/lib
# behind the machine's (the emulated loader is started by path, and the
# machine's 64-bit wineserver opens Wine's DLLs by path too), and emulated
# processes find their loader and libraries in the root.
use_i386_root() {
  mount -t overlay overlay -o "ro,lowerdir=/usr/lib:${i386_root}/usr/lib" /usr/lib
  export QEMU_LD_PREFIX="${i386_root}"
}

# With "private", a fresh binfmt_misc instance of this namespace, never the
# machine's, whatever is mounted there.
register_i386() {
  if [ "${1:-}" = private ] || [ ! -e "${binfmt}/register" ]; then
    mount -t binfmt_misc binfmt_misc "${binfmt}"
  fi
  printf ':%s:M::%s:%s:%s:F' "${entry}" "${i386_elf_magic}" "${i386_elf_mask}" "${qemu_i386}" \
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
  use_i386_root
  if ! "${wine32}" --version >/dev/null 2>&1; then
    note "32-bit Wine does not start under qemu-i386" >&2
    exit 2
  fi
  local status=0
  run_tests_in_wine "$@" || status=$?
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
  # For looking into a failure: a command of one's own in the lane's setting.
  if [ -n "${TARNWICK_WIN32_RUN:-}" ]; then
    bash -c "${TARNWICK_WIN32_RUN}"
    return
  fi
  local failed=0 passed=0 step_started=0 program
  for program in "${lane_programs[@]}"; do
    step_started=$(date +%s)
    if "${TARNWICK_WINE}" "${packaged}/${program}.exe" "$@"; then
      passed=$((passed + 1)); note "${program} passed in $(seconds_since "${step_started}") s"
    else
      failed=$((failed + 1)); note "${program} FAILED after $(seconds_since "${step_started}") s"
    fi
  done
  step_started=$(date +%s)
  if "${TARNWICK_WINE}" "${packaged}/${lane_unit_program}.exe" "${lane_unit_filter}" "$@"; then
    passed=$((passed + 1)); note "${lane_unit_program} passed in $(seconds_since "${step_started}") s"
  else
    failed=$((failed + 1)); note "${lane_unit_program} FAILED after $(seconds_since "${step_started}") s"
  fi
  step_started=$(date +%s)
  if TARNWICK_SESSION_TIMEOUT="${TARNWICK_SESSION_TIMEOUT:-300}" \
      bash "${root}/tests/integration/demo/scripted_session_test.sh" "${packaged}/tarnwick_host.exe"; then
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
elif [ "${stage}" = machine-table ]; then
  run_emulated machine "$@"
else
  verdict=passed
  if [ "${1:-}" = --prepare ]; then
    shift
    export TARNWICK_WIN32_RUN=true
    verdict=prepared
  fi
  started=$(date +%s)
  prepare
  note "built in $(seconds_since "${started}") s"
  status=0
  if "${wine32}" --version >/dev/null 2>&1; then
    # A machine that executes 32-bit x86 code and has 32-bit Wine installed.
    run_tests_in_wine "$@" || status=$?
  else
    fetch_i386_root
    export TARNWICK_WIN32_I386_ROOT="${i386_root}"
    if unshare --user --map-root-user --mount --propagation private \
        sh -c "mount -t binfmt_misc binfmt_misc ${binfmt}" 2>/dev/null; then
      # A private binfmt_misc table (Linux 6.7 and later): nothing else on the
      # machine ever sees the entry, even if this script is killed.
      TARNWICK_WIN32_STAGE=namespace unshare --user --map-root-user --mount --propagation private \
        "${BASH_SOURCE[0]}" "$@" || status=$?
    elif [ "$(id -u)" -eq 0 ]; then
      # The machine's table: while the entry is there, every i386 program on
      # the machine runs emulated (a new 64-bit prefix's 32-bit part too).
      # The root is laid over /usr/lib in a mount namespace of this script.
      TARNWICK_WIN32_STAGE=machine-table unshare --mount --propagation private \
        "${BASH_SOURCE[0]}" "$@" || status=$?
    else
      note "32-bit x86 code does not execute here, and registering qemu-i386 needs root" >&2
      status=2
    fi
  fi
  note "$( [ "${status}" -eq 0 ] && echo "${verdict}" || echo FAILED ) in $(seconds_since "${started}") s in all"
  exit "${status}"
fi
