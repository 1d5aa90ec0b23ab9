#!/usr/bin/env bash
# Measures comparing by key on generated pairs of tab-separated lists whose
# key is field 2 (pairsight-datagen --tsv): pairsight-compare by field and by
# pattern, beside the whole-line job on the same files and beside the
# byte-only reference: LC_ALL=C sort on field 2 of each file, then join for
# the three sets. Each figure is the median of R runs.
set -euo pipefail

usage() {
    cat <<'EOF_USAGE'
usage: run-key-bench.sh [--bin DIR] [--runs R] [--seed S] [--locale L] [N ...]
Generates pairs of N-line tab-separated lists (default: 1000000 10000000)
under /tmp and prints one row per size and job. DIR holds pairsight-datagen
and pairsight-compare (default: the build tree, found from this script).
EOF_USAGE
}

here=$(cd "$(dirname "$0")" && pwd)
bin=$here
runs=3
seed=1
locale=en_US.UTF-8
counts=()
while [ $# -gt 0 ]; do
    case "$1" in
    --bin) bin=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --locale) locale=$2; shift 2 ;;
    -h | --help) usage; exit 0 ;;
    -*) usage >&2; exit 2 ;;
    *) counts+=("$1"); shift ;;
    esac
done
[ ${#counts[@]} -gt 0 ] || counts=(1000000 10000000)
datagen=$bin/pairsight-datagen
compare=$bin/../compare/pairsight-compare
[ -x "$compare" ] || compare=$bin/pairsight-compare
for program in "$datagen" "$compare"; do
    [ -x "$program" ] || { echo "run-key-bench.sh: no $program (use --bin)" >&2; exit 2; }
done

work=$(mktemp -d /tmp/pairsight-key-bench.XXXXXX)
trap 'rm -rf -- "$work"' EXIT

seconds() { date +%s.%N; }
median() { sort -g | sed -n "$(((runs + 1) / 2))p"; }
tab=$'\t'

# One job of ours, R times: prints "median-seconds peak-MB".
ours() {
    : >"$work/times"
    for ((run = 0; run < runs; run++)); do
        start=$(seconds)
        LC_ALL=$locale "$compare" "$@" --stats --output "$work/out" "$work/one.tsv" "$work/two.tsv" \
            >/dev/null 2>"$work/stats"
        end=$(seconds)
        echo "$(echo "$end - $start" | bc) $(sed -n 's/.*peak memory: \([0-9.]*\) MB.*/\1/p' "$work/stats")" \
            >>"$work/times"
    done
    sort -g "$work/times" | sed -n "$(((runs + 1) / 2))p"
}

printf '%-9s %8s %-9s %8s %9s %8s %8s %8s\n' lines "MB(2)" job "total s" "peak MB" "x whole" "ref s" "x ref"
for n in "${counts[@]}"; do
    mkdir -p "$work/out" "$work/ref"
    "$datagen" --seed "$seed" --pair --tsv "$n" "$work/one.tsv" "$work/two.tsv" >/dev/null
    bytes=$(($(stat -c %s "$work/one.tsv") + $(stat -c %s "$work/two.tsv")))

    : >"$work/refs"
    for ((run = 0; run < runs; run++)); do
        start=$(seconds)
        LC_ALL=C sort -t"$tab" -k2,2 "$work/one.tsv" >"$work/ref/a"
        LC_ALL=C sort -t"$tab" -k2,2 "$work/two.tsv" >"$work/ref/b"
        LC_ALL=C join -t"$tab" -1 2 -2 2 "$work/ref/a" "$work/ref/b" >"$work/ref/common"
        LC_ALL=C join -t"$tab" -1 2 -2 2 -v 1 "$work/ref/a" "$work/ref/b" >"$work/ref/only1"
        LC_ALL=C join -t"$tab" -1 2 -2 2 -v 2 "$work/ref/a" "$work/ref/b" >"$work/ref/only2"
        end=$(seconds)
        echo "$end - $start" | bc >>"$work/refs"
    done
    reference=$(median <"$work/refs")

    read -r whole wholePeak <<<"$(ours)"
    read -r field fieldPeak <<<"$(ours --field 2)"
    read -r pattern patternPeak <<<"$(ours --key-pattern "^[^${tab}]*${tab}([^${tab}]*)")"
    mb=$(echo "$bytes / 1000000" | bc -l)
    for job in whole field pattern; do
        case $job in
        whole) total=$whole peak=$wholePeak ;;
        field) total=$field peak=$fieldPeak ;;
        pattern) total=$pattern peak=$patternPeak ;;
        esac
        printf '%-9s %8.1f %-9s %8.2f %9s %8.2f %8.2f %8.2f\n' "$n" "$mb" "$job" "$total" "$peak" \
            "$(echo "$total / $whole" | bc -l)" "$reference" "$(echo "$total / $reference" | bc -l)"
    done
    rm -rf -- "$work/one.tsv" "$work/two.tsv" "$work/out" "$work/ref"
done
