#!/usr/bin/env bash
# Saves pictures of the window under docs/: idle after a search, during a
# batch upgrade and at its end, from runs of the window's end-to-end test
# against camsim on a virtual X server, in Chinese and in English (*-en.png).
#   BUILD_DIR (build)  SCREENSHOT_DIR (docs)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"${JOBS:-2}" --target gui_e2e_test camsim mkfwimage
SHOTS=$(realpath -m "${SCREENSHOT_DIR:-docs}")
mkdir -p "$SHOTS"
for lang in zh en; do
  TOLVANE_LANG=$lang TOLVANE_SCREENSHOT_DIR=$SHOTS bash tests/gui_e2e/run_gui_e2e.sh \
    "$BUILD/tests/gui_e2e/gui_e2e_test" "$BUILD/sim/camsim" "$BUILD/sim/mkfwimage" \
    res/demo-fleet.json 127.79.0. 37879
done
ls -l "$SHOTS"/screenshot-*.png
