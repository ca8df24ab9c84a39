#!/usr/bin/env bash
# Installs what is missing, builds, and starts the stand-in mail client with
# Tarnwick.dll loaded into it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TARNWICK_BUILD="${TARNWICK_BUILD:-${root}/build}"

"${root}/scripts/setup.sh"
"${root}/scripts/build.sh"
exec "${root}/scripts/with-wine.sh" "${TARNWICK_WINE:-/usr/lib/wine/wine64}" "${TARNWICK_BUILD}/bin/tarnwick_host.exe" "$@"
