#!/usr/bin/env bash
# A long fuzzing campaign: scripts/fuzz.sh [SECONDS [TARGET...]] runs every
# fuzz target (or the named ones) for SECONDS (default 600) each, as two
# parallel jobs sharing one corpus (build-fuzz/campaign/<target>). Prints the
# executions, executions per second, crashes and leaks of each target at the
# end; exits non-zero when any target found anything.
set -uo pipefail
cd "$(dirname "$0")/.."
source tests/fuzz/targets.sh
SECONDS_EACH=${1:-600}
shift || true
[ $# -eq 0 ] || FUZZ_TARGETS=("$@")
WORKERS=${FUZZ_WORKERS:-2}
fuzz_build || exit 2
root=$PWD/build-fuzz/campaign
summary=()
found=0
for target in "${FUZZ_TARGETS[@]}"; do
  dir=$root/$target
  rm -rf "$dir/logs" "$dir/artifacts"
  mkdir -p "$dir/corpus" "$dir/logs" "$dir/artifacts"
  echo "== fuzz_$target: $WORKERS jobs for ${SECONDS_EACH}s"
  # Each job writes fuzz-<n>.log into the current folder.
  (cd "$dir/logs" && "$OLDPWD/build-fuzz/tests/fuzz/fuzz_$target" -jobs="$WORKERS" \
     -workers="$WORKERS" -max_total_time="$SECONDS_EACH" -max_len="${FUZZ_MAX_LEN[$target]}" \
     -print_final_stats=1 -artifact_prefix="$dir/artifacts/" \
     "$dir/corpus" "$OLDPWD/tests/fuzz/corpus/$target" >/dev/null 2>&1)
  execs=$(cat "$dir"/logs/fuzz-*.log | awk '/stat::number_of_executed_units/ {s += $2} END {print s+0}')
  rate=$(cat "$dir"/logs/fuzz-*.log | awk '/stat::average_exec_per_sec/ {s += $2} END {print s+0}')
  leaks=$(find "$dir/artifacts" -name 'leak-*' | wc -l)
  crashes=$(find "$dir/artifacts" \( -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' \) |
            wc -l)
  # A job that died without leaving an artifact still counts as a crash.
  died=$(grep -l -E 'ERROR: (AddressSanitizer|libFuzzer|UndefinedBehaviorSanitizer)|runtime error:' \
         "$dir"/logs/fuzz-*.log 2>/dev/null | wc -l)
  [ "$crashes" -eq 0 ] && [ "$leaks" -eq 0 ] && [ "$died" -gt 0 ] && crashes=$died
  [ "$crashes" -eq 0 ] && [ "$leaks" -eq 0 ] || found=1
  summary+=("$(printf '%-14s %12s %10s %8s %6s' "fuzz_$target" "$execs" "$rate" "$crashes" "$leaks")")
done
echo
printf '%-14s %12s %10s %8s %6s\n' target executions exec/s crashes leaks
printf '%s\n' "${summary[@]}"
[ "$found" -eq 0 ] || echo "findings are in build-fuzz/campaign/<target>/artifacts"
exit "$found"
