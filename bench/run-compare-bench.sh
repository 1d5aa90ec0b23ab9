#!/usr/bin/env bash
# Measures the whole job on generated pairs of lists: pairsight-compare with
# its defaults (sorted on loading, case ignored) and the union, against the
# byte-only reference a user would otherwise reach for: LC_ALL=C sort -u of
# each file, comm for the three sets and sort -m -u for the union. Both run
# on the same files, one after the other, each the median of R runs.
set -euo pipefail

usage() {
    cat <<'EOF_USAGE'
usage: run-compare-bench.sh [--bin DIR] [--runs R] [--seed S] [--locale L] [--options "OPTS"] [N ...]
Generates pairs of N-line lists (default: 1000000 10000000) under /tmp and
prints one row per size. DIR holds pairsight-datagen and pairsight-compare
(default: the build tree, found from this script's folder). OPTS are passed
to pairsight-compare besides --union, for example
"--ignore-accents --ignore-punctuation --pairs".
EOF_USAGE
}

here=$(cd "$(dirname "$0")" && pwd)
bin=$here
runs=3
seed=1
locale=en_US.UTF-8
extra=()
counts=()
while [ $# -gt 0 ]; do
    case "$1" in
    --bin) bin=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --locale) locale=$2; shift 2 ;;
    --options) read -r -a extra <<<"$2"; shift 2 ;;
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
    [ -x "$program" ] || { echo "run-compare-bench.sh: no $program (use --bin)" >&2; exit 2; }
done

work=$(mktemp -d /tmp/pairsight-compare-bench.XXXXXX)
trap 'rm -rf -- "$work"' EXIT

seconds() { date +%s.%N; }
median() { sort -g | sed -n "$(((runs + 1) / 2))p"; }

printf '%-9s %8s %7s %7s %7s %7s %8s %9s %8s %8s %6s\n' lines "MB(2)" load1 load2 compare write "total s" "peak MB" "peak x" "ref s" ratio
for n in "${counts[@]}"; do
    one=$work/one.txt two=$work/two.txt out=$work/out ref=$work/ref
    mkdir -p "$out" "$ref"
    "$datagen" --seed "$seed" --pair "$n" "$one" "$two" >/dev/null
    bytes=$(($(stat -c %s "$one") + $(stat -c %s "$two")))

    : >"$work/ours"
    for ((run = 0; run < runs; run++)); do
        start=$(seconds)
        LC_ALL=$locale "$compare" --union "${extra[@]}" --stats --output "$out" "$one" "$two" >/dev/null 2>"$work/stats"
        end=$(seconds)
        echo "$(echo "$end - $start" | bc) $(tr '\n' ' ' <"$work/stats")" >>"$work/ours"
    done
    best=$(sort -g "$work/ours" | sed -n "$(((runs + 1) / 2))p")
    total=${best%% *}
    phase() { echo "$best" | sed -n "s/.*$1: \([0-9.]*\) s.*/\1/p"; }
    peak=$(echo "$best" | sed -n 's/.*peak memory: \([0-9.]*\) MB.*/\1/p')

    : >"$work/refs"
    for ((run = 0; run < runs; run++)); do
        start=$(seconds)
        LC_ALL=C sort -u "$one" >"$ref/a"
        LC_ALL=C sort -u "$two" >"$ref/b"
        LC_ALL=C comm -12 "$ref/a" "$ref/b" >"$ref/common"
        LC_ALL=C comm -23 "$ref/a" "$ref/b" >"$ref/only1"
        LC_ALL=C comm -13 "$ref/a" "$ref/b" >"$ref/only2"
        LC_ALL=C sort -m -u "$ref/a" "$ref/b" >"$ref/union"
        end=$(seconds)
        echo "$end - $start" | bc >>"$work/refs"
    done
    reference=$(median <"$work/refs")

    printf '%-9s %8.1f %7s %7s %7s %7s %8.2f %9s %8.2f %8.2f %6.2f\n' "$n" "$(echo "$bytes / 1000000" | bc -l)" \
        "$(phase 'load 1')" "$(phase 'load 2')" "$(phase compare)" "$(phase write)" "$total" "$peak" \
        "$(echo "$peak * 1048576 / $bytes" | bc -l)" "$reference" "$(echo "$total / $reference" | bc -l)"
    rm -rf -- "$one" "$two" "$out" "$ref"
done
