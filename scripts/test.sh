#!/usr/bin/env bash
# Sets up, builds and runs every test. KELM_SANITIZE=1 also builds the core under
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/) and runs the core tests there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
JOBS=${KELM_JOBS:-$(nproc)}

scripts/build.sh
(cd build && ctest --output-on-failure -j "$JOBS" --timeout 600)

# The Debian package, unpacked into a temporary root and checked there.
scripts/package.sh >/dev/null
scripts/check-package.sh

# One short run of every benchmark (no goals checked), so that the benchmarks keep working.
scripts/bench.sh --quick

if [ "${KELM_SANITIZE:-0}" = "1" ]; then
    KELM_BUILD_DIR=build-asan scripts/build.sh -DKELM_SANITIZE=ON -DKELM_BUILD_UI=OFF -DKELM_PCH=OFF
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --output-on-failure -j "$JOBS" -L core --timeout 600)
fi

# One minute of the soak run (scripts/soak.sh MINUTES runs longer ones).
scripts/soak.sh 1
