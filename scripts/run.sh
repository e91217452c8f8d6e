#!/usr/bin/env bash
# Builds and runs the station.
#   scripts/run.sh               against the bus simulator with a demo installation
#   scripts/run.sh /dev/ttyUSB0  against a real line, used as COM1
# Without a display the station runs under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

BUILD="${LIFT_BUILD_DIR:-build}"  # tests of this script use their own build folder
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target liftstation liftsim

BIN="$PWD/$BUILD/bin"
work=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  exec 3>&- 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if [ $# -ge 1 ]; then
  [ -e "$1" ] || { echo "No such device: $1" >&2; exit 1; }
  export LIFT_COM1="$1"
  echo "COM1 is $LIFT_COM1"
else
  # A demo estate: 12 lifts on 3 stations, three controller models, 6 to 33 floors.
  cat >"$work/estate.cfg" <<'CFG'
# lift floors model height(mm)
lift 1 18 1
lift 2 18 1
lift 3 12 2
lift 4 12 2
lift 5 33 3
lift 6 33 3
lift 7 25 2
lift 8 6 1
lift 9 16 1
lift 10 16 2
lift 11 9 3
lift 12 24 2
CFG
  mkfifo "$work/ctl"
  # The simulator reports every request on stdout; a station running for days
  # would fill a file with it, so its port is taken from the link it makes.
  "$BIN/liftsim" --config "$work/estate.cfg" --link "$work/COM1" <"$work/ctl" >/dev/null 2>"$work/sim.err" &
  sim_pid=$!
  exec 3>"$work/ctl"   # holds the simulator's stdin open while the station runs
  for _ in $(seq 100); do
    [ -L "$work/COM1" ] && break
    kill -0 "$sim_pid" 2>/dev/null || { cat "$work/sim.err" >&2; echo "liftsim ended" >&2; exit 1; }
    sleep 0.05
  done
  [ -L "$work/COM1" ] || { echo "liftsim gave no port" >&2; exit 1; }
  export LIFT_COM1="$work/COM1"
  echo "Simulator on $LIFT_COM1 (choose COM1 in the serial settings after login)"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: running the station under xvfb-run (nothing will be visible)."
  xvfb-run -a -s "-screen 0 1600x1000x24" "$BIN/liftstation"
else
  "$BIN/liftstation"
fi
