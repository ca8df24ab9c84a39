#!/usr/bin/env bash
# The long input campaigns: every fuzz test of the suite with a random seed
# (or TARNWICK_FUZZ_SEED) and many more cases (TARNWICK_FUZZ_CASES, default
# 1,000,000). Prints the seed; a failure message names the seed and the case.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TARNWICK_BUILD="${TARNWICK_BUILD:-${root}/build}"
"${root}/scripts/setup.sh"
"${root}/scripts/build.sh"
export TARNWICK_FUZZ_SEED="${TARNWICK_FUZZ_SEED:-$(od -An -N8 -tu8 /dev/urandom | tr -d ' ')}"
export TARNWICK_FUZZ_CASES="${TARNWICK_FUZZ_CASES:-1000000}"
echo "fuzz: seed ${TARNWICK_FUZZ_SEED}, ${TARNWICK_FUZZ_CASES} cases per campaign"
exec "${root}/scripts/with-wine.sh" ctest --test-dir "${TARNWICK_BUILD}" --output-on-failure -R 'Fuzz' --timeout 86400 "$@"
