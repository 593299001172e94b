# Sourced by the benchmark scripts. measure TIMEFILE COMMAND...: runs COMMAND three times and
# prints "wall cpu" in seconds, each the lowest of its kind (cpu = user + system, over all of
# the program's threads; on a busy machine the steadier figure). TIMEFILE holds /usr/bin/time's
# output meanwhile. A failing run ends the benchmark.
measure() {
    local timefile=$1 best_wall= best_cpu= wall cpu line
    shift
    for _ in 1 2 3; do
        /usr/bin/time -o "$timefile" -f '%e %U %S' "$@" >/dev/null 2>&1 ||
            { echo "bench: '$*' failed" >&2; exit 1; }
        line=$(cat "$timefile")
        wall=$(awk '{ print $1 }' <<<"$line")
        cpu=$(awk '{ print $2 + $3 }' <<<"$line")
        if [ -z "$best_wall" ] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then best_wall=$wall; fi
        if [ -z "$best_cpu" ] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then best_cpu=$cpu; fi
    done
    echo "$best_wall $best_cpu"
}
