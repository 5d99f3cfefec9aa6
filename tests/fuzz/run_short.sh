#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz and runs each one for a
# short while (FUZZ_SECONDS, default 10) from its seed corpus. Fails when a
# target finds a crash, a leak or undefined behaviour.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/fuzz/targets.sh
SECONDS_EACH=${FUZZ_SECONDS:-10}
fuzz_build
for target in "${FUZZ_TARGETS[@]}"; do
  work=build-fuzz/fuzz-corpus/$target
  mkdir -p "$work"
  echo "== fuzz_$target for ${SECONDS_EACH}s"
  build-fuzz/tests/fuzz/fuzz_$target -max_total_time="$SECONDS_EACH" \
    -max_len="${FUZZ_MAX_LEN[$target]}" -print_final_stats=1 \
    -artifact_prefix=build-fuzz/fuzz_${target}- \
    "$work" "tests/fuzz/corpus/$target" 2>&1 | tail -n 12
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "fuzz_$target failed"; exit 1; }
done
