#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz and runs each one for a
# short while (FUZZ_SECONDS, default 20) from its seed corpus. Fails when a
# target finds a crash, a leak or undefined behaviour.
set -euo pipefail
cd "$(dirname "$0")/../.."
SECONDS_EACH=${FUZZ_SECONDS:-20}
JOBS=${JOBS:-2}
CXX=${FUZZ_CXX:-clang++-14} cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOLVANE_WITH_FUZZ=ON -DTOLVANE_WITH_UI=OFF -DTOLVANE_WITH_ENGINE=OFF -DTOLVANE_WITH_SIM=OFF \
  -DTOLVANE_WITH_TOOLS=OFF -DTOLVANE_WITH_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$JOBS" --target fuzz_hello fuzz_answers fuzz_digest
for target in hello answers digest; do
  work=build-fuzz/fuzz-corpus/$target
  mkdir -p "$work"
  echo "== fuzz_$target for ${SECONDS_EACH}s"
  build-fuzz/tests/fuzz/fuzz_$target -max_total_time="$SECONDS_EACH" -max_len=70000 \
    -print_final_stats=1 -artifact_prefix=build-fuzz/fuzz_${target}- \
    "$work" "tests/fuzz/corpus/$target" 2>&1 | tail -n 12
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "fuzz_$target failed"; exit 1; }
done
