# Shared by run_short.sh and scripts/fuzz.sh: the fuzz targets, the longest
# input each one is given, and the build of the fuzz tree.
FUZZ_TARGETS=(hello answers digest http_answer http_head sim_digest fleet image_header)
declare -A FUZZ_MAX_LEN=([hello]=2048 [answers]=70000 [digest]=8192 [http_answer]=20000 [http_head]=20000
                         [sim_digest]=8192 [fleet]=16384 [image_header]=256)

fuzz_build() {
  CXX=${FUZZ_CXX:-clang++-14} cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTOLVANE_WITH_FUZZ=ON -DTOLVANE_WITH_UI=OFF -DTOLVANE_WITH_ENGINE=OFF -DTOLVANE_WITH_SIM=OFF \
    -DTOLVANE_WITH_TOOLS=OFF -DTOLVANE_WITH_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j"${JOBS:-2}" --target "${FUZZ_TARGETS[@]/#/fuzz_}"
}
