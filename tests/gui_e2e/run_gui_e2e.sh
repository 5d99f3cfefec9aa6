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
source "$(dirname "$0")/../support/camsim_fleet.sh"
cleanup() {
  stop_camsim
  rm -rf "$WORK"
}
trap cleanup EXIT

start_camsim "$PORT"

export TOLVANE_TIME_SCALE=$SCALE TOLVANE_DISCOVERY_PORT=$PORT TOLVANE_PROGRAM_FOLDER=$WORK
export E2E_PREFIX=$PREFIX QT_QPA_PLATFORM=xcb
timeout 240 xvfb-run -a -s "-screen 0 1280x800x24" "$TEST_BIN"
