#!/usr/bin/env bash
# Makes the release package: dist/Tarnwick-<version>-win32.zip from a Release
# build of the 32-bit DLL (stripped), with an install text, a sample
# Tarnwick.ini and a SHA-256 checksum file beside the zip.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARNWICK_BUILD_RELEASE:-${root}/build-release}"
dist="${TARNWICK_DIST:-${root}/dist}"

"${root}/scripts/setup.sh"
# A configure that failed (no compiler yet, say) leaves a cache whose empty
# flags a later one would keep: an unoptimised build. Start again instead.
if [ ! -f "${build}/build.ninja" ]; then
  rm -rf "${build}/CMakeCache.txt" "${build}/CMakeFiles"
  cmake -S "${root}" -B "${build}" -G Ninja -DCMAKE_TOOLCHAIN_FILE="${root}/cmake/toolchain-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTARNWICK_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "${build}" --target Tarnwick -- -j"$(nproc)"

version="$(sed -nE 's/^#define TARNWICK_VERSION_TEXT "([^"]+)"$/\1/p' "${root}/src/resources/version.h")"
name="Tarnwick-${version}-win32"
stage="${build}/package/${name}"
rm -rf "${build}/package"
mkdir -p "${stage}" "${dist}"

i686-w64-mingw32-strip -o "${stage}/Tarnwick.dll" "${build}/bin/Tarnwick.dll"
python3 "${root}/scripts/package_texts.py" "${root}/README.md" "${stage}" "${version}"

# Fixed times and order: the same sources give the same zip.
find "${stage}" -exec touch -d '2026-01-01 00:00:00 UTC' {} +
rm -f "${dist}/${name}.zip" "${dist}/${name}.zip.sha256"
(cd "${build}/package" && find "${name}" -type f | LC_ALL=C sort > files.txt &&
  cmake -E tar cf "${dist}/${name}.zip" --format=zip --mtime='2026-01-01 00:00:00 UTC' --files-from=files.txt)
(cd "${dist}" && sha256sum "${name}.zip" > "${name}.zip.sha256")
echo "package: ${dist}/${name}.zip ($(stat -c %s "${stage}/Tarnwick.dll") bytes of DLL)"
