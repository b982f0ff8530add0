#!/usr/bin/env bash
# Builds the benchmarks and runs them against kelmsim on a pseudo-terminal; prints the
# table and writes build/bench/results.md and build/bench/results.json.
#
#   scripts/bench.sh          full run: Release build in build-bench/, every case at 19200
#                             and 115200 baud, median of 5 runs (takes several minutes)
#   scripts/bench.sh --quick  one short run of each case at 115200 baud, built in the test
#                             build (build/); a check that every case still runs
set -euo pipefail
cd "$(dirname "$0")/.."

QUICK=0
case "${1:-}" in
    "") ;;
    --quick) QUICK=1 ;;
    *) echo "usage: scripts/bench.sh [--quick]" >&2; exit 2 ;;
esac

if [ "$QUICK" = "1" ]; then
    BUILD_DIR=${KELM_BUILD_DIR:-build}
    KELM_BUILD_DIR=$BUILD_DIR scripts/build.sh -DKELM_BENCH=ON
    "$BUILD_DIR/kelm/kelmbench" --quick --out build/bench
else
    BUILD_DIR=${KELM_BENCH_BUILD_DIR:-build-bench}
    KELM_BUILD_DIR=$BUILD_DIR KELM_BUILD_TYPE=Release scripts/build.sh -DKELM_BENCH=ON -DKELM_TESTS=OFF
    "$BUILD_DIR/kelm/kelmbench" --out build/bench
fi
