#!/usr/bin/env bash
# Soak run: the desktop program's main window (offscreen) on line to kelmsim for MINUTES
# (default 1), with the status poll, the diagnostic view and random line faults and
# recoveries, after a stretch of slow (replies after 120 ms) and lossy (every third reply
# lost) line in each of the two; fails when the user-interface thread stalls for more than
# 100 ms on the slow or lossy line, a fault is not recovered from, the request and reply
# counters disagree with the simulator, memory grows by more than 5 % or a thread is left
# over.
#
#   scripts/soak.sh [MINUTES]
#
# Then the random walk over user actions with its write oracle (test_ui_walk), with
# KELM_WALK_SEEDS seeds (default: MINUTES) of KELM_WALK_STEPS steps (default 400) per kind.
#
# Builds test_soak in build/ (or $KELM_BUILD_DIR) and runs it under nice; the last line of
# its output sums the run up.
set -euo pipefail
cd "$(dirname "$0")/.."
MINUTES=${1:-1}
BUILD_DIR=${KELM_BUILD_DIR:-build}
JOBS=${KELM_JOBS:-2}
[ -d "$BUILD_DIR" ] || scripts/build.sh
cmake --build "$BUILD_DIR" -j "$JOBS" --target test_soak kelmsim test_ui_walk
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$PWD/$BUILD_DIR/test-config" \
    KELM_SOAK_SECONDS=$((MINUTES * 60)) nice -n 10 "$BUILD_DIR/kelm/test_soak"
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$PWD/$BUILD_DIR/test-config" \
    KELM_WALK_SEEDS=${KELM_WALK_SEEDS:-$MINUTES} KELM_WALK_STEPS=${KELM_WALK_STEPS:-400} \
    KELM_WALK_SEED=${KELM_WALK_SEED:-100} nice -n 10 "$BUILD_DIR/kelm/test_ui_walk"
