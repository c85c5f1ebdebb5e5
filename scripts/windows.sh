# The cross-build for 64-bit Windows, shared by scripts/package-windows and the tests run under
# Wine: the packages it needs, the graphics library cross-built once from Debian's source, and
# the game built with it. Sourced after common.sh, not run.

WINDOWS_DIR=${TILESTACK_WINDOWS_DIR:-$TOP/build-windows}
WINDOWS_TOOLCHAIN=$TOP/packaging/windows/mingw-w64-x86_64.cmake
# Changes to the library's source, applied in this order: its own later fix for input under
# Wine, then quick clicks.
WINDOWS_LIBRARY_PATCHES=("$TOP/packaging/windows/allegro-dinput-devices.patch"
    "$TOP/packaging/windows/allegro-quick-clicks.patch")
# Where the cross-built library is installed: include/, lib/liballeg.a.
WINDOWS_LIBRARY_DIR=$WINDOWS_DIR/allegro

# The C and C++ cross compilers of the posix thread model (the only ones with std::thread),
# the installer's maker, the zip, and patch for the library's source.
WINDOWS_PACKAGES="gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix nsis zip patch"
# Running the programs: Wine for 64-bit programs, in a headless X server, with input sent
# through XTest and screenshots read back.
WINE_PACKAGES="wine wine64 xvfb xauth xdotool x11-apps imagemagick"

# Fails with a message unless the command succeeded; what it said is shown only then.
run_logged() {
    local log=$1 what=$2
    shift 2
    if ! "$@" >"$log" 2>&1; then
        cat "$log" >&2
        echo "error: $what failed (the whole output is in $log)" >&2
        exit 1
    fi
}

# Fetches the source of the library at the version the machine's liballegro4-dev has, from
# the same Debian archive, into $1, and prints the path of the upstream tarball. apt needs a
# deb-src entry for it: a private sources list and lists folder under the build folder leave
# the machine's apt set-up as it is.
fetch_library_source() {
    local dir=$1
    local package version upstream
    package=$(dpkg-query -W -f='${source:Package}' liballegro4-dev) || exit 1
    version=$(dpkg-query -W -f='${source:Version}' liballegro4-dev) || exit 1
    upstream=$(dpkg-query -W -f='${source:Upstream-Version}' liballegro4-dev) || exit 1
    local tarball=$dir/${package}_${upstream}.orig.tar.gz
    # The archive and suite the installed package came from, as apt-cache policy shows them:
    # "500 http://deb.debian.org/debian bookworm/main amd64 Packages".
    local origin uri suite component
    origin=$(apt-cache policy liballegro4-dev |
        awk '/^ +[0-9]+ (https?|file):/ { print $2, $3; exit }')
    uri=${origin% *}
    suite=${origin#* }
    component=${suite#*/}
    suite=${suite%%/*}
    if [ -z "$origin" ] || [ "$suite" = "$origin" ]; then
        echo "error: cannot tell which Debian archive liballegro4-dev came from" >&2
        exit 1
    fi
    mkdir -p "$dir/apt/lists/partial" "$dir/apt/cache" || exit 1
    {
        echo "Types: deb-src"
        echo "URIs: $uri"
        echo "Suites: $suite"
        echo "Components: $component"
        [ -f /usr/share/keyrings/debian-archive-keyring.gpg ] &&
            echo "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"
    } >"$dir/apt/source.sources"
    local apt_options=(-o "Dir::Etc::SourceList=$dir/apt/source.sources"
        -o Dir::Etc::SourceParts=/dev/null -o "Dir::State::Lists=$dir/apt/lists"
        -o "Dir::Cache=$dir/apt/cache")
    run_logged "$dir/apt-update.log" "apt-get update (the library's source index)" \
        apt-get "${apt_options[@]}" update
    # Only the upstream tarball is used: Debian's own changes are for its Linux build (and
    # its part may be missing from the archive), so the download's status is not trusted;
    # the tarball's checksum is checked against the source package's description instead.
    (cd "$dir" && apt-get "${apt_options[@]}" source --download-only "$package=$version") \
        >"$dir/apt-source.log" 2>&1
    local dsc=$dir/${package}_${version#*:}.dsc
    local expected
    expected=$(awk -v name="$(basename "$tarball")" \
        '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on && $3 == name { print $1 }' \
        "$dsc" 2>/dev/null)
    if [ -z "$expected" ] || [ ! -f "$tarball" ] ||
        [ "$(sha256sum "$tarball" | cut -d' ' -f1)" != "$expected" ]; then
        cat "$dir/apt-source.log" >&2
        echo "error: could not fetch the source of $package $version" >&2
        exit 1
    fi
    echo "$tarball"
}

# The library alone: static, for DirectX (whose headers come with mingw-w64), without its
# examples, tests, tools, documentation and add-ons.
WINDOWS_LIBRARY_OPTIONS=(-DCMAKE_BUILD_TYPE=Release -DSHARED=OFF
    -DWANT_EXAMPLES=OFF -DWANT_TESTS=OFF -DWANT_TOOLS=OFF -DWANT_DOCS=OFF
    -DWANT_ALLEGROGL=OFF -DWANT_LOADPNG=OFF -DWANT_LOGG=OFF -DWANT_JPGALLEG=OFF)

# What the library is built from: the source's version, the patch, the toolchain and the
# options. A build whose stamp says the same is kept.
library_recipe() {
    dpkg-query -W -f='${source:Package} ${source:Version}\n' liballegro4-dev
    sha256sum "${WINDOWS_LIBRARY_PATCHES[@]}" "$WINDOWS_TOOLCHAIN" | cut -d' ' -f1
    echo "${WINDOWS_LIBRARY_OPTIONS[*]}"
}

# Cross-builds the library as a static library into $WINDOWS_LIBRARY_DIR, once: a later call
# finds it built from the same recipe and does nothing.
build_windows_library() {
    local stamp=$WINDOWS_LIBRARY_DIR/tilestack-built
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$(library_recipe)" ]; then
        return 0
    fi
    local work=$WINDOWS_DIR/allegro-source
    echo "Cross-building the graphics library for Windows in $WINDOWS_DIR (once; about 2 minutes)"
    rm -rf "$work" "$WINDOWS_LIBRARY_DIR" "$WINDOWS_DIR/allegro-build"
    mkdir -p "$work" || exit 1
    local tarball
    tarball=$(fetch_library_source "$work") || exit 1
    tar -xzf "$tarball" -C "$work" || exit 1
    local src
    src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'allegro*' | head -n 1)
    [ -n "$src" ] || { echo "error: no source folder in $tarball" >&2; exit 1; }
    local change
    for change in "${WINDOWS_LIBRARY_PATCHES[@]}"; do
        run_logged "$work/patch.log" "patching the library with $(basename "$change")" \
            patch -d "$src" -p1 --forward -i "$change"
    done
    run_logged "$work/configure.log" "configuring the library" \
        cmake -S "$src" -B "$WINDOWS_DIR/allegro-build" \
        -DCMAKE_TOOLCHAIN_FILE="$WINDOWS_TOOLCHAIN" \
        -DCMAKE_INSTALL_PREFIX="$WINDOWS_LIBRARY_DIR" "${WINDOWS_LIBRARY_OPTIONS[@]}"
    run_logged "$work/build.log" "building the library" \
        cmake --build "$WINDOWS_DIR/allegro-build" -j "$(nproc)"
    run_logged "$work/install.log" "installing the library" \
        cmake --install "$WINDOWS_DIR/allegro-build"
    [ -f "$WINDOWS_LIBRARY_DIR/lib/liballeg.a" ] ||
        { echo "error: the library build made no lib/liballeg.a" >&2; exit 1; }
    library_recipe >"$stamp"
}

# The game and the layout tool cross-built in $WINDOWS_DIR/tilestack, with the data files and
# the icon that the native build (build/) made.
build_windows_programs() {
    BUILD_TARGETS="tilestack tilestack-layout" FIRST_BUILD="the first time takes a few minutes" \
        build_in "$WINDOWS_DIR/tilestack" -DCMAKE_TOOLCHAIN_FILE="$WINDOWS_TOOLCHAIN" \
        -DTILESTACK_NATIVE_BUILD="$BUILD_DIR" -DTILESTACK_WINDOWS_LIBRARY="$WINDOWS_LIBRARY_DIR"
}

# The version, as project() in CMakeLists.txt says it.
windows_version() {
    sed -n 's/^project(tilestack VERSION \([0-9.]*\).*/\1/p' "$TOP/CMakeLists.txt"
}

# The players' part of the README (its opening, playing, the window, the editor, the
# licence), with Windows line ends.
players_readme() {
    awk '/^## / { keep = ($0 ~ /^## (Playing|The layout editor|On Windows|Licence)$/) }
         NR < 12 || keep' "$TOP/README.md" | grep -v '^!\[' | sed 's/$/\r/'
}

# The zip and the installer, from the cross-built programs and the native build's data.
package_windows() {
    local version stage zip setup
    version=$(windows_version)
    stage=$WINDOWS_DIR/stage/tilestack-$version
    zip=$WINDOWS_DIR/tilestack-$version-windows-x86_64.zip
    setup=$WINDOWS_DIR/tilestack-$version-setup.exe
    rm -rf "$WINDOWS_DIR/stage" "$zip" "$setup"
    mkdir -p "$stage" || exit 1
    cp "$WINDOWS_DIR/tilestack/tilestack.exe" "$WINDOWS_DIR/tilestack/tools/tilestack-layout.exe" \
        "$BUILD_DIR"/gamedata/* "$stage/" || exit 1
    players_readme >"$stage/README.txt"
    sed 's/$/\r/' "$TOP/LICENSE" >"$stage/LICENSE.txt"
    awk '/^Files: \*\/font.dat/ { on = 1 } on && /^$/ { exit } on' "$TOP/packaging/copyright" |
        sed 's/$/\r/' >"$stage/FONT-LICENCE.txt"
    (cd "$WINDOWS_DIR/stage" && zip -q -X -r "$zip" "tilestack-$version") || exit 1
    # The uninstaller removes the files the installer put there, named one by one.
    (cd "$stage" && for f in *; do echo "  Delete \"\$INSTDIR\\$f\""; done) >"$stage.uninstall.nsh"
    run_logged "$WINDOWS_DIR/makensis.log" "making the installer" \
        makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" \
        -DICON="$BUILD_DIR/generated/tilestack.ico" "$TOP/packaging/windows/installer.nsi"
    ls -l "$zip" "$setup"
}
