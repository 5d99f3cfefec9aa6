#!/usr/bin/env bash
# Builds the project and runs every test: first the Windows cross build
# (build-win) with its unit tests under Wine; then the plain build runs all
# labels (unit, integration, gui, and "wine": Linux-side tests of the .exe
# files); then the unit and integration tests run again under
# address+undefined and under thread sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-2}

run_build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j"$JOBS"
}

# A throw-away Wine prefix for this run; no wineserver outlives the script.
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stop_wine() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap stop_wine EXIT

echo "== Windows cross build (mingw-w64): unit tests under Wine"
run_build build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DTOLVANE_WITH_TESTS=ON
wineboot -i >/dev/null 2>&1
ctest --test-dir build-win --output-on-failure -j"$JOBS" --timeout 600

echo "== plain build: all tests"
run_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WINDOWS_BUILD_DIR="$PWD/build-win"
ctest --test-dir build --output-on-failure -j"$JOBS" --timeout 600

echo "== address+undefined sanitizers: unit and integration tests"
run_build build-asan -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=address \
  -DTOLVANE_WITH_UI=OFF -DTOLVANE_WITH_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$JOBS" -L 'unit|integration' --timeout 600

echo "== thread sanitizer: unit and integration tests"
run_build build-tsan -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=thread \
  -DTOLVANE_WITH_UI=OFF -DTOLVANE_WITH_BENCH=OFF
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j"$JOBS" -L 'unit|integration' --timeout 600

echo "== fuzz targets, a short run each"
FUZZ_SECONDS=${FUZZ_SECONDS:-10} bash tests/fuzz/run_short.sh
