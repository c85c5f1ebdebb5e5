#!/usr/bin/env bash
# Debian's validators on the installed desktop entry, metainfo, man pages and icons: each
# must pass without a word.
#   validate.sh ROOT
set -u
root=$1
status=0
check() {  # check WHAT COMMAND...: the command must succeed and print nothing
    local what=$1 said
    shift
    said=$("$@" 2>&1) && [ -z "$said" ] || { echo "FAIL: $what:"; echo "$said"; status=1; }
}
share=$root/usr/share
check "desktop-file-validate" desktop-file-validate "$share/applications/tilestack.desktop"
for metainfo in "$share"/metainfo/*.metainfo.xml; do
    said=$(appstreamcli validate --no-net "$metainfo" 2>&1) &&
        ! grep -q -E '^[EWI]:' <<<"$said" || { echo "FAIL: appstreamcli validate:"; echo "$said"; status=1; }
done
for page in "$share/man/man6/tilestack.6.gz" "$share/man/man6/tilestack-layout.6.gz"; do
    # As lintian reads man pages: every warning of groff shows.
    said=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) && [ -z "$said" ] ||
        { echo "FAIL: man --warnings $page:"; echo "$said"; status=1; }
done
for size in 16 22 24 32 48 64 128 256; do
    icon=$share/icons/hicolor/${size}x$size/apps/tilestack.png
    said=$(pngcheck "$icon" 2>&1)
    grep -q "^OK: .*(${size}x$size, 32-bit RGB+alpha" <<<"$said" || { echo "FAIL: $said"; status=1; }
done
[ "$status" -eq 0 ] && echo "desktop entry, metainfo, man pages and icons are clean"
exit "$status"
