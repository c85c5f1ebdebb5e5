#!/bin/sh
# Writes the Debian changelog of the package, in Debian's format, from the project's
# CHANGELOG.md: one entry a version ("## VERSION (YYYY-MM-DD)", or "(YYYY-MM-DD HH:MM)" in
# UTC when two versions came out on one day, since each entry must be newer than the one
# before), its summary paragraph and its items as the entry's items, signed by the
# maintainer at the version's date.
#   debian-changelog.sh CHANGELOG.md PACKAGE MAINTAINER
# Fails, naming the line, when a line would be longer than Debian's 80 columns or a
# version's heading is not in that form.
set -u
changelog=$1 package=$2 maintainer=$3

awk -v package="$package" -v maintainer="$maintainer" '
    function fail(why) {
        printf "%s:%d: %s\n", FILENAME, FNR, why > "/dev/stderr"
        failed = 1
        exit 1
    }
    function item(line) {
        gsub(/`/, "", line)
        if (length(line) > 80) fail("longer than 80 columns in the Debian changelog")
        print line
    }
    function sign() {
        if (version == "") return
        cmd = "LC_ALL=C date -u -R -d \"" date "\""
        if ((cmd | getline stamp) <= 0 || close(cmd) != 0) fail("not a date: " date)
        print ""
        print " -- " maintainer "  " stamp
    }
    /^## / {
        sign()
        if (!match($0, /^## [0-9][0-9A-Za-z.+~-]* \([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]( [0-2][0-9]:[0-5][0-9])?\)$/))
            fail("a version heading is \"## VERSION (YYYY-MM-DD)\" or \"## VERSION (YYYY-MM-DD HH:MM)\"")
        version = $2
        date = substr($0, index($0, "(") + 1)
        sub(/\)$/, "", date)
        if (entries++) print ""
        print package " (" version ") unstable; urgency=medium"
        print ""
        first = 1
        next
    }
    version == "" || /^[ \t]*$/ { next }
    /^- / { item("  * " substr($0, 3)); first = 0; next }
    first { item("  * " $0); first = 0; next }
    { sub(/^ */, ""); item("    " $0) }
    END {
        if (failed) exit 1
        if (!entries) { print FILENAME ": no version" > "/dev/stderr"; exit 1 }
        sign()
    }
' "$changelog"
