#!/usr/bin/env bash
# Every benchmark of the project, then a summary in which each figure stands beside its
# reference as a ratio (`make bench`, after the host-release build):
#   1. MD5 update throughput, ours against OpenSSL's, on 40960-byte chunks and a 64 MiB buffer;
#   2. the daemon's own work per ADC sample and per GPIO pass (in memory, and on the simulated
#      board for comparison);
#   3. Sumvault against `md5sum -c` on three packages (10,000 small files, 64 files of 16 MiB,
#      one file of 1 GiB): time warm and cold, and peak memory;
#   4. the daemon's CPU time per second and resident memory in the real-kernel VM.
#
# Environment: TAVRION_BUILD_DIR (default build/host-release), BENCH_PAIRS (default 5),
# BENCH_REPETITIONS (default 5), BENCH_SKIP_VM=1 to leave out the VM run.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
build=${TAVRION_BUILD_DIR:-build/host-release}
case $build in /*) ;; *) build=$repo/$build ;; esac
pairs=${BENCH_PAIRS:-5}
repetitions=${BENCH_REPETITIONS:-5}

die() {
    echo "bench: $*" >&2
    exit 1
}
for program in bench/md5_bench bench/daemon_bench bench/board_bench bench/run_measured \
    package_checker/Sumvault.exe; do
    [ -x "$build/$program" ] ||
        die "no $build/$program: build the host-release preset (make release; the benchmarks need tools/deps/bench.list)"
done

out=$build/bench-results
mkdir -p "$out"
results=$out/figures
: >"$results"
export BENCH_RESULTS=$results
failures=0

# value NAME: a figure recorded in the results file.
value() { awk -v k="$1" '$1 == k { v = $2 } END { print v }' "$results"; }

# csv_column FILE NAME COLUMN: one column of one row of Google Benchmark's CSV output.
csv_column() {
    awk -F, -v name="\"$2\"" -v col="$3" '
        /^name,/ { for (i = 1; i <= NF; i++) if ($i == col) c = i; next }
        c && $1 == name { print $c; exit }' "$1"
}

echo "== 1. MD5 update throughput, ours and OpenSSL's, interleaved, median of $repetitions =="
"$build/bench/md5_bench" --benchmark_repetitions="$repetitions" \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/md5.csv" --benchmark_out_format=csv | grep -E 'median|^Benchmark|^--' ||
    failures=$((failures + 1))
for size in 40960 67108864; do
    ours=$(csv_column "$out/md5.csv" "BM_Md5Ours/${size}_median" bytes_per_second)
    theirs=$(csv_column "$out/md5.csv" "BM_Md5OpenSsl/${size}_median" bytes_per_second)
    echo "md5_ours_bps_$size $ours" >>"$results"
    echo "md5_openssl_bps_$size $theirs" >>"$results"
done

echo
echo "== 2. The daemon's work per sample and per pass (clock steps of 10 ms) =="
"$build/bench/daemon_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/daemon.csv" --benchmark_out_format=csv | grep -E 'median|^Benchmark|^--' ||
    failures=$((failures + 1))
# The simulated board logs the GPIO keys' start-up events on standard error.
"$build/bench/board_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/board.csv" --benchmark_out_format=csv 2>"$out/board.log" |
    grep -E 'median' || failures=$((failures + 1))
for name in AdcSampleIdle AdcSampleHeldKey AdcSamplePressCycle GpioPassIdle GpioPassPressCycle; do
    echo "daemon_ns_$name $(csv_column "$out/daemon.csv" "BM_${name}_median" cpu_time)" >>"$results"
done
for name in AdcSampleIdle GpioPassIdle; do
    echo "board_ns_$name $(csv_column "$out/board.csv" "BM_Board${name}_median" cpu_time)" >>"$results"
done

echo
echo "== 3. Sumvault against md5sum -c =="
"$here/compare_sumvault.sh" "$build" "$pairs" || failures=$((failures + 1))

echo
echo "== 4. The daemon in the real-kernel VM (emulated CPU), panel idle, default period =="
if [ "${BENCH_SKIP_VM:-0}" = 1 ]; then
    echo "skipped (BENCH_SKIP_VM=1)"
else
    vm_results=$(mktemp -d "${TMPDIR:-/tmp}/tavrion-bench-vm.XXXXXX")
    if TAVRION_BUILD_DIR=$build TAVRION_E2E_RESULTS=$vm_results "$repo/tests/e2e/run.sh" idle-cost; then
        line=$(grep '^idle-cost:' "$vm_results/idle-cost/steps" 2>/dev/null)
        echo "$line"
        echo "$line" | tr ' ' '\n' | awk -F= 'NF == 2 { print "vm_" $1, $2 }' >>"$results"
    else
        failures=$((failures + 1))
    fi
    rm -rf "$vm_results"
fi

echo
echo "== Summary: each figure against its reference =="
awk '{ v[$1] = $2 }
function have(k) { return (k in v) && v[k] != "" }
function verdict(ok) { return ok ? "met" : "MISSED" }
END {
    for (i = 1; i <= 2; i++) {
        size = i == 1 ? "40960" : "67108864"
        label = i == 1 ? "40960-byte chunks" : "64 MiB buffer"
        o = v["md5_ours_bps_" size]; t = v["md5_openssl_bps_" size]
        if (o > 0 && t > 0)
            printf "MD5, %-18s ours %4.0f MB/s / OpenSSL %4.0f MB/s = %.3f   (target >= 0.95: %s)\n",
                label, o / 1e6, t / 1e6, o / t, verdict(o / t >= 0.95)
        else print "MD5, " label ": no figure"
    }
    name["a"] = "(a) 10,000 small files"; name["b"] = "(b) 64 files of 16 MiB"; name["c"] = "(c) one file of 1 GiB"
    for (i = 1; i <= 3; i++) {
        s = substr("abc", i, 1); k = "sumvault_" s "_"
        if (!have(k "warm_ratio")) { print "Sumvault against md5sum -c, " name[s] ": no figure"; continue }
        if (have(k "cold_ratio")) {
            printf "Sumvault / md5sum -c, %-23s cold / cold  %.3f (%.2f s / %.2f s)   (target <= 1.0: %s)\n",
                name[s], v[k "cold_ratio"], v[k "cold_s"], v["md5sum_" s "_cold_s"], verdict(v[k "cold_ratio"] <= 1.0)
            printf "Sumvault / md5sum -c, %-23s warm / cold  %.3f (%.2f s / %.2f s)   (target <= 1.0: %s)\n",
                name[s], v[k "warm_cold_ratio"], v[k "warm_s"], v["md5sum_" s "_cold_s"], verdict(v[k "warm_cold_ratio"] <= 1.0)
        } else print "Sumvault against md5sum -c, " name[s] ", cold: no figure (needs root)"
        r = v[k "warm_ratio"]
        printf "Sumvault / md5sum -c, %-23s warm / warm  %.3f (%.2f s / %.2f s)   (%s)\n",
            name[s], r, v[k "warm_s"], v["md5sum_" s "_warm_s"], s == "a" ? "no target: it reads the disk" : "target <= 1.0: " verdict(r <= 1.0)
    }
    if (have("sumvault_b_rss_kb") && have("sumvault_c_rss_kb")) {
        m = v["sumvault_c_rss_kb"] / v["sumvault_b_rss_kb"]
        printf "Sumvault peak memory, (c) / (b)                   %.2f (%d KiB / %d KiB)   (target: independent of size: %s)\n",
            m, v["sumvault_c_rss_kb"], v["sumvault_b_rss_kb"], verdict(m <= 1.1)
        printf "Sumvault peak memory, (a) / (b)                   %.2f (%d KiB / %d KiB; the list of 10,000 lines is held whole)\n",
            v["sumvault_a_rss_kb"] / v["sumvault_b_rss_kb"], v["sumvault_a_rss_kb"], v["sumvault_b_rss_kb"]
        printf "Sumvault / md5sum -c, peak memory, (b)            %.2f (%d KiB / %d KiB)\n",
            v["sumvault_b_rss_kb"] / v["md5sum_b_rss_kb"], v["sumvault_b_rss_kb"], v["md5sum_b_rss_kb"]
    }
    if (have("daemon_ns_AdcSampleIdle")) {
        printf "Daemon, one idle sample of 8 keys, in memory      %.0f ns = %.2e of the 10 ms conversion period\n",
            v["daemon_ns_AdcSampleIdle"], v["daemon_ns_AdcSampleIdle"] / 1e7
        printf "Daemon, one sample with a key held, in memory     %.0f ns = %.2e of the period\n",
            v["daemon_ns_AdcSampleHeldKey"], v["daemon_ns_AdcSampleHeldKey"] / 1e7
        printf "Daemon, average sample of a press cycle           %.0f ns = %.2e of the period\n",
            v["daemon_ns_AdcSamplePressCycle"], v["daemon_ns_AdcSamplePressCycle"] / 1e7
        printf "Daemon, one GPIO pass of 8 idle keys, in memory   %.0f ns = %.2e of the 10 ms pass pause\n",
            v["daemon_ns_GpioPassIdle"], v["daemon_ns_GpioPassIdle"] / 1e7
        printf "Daemon, average GPIO pass of a press cycle        %.0f ns = %.2e of the pass pause\n",
            v["daemon_ns_GpioPassPressCycle"], v["daemon_ns_GpioPassPressCycle"] / 1e7
        if (v["board_ns_AdcSampleIdle"] > 0)
            printf "Same idle sample on the simulated board           %.1f us = %.0f x the in-memory sample\n",
                v["board_ns_AdcSampleIdle"] / 1e3, v["board_ns_AdcSampleIdle"] / v["daemon_ns_AdcSampleIdle"]
        if (v["board_ns_GpioPassIdle"] > 0)
            printf "Same GPIO pass on the simulated board             %.1f us = %.0f x the in-memory pass\n",
                v["board_ns_GpioPassIdle"] / 1e3, v["board_ns_GpioPassIdle"] / v["daemon_ns_GpioPassIdle"]
    } else print "Daemon per sample: no figure"
    if (have("vm_cpu_s_per_s")) {
        printf "Daemon in the VM (emulated CPU), idle             %.4f CPU s per s at %.1f wake-ups/s (%.0f us per wake-up)\n",
            v["vm_cpu_s_per_s"], v["vm_wakeups_per_s"], v["vm_cpu_us_per_wakeup"]
        printf "Daemon resident memory in the VM                  %d KiB at the end / %d KiB at the start = %.2f (peak %d KiB, of it %d KiB anonymous; a busybox process %d KiB)\n",
            v["vm_rss_end_kb"], v["vm_rss_start_kb"], v["vm_rss_end_kb"] / v["vm_rss_start_kb"],
            v["vm_hwm_kb"], v["vm_rss_anon_kb"], v["vm_busybox_rss_kb"]
    } else print "Daemon in the VM: no figure"
}' "$results"

if [ $failures -gt 0 ]; then
    echo "bench: $failures part(s) failed"
    exit 1
fi
