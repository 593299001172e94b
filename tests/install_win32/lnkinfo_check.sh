#!/bin/sh
# Makes a shell link with CreateShortcut under Wine and reads it back with lnkinfo
# (liblnk-utils) on the host: an independent reader of the file the shell object saved. The link
# is written below a host folder through Wine's Z: drive, so both sides see the same file.
#
# usage: lnkinfo_check.sh <wine runner> <make_shortcut.exe> <lnkinfo> <work folder>
set -u
runner=$1 maker=$2 lnkinfo=$3 work=$4

rm -rf "$work" && mkdir -p "$work" || exit 1
work=$(cd "$work" && pwd)
windows_work="Z:$(printf '%s' "$work" | tr / '\\\\')"

target='C:\Games\Zel Game\game.exe'
arguments='-config "C:\Games\Zel Game\my settings.ini" -x'
"$runner" "$maker" "$windows_work\\Menu\\Zel\\Play Zel" "$target" "$arguments" || {
    echo "make_shortcut failed"
    exit 1
}
link="$work/Menu/Zel/Play Zel.lnk"
[ -f "$link" ] || { echo "no link at $link"; exit 1; }

info=$("$lnkinfo" "$link") || { echo "lnkinfo failed"; exit 1; }
printf '%s\n' "$info"

# lnkinfo prints "<tabs>Label<tabs>: value"; compared here as "Label: value".
fields=$(printf '%s\n' "$info" | sed 's/^[[:space:]]*//; s/[[:space:]]*: /: /')
failed=0
expect() {
    if ! printf '%s\n' "$fields" | grep -qxF -e "$1: $2"; then
        echo "MISSING: $1: $2"
        failed=1
    fi
}
expect 'Local path' "$target"
expect 'Description' 'Play Zel'
expect 'Command line arguments' "$arguments"
expect 'Working directory' 'C:\Games\Zel Game'
exit $failed
