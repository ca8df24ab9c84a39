#!/usr/bin/env bash
# Runs one test program under Wine (the test build's emulator). With
# TARNWICK_HEAP_CHECK=1 Wine checks the heap at every allocation and free;
# any report of it fails the test, whatever the program's own result.
# Usage: wine-test-runner.sh WINE PROGRAM [ARGUMENTS...]
set -u
if [ "${TARNWICK_HEAP_CHECK:-0}" = 1 ]; then
  export WINEDEBUG="warn+heap"
fi
log="$(mktemp)"
trap 'rm -f "${log}"' EXIT
# Now and then Wine cannot place its shared user data where the kernel has
# put something else, and the process ends before the program starts: that
# is no result of the test, so such a start is tried again.
for attempt in 1 2 3; do
  status=0
  "$@" 2>"${log}" || status=$?
  if [ "${status}" -eq 0 ] || ! grep -q 'failed to map the shared user data' "${log}"; then break; fi
  echo "wine-test-runner: Wine could not start the process (attempt ${attempt}); trying again" >&2
done
cat "${log}" >&2
if [ "${TARNWICK_HEAP_CHECK:-0}" = 1 ] && grep -q ':heap:' "${log}"; then
  echo "heap check: Wine reported heap corruption (lines above)" >&2
  [ "${status}" -eq 0 ] && status=1
fi
exit "${status}"
