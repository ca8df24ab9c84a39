#!/usr/bin/env bash
# The long input campaigns: every fuzz test of the suite with a random seed
# (or TARNWICK_FUZZ_SEED) and 50 times its cases (TARNWICK_FUZZ_SCALE; the
# text campaigns then run a million cases each, those through the whole
# plug-in thousands; TARNWICK_FUZZ_CASES sets one count for all). The
# allocation-failure campaigns then fail every allocation of their sessions
# in turn instead of a sample. Prints the seed; a failure message names the
# seed and the case. About half an hour.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TARNWICK_BUILD="${TARNWICK_BUILD:-${root}/build}"
"${root}/scripts/setup.sh"
"${root}/scripts/build.sh"
export TARNWICK_FUZZ_SEED="${TARNWICK_FUZZ_SEED:-$(od -An -N8 -tu8 /dev/urandom | tr -d ' ')}"
export TARNWICK_FUZZ_SCALE="${TARNWICK_FUZZ_SCALE:-50}"
echo "fuzz: seed ${TARNWICK_FUZZ_SEED}, ${TARNWICK_FUZZ_CASES:-${TARNWICK_FUZZ_SCALE} times the suite's} cases per campaign"
exec "${root}/scripts/with-wine.sh" ctest --test-dir "${TARNWICK_BUILD}" --output-on-failure -R 'Fuzz' --timeout 86400 "$@"
