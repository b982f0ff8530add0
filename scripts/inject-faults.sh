#!/usr/bin/env bash
# Measures the power of the suite: applies each small fault of scripts/faults/ to the
# sources in turn, rebuilds build/ (or $KELM_BUILD_DIR), runs the whole suite, records which
# tests fail and takes the fault back out. A fault that no test catches is a gap.
# Results: one file per fault in $BUILD_DIR/faults/ and a summary on stdout.
# Arguments: patch files to use instead of all of scripts/faults/*.patch.
# KELM_CTEST_ARGS adds ctest options, e.g. "-E LineFaultMatrix" to leave out the slowest test.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${KELM_BUILD_DIR:-build}
JOBS=${KELM_JOBS:-2}
OUT=$BUILD_DIR/faults
mkdir -p "$OUT"

patches=("$@")
[ ${#patches[@]} -gt 0 ] || patches=(scripts/faults/*.patch)

for patch in "${patches[@]}"; do
    git apply --check "$patch" || { echo "faults: $patch does not apply" >&2; exit 1; }
done

applied=""
revert() {
    if [ -n "$applied" ]; then
        git apply -R "$applied"
        applied=""
    fi
}
trap revert EXIT INT TERM

for patch in "${patches[@]}"; do
    name=$(basename "$patch" .patch)
    git apply "$patch"
    applied=$patch
    result=$OUT/$name.txt
    if ! cmake --build "$BUILD_DIR" -j "$JOBS" >"$OUT/$name.build.log" 2>&1; then
        echo "build failed" >"$result"
    else
        (cd "$BUILD_DIR" && ctest -j "$JOBS" --timeout 600 ${KELM_CTEST_ARGS:-} >"faults/$name.test.log" 2>&1) || true
        # ctest lists each failing test as "  <n> - <name> (<reason>)" after its summary.
        sed -n '/The following tests FAILED:/,$p' "$OUT/$name.test.log" |
            sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (.*)$/\1/p' >"$result"
    fi
    revert
    caught=$(grep -c . "$result" || true)
    if [ "$caught" -eq 0 ]; then
        echo "$name: NOT CAUGHT"
    else
        echo "$name: $caught failing: $(tr '\n' ' ' <"$result")"
    fi
done

# Leave the build matching the sources again.
cmake --build "$BUILD_DIR" -j "$JOBS" >/dev/null
