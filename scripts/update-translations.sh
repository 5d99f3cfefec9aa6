#!/usr/bin/env bash
# Refreshes the translation sources from the code. Each text is written in one
# language and translated into the other:
#   translations/tolvane_en.ts  the window's and the engine's texts, written in Chinese
#   translations/tolvane_zh.ts  the command-line programs' texts (and those of the SDK and
#                               the address parser they show), written in English
# With a folder argument, refreshed copies go there and translations/ is left
# alone: that is how the test finds a text nobody has translated yet.
set -euo pipefail
cd "$(dirname "$0")/.."
LUPDATE=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
out=${1:-translations}
obsolete=(-no-obsolete)
if [ "$out" != translations ]; then
  cp translations/tolvane_en.ts translations/tolvane_zh.ts "$out"/
  obsolete=()
fi
common=(-silent -locations none -extensions cpp,h "${obsolete[@]}")
"$LUPDATE" "${common[@]}" -source-language zh_CN -target-language en \
  src/ui src/dialog src/engine -ts "$out/tolvane_en.ts"
"$LUPDATE" "${common[@]}" -source-language en -target-language zh_CN \
  tools src/sdk src/netaddr -ts "$out/tolvane_zh.ts"
