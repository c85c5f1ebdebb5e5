#!/usr/bin/env bash
# Builds a scratch tree exactly as ./run builds build/, with every test-only package hidden
# from CMake, and checks that the game, its data files and the layout tool come out of it
# and that nothing of the tests was configured. The tree is kept, as ./run keeps build/, so
# a later run builds only what changed (and configures again when a CMake file changed).
#   play_build.sh SCRATCH_DIR
set -u
source "$(dirname "$0")/../../scripts/common.sh"
scratch=$1
BUILD_DIR=$scratch
# pixman (pkg-config), valgrind and clang (programs) are looked up only in tests/ and bench/,
# which must not be configured at all (checked below).
TILESTACK_CMAKE_ARGS=""
for package in GTest GMock benchmark X11; do
    TILESTACK_CMAKE_ARGS+=" -DCMAKE_DISABLE_FIND_PACKAGE_$package=ON"
done
export TILESTACK_CMAKE_ARGS
(build_for_play) || { echo "FAIL: the build for playing failed" >&2; exit 1; }

status=0
for file in tilestack tools/tilestack-layout gamedata/empty.tga gamedata/bg.tga \
    gamedata/geek.tga gamedata/title.tga gamedata/font.dat gamedata/0.lyt gamedata/1.lyt \
    gamedata/2.lyt icons/48x48/apps/tilestack.png; do
    [ -s "$scratch/$file" ] || { echo "FAIL: $file was not built" >&2; status=1; }
done
for unwanted in tests/CTestTestfile.cmake bench tests/unit_tests; do
    [ -e "$scratch/$unwanted" ] && { echo "FAIL: $unwanted is there: tests were configured" >&2; status=1; }
done
[ "$status" -eq 0 ] && echo "the build for playing needs none of the test packages"
exit "$status"
