#!/usr/bin/env bash
# Configures and builds into build/ (or $KELM_BUILD_DIR). Extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${KELM_BUILD_DIR:-build}
JOBS=${KELM_JOBS:-$(nproc)}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${KELM_BUILD_TYPE:-Debug} "$@" >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS"
