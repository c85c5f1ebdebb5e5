# Shared by ./run and ./test: install missing Debian packages, then configure and build.
# Sourced, not run.

TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${TILESTACK_BUILD_DIR:-$TOP/build}

# Packages needed to build and start the game.
RUN_PACKAGES="cmake g++ make pkgconf liballegro4-dev libfreetype-dev fonts-dejavu-core"
# Extra packages the tests and benchmarks need: the test frameworks, a headless X server with
# input injection for the real-window tests, pixman for a benchmark baseline.
TEST_PACKAGES="libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth libx11-dev libxtst-dev zlib1g-dev libpixman-1-dev"

# Installs whichever of the named packages are missing, through apt-get as root or sudo.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo=(sudo)
        else
            echo "error: these Debian packages are missing: ${missing[*]}" >&2
            echo "Install them as root (apt-get install ${missing[*]}) or install sudo, then try again." >&2
            exit 1
        fi
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q >/dev/null || { echo "error: apt-get update failed" >&2; exit 1; }
    "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" \
        || { echo "error: could not install ${missing[*]}" >&2; exit 1; }
}

# Configures a build folder once (with any extra cmake arguments), then builds it
# incrementally, showing only what the compiler says.
build_in() {
    local dir=$1
    shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$TOP" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null \
            || { echo "error: cmake configure failed in $dir" >&2; exit 1; }
    fi
    cmake --build "$dir" -j "$(nproc)" 2>&1 \
        | grep -v -E '^\[ *[0-9]+%\]|^(make|gmake)\[[0-9]+\]: (Entering|Leaving)|^Generating the game' \
        ; [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "error: build failed in $dir" >&2; exit 1; }
}

build() { build_in "$BUILD_DIR"; }
