#!/usr/bin/env bash
# Runs one test program under Wine (the test build's emulator). With
# TARNWICK_HEAP_CHECK=1 Wine checks the heap at every allocation and free;
# any report of it fails the test, whatever the program's own result.
# Usage: wine-test-runner.sh WINE PROGRAM [ARGUMENTS...]
set -u
if [ "${TARNWICK_HEAP_CHECK:-0}" != 1 ]; then
  exec "$@"
fi
export WINEDEBUG="warn+heap"
log="$(mktemp)"
status=0
"$@" 2>"${log}" || status=$?
cat "${log}" >&2
if grep -q ':heap:' "${log}"; then
  echo "heap check: Wine reported heap corruption (lines above)" >&2
  [ "${status}" -eq 0 ] && status=1
fi
rm -f "${log}"
exit "${status}"
