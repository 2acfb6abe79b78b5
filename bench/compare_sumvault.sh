#!/usr/bin/env bash
# Whole-program timing: Sumvault against `md5sum -c md5.txt` on the same synthetic update
# package (1 GiB in 64 files under usb_update/), runs alternating, each program's console going
# to a file: warm (files in the page cache; Sumvault reads past it all the same), then cold (the
# caches dropped before each run, as root). Prints the median time ratios and both programs' peak
# resident memory, and Sumvault's peak on a package eight times smaller beside it (files of 2 MiB,
# each still larger than the read-ahead ring, so that the ring is in use on both).
#
#   bench/compare_sumvault.sh BUILD_DIR [PAIRS]        (PAIRS default 5)
#
# The packages are made once under BUILD_DIR/bench-data (or $TAVRION_BENCH_DATA) and reused.
# With BENCH_RESULTS set to a file, the figures are also appended to it as "name value" lines.
set -euo pipefail

build=${1:?usage: compare_sumvault.sh BUILD_DIR [PAIRS]}
pairs=${2:-5}
build=$(cd "$build" && pwd)
data=${TAVRION_BENCH_DATA:-$build/bench-data}
sumvault=$build/package_checker/Sumvault.exe
meter=$build/bench/run_measured

die() {
    echo "compare: $*" >&2
    exit 1
}
[ -x "$sumvault" ] || die "no $sumvault (build the host-release preset)"
[ -x "$meter" ] || die "no $meter (build the host-release preset with the benchmark packages)"

# make_package DIR FILE_BYTES: 64 files of random bytes and their md5.txt, unless already made.
make_package() {
    local dir=$1 bytes=$2 i
    if [ -f "$dir/.complete" ] && [ "$(cat "$dir/.complete")" = "$bytes" ]; then
        return
    fi
    echo "compare: making $((64 * bytes / 1048576)) MiB package in $dir" >&2
    rm -rf "$dir"
    mkdir -p "$dir/usb_update"
    for i in $(seq -w 0 63); do
        head -c "$bytes" /dev/urandom >"$dir/usb_update/part_$i.bin"
    done
    (cd "$dir" && md5sum usb_update/part_*.bin >md5.txt)
    echo "$bytes" >"$dir/.complete"
}

big=$data/package-1g
small=$data/package-128m
make_package "$big" $((16 * 1048576))
make_package "$small" $((2 * 1048576))

# The program accepts only an invocation name that contains its own file name.
mkdir -p "$data/bin"
ln -sfn "$sumvault" "$data/bin/Sumvault.exe"

# measure NAME DIR: runs one program in DIR, console to a file; prints "wall cpu maxrss_kb".
measure() {
    local name=$1 dir=$2 line
    local -a command
    case $name in
        sumvault) command=("$data/bin/Sumvault.exe") ;;
        md5sum) command=(md5sum -c md5.txt) ;;
    esac
    if ! (cd "$dir" && "$meter" -o "$data/$name.out" "${command[@]}" 2>"$data/$name.err"); then
        tail -n 5 "$data/$name.out" "$data/$name.err" >&2
        die "$name failed in $dir"
    fi
    line=$(grep '^wall=' "$data/$name.err" | tail -n1)
    echo "$line" | awk '{
        for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
        printf "%s %.6f %s\n", v["wall"], v["user"] + v["sys"], v["maxrss_kb"] }'
}

median() { sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

# Warm the page cache and both programs, and check that both accept the package.
cat "$big"/usb_update/* >/dev/null
measure sumvault "$big" >/dev/null
measure md5sum "$big" >/dev/null
grep -q '^errorcode: 0$' "$data/sumvault.out" || die "Sumvault did not accept the package"

results=$data/timings
: >"$results"
for pair in $(seq 1 "$pairs"); do
    # Alternate which program goes first, so that neither always follows the other.
    if [ $((pair % 2)) -eq 1 ]; then
        s=$(measure sumvault "$big")
        m=$(measure md5sum "$big")
    else
        m=$(measure md5sum "$big")
        s=$(measure sumvault "$big")
    fi
    echo "$s $m" >>"$results"
done
# Cold: both read the disk. Dropping the caches needs root; without it there is no cold figure.
cold=$data/timings-cold
: >"$cold"
drop_caches() { sync && echo 3 >/proc/sys/vm/drop_caches; } 2>/dev/null
if drop_caches; then
    for pair in $(seq 1 "$pairs"); do
        if [ $((pair % 2)) -eq 1 ]; then
            drop_caches && s=$(measure sumvault "$big") && drop_caches && m=$(measure md5sum "$big")
        else
            drop_caches && m=$(measure md5sum "$big") && drop_caches && s=$(measure sumvault "$big")
        fi
        echo "$s $m" >>"$cold"
    done
fi
# Peak memory varies by a page or two from run to run: compare medians.
for pair in $(seq 1 "$pairs"); do measure sumvault "$small"; done >"$data/timings-small"

# Columns: sumvault wall, cpu, rss; md5sum wall, cpu, rss.
wall_ratio=$(awk '{ print $1 / $4 }' "$results" | median)
cpu_ratio=$(awk '{ print $2 / $5 }' "$results" | median)
s_wall=$(awk '{ print $1 }' "$results" | median)
m_wall=$(awk '{ print $4 }' "$results" | median)
s_rss=$(awk '{ print $3 }' "$results" | median)
m_rss=$(awk '{ print $6 }' "$results" | median)
small_rss=$(awk '{ print $3 }' "$data/timings-small" | median)
cold_ratio="" s_cold="" m_cold=""
if [ -s "$cold" ]; then
    cold_ratio=$(awk '{ print $1 / $4 }' "$cold" | median)
    s_cold=$(awk '{ print $1 }' "$cold" | median)
    m_cold=$(awk '{ print $4 }' "$cold" | median)
fi

awk -v pairs="$pairs" -v wr="$wall_ratio" -v cr="$cpu_ratio" -v sw="$s_wall" -v mw="$m_wall" \
    -v sr="$s_rss" -v mr="$m_rss" -v small="$small_rss" 'BEGIN {
    printf "Sumvault vs md5sum -c, 1 GiB in 64 files, warm, %d alternating pairs:\n", pairs
    printf "  time ratio (median of pairs)    %.3f   (Sumvault %.3f s, md5sum %.3f s; %.0f vs %.0f MiB/s)\n",
        wr, sw, mw, 1024 / sw, 1024 / mw
    printf "  CPU time ratio (median)         %.3f\n", cr
    printf "  peak resident memory (median)   Sumvault %d KiB, md5sum %d KiB (ratio %.2f)\n",
        sr, mr, sr / mr
    printf "  Sumvault peak, 1 GiB vs 128 MiB %d KiB vs %d KiB (ratio %.2f)\n", sr, small, sr / small
}'
if [ -n "$cold_ratio" ]; then
    awk -v pairs="$pairs" -v r="$cold_ratio" -v sw="$s_cold" -v mw="$m_cold" 'BEGIN {
    printf "Cold (caches dropped before each run), %d alternating pairs:\n", pairs
    printf "  time ratio (median of pairs)    %.3f   (Sumvault %.3f s, md5sum %.3f s)\n", r, sw, mw }'
else
    echo "Cold: no figure (dropping the caches needs root)"
fi

if [ -n "${BENCH_RESULTS:-}" ]; then
    {
        echo "sumvault_time_ratio $wall_ratio"
        echo "sumvault_cpu_ratio $cpu_ratio"
        echo "sumvault_wall_s $s_wall"
        echo "md5sum_wall_s $m_wall"
        echo "sumvault_rss_kb $s_rss"
        echo "md5sum_rss_kb $m_rss"
        echo "sumvault_small_rss_kb $small_rss"
        [ -z "$cold_ratio" ] || echo "sumvault_cold_time_ratio $cold_ratio"
        [ -z "$cold_ratio" ] || echo "sumvault_cold_wall_s $s_cold"
        [ -z "$cold_ratio" ] || echo "md5sum_cold_wall_s $m_cold"
    } >>"$BENCH_RESULTS"
fi
