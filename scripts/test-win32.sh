#!/usr/bin/env bash
# Runs the whole suite on the 32-bit build (the product's own bitness) under
# 32-bit Wine. Needs a machine that can execute 32-bit x86 code; the project's
# build machines cannot, so the README's test command runs the x86-64 build.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"${root}/scripts/setup.sh"
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "test-win32: this machine cannot run 32-bit Wine (32-bit x86 code does not execute here)" >&2
  exit 2
fi

build="${root}/build-win32-tests"
if [ ! -f "${build}/build.ninja" ]; then
  cmake -S "${root}" -B "${build}" -G Ninja -DCMAKE_TOOLCHAIN_FILE="${root}/cmake/toolchain-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_WIN32_DLL="${build}/bin/Tarnwick.dll" >/dev/null
fi
cmake --build "${build}" -- -j"$(nproc)"

export TARNWICK_BUILD="${build}" TARNWICK_WINE_ARCH=win32
exec "${root}/scripts/with-wine.sh" ctest --test-dir "${build}" --output-on-failure -j2 "$@"
