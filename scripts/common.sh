# Shared by ./run and ./test: install missing Debian packages, then configure and build.
# Sourced, not run.

TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${TILESTACK_BUILD_DIR:-$TOP/build}

# Packages needed to build and start the game.
# zlib writes the PNG icons the desktop shows.
RUN_PACKAGES="cmake g++ make pkgconf liballegro4-dev libfreetype-dev fonts-dejavu-core zlib1g-dev"
# Extra packages the tests and benchmarks need: the test frameworks, a headless X server with
# input injection for the real-window tests, pixman for a benchmark baseline, valgrind for the
# memory check of the real game, clang and its runtime libraries for the fuzz targets, and
# for the installed game: Debian's packaging tools (the .deb, and `file`, with which the
# packager finds the libraries it depends on) and the
# validators of desktop entries, AppStream metainfo, man pages and PNG files, and lintian, which
# checks the package as a Debian archive would.
TEST_PACKAGES="libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth libx11-dev libxtst-dev libpixman-1-dev valgrind clang libclang-rt-14-dev dpkg-dev file desktop-file-utils appstream man-db groff-base pngcheck lintian"

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
    # What apt-get says is shown only when it fails.
    local log
    log=$(mktemp) || exit 1
    if ! "${sudo[@]}" apt-get update -q >"$log" 2>&1; then
        cat "$log" >&2
        echo "error: apt-get update failed" >&2
        exit 1
    fi
    if ! "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" >"$log" 2>&1; then
        cat "$log" >&2
        echo "error: could not install ${missing[*]}" >&2
        exit 1
    fi
    rm -f "$log"
}

# What ./run builds: the game, its data files and the layout tool, none of the tests.
PLAY_TARGETS="tilestack gamedata tilestack-layout"

# Whether the folder holds a complete configuration (the last cmake run there succeeded)
# made with every one of the given cmake options (-DNAME=VALUE or -DNAME:TYPE=VALUE);
# options not named keep whatever value the folder has.
configured_with() {
    local dir=$1
    shift
    [ -f "$dir/tilestack-configured" ] && [ -f "$dir/CMakeCache.txt" ] || return 1
    local arg name value
    for arg in "$@"; do
        case $arg in
        -D*=*) ;;
        *) continue ;;
        esac
        arg=${arg#-D}
        name=${arg%%=*}
        name=${name%%:*}
        value=${arg#*=}
        [ "$(sed -n "s/^$name:[A-Z]*=//p" "$dir/CMakeCache.txt")" = "$value" ] || return 1
    done
}

# Configures a build folder (with any extra cmake options, and those in TILESTACK_CMAKE_ARGS)
# unless it already holds a complete configuration with those options, then builds it
# incrementally: the targets named in BUILD_TARGETS, or everything. One line says each step;
# otherwise only what cmake and the compiler have to say is shown.
build_in() {
    local dir=$1
    shift
    local args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
    # Where ccache is installed, a folder built again from scratch reuses what was compiled
    # there before (docs/developing.md gives what it saves; it shares nothing between the
    # trees).
    command -v ccache >/dev/null 2>&1 && args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # shellcheck disable=SC2206  # extra options are words, split on purpose
    args+=("$@" ${TILESTACK_CMAKE_ARGS:-})
    if ! configured_with "$dir" "${args[@]}"; then
        echo "Configuring the build in $dir"
        mkdir -p "$dir" || exit 1
        # Gone until this configure succeeds, so a failed or interrupted one is redone.
        rm -f "$dir/tilestack-configured"
        if ! cmake -S "$TOP" -B "$dir" "${args[@]}" >"$dir/configure.log" 2>&1; then
            cat "$dir/configure.log" >&2
            echo "error: cmake configure failed in $dir" >&2
            exit 1
        fi
        printf '%s\n' "${args[@]}" >"$dir/tilestack-configured"
    fi
    local targets=()
    if [ -n "${BUILD_TARGETS:-}" ]; then
        targets=(--target $BUILD_TARGETS)
        # A named target is looked up before the build system checks whether its own files
        # changed, so a target added since the last build would be unknown: check first.
        cmake --build "$dir" --target cmake_check_build_system >/dev/null || {
            echo "error: cmake could not update the build files in $dir" >&2
            exit 1
        }
    fi
    cmake --build "$dir" -j "$(nproc)" "${targets[@]}" 2>&1 | awk -v dir="$dir" \
        -v first_time="${FIRST_BUILD:-the first time takes a few minutes}" '
        /^\[ *[0-9]+%\] Building / {
            if (!building) print "Building in " dir " (" first_time ")"
            building = 1; fflush(); next
        }
        /^\[ *[0-9]+%\] (Generating|Drawing) / { sub(/^\[ *[0-9]+%\] /, ""); print; fflush(); next }
        /^\[ *[0-9]+%\]/ { next }
        /^(make|gmake)\[[0-9]+\]: (Entering|Leaving)/ { next }
        /^Consolidate compiler generated dependencies/ { next }
        /^-- (Configuring done|Generating done|Build files have been written)/ { next }
        { print; fflush() }'
    [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "error: build failed in $dir" >&2; exit 1; }
}

# The build for playing, in build/ (./run): only what playing needs. A folder that ./test
# configured with the tests serves as well and keeps its tests. (The README gives the time
# of a first build.)
build_for_play() {
    BUILD_TARGETS=$PLAY_TARGETS FIRST_BUILD="the first time takes about half a minute" \
        build_in "$BUILD_DIR"
}

# The build with every test and benchmark (./test).
build() { build_in "$BUILD_DIR" -DTILESTACK_TESTS=ON -DTILESTACK_BENCH=ON; }
