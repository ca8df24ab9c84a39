#!/usr/bin/env bash
# Runs a command with the project's Wine prefix, one persistent wineserver
# and (when there is no display, or TARNWICK_XVFB=1) a virtual X display.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TARNWICK_BUILD="${TARNWICK_BUILD:-${root}/build}"
# shellcheck source=wine-env.sh
source "${root}/scripts/wine-env.sh"

if [ -z "${DISPLAY:-}" ] || [ "${TARNWICK_XVFB:-}" = 1 ]; then
  if [ -z "${TARNWICK_INSIDE_XVFB:-}" ]; then
    export TARNWICK_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
  fi
fi

tarnwick_prepare_prefix
tarnwick_start_wineserver
# Interrupted, the server goes too: a persistent one left behind would turn
# the next run of this build folder away for a quarter of an hour.
trap 'tarnwick_stop_wineserver; exit 130' INT
trap 'tarnwick_stop_wineserver; exit 143' TERM
status=0
"$@" || status=$?
tarnwick_stop_wineserver
exit ${status}
