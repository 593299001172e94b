#!/usr/bin/env bash
# Times `cabx test` against `7zz t` and `cabextract -t` on an LZX:21 cabinet of the benchmark's
# mixed data set (bench/make_cab_data.py, about 300 MB), made once with the project's own
# `mksetup cab --compress lzx:21` and kept in build/bench/. Each program runs three times and
# its best time counts; the ratios are cabx's time over the other program's (<= 1.0 means cabx
# is at least as fast). The cabinet's size is printed against the MSZIP cabinet of the same
# data (build/bench/mixed.cab of cab_bench.sh, made here with gcab -z when it is missing).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH="$ROOT/build/bench"
CAB="$BENCH/mixed-lzx21.cab"
MSZIP_CAB="$BENCH/mixed.cab"
# CABX and MKSETUP name other builds of the tools (then nothing is built).
CABX=${CABX:-}
MKSETUP=${MKSETUP:-}

say() { printf '== %s\n' "$*" >&2; }

for tool in gcab 7zz cabextract python3; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing (./run setup)" >&2; exit 1; }
done

if [ -z "$CABX" ] || [ -z "$MKSETUP" ]; then
    say "building cabx and mksetup"
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
    data="$BENCH/lzx-data"
    rm -rf "$data"
    say "writing the benchmark data (once)"
    python3 "$ROOT/bench/make_cab_data.py" "$data"
    if [ ! -f "$CAB" ]; then
        say "making the LZX:21 cabinet with mksetup (once; a few minutes)"
        "$MKSETUP" cab -o "$CAB.tmp" --compress lzx:21 "$data"
        mv "$CAB.tmp" "$CAB"
    fi
    if [ ! -f "$MSZIP_CAB" ]; then
        say "making the MSZIP cabinet with gcab (once)"
        (cd "$data" && gcab -c -z "$MSZIP_CAB.tmp" ./*) >/dev/null
        mv "$MSZIP_CAB.tmp" "$MSZIP_CAB"
    fi
    rm -rf "$data"
fi

# Best of three wall-clock times, in seconds.
best_time() {
    local best= start end t
    for _ in 1 2 3; do
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 || { echo "bench: '$*' failed" >&2; exit 1; }
        end=$(date +%s%N)
        t=$(( end - start ))
        if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
    done
    awk -v ns="$best" 'BEGIN { printf "%.3f", ns / 1e9 }'
}

size=$(stat -c %s "$CAB")
mszip_size=$(stat -c %s "$MSZIP_CAB")
say "cabinet: $CAB"
cat "$CAB" >/dev/null  # into the page cache, so every program reads it from memory
t_cabx=$(best_time "$CABX" test "$CAB")
t_7z=$(best_time 7zz t -bso0 -bsp0 "$CAB")
t_cabextract=$(best_time cabextract -q -t "$CAB")

printf '%-22s %8s s\n' "LZX:21 cabx test" "$t_cabx" "LZX:21 7zz t" "$t_7z" "LZX:21 cabextract -t" "$t_cabextract"
awk -v a="$t_cabx" -v b="$t_7z" -v c="$t_cabextract" -v l="$size" -v m="$mszip_size" 'BEGIN {
    printf "ratio cabx / 7zz        %6.2f\n", a / b
    printf "ratio cabx / cabextract %6.2f\n", a / c
    printf "LZX:21 cabinet %12d bytes\nMSZIP cabinet  %12d bytes\nsize LZX:21 / MSZIP     %6.3f\n", l, m, l / m
}'
