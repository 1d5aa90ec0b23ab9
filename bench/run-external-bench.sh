#!/usr/bin/env bash
# Measures pairsight-compare on lists too large for memory: the external mode
# (sorted runs on disk, then merged) within a memory bound, beside the
# in-memory job and beside the byte-only reference that does the same within
# the same bound: LC_ALL=C sort -S -T -u of each file, comm for the three sets
# and sort -m -u for the union. Every program runs under /usr/bin/time for its
# CPU time and peak resident size; the temporary files in the work folder's
# tmp/ are summed every 0.2 s, beside the peak that pairsight-compare --stats
# says when it says one. Each figure is the median of R runs. Input MB are 10^6
# bytes, as in run-compare-bench.sh; memory and temp MB are 2^20 bytes, as
# pairsight-compare --stats prints them.
set -euo pipefail

usage() {
    cat <<'EOF_USAGE'
usage: run-external-bench.sh [--bin DIR] [--work DIR] [--runs R] [--seed S] [--locale L]
                             [--memory SIZE] [--modes LIST] [--no-memory-run]
                             [--options "OPTS"] [N ...]
Generates pairs of N-line lists (default: 10000000) in a folder made under
the --work DIR (default /tmp) and removed at the end, and prints one row per
size and configuration:
  memory     pairsight-compare --union, in memory (without --memory)
  external   pairsight-compare --external --memory SIZE --temp-dir WORK/tmp --union
  sort+comm  LC_ALL=C sort -S SIZE -T WORK/tmp -u of each file, comm -12/-23/-13
             and sort -m -u, timed as a whole
LIST is a comma-separated list of pairsight-compare modes (default:
memory,external); a mode may repeat. --no-memory-run leaves out the memory
mode, for sizes that do not fit in memory. SIZE bounds the working memory:
digits and a K, M or G suffix (default: 2G). When two or more modes run,
their result files must be byte-identical, else the exit status is 1.
Columns: wall and CPU (user + system) seconds, cores = CPU / wall, peak
resident MB (of the largest step for sort+comm), the peak of the temporary
files as sampled every 0.2 s and as --stats says it ("-" when it does not),
that peak (--stats's if any) over the inputs, and wall time over sort+comm's.
DIR holds pairsight-datagen and pairsight-compare (default: the build tree,
found from this script's folder). OPTS are passed to every pairsight-compare
run, for example "--case-sensitive".
EOF_USAGE
}

die() {
    echo "run-external-bench.sh: $*" >&2
    exit 2
}

here=$(cd "$(dirname "$0")" && pwd)
bin=$here
workroot=/tmp
runs=3
seed=1
locale=en_US.UTF-8
memory=2G
modelist=memory,external
memoryrun=1
extra=()
counts=()
while [ $# -gt 0 ]; do
    case "$1" in
    --bin | --work | --runs | --seed | --locale | --memory | --modes | --options)
        [ $# -ge 2 ] || { usage >&2; exit 2; }
        case "$1" in
        --bin) bin=$2 ;;
        --work) workroot=$2 ;;
        --runs) runs=$2 ;;
        --seed) seed=$2 ;;
        --locale) locale=$2 ;;
        --memory) memory=$2 ;;
        --modes) modelist=$2 ;;
        --options) read -r -a extra <<<"$2" ;;
        esac
        shift 2 ;;
    --no-memory-run) memoryrun=0; shift ;;
    -h | --help) usage; exit 0 ;;
    -*) usage >&2; exit 2 ;;
    *) counts+=("$1"); shift ;;
    esac
done
[ ${#counts[@]} -gt 0 ] || counts=(10000000)
for n in "${counts[@]}"; do
    [[ $n =~ ^[1-9][0-9]*$ ]] || die "not a line count: $n"
done
[[ $runs =~ ^[1-9][0-9]*$ ]] || die "not a number of runs: $runs"
# With its suffix the size means the same to sort -S, which reads bare digits
# as KiB.
[[ $memory =~ ^[1-9][0-9]*[KMG]$ ]] || die "not a memory size (digits, then K, M or G): $memory"

modes=()
IFS=, read -r -a listed <<<"$modelist"
for mode in "${listed[@]}"; do
    case "$mode" in
    memory) [ "$memoryrun" = 0 ] || modes+=("$mode") ;;
    external) modes+=("$mode") ;;
    *) die "unknown mode \"$mode\" in --modes (memory, external)" ;;
    esac
done

datagen=$bin/pairsight-datagen
compare=$bin/../compare/pairsight-compare
[ -x "$compare" ] || compare=$bin/pairsight-compare
for program in "$datagen" "$compare"; do
    [ -x "$program" ] || die "no $program (use --bin)"
done
timer=/usr/bin/time
"$timer" -f %M true >/dev/null 2>&1 || die "no GNU time at $timer (apt-get install time)"
[ -d "$workroot" ] || die "no folder $workroot (--work)"

# Room for the largest size at once: its inputs, temporary files of 1.5
# times the inputs, and 2.5 times the inputs for each set of result files on
# disk together: one per pairsight-compare mode, kept for the check, and the
# reference's, written after those are gone. The generator writes about 24.5
# bytes a line.
largest=0
for n in "${counts[@]}"; do [ "$n" -le "$largest" ] || largest=$n; done
outputsets=${#modes[@]}
[ "$outputsets" -gt 0 ] || outputsets=1
inputs=$((largest * 2 * 25))
needed=$((inputs + inputs * 3 / 2 + inputs * 5 * outputsets / 2))
available=$(df -P -B1 "$workroot" | awk 'NR == 2 { print $4 }')
if [ "$available" -lt "$needed" ]; then
    die "$(printf 'not enough room in %s for %s lines: needs about %.1f GB (%.1f GB of inputs, %.1f GB of temporary files, %.1f GB of results), %.1f GB are free' \
        "$workroot" "$largest" "$(echo "$needed / 10^9" | bc -l)" "$(echo "$inputs / 10^9" | bc -l)" \
        "$(echo "$inputs * 1.5 / 10^9" | bc -l)" "$(echo "$inputs * 2.5 * $outputsets / 10^9" | bc -l)" \
        "$(echo "$available / 10^9" | bc -l)")"
fi

work=$(mktemp -d "$workroot/pairsight-external-bench.XXXXXX")
sampler=
# shellcheck disable=SC2317 # called by the trap
cleanup() {
    if [ -n "$sampler" ]; then
        kill "$sampler" 2>/dev/null || true
        wait "$sampler" 2>/dev/null || true
    fi
    rm -rf -- "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
tmp=$work/tmp
mkdir -p "$tmp"

# The machine: CPU, cores, memory, and the disk the work folder is on.
machine() {
    local cpu ram source fstype size avail disk="" kind=""
    cpu=$(sed -n 's/^model name[[:space:]]*: *//p' /proc/cpuinfo | head -n 1)
    ram=$(free -g | awk '/^Mem:/ { print $2 }')
    read -r source fstype size avail < <(df -P -h -T "$work" | awk 'NR == 2 { print $1, $2, $3, $5 }')
    if [[ $source == /dev/* ]] && command -v lsblk >/dev/null; then
        # A partition's disk is its parent; the disk says whether it spins.
        disk=$(lsblk -n -o PKNAME "$source" 2>/dev/null | head -n 1)
        [ -n "$disk" ] || disk=${source#/dev/}
        kind=$(lsblk -d -n -o ROTA,MODEL "/dev/$disk" 2>/dev/null |
            awk '{ rota = $1; $1 = ""; sub(/^ /, ""); print (rota == 1 ? "rotational" : "SSD") ($0 == "" ? "" : ", " $0) }')
    elif [[ $source == /dev/* ]]; then
        disk=$(basename "$(readlink -f "$source")")
        local rotational=/sys/class/block/$disk/queue/rotational
        [ -r "$rotational" ] || rotational=$(dirname "$(readlink -f "/sys/class/block/$disk")")/queue/rotational
        [ ! -r "$rotational" ] || kind=$([ "$(cat "$rotational")" = 1 ] && echo rotational || echo SSD)
    fi
    printf 'machine: %s, %s cores, %s GB RAM; work folder on %s (%s, %s, %s free%s)\n' \
        "${cpu:-unknown CPU}" "$(nproc)" "$ram" "$source" "$fstype" "$size" "$avail" "${kind:+, $kind}"
    [ "$fstype" != tmpfs ] || echo "warning: the work folder is in memory (tmpfs): the temporary files take RAM" >&2
}

progress() { [ ! -t 2 ] || printf '\r\033[K%s' "$*" >&2; }
seconds() { date +%s.%N; }

# Samples the bytes of the files in tmp/ every 0.2 s until stopped, then
# writes the largest sum to $1.
tempbytes() { find "$tmp" -type f -printf '%s\n' 2>/dev/null | awk '{ t += $1 } END { printf "%.0f\n", t }'; }
startsampler() {
    local into=$1
    (
        peak=0
        trap 'echo "$peak" >"$into"; exit 0' TERM
        while :; do
            now=$(tempbytes)
            [ "$now" -le "$peak" ] || peak=$now
            sleep 0.2
        done
    ) &
    sampler=$!
}
stopsampler() {
    kill "$sampler"
    wait "$sampler" || true
    sampler=
}

# Files a program left in tmp/ after it finished are counted as a fault of
# the program, then removed so that the next run starts from nothing.
emptytmp() {
    if [ -n "$(find "$tmp" -mindepth 1 -print -quit)" ]; then
        echo "warning: $1 left $(tempbytes) bytes in the temporary folder" >&2
        find "$tmp" -mindepth 1 -delete
    fi
}

# Runs one timed step: /usr/bin/time writes "user system maxrss-KiB" to
# $work/time. On failure prints the program's stderr and stops.
timed() {
    local name=$1
    shift
    if ! "$timer" -f '%U %S %M' -o "$work/time" "$@" 2>"$work/stderr"; then
        echo "run-external-bench.sh: $name failed:" >&2
        cat "$work/stderr" >&2
        sed -n "/^Command/p" "$work/time" >&2
        exit 1
    fi
}

# One run of a pairsight-compare mode into $2: appends
# "wall cpu maxrss-KiB sampled-temp-bytes stats-temp-bytes" to $work/runs.
ours() {
    local mode=$1 out=$2 start end
    local args=(--union "${extra[@]}" --stats --output "$out" "$work/one.txt" "$work/two.txt")
    [ "$mode" = memory ] || args=(--external --memory "$memory" --temp-dir "$tmp" "${args[@]}")
    startsampler "$work/sampled"
    start=$(seconds)
    # TMPDIR too, so that whatever the program spills is seen in tmp/.
    timed pairsight-compare env LC_ALL="$locale" TMPDIR="$tmp" "$compare" "${args[@]}" >/dev/null
    end=$(seconds)
    stopsampler
    emptytmp pairsight-compare
    local said user system rss
    said=$(sed -n 's/.*peak temp: \([0-9.]*\) MB.*/\1/p' "$work/stderr" | tail -n 1)
    [ -z "$said" ] || said=$(echo "$said * 1048576" | bc -l)
    read -r user system rss <"$work/time"
    echo "$(echo "$end - $start" | bc) $(echo "$user + $system" | bc) $rss $(cat "$work/sampled") ${said:--}" \
        >>"$work/runs"
}

# One step of the reference: adds its CPU time to reference's cpu and keeps
# the largest peak resident size in its rss.
step() {
    local user system peak
    timed "$1" env LC_ALL=C "$@"
    read -r user system peak <"$work/time"
    cpu=$(echo "$cpu + $user + $system" | bc)
    [ "$peak" -le "$rss" ] || rss=$peak
}

# One run of the reference, timed as a whole: CPU is the sum of its steps,
# peak resident size the largest of them.
reference() {
    local ref=$work/ref start end cpu=0 rss=0
    mkdir -p "$ref"
    startsampler "$work/sampled"
    start=$(seconds)
    step sort -S "$memory" -T "$tmp" -u "$work/one.txt" >"$ref/a"
    step sort -S "$memory" -T "$tmp" -u "$work/two.txt" >"$ref/b"
    step comm -12 "$ref/a" "$ref/b" >"$ref/common"
    step comm -23 "$ref/a" "$ref/b" >"$ref/only1"
    step comm -13 "$ref/a" "$ref/b" >"$ref/only2"
    step sort -S "$memory" -T "$tmp" -m -u "$ref/a" "$ref/b" >"$ref/union"
    end=$(seconds)
    stopsampler
    emptytmp sort
    echo "$(echo "$end - $start" | bc) $cpu $rss $(cat "$work/sampled") -" >>"$work/runs"
    rm -rf -- "$ref"
}

# The median of each column of $work/runs; "-" for a column of dashes.
medians() {
    local column values=()
    for column in 1 2 3 4 5; do
        values+=("$(awk -v c="$column" '$c != "-" { print $c }' "$work/runs" | sort -g |
            awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : "-" }')")
    done
    echo "${values[*]}"
}

# Names the files that differ between result folders $1 and $2 (named $3
# and $4), or that only one holds.
differences() {
    local name
    { (cd "$1" && ls -A) && (cd "$2" && ls -A); } | sort -u | while read -r name; do
        if [ ! -e "$2/$name" ]; then
            echo "$name (only $3's)"
        elif [ ! -e "$1/$name" ]; then
            echo "$name (only $4's)"
        elif ! cmp -s -- "$1/$name" "$2/$name"; then
            echo "$name"
        fi
    done | paste -s -d ' '
}

mb() { if [ "$1" = - ]; then echo -; else printf %.1f "$(echo "$1 / 1048576" | bc -l)"; fi; }

machine
printf 'memory bound %s, median of %s runs, seed %s, locale %s%s\n' "$memory" "$runs" "$seed" "$locale" \
    "${extra[*]:+, options: ${extra[*]}}"
format='%-10s %8s %-9s %8s %8s %6s %8s %8s %8s %6s %6s\n'
# shellcheck disable=SC2059 # the one format of the table
printf "$format" lines "MB(2)" config "wall s" "CPU s" cores "peak MB" "temp MB" "stats MB" "temp x" "x ref"
status=0
checks=()
for n in "${counts[@]}"; do
    progress "$n lines: generating"
    "$datagen" --seed "$seed" --pair "$n" "$work/one.txt" "$work/two.txt" >/dev/null
    bytes=$(($(stat -c %s "$work/one.txt") + $(stat -c %s "$work/two.txt")))

    rows=()
    for i in "${!modes[@]}"; do
        : >"$work/runs"
        for ((run = 1; run <= runs; run++)); do
            progress "$n lines: ${modes[$i]} run $run of $runs"
            ours "${modes[$i]}" "$work/out-$i"
        done
        rows+=("${modes[$i]} $(medians)")
    done
    for ((i = 1; i < ${#modes[@]}; i++)); do
        differ=$(differences "$work/out-0" "$work/out-$i" "${modes[0]}" "${modes[$i]}")
        if [ -z "$differ" ]; then
            checks+=("$n lines: result files of ${modes[0]} and ${modes[$i]}: identical")
        else
            checks+=("$n lines: result files of ${modes[0]} and ${modes[$i]} differ: $differ")
            status=1
        fi
    done
    for i in "${!modes[@]}"; do rm -rf -- "$work/out-$i"; done

    : >"$work/runs"
    for ((run = 1; run <= runs; run++)); do
        progress "$n lines: sort+comm run $run of $runs"
        reference
    done
    rows+=("sort+comm $(medians)")
    referencewall=$(medians | cut -d ' ' -f 1)
    progress

    for row in "${rows[@]}"; do
        read -r config wall cpu rss sampled said <<<"$row"
        # The program knows its own peak; sampling can miss a short one.
        temp=$sampled
        [ "$said" = - ] || temp=$said
        # shellcheck disable=SC2059
        printf "$format" "$n" "$(printf %.1f "$(echo "$bytes / 10^6" | bc -l)")" "$config" \
            "$(printf %.2f "$wall")" "$(printf %.2f "$cpu")" \
            "$(printf %.2f "$(echo "$cpu / $wall" | bc -l)")" \
            "$(mb "$((rss * 1024))")" "$(mb "$sampled")" "$(mb "$said")" \
            "$(printf %.2f "$(echo "$temp / $bytes" | bc -l)")" \
            "$(printf %.2f "$(echo "$wall / $referencewall" | bc -l)")"
    done
    for check in "${checks[@]+"${checks[@]}"}"; do echo "$check"; done
    checks=()
    rm -f -- "$work/one.txt" "$work/two.txt"
done
exit "$status"
