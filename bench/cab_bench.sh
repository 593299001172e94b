#!/usr/bin/env bash
# Times `cabx test` against `7zz t` and `cabextract -t` on one MSZIP cabinet of about 300 MB of
# mixed data, made once with gcab -z and kept in build/bench/. Each program runs three times
# and its best times count; the ratios are cabx's time over the other program's (<= 1.0 means
# cabx is at least as fast).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH="$ROOT/build/bench"
CAB="$BENCH/mixed.cab"
# CABX names another cabx to time (then nothing is built).
CABX=${CABX:-}

say() { printf '== %s\n' "$*" >&2; }

for tool in gcab 7zz cabextract python3; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing (./run setup)" >&2; exit 1; }
done

if [ -z "$CABX" ]; then
    say "building cabx"
    if [ ! -f "$ROOT/build/native/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$ROOT/build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$ROOT/build/bin" >/dev/null
    fi
    cmake --build "$ROOT/build/native" --target cabx >/dev/null
    CABX="$ROOT/build/bin/cabx"
fi

if [ ! -f "$CAB" ]; then
    say "making the benchmark cabinet (once)"
    rm -rf "$BENCH/data"
    python3 "$ROOT/bench/make_cab_data.py" "$BENCH/data"
    (cd "$BENCH/data" && gcab -c -z "$CAB.tmp" ./*) >/dev/null
    mv "$CAB.tmp" "$CAB"
    rm -rf "$BENCH/data"
fi

# measure: best of three runs, "wall cpu" in seconds.
source "$ROOT/bench/timing.sh"

size=$(stat -c %s "$CAB")
say "cabinet: $CAB ($(( size / 1048576 )) MB compressed); load average: $(cut -d' ' -f1-3 /proc/loadavg)"
cat "$CAB" >/dev/null  # into the page cache, so every program reads it from memory
read -r w_cabx c_cabx < <(measure "$BENCH/time.txt" "$CABX" test "$CAB")
read -r w_7z c_7z < <(measure "$BENCH/time.txt" 7zz t -bso0 -bsp0 "$CAB")
read -r w_ce c_ce < <(measure "$BENCH/time.txt" cabextract -q -t "$CAB")

printf '%-16s %9s %9s\n' "" "wall (s)" "cpu (s)"
printf '%-16s %9s %9s\n' "cabx test" "$w_cabx" "$c_cabx" "7zz t" "$w_7z" "$c_7z" "cabextract -t" "$w_ce" "$c_ce"
awk -v a="$w_cabx" -v b="$w_7z" -v c="$w_ce" -v x="$c_cabx" -v y="$c_7z" -v z="$c_ce" 'BEGIN {
    printf "ratio cabx / 7zz        wall %5.2f   cpu %5.2f\n", a / b, x / y
    printf "ratio cabx / cabextract wall %5.2f   cpu %5.2f\n", a / c, x / z
}'
