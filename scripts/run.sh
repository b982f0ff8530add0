#!/usr/bin/env bash
# Sets up, builds, starts the simulated drive and the desktop program connected to it.
#   scripts/run.sh                 a plain drive at address 1 (confirm "Insert ID" 1 with Ok)
#   scripts/run.sh --kind orca     a Tarn Orca 230 on a link port (confirm the TARN entry)
#   scripts/run.sh --kind link     a Tarn link: Power unit and Drive units (confirm TARN)
# Other options after the command go to the simulator (kelmsim --help lists them).
# The program keeps its demo settings in build/demo-config, apart from the user's own.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
BIN=${KELM_BUILD_DIR:-build}/kelm

if [ ! -x "$BIN/kelmsim" ] || [ ! -x "$BIN/kelmdrive" ]; then
    echo "run: built what exists; still missing:" >&2
    [ -x "$BIN/kelmsim" ] || echo "  kelmsim (the simulated drive)" >&2
    [ -x "$BIN/kelmdrive" ] || echo "  kelmdrive (the desktop program)" >&2
    exit 1
fi

kind=std
args=("$@")
for ((i = 0; i < ${#args[@]}; i++)); do
    case "${args[$i]}" in
        --kind) kind=${args[$((i + 1))]:-std} ;;
        --kind=*) kind=${args[$i]#--kind=} ;;
    esac
done

SIMDIR=$(mktemp -d)
SIM_PID=
cleanup() {
    [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$SIMDIR"
}
trap cleanup EXIT
"$BIN/kelmsim" --link-path "$SIMDIR/tty" --control "$SIMDIR/control" "$@" > "$SIMDIR/out" &
SIM_PID=$!
for _ in $(seq 50); do [ -e "$SIMDIR/tty" ] && break; sleep 0.1; done
if [ ! -e "$SIMDIR/tty" ]; then
    echo "run: the simulator did not start" >&2
    exit 1
fi

# COM1 is the simulator's terminal; a link (or an Orca on its link port) is offered in the
# selection dialog's TARN list as COM1, since a terminal has no USB identity to be found by.
export KELM_COM1="$SIMDIR/tty"
[ "$kind" != std ] && export KELM_LINK_PORTS=1
export XDG_CONFIG_HOME="$PWD/${KELM_BUILD_DIR:-build}/demo-config"
echo "run: simulated $kind drive on $(head -1 "$SIMDIR/out") as COM1;" \
     "control it with: echo 'silent * on' > $SIMDIR/control" >&2
"$BIN/kelmdrive"
