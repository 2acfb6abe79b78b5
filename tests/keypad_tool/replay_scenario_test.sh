#!/bin/sh
# A real-kernel scenario replayed: its steps (board presses and releases, key-lock values,
# properties and pauses) become a trace,
# and keypad-tool replay must send the key events that the kernel device delivered in the VM
# (the scenario's expected), in the same order. Where a transcript SCENARIO.replay lies beside
# this script, the events' times must match it too.
#   replay_scenario_test.sh SOURCE_DIR SCENARIO TOOL...
set -u
scenario=$1/tests/e2e/scenarios/$2
transcript=$(dirname "$0")/$2.replay
shift 2
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

# Steps start a second after the daemon; the trace ends with the last reading repeated.
awk '/^#/ || NF == 0 { next }
     $1 == "board" && $2 == "press"   { ch = $3; v = $4; printf "%d adc %s %s\n", t, ch, v; next }
     $1 == "board" && $2 == "release" { ch = $3; v = "0xff"; printf "%d adc %s %s\n", t, ch, v; next }
     $1 == "board" && $2 == "keylock" { printf "%d keylock %s\n", t, $3; next }
     $1 == "board" && $2 == "prop"    { printf "%d prop %s=%s\n", t, $3, $4; next }
     $1 == "sleep"                    { t += int($2 * 1000 + 0.5); next }
     { print "steps: cannot convert: " $0 > "/dev/stderr"; failed = 1; exit 1 }
     END { if (!failed) printf "%d adc %s %s\n", t, ch, v }' t=1000 "$scenario/steps" \
    >"$work/trace" || exit 1
"$@" replay "$scenario/key_pad.xml" "$work/trace" >"$work/out" || exit 1

sed -n 's/^event 1 \([0-9]*\) \([01]\) .*/\1 \2/p' "$scenario/expected" >"$work/kernel"
sed -n 's/^ *[0-9]* ms  .*(\([0-9]*\)) \(down\|up\)$/\1 \2/p; s/^ *[0-9]* ms  code \([0-9]*\) \(down\|up\)$/\1 \2/p' \
    "$work/out" | sed 's/ down$/ 1/; s/ up$/ 0/' >"$work/replayed"
[ -s "$work/kernel" ] || { echo "no key event in $scenario/expected"; exit 1; }
diff "$work/kernel" "$work/replayed" || { echo "replay differs from the kernel's events"; exit 1; }
if [ -f "$transcript" ]; then
    grep ' ms  ' "$work/out" | diff "$transcript" - || { echo "times differ from $transcript"; exit 1; }
fi
