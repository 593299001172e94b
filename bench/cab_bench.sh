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

# Best of three runs: "wall cpu" in seconds, each the lowest of its kind (cpu = user + system,
# over all of the program's threads). On a busy machine the cpu figure is the steadier one.
measure() {
    local best_wall= best_cpu= wall cpu line
    for _ in 1 2 3; do
        /usr/bin/time -o "$BENCH/time.txt" -f '%e %U %S' "$@" >/dev/null 2>&1 ||
            { echo "bench: '$*' failed" >&2; exit 1; }
        line=$(cat "$BENCH/time.txt")
        wall=$(awk '{ print $1 }' <<<"$line")
        cpu=$(awk '{ print $2 + $3 }' <<<"$line")
        if [ -z "$best_wall" ] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then best_wall=$wall; fi
        if [ -z "$best_cpu" ] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then best_cpu=$cpu; fi
    done
    echo "$best_wall $best_cpu"
}

size=$(stat -c %s "$CAB")
say "cabinet: $CAB ($(( size / 1048576 )) MB compressed); load average: $(cut -d' ' -f1-3 /proc/loadavg)"
cat "$CAB" >/dev/null  # into the page cache, so every program reads it from memory
read -r w_cabx c_cabx < <(measure "$CABX" test "$CAB")
read -r w_7z c_7z < <(measure 7zz t -bso0 -bsp0 "$CAB")
read -r w_ce c_ce < <(measure cabextract -q -t "$CAB")

printf '%-16s %9s %9s\n' "" "wall (s)" "cpu (s)"
printf '%-16s %9s %9s\n' "cabx test" "$w_cabx" "$c_cabx" "7zz t" "$w_7z" "$c_7z" "cabextract -t" "$w_ce" "$c_ce"
awk -v a="$w_cabx" -v b="$w_7z" -v c="$w_ce" -v x="$c_cabx" -v y="$c_7z" -v z="$c_ce" 'BEGIN {
    printf "ratio cabx / 7zz        wall %5.2f   cpu %5.2f\n", a / b, x / y
    printf "ratio cabx / cabextract wall %5.2f   cpu %5.2f\n", a / c, x / z
}'
