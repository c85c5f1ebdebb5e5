#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build-fuzz/ and runs each for the given number of seconds (default 30), all at once.
# ./test runs this with the default; for a longer hunt:  tests/fuzz/run.sh 3600
# Inputs that break a property are written to build-fuzz/tests/fuzz/ as crash-* files.
set -u
source "$(dirname "$0")/../../scripts/common.sh"
seconds=${1:-30}
FUZZ_DIR=${TILESTACK_FUZZ_DIR:-$TOP/build-fuzz}
ensure_packages clang libclang-rt-14-dev
CC=clang CXX=clang++ build_in "$FUZZ_DIR" -DTILESTACK_FUZZ=ON -DTILESTACK_FUZZ_SECONDS="$seconds"
# A folder configured before keeps its cache: set the time for this run.
cmake "$FUZZ_DIR" -DTILESTACK_FUZZ_SECONDS="$seconds" >/dev/null || exit 1
cd "$FUZZ_DIR/tests/fuzz" || exit 1
ctest --output-on-failure -j 3  # all three at once: each runs for its time, however many cores
