#!/usr/bin/env bash
# The long input campaigns: every fuzz test of the suite with a random seed
# (or TARNWICK_FUZZ_SEED) and 50 times its cases (TARNWICK_FUZZ_SCALE; the
# text campaigns then run a million cases each, those through the whole
# plug-in thousands; TARNWICK_FUZZ_CASES sets one count for all). The
# allocation-failure campaigns then fail every allocation of their sessions
# in turn instead of a sample. Prints the seed; a failure message names the
# seed and the case. Then the soak (TARNWICK_SOAK_BUILDS builds of the
# update thread per mode, 10,000 by default, about 7 minutes), run as a
# program of its own: a CTest case may take at most 300 s. About 40 minutes.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TARNWICK_BUILD="${TARNWICK_BUILD:-${root}/build}"
"${root}/scripts/setup.sh"
"${root}/scripts/build.sh"
export TARNWICK_FUZZ_SEED="${TARNWICK_FUZZ_SEED:-$(od -An -N8 -tu8 /dev/urandom | tr -d ' ')}"
export TARNWICK_FUZZ_SCALE="${TARNWICK_FUZZ_SCALE:-50}"
# (Not in one expansion: bash takes the apostrophe inside "${...:-...}" for a quote.)
cases="${TARNWICK_FUZZ_CASES:-}"
[ -n "${cases}" ] || cases="${TARNWICK_FUZZ_SCALE} times the suite's"
echo "fuzz: seed ${TARNWICK_FUZZ_SEED}, ${cases} cases per campaign"
status=0
"${root}/scripts/with-wine.sh" ctest --test-dir "${TARNWICK_BUILD}" --output-on-failure -R 'Fuzz' --timeout 86400 "$@" ||
  status=$?
echo "soak: ${TARNWICK_SOAK_BUILDS:-10000} builds per mode"
TARNWICK_SOAK_BUILDS="${TARNWICK_SOAK_BUILDS:-10000}" "${root}/scripts/with-wine.sh" \
  "${root}/scripts/wine-test-runner.sh" /usr/lib/wine/wine64 "${TARNWICK_BUILD}/bin/integration_reliability.exe" \
  --gtest_filter='InstantOpen/Soak.*' || status=$?
exit ${status}
