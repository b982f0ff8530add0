#!/usr/bin/env bash
# Builds the Debian package: sets up, builds (as scripts/build.sh, into build/ or
# $KELM_BUILD_DIR) and packs build/kelmdrive_<version>_<arch>.deb with cpack.
# For a release build: KELM_BUILD_DIR=build-release KELM_BUILD_TYPE=Release scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR=${KELM_BUILD_DIR:-build}
scripts/build.sh
rm -f "$BUILD_DIR"/kelmdrive_*.deb
(cd "$BUILD_DIR" && cpack -G DEB >/dev/null)
ls "$BUILD_DIR"/kelmdrive_*.deb
