#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR (prefix /usr) and, separately, builds the Debian
# package and unpacks it with dpkg-deb -x, for the tests of the installed game. Checks the
# package's name and control fields on the way.
#   make_trees.sh BUILD_DIR OUT_DIR VERSION
set -u
build=$1 out=$2 version=$3
rm -rf "$out"
mkdir -p "$out/package" || exit 1
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$out/destdir cmake --install "$build" --prefix /usr >"$out/install.log" 2>&1 \
    || { cat "$out/install.log"; fail "cmake --install"; }
(cd "$out/package" && cpack --config "$build/CPackConfig.cmake" -G DEB) >"$out/cpack.log" 2>&1 \
    || { cat "$out/cpack.log"; fail "cpack -G DEB"; }
deb=$out/package/tilestack_${version}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$out/package")"
dpkg-deb -x "$deb" "$out/debroot" || fail "dpkg-deb -x"

status=0
depends=$(dpkg-deb -f "$deb" Depends)
case $depends in
*liballegro4.4*) ;;
*) echo "FAIL: Depends lacks the library's runtime: $depends" >&2; status=1 ;;
esac
for field in Maintainer Description Section; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || { echo "FAIL: no $field" >&2; status=1; }
done
# The package holds what cmake --install installs, no more and no less.
(cd "$out/destdir" && find . -not -type d | sort) >"$out/destdir.list"
(cd "$out/debroot" && find . -not -type d | sort) >"$out/debroot.list"
diff "$out/destdir.list" "$out/debroot.list" || { echo "FAIL: the package holds other files" >&2; status=1; }
exit "$status"
