#!/usr/bin/env bash
# Builds every benchmark and runs each once, printing its figures. The
# figures are measurements of this machine at this moment: run on a quiet
# machine and compare runs, not single numbers.
#   BUILD_DIR (build)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"${JOBS:-2}"

run() {
  echo
  echo "== $*"
  "$@"
}

run "$BUILD/bench/osa/osa_mailbox_bench"
run "$BUILD/bench/sdk/bench_sdk_upload_throughput"
run "$BUILD/bench/sdk/bench_sdk_search_fleet"
run "$BUILD/bench/sim/camsim_idle_bench"
run "$BUILD/bench/engine/engine_batch_bench"
run env QT_QPA_PLATFORM=offscreen "$BUILD/bench/ui/ui_window_bench"
