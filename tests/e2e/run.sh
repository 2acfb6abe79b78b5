#!/usr/bin/env bash
# The daemon on a real Linux kernel: boots Debian's amd64 kernel in qemu (TCG) with a busybox
# initramfs holding the release daemon, the simulated board's control script and our event
# dumper, runs every scenario under tests/e2e/scenarios in that one boot, and compares what the
# dumper and the daemon showed with each scenario's expectation.
#
#   tests/e2e/run.sh [scenario ...]      (default: every scenario)
#
# Environment:
#   TAVRION_BUILD_DIR   daemon build folder (default build/host-release)
#   TAVRION_E2E_CACHE   where the kernel is kept between runs (default ~/.cache/tavrion-e2e)
#   TAVRION_E2E_KEEP    1: keep the work folder (initramfs, console, raw results)
#   TAVRION_E2E_TIMEOUT seconds the whole VM run may take (default 240)
#   TAVRION_E2E_ARCH    amd64 (default) or armhf: tests/e2e/arch-armhf.sh
#   TAVRION_E2E_SCENARIOS  folder holding the scenarios (default tests/e2e/scenarios)
#   TAVRION_E2E_RESULTS folder that receives each scenario's status, events, log and steps
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=${TAVRION_BUILD_DIR:-build/host-release}
case $build in /*) ;; *) build=$repo/$build ;; esac
cache=${TAVRION_E2E_CACHE:-${HOME:-/root}/.cache/tavrion-e2e}
vm_timeout=${TAVRION_E2E_TIMEOUT:-240}
scenario_root=${TAVRION_E2E_SCENARIOS:-$here/scenarios}
busybox=$(command -v busybox || true)
qemu=qemu-system-x86_64

die() {
    echo "e2e: $*" >&2
    exit 1
}

# --- the kernel --------------------------------------------------------------------------------

# The kernel package that linux-image-amd64's candidate depends on, e.g. linux-image-6.1.0-57-amd64.
kernel_package() {
    apt-cache depends linux-image-amd64 2>/dev/null |
        awk '$1 == "Depends:" && $2 ~ /^linux-image-[0-9]/ { print $2; exit }'
}

# The machine's own package lists, when they have never been read (the machine's architecture
# only: a foreign index out of step on the mirror must not stop the run).
refresh_lists() {
    apt-get update -q -o "APT::Architectures=$(dpkg --print-architecture)" -o Acquire::Retries=3 \
        >/dev/null 2>&1 || true
}

download_package() {
    apt-get download -q -o APT::Sandbox::User=root "$1"
}

# Unpacks a module that may be compressed, since busybox insmod takes plain ones only.
take_module() {
    local tree=$1 name=$2 dest=$3 found
    found=$(find "$tree/lib/modules" -name "$name.ko" -o -name "$name.ko.xz" -o -name "$name.ko.zst" \
        -o -name "$name.ko.gz" | head -n1)
    [ -n "$found" ] || return 1
    case $found in
        *.xz) xz -dc "$found" >"$dest" ;;
        *.zst) zstd -qdc "$found" >"$dest" ;;
        *.gz) gzip -dc "$found" >"$dest" ;;
        *) cp "$found" "$dest" ;;
    esac
}

# Prints the cache folder holding vmlinuz, evdev.ko and uinput.ko, fetching them if needed.
fetch_kernel() {
    local package dir tmp
    package=$(kernel_package || true)
    if [ -z "$package" ]; then
        refresh_lists
        package=$(kernel_package || true)
    fi
    if [ -z "$package" ]; then
        # Offline: any kernel fetched before will do.
        dir=$(ls -d "$cache"/linux-image-* 2>/dev/null | sort -V | tail -n1 || true)
        [ -n "$dir" ] || die "no kernel package known to apt and none cached in $cache"
        echo "$dir"
        return
    fi
    dir=$cache/$package
    if [ -s "$dir/vmlinuz" ] && [ -s "$dir/evdev.ko" ] && [ -s "$dir/uinput.ko" ]; then
        echo "$dir"
        return
    fi
    echo "e2e: fetching $package" >&2
    tmp=$(mktemp -d "${TMPDIR:-/tmp}/tavrion-kernel.XXXXXX")
    (cd "$tmp" && download_package "$package" >/dev/null) || die "apt-get download $package failed"
    mkdir -p "$tmp/tree"
    # Only the three files: unpacking every module would take far longer.
    dpkg-deb --fsys-tarfile "$tmp"/*.deb | tar -x -C "$tmp/tree" --wildcards \
        './boot/vmlinuz-*' '*/drivers/input/evdev.ko*' '*/drivers/input/misc/uinput.ko*'
    mkdir -p "$tmp/take"
    cp "$(ls "$tmp"/tree/boot/vmlinuz-* | head -n1)" "$tmp/take/vmlinuz"
    take_module "$tmp/tree" evdev "$tmp/take/evdev.ko" || die "evdev.ko not in $package"
    take_module "$tmp/tree" uinput "$tmp/take/uinput.ko" || die "uinput.ko not in $package"
    # Complete files only: another run may be filling the cache at the same time.
    mkdir -p "$cache"
    rm -rf "$dir"
    mv -T "$tmp/take" "$dir" 2>/dev/null || [ -s "$dir/uinput.ko" ] || die "cannot fill $dir"
    rm -rf "$tmp"
    echo "$dir"
}

# --- the initramfs -----------------------------------------------------------------------------

# Copies a program and every shared library it needs, at the same paths, into the image root.
copy_program() {
    local program=$1 root=$2 target=$3 lib
    install -D -m 0755 "$program" "$root$target"
    for lib in $(ldd "$program" 2>/dev/null | awk '/=> \// { print $3 } /^\t\// { print $1 }'); do
        [ -e "$root$lib" ] || install -D -m 0755 "$(readlink -f "$lib")" "$root$lib"
    done
}

build_initramfs() {
    local root=$1 kernel=$2 image=$3
    shift 3
    local name
    mkdir -p "$root"/{bin,dev,proc,sys,tmp,modules,e2e/scenarios,usr/local/bin}
    copy_program "$busybox" "$root" /bin/busybox
    cp "$here/vm/init" "$root/init"
    cp "$here/vm/run-scenario" "$root/e2e/run-scenario"
    cp "$kernel/evdev.ko" "$kernel/uinput.ko" "$root/modules/"
    copy_program "$build/key_daemon/tavrion" "$root" /usr/local/bin/tavrion
    copy_program "$build/tools/evdump/evdump" "$root" /usr/local/bin/evdump
    # The board recorder, for scenarios that record (the demo's build may not have it).
    if [ -x "$build/tools/keypad_tool/keypad-record" ]; then
        copy_program "$build/tools/keypad_tool/keypad-record" "$root" /usr/local/bin/keypad-record
    fi
    install -m 0755 "$repo/tools/board.sh" "$root/usr/local/bin/board"
    for name in "$@"; do
        cp -r "$scenario_root/$name" "$root/e2e/scenarios/$name"
    done
    (cd "$root" && find . | cpio -o -H newc --quiet | gzip -1 >"$image")
}

# --- comparing ---------------------------------------------------------------------------------

# Splits the raw results into work/out/<scenario>/{status,events,log,steps}.
split_results() {
    local raw=$1 out=$2
    tr -d '\r' <"$raw" | awk -v out="$out" '
        /^@@@ BEGIN / { name = $3; dir = out "/" name; system("mkdir -p \"" dir "\""); file = ""; next }
        /^@@@ END /   { name = ""; file = ""; next }
        /^@@@ /       { next }
        name != "" && /^@@ / { file = dir "/" $2; printf "" > file; next }
        name != "" && file != "" { print >> file }
    '
}

# Each line of the expectation must be found, in order, inside a line of the log.
missing_log_lines() {
    local expected=$1 actual=$2
    awk 'NR == FNR { if (length($0)) want[n++] = $0; next }
         i < n && index($0, want[i]) { i++ }
         END { for (; i < n; i++) print want[i] }' "$expected" "$actual"
}

# keypad-tool of the same build, run on this machine (arch-*.sh runs it under an emulator).
replay_tool() {
    "$build/tools/keypad_tool/keypad-tool" "$@"
}

# Key events as "code value" lines: from the dumper's output, and from keypad-tool replay's.
delivered_keys() { sed -n 's/^event 1 \([0-9]*\) \([01]\) .*/\1 \2/p' "$1"; }
replayed_keys() {
    sed -n 's/^ *[0-9]* ms  .*(\([0-9]*\)) \(down\|up\)$/\1 \2/p
            s/^ *[0-9]* ms  code \([0-9]*\) \(down\|up\)$/\1 \2/p' "$1" |
        sed 's/ down$/ 1/; s/ up$/ 0/'
}

# With replay-check, the recording that the steps printed between @trace and @end is replayed on
# the scenario's layout: the replay must predict exactly the key events the kernel delivered.
check_replay() {
    local want=$1 got=$2
    sed -n '/^@trace$/,/^@end$/{/^@/d;p}' "$got/steps" >"$got/trace"
    if [ ! -s "$got/trace" ]; then
        echo "  the steps printed no recording"
        return 1
    fi
    if ! replay_tool replay "$want/key_pad.xml" "$got/trace" >"$got/replay" 2>&1; then
        echo "  keypad-tool replay of the recording failed:"
        sed 's/^/    | /' "$got/replay"
        return 1
    fi
    delivered_keys "$got/events" >"$got/delivered"
    replayed_keys "$got/replay" >"$got/predicted"
    if [ ! -s "$got/delivered" ] || ! diff -q "$got/delivered" "$got/predicted" >/dev/null; then
        echo "  the replay of the recording differs from the delivered key events:"
        diff -u --label delivered --label replayed "$got/delivered" "$got/predicted" |
            sed 's/^/    /'
        return 1
    fi
}

# Compares one scenario; prints what differs and returns non-zero on any difference.
check_scenario() {
    local name=$1 got=$2 want=$scenario_root/$1 ok=0 expected_status actual_status missing line
    if [ ! -d "$got" ]; then
        echo "  no result: the VM never finished this scenario"
        return 1
    fi
    touch "$got/events" "$got/log" "$got/steps"
    expected_status=running
    [ -f "$want/status" ] && expected_status=$(tr -d '[:space:]' <"$want/status")
    actual_status=$(tr -d '[:space:]' <"$got/status" 2>/dev/null || true)
    if [ "$expected_status" != "$actual_status" ]; then
        echo "  daemon status: expected $expected_status, got ${actual_status:-nothing}"
        ok=1
    fi
    local events=$got/events
    if [ -f "$want/expected" ] && ! diff -q "$want/expected" "$events" >/dev/null; then
        echo "  events differ (- expected, + dumped):"
        diff -u --label expected --label dumped "$want/expected" "$events" | sed 's/^/    /'
        ok=1
    fi
    if [ -f "$want/log" ]; then
        missing=$(missing_log_lines "$want/log" "$got/log")
        if [ -n "$missing" ]; then
            echo "  daemon log lacks, in this order:"
            printf '%s\n' "$missing" | sed 's/^/    /'
            ok=1
        fi
    fi
    if [ -f "$want/log-absent" ]; then
        while IFS= read -r line; do
            [ -n "$line" ] || continue
            if grep -qF -- "$line" "$got/log"; then
                echo "  daemon log has what it must not: $line"
                ok=1
            fi
        done <"$want/log-absent"
    fi
    if [ -f "$want/replay-check" ] && ! check_replay "$want" "$got"; then
        ok=1
    fi
    if [ $ok -ne 0 ]; then
        echo "  daemon log (last 30 lines):"
        tail -n 30 "$got/log" | sed 's/^/    | /'
        if [ -s "$got/steps" ]; then
            echo "  steps and dumper said:"
            sed 's/^/    | /' "$got/steps"
        fi
    fi
    return $ok
}

boot_vm() {
    local kernel=$1 image=$2 console=$3 results=$4
    timeout "$vm_timeout" qemu-system-x86_64 -accel tcg -nographic -m 512 -no-reboot -nic none \
        -monitor none -kernel "$kernel/vmlinuz" -initrd "$image" \
        -append "console=ttyS0 quiet loglevel=3 panic=-1" \
        -serial "file:$console" -serial "file:$results" </dev/null >/dev/null 2>&1
}

# Another architecture replaces the kernel, the machine and how programs are copied.
if [ "${TAVRION_E2E_ARCH:-amd64}" != amd64 ]; then
    [ -f "$here/arch-$TAVRION_E2E_ARCH.sh" ] || die "no tests/e2e/arch-$TAVRION_E2E_ARCH.sh"
    . "$here/arch-$TAVRION_E2E_ARCH.sh"
fi

# --- main --------------------------------------------------------------------------------------

[ -x "$build/key_daemon/tavrion" ] || die "no daemon at $build/key_daemon/tavrion (build it first)"
[ -x "$build/tools/evdump/evdump" ] || die "no evdump at $build/tools/evdump/evdump (is libevdev-dev installed?)"
[ -f "$repo/tools/board.sh" ] || die "no tools/board.sh"
command -v "$qemu" >/dev/null || die "$qemu not installed"
[ -n "$busybox" ] || die "busybox not installed"

if [ $# -gt 0 ]; then
    scenarios=("$@")
else
    scenarios=()
    for dir in "$scenario_root"/*/; do scenarios+=("$(basename "$dir")"); done
fi
[ ${#scenarios[@]} -gt 0 ] || die "no scenarios"
for name in "${scenarios[@]}"; do
    [ -d "$scenario_root/$name" ] || die "no scenario named $name"
done

started=$(date +%s.%N)
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrion-e2e.XXXXXX")
[ "${TAVRION_E2E_KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT

kernel=$(fetch_kernel)
build_initramfs "$work/root" "$kernel" "$work/initramfs.gz" "${scenarios[@]}"

vm_started=$(date +%s.%N)
set +e
boot_vm "$kernel" "$work/initramfs.gz" "$work/console.log" "$work/results.raw"
vm_status=$?
set -e
vm_ended=$(date +%s.%N)

split_results "$work/results.raw" "$work/out"
if [ -n "${TAVRION_E2E_RESULTS:-}" ] && [ -d "$work/out" ]; then
    mkdir -p "$TAVRION_E2E_RESULTS"
    cp -r "$work/out/." "$TAVRION_E2E_RESULTS/"
fi
boot=$(awk '/^@@@ READY/ { print $3 }' "$work/results.raw" | tr -d '\r')
passed=0
failed=0
for name in "${scenarios[@]}"; do
    if report=$(check_scenario "$name" "$work/out/$name"); then
        echo "PASS $name"
        passed=$((passed + 1))
    else
        echo "FAIL $name"
        printf '%s\n' "$report"
        failed=$((failed + 1))
    fi
    # A line of the steps' output that starts with the scenario's name is a figure to show.
    grep "^$name: " "$work/out/$name/steps" 2>/dev/null | tr -d '\r' | sed 's/^/  /' || true
done

if ! grep -q '^@@@ DONE' "$work/results.raw"; then
    echo "e2e: the VM did not finish (qemu status $vm_status); console tail:"
    tail -n 20 "$work/console.log" | sed 's/^/    | /'
    [ $failed -gt 0 ] || failed=1
fi
awk -v s="$started" -v v="$vm_started" -v e="$vm_ended" -v b="${boot:-?}" 'BEGIN {
    printf "e2e: boot to ready %s s (guest clock), VM run %.1f s, whole run %.1f s\n", b, e - v, e - s }'
[ "${TAVRION_E2E_KEEP:-0}" = 1 ] && echo "e2e: work folder kept at $work"
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
