#!/usr/bin/env bash
# The demonstration (`make demo`): the release daemon on a real Linux kernel in the test VM, on
# the simulated board with the example front panel (examples/key_pad.xml). A short session of
# key presses is played through the board files; the events that arrive on the kernel's
# "Hi Keypad" device are printed with their key names, followed by the daemon's log.
#
#   tools/demo.sh
#
# Environment: TAVRION_BUILD_DIR (default build/host-release), and the harness's own settings
# (tests/e2e/README.md). The first run fetches the kernel package once.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRION_BUILD_DIR:-build/host-release}
case $build in /*) ;; *) build=$repo/$build ;; esac

started=$(date +%s.%N)

# What the VM needs (quiet when everything is there), and the build when it is missing.
"$repo/tools/install-deps.sh" kernel
if [ ! -x "$build/key_daemon/tavrion" ] || [ ! -x "$build/tools/evdump/evdump" ]; then
    echo "Building the release daemon in $build ..."
    (cd "$repo" && cmake --preset host-release -B "$build" >/dev/null && cmake --build "$build")
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tavrion-demo.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/scenarios/demo" "$work/results"
cp "$repo/examples/key_pad.xml" "$work/scenarios/demo/key_pad.xml"

# The session, run inside the VM once the device is up. Readings sit in the middle of each key's
# window (threshold - 16 .. threshold); each line it prints is shown as the session's summary.
cat >"$work/scenarios/demo/steps" <<'STEPS'
echo "kernel $(uname -r), uinput device $(for d in /sys/class/input/event*; do
    grep -qx 'Hi Keypad' "$d/device/name" 2>/dev/null && echo "/dev/input/${d##*/}"; done)"
# key <what> <reading> <seconds held>
key() {
    printf '  %-44s reading 0x%02x, held %s s\n' "$1" "$2" "$3"
    board press 1 "$2"
    sleep "$3"
    board release 1
    sleep 0.4
}
key "volume up"                                  0x30 0.3
key "volume up"                                  0x30 0.3
key "channel up"                                 0x70 0.3
key "menu"                                       0xb0 0.3
key "source"                                     0xd0 0.3
key "volume down, held (no repeats)"             0x50 1.0
key "power, short: KEY_POWER at the release"     0x10 0.5
key "power, held 2 s: KEY_POWER2 while held"     0x10 2.6
board keylock 1
echo "  key-lock mode on (device information 34 = 1):"
key "volume up: the key-lock code 744"           0x30 0.3
key "power, short: still KEY_POWER"              0x10 0.5
board keylock 0
STEPS

# The harness runs the session as its only scenario and hands back what it saw.
set +e
TAVRION_BUILD_DIR=$build TAVRION_E2E_SCENARIOS=$work/scenarios TAVRION_E2E_RESULTS=$work/results \
    "$repo/tests/e2e/run.sh" >"$work/harness" 2>&1
harness_status=$?
set -e
out=$work/results/demo
if [ ! -s "$out/events" ]; then
    echo "demo: the VM run produced no events; the harness said:" >&2
    cat "$work/harness" >&2
    exit 1
fi

steps_first=$(head -n1 "$out/steps")
echo "tavrion on a real Linux kernel: $steps_first"
echo "Key layout examples/key_pad.xml on the simulated board, LSADC channel 1."
echo
echo "Session:"
tail -n +2 "$out/steps" | grep -v '^evdump'
echo
echo "The device, as the kernel reports it:"
grep -v '^event ' "$out/events" | sed 's/^/  /'
echo
echo "Events read from the device (each is followed by a SYN_REPORT, not shown):"
awk '$1 == "event" && $2 == 1 {
        name = ($6 == "?") ? "code " $3 : $6
        state = ($4 == 1) ? "down" : ($4 == 0) ? "up" : ($4 == 2) ? "repeat" : "value " $4
        printf "  %-18s %s\n", name, state
        next
     }
     $1 == "event" && $2 == 0 { next }
     $1 == "event" { print "  " $0 }' "$out/events"
echo
echo "Daemon log:"
sed 's/^/  /' "$out/log"
echo
awk -v s="$started" -v e="$(date +%s.%N)" 'BEGIN { printf "Demo finished in %.1f s.\n", e - s }'
if [ $harness_status -ne 0 ]; then
    echo "demo: the harness reported a problem:" >&2
    cat "$work/harness" >&2
    exit 1
fi
