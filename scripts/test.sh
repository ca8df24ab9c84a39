#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under Wine
# and a virtual X display, and the 32-bit lane (scripts/test-win32.sh) on the
# release zip's DLL: the test command fails when either fails. Extra
# arguments go to ctest (e.g. -R catalogue). TARNWICK_SKIP_WIN32=1 leaves
# the lane out of a quick local run; CI never does.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TARNWICK_BUILD="${TARNWICK_BUILD:-${root}/build}"
lane_build="${TARNWICK_WIN32_TESTS_BUILD:-${root}/build-win32-tests}"

# Wine's heap checking is on for the whole suite: a heap report fails the
# test that caused it. TARNWICK_HEAP_CHECK=0 runs without.
export TARNWICK_HEAP_CHECK="${TARNWICK_HEAP_CHECK:-1}"

skip_win32="${TARNWICK_SKIP_WIN32:-}"
if [ -n "${CI:-}" ] && [ -n "${skip_win32}" ]; then
  echo "test: TARNWICK_SKIP_WIN32 is not honoured in CI: the 32-bit lane runs" >&2
  skip_win32=""
fi

"${root}/scripts/setup.sh"
"${root}/scripts/build.sh"
"${root}/scripts/package.sh"
# The zip is made: the lane takes it as it is rather than making it again
# while the suite checks it.
export TARNWICK_PACKAGE_MADE=1

# The lane runs beside the suite, with its own Wine prefix, wineserver and X
# display: each mostly waits on windows and timers, and one after the other
# they would not fit the test command's time. Its build and downloads go
# below the suite in priority; its output follows the suite's.
lane_pid=""
if [ "${skip_win32}" != 1 ]; then
  mkdir -p "${lane_build}"
  # A process group of its own, ended with this script however it ends.
  set -m
  { nice -n 10 "${root}/scripts/test-win32.sh" --prepare && "${root}/scripts/test-win32.sh"; } \
    > "${lane_build}/lane.log" 2>&1 &
  lane_pid=$!
  set +m
  trap 'if [ -n "${lane_pid}" ]; then kill -TERM -- "-${lane_pid}" 2>/dev/null || true; fi' EXIT
fi

suite=0
"${root}/scripts/with-wine.sh" ctest --test-dir "${TARNWICK_BUILD}" --output-on-failure -j2 "$@" || suite=$?
if [ -z "${lane_pid}" ]; then
  echo "test: the 32-bit lane was skipped (TARNWICK_SKIP_WIN32=1)"
  exit "${suite}"
fi
echo "test: the 32-bit lane (scripts/test-win32.sh; its output follows once it has ended)"
lane=0
wait "${lane_pid}" || lane=$?
lane_pid=""
cat "${lane_build}/lane.log"
if [ "${suite}" -ne 0 ] || [ "${lane}" -ne 0 ]; then
  echo "test: FAILED (the suite: exit ${suite}; the 32-bit lane: exit ${lane})" >&2
  exit 1
fi
