#!/usr/bin/env bash
# Builds a Debug tree with coverage counters in build-coverage/, runs the whole suite
# there and prints line and branch coverage of src/ and sim/ (gcovr).
# KELM_JOBS sets the build and test parallelism; extra arguments go to gcovr
# (for instance --html-details build-coverage/coverage.html). Built without precompiled
# headers: every file's counters come from its own includes, and earlier coverage builds'
# cached objects stay usable.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v gcovr >/dev/null || { echo "coverage: gcovr is missing (scripts/setup.sh)" >&2; exit 1; }
JOBS=${KELM_JOBS:-$(nproc)}
DIR=build-coverage

KELM_BUILD_DIR=$DIR KELM_BUILD_TYPE=Debug scripts/build.sh -DKELM_PCH=OFF \
    -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage
find "$DIR" -name '*.gcda' -delete
(cd "$DIR" && ctest -j "$JOBS" --timeout 600 --output-on-failure) || echo "coverage: some tests failed" >&2

# Generated sources (moc, resources) live in the build tree and are left out by the filters.
gcovr --root . --object-directory "$DIR" --filter 'src/' --filter 'sim/' \
    --exclude-throw-branches --exclude-unreachable-branches --print-summary -j "$JOBS" \
    --txt "$DIR/coverage.txt" "$@" | tail -3
