#!/usr/bin/env bash
# Builds the Windows portable ZIP on Debian 12, cross-compiled with mingw-w64:
# build-win/tolvane-<version>-win64.zip (the programs, README.txt and an empty
# UpdateFiles tree). Nothing needs Wine or Windows here.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}

bash scripts/install-deps.sh
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DTOLVANE_WITH_TESTS=OFF >/dev/null
cmake --build build-win -j"$JOBS"
(cd build-win && cpack -G ZIP)
ls -l build-win/tolvane-*-win64.zip
