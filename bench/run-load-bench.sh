#!/usr/bin/env bash
# Generates line files and measures loading them: without sorting, with the
# loader's own sorting, with the sort timed on its own on 1 and 2 threads, and
# Remove Duplicates after an unsorted load.
# Each measurement runs in its own process, so that peak memory does not mix;
# each is repeated and the run with the median wall time is shown.
set -euo pipefail

usage() {
    cat <<'EOF'
usage: run-load-bench.sh [--bin DIR] [--runs R] [--locale L] [--seed S] [--keep] [N ...]
Generates N lines (default: 1000000 10000000) into a temporary folder under /tmp
and prints one table row per mode. DIR holds pairsight-datagen and pairsight-bench
(default: this script's folder, which is the build tree's bench/ folder).
EOF
}

bin=$(cd "$(dirname "$0")" && pwd)
runs=3
locale=en_US
seed=1
keep=0
counts=()
while [ $# -gt 0 ]; do
    case "$1" in
    --bin) bin=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --locale) locale=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    -h | --help) usage; exit 0 ;;
    -*) usage >&2; exit 2 ;;
    *) counts+=("$1"); shift ;;
    esac
done
[ ${#counts[@]} -gt 0 ] || counts=(1000000 10000000)
for program in pairsight-datagen pairsight-bench; do
    if [ ! -x "$bin/$program" ]; then
        echo "run-load-bench.sh: no $program in $bin (use --bin)" >&2
        exit 2
    fi
done

work=$(mktemp -d /tmp/pairsight-bench.XXXXXX)
if [ "$keep" = 1 ]; then
    echo "data kept in $work" >&2
else
    trap 'rm -rf -- "$work"' EXIT
fi

# Median run by wall time (column 4) of one mode.
measure() {
    local rows=$work/rows
    : >"$rows"
    for ((run = 0; run < runs; run++)); do
        "$bin/pairsight-bench" load "$@" --locale "$locale" --row >>"$rows"
    done
    sort -t $'\t' -k4,4g "$rows" | sed -n "$(((runs + 1) / 2))p"
}

table=$work/table
"$bin/pairsight-bench" header >"$table"
for n in "${counts[@]}"; do
    file=$work/lines-$n.txt
    "$bin/pairsight-datagen" --seed "$seed" "$n" "$file" >&2
    measure "$file" >>"$table"
    measure "$file" --sort >>"$table"
    measure "$file" --sort --threads 1 >>"$table"
    measure "$file" --sort --threads 2 >>"$table"
    measure "$file" --dedup >>"$table"
    rm -f -- "$file"
done
column -t -s $'\t' "$table"
