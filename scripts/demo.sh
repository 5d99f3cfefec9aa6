#!/usr/bin/env bash
# Opens the window against a dozen simulated cameras: builds, lays a sample
# UpdateFiles tree beside the program, starts camsim with a mixed fleet
# (every upgrade path, one camera refusing log-ins, one whose flash fails)
# and runs tolvane with time scaled down. Closing the window stops camsim.
#   BUILD_DIR (build)  TOLVANE_TIME_SCALE (0.05)  TOLVANE_DISCOVERY_PORT (37877)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build}
SCALE=${TOLVANE_TIME_SCALE:-0.05}
PORT=${TOLVANE_DISCOVERY_PORT:-37877}

echo "== building tolvane, camsim and mkfwimage in $BUILD"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"${JOBS:-2}" --target tolvane camsim mkfwimage

APP_DIR=$BUILD/src/ui
"$BUILD/sim/mkfwimage" sample-tree "$APP_DIR" >/dev/null
echo "== sample images in $APP_DIR/UpdateFiles"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  # Nobody could see or close a window here: drive it instead (search, tick
  # all, batch) on a virtual X server and keep pictures of what it showed.
  echo "== no display: driving the window on a virtual X server instead"
  SCREENSHOT_DIR="$BUILD/demo-screenshots" BUILD_DIR="$BUILD" bash scripts/screenshots.sh
  echo "== the window's pictures (idle, during the batch, after it) are in $BUILD/demo-screenshots"
  exit 0
fi

WORK=$(mktemp -d)
CAMSIM_PID=""
cleanup() {
  if [ -n "$CAMSIM_PID" ] && kill -0 "$CAMSIM_PID" 2>/dev/null; then
    kill -TERM "$CAMSIM_PID" 2>/dev/null || true
    wait "$CAMSIM_PID" 2>/dev/null || true
    echo "== camsim stopped"
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

"$BUILD/sim/camsim" --fleet res/demo-fleet.json --time-scale "$SCALE" \
  --discovery-port "$PORT" --ready-file "$WORK/ready" >"$WORK/camsim.log" 2>&1 &
CAMSIM_PID=$!
for _ in $(seq 1 100); do
  [ -s "$WORK/ready" ] && break
  kill -0 "$CAMSIM_PID" 2>/dev/null || { cat "$WORK/camsim.log"; exit 1; }
  sleep 0.1
done
[ -s "$WORK/ready" ] || { echo "camsim did not get ready"; cat "$WORK/camsim.log"; exit 1; }
echo "== camsim: $(cat "$WORK/ready")"
echo "== in the window: press 搜索 (search), click the 全选 heading, press 批量升级 (batch upgrade)"

export TOLVANE_TIME_SCALE=$SCALE TOLVANE_DISCOVERY_PORT=$PORT
"$APP_DIR/tolvane"
