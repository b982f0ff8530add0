#!/usr/bin/env bash
# Sets up, builds, starts the simulated drive and the desktop program connected to it.
# Options after the command go to the simulator (for example --kind orca or --kind link).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
BIN=build/kelm

if [ ! -x "$BIN/kelmsim" ] || [ ! -x "$BIN/kelmdrive" ]; then
    echo "run: built what exists; still missing:" >&2
    [ -x "$BIN/kelmsim" ] || echo "  kelmsim (the simulated drive)" >&2
    [ -x "$BIN/kelmdrive" ] || echo "  kelmdrive (the desktop program)" >&2
    if [ -x "$BIN/kelmctl" ]; then
        echo "run: checking the shipped configuration with kelmctl check-config" >&2
        "$BIN/kelmctl" check-config
    fi
    exit 0
fi

SIMDIR=$(mktemp -d)
trap 'kill $SIM_PID 2>/dev/null || true; rm -rf "$SIMDIR"' EXIT
"$BIN/kelmsim" --link-path "$SIMDIR/tty" "$@" > "$SIMDIR/out" &
SIM_PID=$!
for _ in $(seq 50); do [ -e "$SIMDIR/tty" ] && break; sleep 0.1; done
export KELM_COM1="$SIMDIR/tty"
echo "run: simulated drive on $(head -1 "$SIMDIR/out") as COM1" >&2
"$BIN/kelmdrive"
