#!/usr/bin/env bash
# Fails when a text marked for translation has no finished translation, or
# when a translation is kept for a text the code no longer has.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bash "$root/scripts/update-translations.sh" "$tmp"
status=0
for ts in "$tmp"/tolvane_en.ts "$tmp"/tolvane_zh.ts; do
  bad=$(grep -c 'type="\(unfinished\|vanished\|obsolete\)"' "$ts" || true)
  total=$(grep -c '<source>' "$ts" || true)
  echo "$(basename "$ts"): $total texts, $bad not translated or stale"
  if [ "$bad" -gt 0 ]; then
    grep -B3 'type="\(unfinished\|vanished\|obsolete\)"' "$ts" | grep '<source>' | sed 's/^/  /'
    status=1
  fi
done
exit $status
