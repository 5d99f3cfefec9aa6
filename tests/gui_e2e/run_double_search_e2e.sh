#!/usr/bin/env bash
# Runs the double-search window test: its own X server (Xvfb), its own camsim
# with COUNT cameras on PREFIX.0.2 and on, its own discovery port.
#   run_double_search_e2e.sh TEST_BINARY CAMSIM MKFWIMAGE [COUNT] [PREFIX]
set -euo pipefail
TEST_BIN=$1 CAMSIM=$2 MKFWIMAGE=$3
COUNT=${4:-300}
NET=${5:-127.102}
SCALE=${TOLVANE_TIME_SCALE:-0.05}
command -v xdotool >/dev/null || { echo "xdotool is missing (scripts/install-deps.sh)"; exit 1; }

WORK=$(mktemp -d)
{
  echo '{"defaults": {"port": 8080}, "cameras": ['
  for ((i = 0; i < COUNT; i++)); do
    [ "$i" -eq 0 ] || echo ','
    echo "{\"address\": \"$NET.$((i / 250)).$((i % 250 + 2))\", \"version\": \"5.1.7.$((i % 9 + 1))\"}"
  done
  echo ']}'
} >"$WORK/cameras.json"
FLEET=$WORK/cameras.json PREFIX=127.77.0.
source "$(dirname "$0")/../support/camsim_fleet.sh"
cleanup() {
  stop_camsim
  rm -rf "$WORK"
}
trap cleanup EXIT

start_camsim 0

export TOLVANE_TIME_SCALE=$SCALE TOLVANE_DISCOVERY_PORT=$PORT TOLVANE_PROGRAM_FOLDER=$WORK
export E2E_CAMERAS=$COUNT QT_QPA_PLATFORM=xcb
timeout 240 xvfb-run -a -s "-screen 0 1280x800x24" "$TEST_BIN"
