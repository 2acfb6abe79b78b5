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
[ "${TAVRION_DEMO_KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT
mkdir -p "$work/scenarios/demo" "$work/results"
cp "$repo/examples/key_pad.xml" "$work/scenarios/demo/key_pad.xml"

# The session, run inside the VM once the device is up. Readings sit in the middle of each key's
# window (threshold - 16 .. threshold). Every press gets its own dumper on the device, listening
# from before the press until half a second after the release, so each line shows what that
# press alone produced.
cat >"$work/scenarios/demo/steps" <<'STEPS'
device=none
for d in /sys/class/input/event*; do
    grep -qx 'Hi Keypad' "$d/device/name" 2>/dev/null && device=/dev/input/${d##*/}
done
echo "kernel $(uname -r), \"Hi Keypad\" at $device"
# key <what> <reading> <seconds held>
key() {
    # A fresh file: the last press's description must not pass for this listener's.
    rm -f /tmp/press
    evdump --wait 5000 >/tmp/press 2>/dev/null &
    listener=$!
    tries=0
    while ! grep -q '^keys:' /tmp/press 2>/dev/null && [ $tries -lt 100 ]; do
        usleep 20000
        tries=$((tries + 1))
    done
    board press 1 "$2"
    sleep "$3"
    board release 1
    sleep 0.5
    kill $listener
    wait $listener
    events=$(awk '$1 == "event" && $2 == 1 {
                      name = ($6 == "?") ? "code " $3 : $6
                      state = ($4 == 1) ? "down" : ($4 == 0) ? "up" : ($4 == 2) ? "repeat" : $4
                      printf "%s%s %s", sep, name, state; sep = ", "
                  }' /tmp/press)
    printf '  %-30s %-13s %-9s %s\n' "$1" "$2" "$3 s" "${events:-(nothing)}"
    heard=$((heard + $(grep -c '^event 1 ' /tmp/press)))
}
heard=0
printf '  %-30s %-13s %-9s %s\n' "key" "LSADC reading" "held" "events read from the device"
key "volume up"                         0x30 0.3
key "volume up"                         0x30 0.3
key "channel up"                        0x70 0.3
key "menu"                              0xb0 0.3
key "source"                            0xd0 0.3
key "volume down, held"                 0x50 1.0
key "no key (between two windows)"       0x40 0.3
key "power, short"                      0x10 0.5
key "power, long (2 s)"                 0x10 2.6
board keylock 1
echo "  -- key-lock mode on (device information 34 holds 1) --"
key "volume up"                         0x30 0.3
key "power, short"                      0x10 0.5
board keylock 0
echo "heard $heard"
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

echo "tavrion on a real Linux kernel: $(head -n1 "$out/steps")"
echo "Key layout: examples/key_pad.xml on the simulated board (LSADC channel 1, idle reading 0xff)."
echo
echo "The device, as the kernel describes it:"
grep -v '^event ' "$out/events" | sed 's/^/  /'
echo
echo "Session (each press with the events its own listener read back):"
tail -n +2 "$out/steps" | grep -v -e '^evdump' -e '^heard '
echo
# The harness's dumper listened to the whole session: a cross-check of the lines above.
total=$(grep -c '^event 1 ' "$out/events" || true)
shown=$(awk '$1 == "heard" { print $2 }' "$out/steps")
echo "Over the whole session the harness's dumper read $total key events (each followed by a"
echo "SYN_REPORT); the presses above account for $shown."
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
