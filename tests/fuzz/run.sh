#!/usr/bin/env bash
# Runs every fuzz target and the scanner soak of the host-fuzz build for a time budget each and
# prints, per target, executions per second and coverage, and the soak's samples.
#
#   tests/fuzz/run.sh [--smoke] SECONDS [TARGET...]
#
# FUZZ_JOBS runs that many at once (default 2). A full run keeps its working corpora in
# build/fuzz/corpus, so the next run starts where it stopped; --smoke starts from the seed
# corpora alone with fixed seeds (the soak: SOAK_SMOKE_RUNS runs from seed 1), as make test
# wants. A finding is kept in build/fuzz/findings and fails the run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=$root/build/host-fuzz/tests/fuzz
work=$root/build/fuzz

smoke=0
if [ "${1:-}" = "--smoke" ]; then smoke=1; shift; fi
budget=${1:?usage: run.sh [--smoke] SECONDS [TARGET...]}
shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(md5_fuzz checksum_list_fuzz layout_fuzz trace_fuzz ladder_fuzz kl_fuzz scanner_soak)
fi
jobs=${FUZZ_JOBS:-2}
# About ten seconds of the soak on this kind of machine.
SOAK_SMOKE_RUNS=${SOAK_SMOKE_RUNS:-3000}

logs=$work/logs
mkdir -p "$logs"
if [ $smoke -eq 1 ]; then
    corpora=$(mktemp -d)
    trap 'rm -rf "$corpora"' EXIT
else
    corpora=$work/corpus
fi

# Options of one target beyond the common ones.
options() {
    case $1 in
        md5_fuzz) echo "-max_len=16384" ;;
        checksum_list_fuzz) echo "-max_len=40000" ;;
        layout_fuzz) echo "-dict=$here/layout.dict -max_len=8192" ;;
        trace_fuzz) echo "-max_len=4096" ;;
        ladder_fuzz) echo "-dict=$here/ladder.dict -max_len=4096" ;;
        kl_fuzz) echo "-dict=$here/kl.dict -max_len=4096" ;;
    esac
}

run_one() {
    local target=$1 log=$logs/$1.log
    if [ "$target" = scanner_soak ]; then
        # The smoke covers the same runs on every machine; a full run takes what time allows.
        local bound=(--seed 1 --runs "$SOAK_SMOKE_RUNS")
        [ $smoke -eq 1 ] ||
            bound=(--seed "$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')" --seconds "$budget")
        mkdir -p "$work/findings/scanner_soak"
        "$bin/scanner_soak" "${bound[@]}" --out "$work/findings/scanner_soak" >"$log" 2>&1
        return
    fi
    local findings=$work/findings/$target
    mkdir -p "$corpora/$target" "$findings"
    local seed=()
    [ $smoke -eq 0 ] || seed=(-seed=1)
    # The programs' own output (log lines, messages) is closed; libFuzzer and the sanitizers
    # still report on their own descriptor.
    # shellcheck disable=SC2046
    "$bin/$target" -max_total_time="$budget" -print_final_stats=1 -close_fd_mask=3 -timeout=10 \
        -artifact_prefix="$findings/" "${seed[@]}" $(options "$target") \
        "$corpora/$target" "$here/corpus/$target" >"$log" 2>&1
}

summary() {
    local target=$1 status=$2 log=$logs/$1.log
    if [ "$target" = scanner_soak ]; then
        printf '%-20s %s\n' "$target" "$(grep -m1 '^soak:' "$log" || echo 'no summary')"
    else
        local execs rate coverage
        execs=$(awk '/^stat::number_of_executed_units:/ { print $2 }' "$log")
        rate=$(awk '/^stat::average_exec_per_sec:/ { print $2 }' "$log")
        coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n1)
        printf '%-20s %10s runs %8s exec/s   %s\n' "$target" "${execs:-?}" "${rate:-?}" \
            "${coverage:-no coverage line}"
    fi
    if [ "$status" -ne 0 ]; then
        echo "  FINDING (exit $status), from $log:"
        grep -E 'ERROR|SUMMARY|Test unit written|^soak|seed|^#' "$log" | grep -v '^#[0-9]' |
            head -n 40 | sed 's/^/    /'
    fi
}

echo "Fuzzing for ${budget} s each: ${targets[*]} (${jobs} at a time)"
declare -A pid_of status_of
running=0
for target in "${targets[@]}"; do
    if [ ! -x "$bin/$target" ]; then
        echo "run.sh: $bin/$target is not built (make fuzz builds it)" >&2
        exit 2
    fi
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
    run_one "$target" &
    pid_of[$target]=$!
    running=$((running + 1))
done

failed=0
for target in "${targets[@]}"; do
    status=0
    wait "${pid_of[$target]}" || status=$?
    status_of[$target]=$status
    [ "$status" -eq 0 ] || failed=1
done
for target in "${targets[@]}"; do summary "$target" "${status_of[$target]}"; done
if [ $failed -ne 0 ]; then
    echo "Fuzzing found faults; inputs are in $work/findings" >&2
    exit 1
fi
