#!/usr/bin/env bash
# Builds the soak and runs it: batch after batch of simulated cameras with
# seeded random faults through one engine process (docs/soak.md). Arguments
# go to the soak: --batches N, --cameras N, --seed S, --faults LIST.
#   BUILD_DIR (build), TOLVANE_TIME_SCALE (0.01)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build}
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$BUILD" -j"${JOBS:-2}" --target engine_soak camsim mkfwimage
export TOLVANE_TIME_SCALE=${TOLVANE_TIME_SCALE:-0.01}
exec "$BUILD/bench/soak/engine_soak" "$@"
