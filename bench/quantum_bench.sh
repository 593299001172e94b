#!/usr/bin/env bash
# Times `cabx test` against `7zz t` and `cabextract -t` on a Quantum:21 cabinet of the
# benchmark's mixed data set (bench/make_cab_data.py, about 300 MB), made once with the
# project's own `mksetup cab --compress quantum:21` and kept in build/bench/. Each program runs
# three times and its best times count, wall-clock and cpu (user + system; on a busy machine the
# steadier figure); the ratios are cabx's time over the other program's (<= 1.0 means cabx is at
# least as fast). The cabinet's size is printed against the MSZIP cabinet of the same data
# (build/bench/mixed.cab of cab_bench.sh, made here with gcab -z when it is missing).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH="$ROOT/build/bench"
CAB="$BENCH/mixed-quantum21.cab"
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
    data="$BENCH/quantum-data"
    rm -rf "$data"
    say "writing the benchmark data (once)"
    python3 "$ROOT/bench/make_cab_data.py" "$data"
    if [ ! -f "$CAB" ]; then
        say "making the Quantum:21 cabinet with mksetup (once; several minutes)"
        "$MKSETUP" cab -o "$CAB.tmp" --compress quantum:21 "$data"
        mv "$CAB.tmp" "$CAB"
    fi
    if [ ! -f "$MSZIP_CAB" ]; then
        say "making the MSZIP cabinet with gcab (once)"
        (cd "$data" && gcab -c -z "$MSZIP_CAB.tmp" ./*) >/dev/null
        mv "$MSZIP_CAB.tmp" "$MSZIP_CAB"
    fi
    rm -rf "$data"
fi

# Best of three runs: "wall cpu" in seconds, each the lowest of its kind.
measure() {
    local best_wall= best_cpu= wall cpu line
    for _ in 1 2 3; do
        /usr/bin/time -o "$BENCH/quantum-time.txt" -f '%e %U %S' "$@" >/dev/null 2>&1 ||
            { echo "bench: '$*' failed" >&2; exit 1; }
        line=$(cat "$BENCH/quantum-time.txt")
        wall=$(awk '{ print $1 }' <<<"$line")
        cpu=$(awk '{ print $2 + $3 }' <<<"$line")
        if [ -z "$best_wall" ] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then best_wall=$wall; fi
        if [ -z "$best_cpu" ] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then best_cpu=$cpu; fi
    done
    echo "$best_wall $best_cpu"
}

size=$(stat -c %s "$CAB")
mszip_size=$(stat -c %s "$MSZIP_CAB")
say "cabinet: $CAB; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
cat "$CAB" >/dev/null  # into the page cache, so every program reads it from memory
read -r w_cabx c_cabx < <(measure "$CABX" test "$CAB")
read -r w_7z c_7z < <(measure 7zz t -bso0 -bsp0 "$CAB")
read -r w_ce c_ce < <(measure cabextract -q -t "$CAB")

printf '%-26s %9s %9s\n' "" "wall (s)" "cpu (s)"
printf '%-26s %9s %9s\n' "Quantum:21 cabx test" "$w_cabx" "$c_cabx" "Quantum:21 7zz t" "$w_7z" "$c_7z" \
    "Quantum:21 cabextract -t" "$w_ce" "$c_ce"
awk -v a="$w_cabx" -v b="$w_7z" -v c="$w_ce" -v x="$c_cabx" -v y="$c_7z" -v z="$c_ce" -v q="$size" -v m="$mszip_size" 'BEGIN {
    printf "ratio cabx / 7zz        wall %5.2f   cpu %5.2f\n", a / b, x / y
    printf "ratio cabx / cabextract wall %5.2f   cpu %5.2f\n", a / c, x / z
    printf "Quantum:21 cabinet %12d bytes\nMSZIP cabinet      %12d bytes\nsize Quantum:21 / MSZIP %6.3f\n", q, m, q / m
}'
