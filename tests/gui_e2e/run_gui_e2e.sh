#!/usr/bin/env bash
# Runs the window end-to-end test: its own X server (Xvfb), its own camsim
# on its own loopback range and discovery port, its own program folder.
#   run_gui_e2e.sh TEST_BINARY CAMSIM MKFWIMAGE FLEET [PREFIX] [DISCOVERY_PORT]
# A discovery port of 0 (the default) lets camsim take a free one, which it
# names in its ready file.
set -euo pipefail
TEST_BIN=$1 CAMSIM=$2 MKFWIMAGE=$3 FLEET=$4
PREFIX=${5:-127.78.0.}
PORT=${6:-0}
SCALE=${TOLVANE_TIME_SCALE:-0.05}

WORK=$(mktemp -d)
CAMSIM_PID=""
cleanup() {
  [ -n "$CAMSIM_PID" ] && kill -TERM "$CAMSIM_PID" 2>/dev/null && wait "$CAMSIM_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

sed "s/127\.77\.0\./${PREFIX//./\\.}/g" "$FLEET" >"$WORK/fleet.json"
"$MKFWIMAGE" sample-tree "$WORK" >/dev/null
"$CAMSIM" --fleet "$WORK/fleet.json" --time-scale "$SCALE" --discovery-port "$PORT" \
  --ready-file "$WORK/ready" >"$WORK/camsim.log" 2>&1 &
CAMSIM_PID=$!
# Bounded, with room for a loaded machine.
for _ in $(seq 1 600); do
  [ -s "$WORK/ready" ] && break
  kill -0 "$CAMSIM_PID" 2>/dev/null || break
  sleep 0.1
done
[ -s "$WORK/ready" ] || { echo "camsim did not get ready"; cat "$WORK/camsim.log"; exit 1; }
PORT=$(sed -n 's/.*discovery port \([0-9]*\).*/\1/p' "$WORK/ready")
[ -n "$PORT" ] || { echo "no discovery port in camsim's ready file"; exit 1; }

export TOLVANE_TIME_SCALE=$SCALE TOLVANE_DISCOVERY_PORT=$PORT TOLVANE_PROGRAM_FOLDER=$WORK
export E2E_PREFIX=$PREFIX QT_QPA_PLATFORM=xcb
timeout 240 xvfb-run -a -s "-screen 0 1280x800x24" "$TEST_BIN"
