#!/usr/bin/env bash
# Times `cabx test` against `7zz t` and `cabextract -t` on a cabinet of the benchmark's mixed
# data set (bench/make_cab_data.py, about 300 MB) compressed with the method given as the
# argument (as mksetup takes it: mszip, quantum:21, lzx:21, ...). The MSZIP cabinet is made
# with gcab -z (build/bench/mixed.cab); the others with the project's own
# `mksetup cab --compress METHOD`; each is made once and kept in build/bench/. Each program runs
# three times and its best times count, wall-clock and cpu (bench/timing.sh); the ratios are
# cabx's time over the other program's (<= 1.0 means cabx is at least as fast). Other methods'
# cabinets are also sized against the MSZIP one.
set -euo pipefail

METHOD=${1:?usage: method_bench.sh METHOD (for instance quantum:21)}
case "${METHOD%%:*}" in
    lzx) LABEL="LZX${METHOD#lzx}" ;;
    mszip) LABEL="MSZIP${METHOD#mszip}" ;;
    *) LABEL="$(tr 'a-z' 'A-Z' <<<"${METHOD:0:1}")${METHOD:1}" ;;
esac
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH="$ROOT/build/bench"
MSZIP_CAB="$BENCH/mixed.cab"
CAB="$BENCH/mixed-${METHOD/:/}.cab"
[ "$METHOD" = mszip ] && CAB=$MSZIP_CAB
# CABX and MKSETUP name other builds of the tools (then nothing is built).
CABX=${CABX:-}
MKSETUP=${MKSETUP:-}

say() { printf '== %s\n' "$*" >&2; }

for tool in gcab 7zz cabextract python3; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing (./run setup)" >&2; exit 1; }
done

[ "$METHOD" = mszip ] && MKSETUP=${MKSETUP:-unused}
if [ -z "$CABX" ] || [ -z "$MKSETUP" ]; then
    say "building the tools"
    if [ ! -f "$ROOT/build/native/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$ROOT/build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$ROOT/build/bin" >/dev/null
    fi
    cmake --build "$ROOT/build/native" --target cabx mksetup >/dev/null
    CABX=${CABX:-"$ROOT/build/bin/cabx"}
    MKSETUP=${MKSETUP:-"$ROOT/build/bin/mksetup"}
fi

if [ ! -f "$CAB" ] || [ ! -f "$MSZIP_CAB" ]; then
    mkdir -p "$BENCH"
    data="$BENCH/${METHOD/:/}-data"
    rm -rf "$data"
    say "writing the benchmark data (once)"
    python3 "$ROOT/bench/make_cab_data.py" "$data"
    if [ ! -f "$MSZIP_CAB" ]; then
        say "making the MSZIP cabinet with gcab (once)"
        (cd "$data" && gcab -c -z "$MSZIP_CAB.tmp" ./*) >/dev/null
        mv "$MSZIP_CAB.tmp" "$MSZIP_CAB"
    fi
    if [ ! -f "$CAB" ]; then
        say "making the $LABEL cabinet with mksetup (once; several minutes)"
        "$MKSETUP" cab -o "$CAB.tmp" --compress "$METHOD" "$data"
        mv "$CAB.tmp" "$CAB"
    fi
    rm -rf "$data"
fi

# shellcheck source=bench/timing.sh
source "$ROOT/bench/timing.sh"
TIMES="$BENCH/${METHOD/:/}-time.txt"

size=$(stat -c %s "$CAB")
mszip_size=$(stat -c %s "$MSZIP_CAB")
say "cabinet: $CAB; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
cat "$CAB" >/dev/null  # into the page cache, so every program reads it from memory
read -r w_cabx c_cabx < <(measure "$TIMES" "$CABX" test "$CAB")
read -r w_7z c_7z < <(measure "$TIMES" 7zz t -bso0 -bsp0 "$CAB")
read -r w_ce c_ce < <(measure "$TIMES" cabextract -q -t "$CAB")

printf '%-26s %9s %9s\n' "" "wall (s)" "cpu (s)"
printf '%-26s %9s %9s\n' "$LABEL cabx test" "$w_cabx" "$c_cabx" "$LABEL 7zz t" "$w_7z" "$c_7z" \
    "$LABEL cabextract -t" "$w_ce" "$c_ce"
awk -v a="$w_cabx" -v b="$w_7z" -v c="$w_ce" -v x="$c_cabx" -v y="$c_7z" -v z="$c_ce" 'BEGIN {
    printf "ratio cabx / 7zz        wall %5.2f   cpu %5.2f\n", a / b, x / y
    printf "ratio cabx / cabextract wall %5.2f   cpu %5.2f\n", a / c, x / z
}'
[ "$CAB" = "$MSZIP_CAB" ] && exit 0
awk -v q="$size" -v m="$mszip_size" -v label="$LABEL" 'BEGIN {
    printf "%-14s cabinet %12d bytes\n%-14s cabinet %12d bytes\n", label, q, "MSZIP", m
    printf "size %s / MSZIP %6.3f\n", label, q / m
}'
