#!/usr/bin/env bash
# Whole-program timing: Sumvault against `md5sum -c md5.txt` on three synthetic update packages,
#   a  10,000 files of 100 to 8,000 bytes in 50 folders (about 40 MB),
#   b  64 files of 16 MiB (1 GiB),
#   c  one file of 1 GiB,
# runs alternating, each program's console going to a file: warm (files in the page cache;
# Sumvault reads past it all the same), then cold (the caches dropped before each run, as root).
# Prints, per package, Sumvault's time against md5sum's cold time, cold and warm (it reads the
# disk either way, so the disk is its reference), warm against warm, and peak resident memory.
#
#   bench/compare_sumvault.sh BUILD_DIR [PAIRS]        (PAIRS default 5)
#
# The packages are made once under BUILD_DIR/bench-data (or $TAVRION_BENCH_DATA) and reused:
# about 2.1 GiB of disk. With BENCH_RESULTS set to a file, the figures are also appended to it as
# "name value" lines.
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

# make_package SHAPE DIR: its files and md5.txt, unless already made.
make_package() {
    local shape=$1 dir=$2 i
    [ "$(cat "$dir/.complete" 2>/dev/null)" = "$shape" ] && return
    echo "compare: making package $shape in $dir" >&2
    rm -rf "$dir"
    mkdir -p "$dir/usb_update"
    case $shape in
        a) # Slices of one random buffer at random places: 200 files in each of 50 folders.
            (cd "$dir" && head -c 8388608 /dev/urandom | perl -e '
                local $/; my $pool = <STDIN>; srand(24);
                for my $d (0 .. 49) {
                    my $folder = sprintf("usb_update/folder_%02d", $d);
                    mkdir $folder or die "$folder: $!";
                    for my $f (0 .. 199) {
                        my $size = 100 + int(rand(7901));
                        open(my $out, ">", sprintf("%s/file_%03d.bin", $folder, $f)) or die "$!";
                        print $out substr($pool, int(rand(length($pool) - $size)), $size);
                        close($out) or die "$!";
                    }
                }') ;;
        b) for i in $(seq -w 0 63); do head -c 16777216 /dev/urandom >"$dir/usb_update/part_$i.bin"; done ;;
        c) head -c 1073741824 /dev/urandom >"$dir/usb_update/image.bin" ;;
    esac
    (cd "$dir" && find usb_update -type f | sort | xargs md5sum >md5.txt)
    echo "$shape" >"$dir/.complete"
}

# Packages of earlier versions of this script.
rm -rf "$data/package-1g" "$data/package-128m"

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
column() { awk -v c="$2" '{ print $c }' "$1" | median; }

drop_caches() { sync && echo 3 >/proc/sys/vm/drop_caches; } 2>/dev/null
cold=1
drop_caches || cold=0

# pair FILE DIR [drop_caches]: one run of each, alternating which goes first, with that before each.
pair() {
    local out=$1 dir=$2 before=${3:-true} s m
    if [ $(($(wc -l <"$out") % 2)) -eq 0 ]; then
        $before && s=$(measure sumvault "$dir") && $before && m=$(measure md5sum "$dir")
    else
        $before && m=$(measure md5sum "$dir") && $before && s=$(measure sumvault "$dir")
    fi
    echo "$s $m" >>"$out"
}

declare -A label=([a]="10,000 files of 100-8,000 bytes" [b]="64 files of 16 MiB" [c]="one file of 1 GiB")
for shape in a b c; do
    dir=$data/package-$shape
    make_package "$shape" "$dir"
    # Warm the page cache and both programs, and check that both accept the package.
    find "$dir/usb_update" -type f -exec cat {} + >/dev/null
    measure sumvault "$dir" >/dev/null
    measure md5sum "$dir" >/dev/null
    grep -q '^errorcode: 0$' "$data/sumvault.out" || die "Sumvault did not accept package $shape"
    warm=$data/timings-$shape cold_times=$data/timings-cold-$shape
    : >"$warm"
    : >"$cold_times"
    for _ in $(seq 1 "$pairs"); do pair "$warm" "$dir"; done
    if [ $cold -eq 1 ]; then
        for _ in $(seq 1 "$pairs"); do pair "$cold_times" "$dir" drop_caches; done
    fi
    # Columns: sumvault wall, cpu, rss; md5sum wall, cpu, rss.
    s_warm=$(column "$warm" 1) m_warm=$(column "$warm" 4)
    warm_ratio=$(awk '{ print $1 / $4 }' "$warm" | median)
    s_rss=$(column "$warm" 3) m_rss=$(column "$warm" 6)
    echo "Sumvault vs md5sum -c, package $shape (${label[$shape]}), $pairs alternating pairs each:"
    printf '  warm against warm  %.3f   (Sumvault %.3f s, md5sum %.3f s)\n' "$warm_ratio" "$s_warm" "$m_warm"
    if [ $cold -eq 1 ]; then
        s_cold=$(column "$cold_times" 1) m_cold=$(column "$cold_times" 4)
        cold_ratio=$(awk '{ print $1 / $4 }' "$cold_times" | median)
        warm_cold=$(awk -v s="$s_warm" -v m="$m_cold" 'BEGIN { print s / m }')
        printf '  cold against cold  %.3f   (Sumvault %.3f s, md5sum %.3f s)\n' "$cold_ratio" "$s_cold" "$m_cold"
        printf '  warm against cold  %.3f\n' "$warm_cold"
    else
        echo "  cold: no figure (dropping the caches needs root)"
    fi
    printf '  peak resident memory  Sumvault %d KiB, md5sum %d KiB\n' "$s_rss" "$m_rss"
    if [ -n "${BENCH_RESULTS:-}" ]; then
        {
            echo "sumvault_${shape}_warm_ratio $warm_ratio"
            echo "sumvault_${shape}_warm_s $s_warm"
            echo "md5sum_${shape}_warm_s $m_warm"
            echo "sumvault_${shape}_rss_kb $s_rss"
            echo "md5sum_${shape}_rss_kb $m_rss"
            if [ $cold -eq 1 ]; then
                echo "sumvault_${shape}_cold_ratio $cold_ratio"
                echo "sumvault_${shape}_warm_cold_ratio $warm_cold"
                echo "sumvault_${shape}_cold_s $s_cold"
                echo "md5sum_${shape}_cold_s $m_cold"
            fi
        } >>"$BENCH_RESULTS"
    fi
done
