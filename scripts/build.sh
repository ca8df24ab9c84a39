#!/usr/bin/env bash
# Configures (once) and builds:
#   build/        the x86-64 build of the sources with the test suite, run by
#                 64-bit Wine (see README: why the suite runs as x86-64 here);
#   build-win32/  the product, the 32-bit Tarnwick.dll, and its stand-in host.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARNWICK_BUILD:-${root}/build}"
build32="${TARNWICK_BUILD32:-${root}/build-win32}"

configure() {  # folder toolchain extra-args...
  local folder=$1 toolchain=$2
  shift 2
  # A configure that failed (no compiler yet, say) leaves a cache whose empty
  # flags a later one would keep: an unoptimised build. Start again instead.
  if [ ! -f "${folder}/build.ninja" ]; then
    rm -rf "${folder}/CMakeCache.txt" "${folder}/CMakeFiles"
    cmake -S "${root}" -B "${folder}" -G Ninja -DCMAKE_TOOLCHAIN_FILE="${root}/cmake/${toolchain}" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  fi
}

configure "${build}" toolchain-mingw64.cmake -DTARNWICK_WIN32_DLL="${build32}/bin/Tarnwick.dll"
configure "${build32}" toolchain-mingw32.cmake -DTARNWICK_BUILD_TESTS=OFF
cmake --build "${build}" -- -j"$(nproc)"
cmake --build "${build32}" -- -j"$(nproc)"
