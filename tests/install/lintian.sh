#!/usr/bin/env bash
# The Debian package as an archive would take it: lintian finds no error or warning, the
# changelog's newest entry and the metainfo's newest release are the version the package
# carries, and the copyright file quotes the font's licence as Debian ships it.
#   lintian.sh TREES VERSION   (TREES as make_trees.sh left it)
set -u
trees=$1 version=$2
deb=$trees/package/tilestack_${version}_amd64.deb
doc=$trees/debroot/usr/share/doc/tilestack
status=0
fail() { echo "FAIL: $*"; status=1; }

# lintian warns that it runs as root (CI's case) on standard error; that is not about the
# package.
said=$(lintian --fail-on error,warning "$deb" 2>&1)
lintian_status=$?
said=$(grep -v '^running with root privileges is not recommended!$' <<<"$said")
[ "$lintian_status" -eq 0 ] && ! grep -q -E '^[EW]: ' <<<"$said" ||
    fail "lintian (status $lintian_status):"$'\n'"$said"

newest=$(zcat "$doc/changelog.gz" | dpkg-parsechangelog -l - -S Version 2>&1)
[ "$newest" = "$version" ] || fail "the changelog's newest entry is $newest, the build's version $version"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
release=$(grep -o -m 1 '<release version="[^"]*"' "$trees"/debroot/usr/share/metainfo/*.metainfo.xml)
[ "$release" = "<release version=\"$version\"" ] || fail "the metainfo's newest release: $release"

# The font's licence paragraph, as Debian's copyright file of the font gives it.
font_licence() { awk '/^License: bitstream-vera$/{p=1} p && /^$/{exit} p' "$1" | sed 's/[ \t]*$//'; }
shipped=/usr/share/doc/fonts-dejavu-core/copyright
[ -f "$shipped" ] || fail "$shipped is missing (package fonts-dejavu-core)"
[ -n "$(font_licence "$doc/copyright")" ] &&
    [ "$(font_licence "$doc/copyright")" = "$(font_licence "$shipped")" ] ||
    fail "the copyright file does not quote the font's licence as $shipped does"

[ "$status" -eq 0 ] && echo "lintian is silent; changelog, metainfo and copyright agree"
exit "$status"
