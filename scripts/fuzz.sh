#!/usr/bin/env bash
# Fuzzes every reader of outside bytes with libFuzzer (clang, AddressSanitizer,
# UndefinedBehaviorSanitizer).
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS per target (default 600); TARGETs default to all of tests/fuzz/CMakeLists.txt.
# KELM_FUZZ_PARALLEL=N runs N targets at a time (default 1). Everything runs under nice.
# Builds into build-fuzz/ (or $KELM_FUZZ_BUILD_DIR). Inputs found grow build-fuzz/corpus/;
# crashes, leaks, time-outs and memory blow-ups land in build-fuzz/findings/<target>/ and make
# the script fail: copy each into tests/fuzz/corpus/<target>/ once it is fixed, so that the
# ordinary test run replays it. A summary line per target goes to build-fuzz/fuzz-summary.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
SECS=${1:-600}
shift || true
BUILD_DIR=${KELM_FUZZ_BUILD_DIR:-build-fuzz}
PARALLEL=${KELM_FUZZ_PARALLEL:-1}
JOBS=${KELM_JOBS:-2}

CXX_BIN=$(command -v clang++ || command -v clang++-14 || true)
RT=$(ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a 2>/dev/null | head -n1 || true)
if [ -z "$CXX_BIN" ] || [ -z "$RT" ]; then
    if [ "$(id -u)" -eq 0 ]; then
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends clang-14 libclang-rt-14-dev >&2
        CXX_BIN=$(command -v clang++ || command -v clang++-14)
    else
        echo "fuzz: clang with libFuzzer is missing. Run:" >&2
        echo "sudo apt-get install -y clang-14 libclang-rt-14-dev" >&2
        exit 1
    fi
fi

if [ $# -gt 0 ]; then
    TARGETS=("$@")
else
    read -r -a TARGETS <<<"$(sed -n '/^set(KELM_FUZZ_TARGETS/,/)/p' tests/fuzz/CMakeLists.txt |
        tr -d '()' | sed 's/setKELM_FUZZ_TARGETS//' | tr '\n' ' ')"
fi

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="$CXX_BIN" -DKELM_FUZZ=ON -DKELM_TESTS=OFF -DKELM_BUILD_UI=OFF >/dev/null
nice -n 19 cmake --build "$BUILD_DIR" -j "$JOBS" --target "${TARGETS[@]/#/fuzz_}"

run_one() {
    local target=$1 secs=$2 dir=$3
    local work="$dir/corpus/$target" findings="$dir/findings/$target/" log="$dir/logs/$target.log"
    mkdir -p "$work" "$findings" "$dir/logs"
    local start=$SECONDS status=0
    nice -n 19 "$dir/kelm/fuzz_$target" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 \
        -malloc_limit_mb=512 -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings" \
        "$work" "tests/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
    local execs
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
    local found
    found=$(find "$findings" -type f | wc -l)
    echo "$target seconds=$((SECONDS - start)) execs=${execs:-?} findings=$found exit=$status" |
        tee -a "$dir/fuzz-summary.txt"
    [ "$found" -eq 0 ] && [ "$status" -eq 0 ]
}
export -f run_one

printf '%s\n' "${TARGETS[@]}" |
    xargs -P "$PARALLEL" -I{} bash -c 'run_one "$@"' _ {} "$SECS" "$BUILD_DIR"
