#!/usr/bin/env bash
# A long soak: random real input against the sanitizer build of the game, as the user nobody
# in a scratch folder (see tests/soak/soak.cpp for how it is confined and what is a fault).
#   tests/soak/run.sh SECONDS [SEED]    a new seed each run unless one is given; it is printed
# Builds what is missing first, as ./test does. Run as root (or through sudo): the driver
# needs it to run the game as nobody. Exit status 0 when no fault was found.
set -u
source "$(dirname "$0")/../../scripts/common.sh"

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 SECONDS [SEED]" >&2
    exit 2
fi
seconds=$1
seed=${2:-$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}
SANITIZE_DIR=${TILESTACK_SANITIZE_DIR:-$TOP/build-sanitize}

ensure_packages $RUN_PACKAGES $TEST_PACKAGES
# Only what the soak needs: the data files, and the sanitized game with the driver.
BUILD_TARGETS=gamedata build >/dev/null || exit 1
# The same options as ./test's sanitizer build, so that the two share the folder.
BUILD_TARGETS=tilestack_soak build_in "$SANITIZE_DIR" -DTILESTACK_SANITIZE=ON -DTILESTACK_TESTS=ON -DTILESTACK_BENCH=OFF \
    -DTILESTACK_GAMEDATA_FROM="$BUILD_DIR/gamedata" >/dev/null || exit 1

echo "soak: $seconds s, seed $seed (tests/soak/run.sh $seconds $seed repeats it)"
if [ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null 2>&1; then
    exec sudo "$SANITIZE_DIR/tests/tilestack_soak" "$seconds" "$seed"
fi
exec "$SANITIZE_DIR/tests/tilestack_soak" "$seconds" "$seed"
