#!/usr/bin/env bash
# Builds the programs (release, without tests or benchmarks) in build-package/
# and writes the packages to out/: tolvane_<version>_<arch>.deb,
# tolvane-lab_<version>_<arch>.deb and tolvane-<version>-Linux-<cpu>-portable.tar.gz.
#   BUILD_DIR (build-package)  OUT_DIR (out)  JOBS (2)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-package}
OUT_DIR=${OUT_DIR:-out}
JOBS=${JOBS:-2}

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTOLVANE_WITH_TESTS=OFF -DTOLVANE_WITH_BENCH=OFF >/dev/null
cmake --build "$BUILD_DIR" -j"$JOBS"
OUT_ABS=$(mkdir -p "$OUT_DIR" && cd "$OUT_DIR" && pwd)
(cd "$BUILD_DIR" && cpack -B "$OUT_ABS")
rm -rf "$OUT_ABS/_CPack_Packages"
ls -l "$OUT_ABS"/*.deb "$OUT_ABS"/*.tar.gz
