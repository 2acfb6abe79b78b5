#!/bin/sh
# keypad-tool's exit status in every case, and what it says on standard error when it cannot go
# on: 0 fine, 1 a layout with errors (or warnings under --strict), 2 unreadable or malformed input.
#   exit_status_test.sh SOURCE_DIR TOOL...
set -u
cd "$1" || exit 1
shift
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
fail=0
# expect STATUS TEXT ARGS...: the status, and a text that standard error must contain (none: it
# must be empty).
expect() {
    status=$1 text=$2
    shift 2
    "$@" >"$work/out" 2>"$work/err"
    got=$?
    if [ -n "$text" ]; then grep -qF -- "$text" "$work/err"; else [ ! -s "$work/err" ]; fi
    said=$?
    if [ "$got" != "$status" ] || [ "$said" != 0 ]; then
        echo "FAIL: $* gave $got (want $status) and said: $(cat "$work/err")"
        fail=1
    fi
}
tool="$*"
sed 's/KeyCode="0x73"/KeyCode="73"/' examples/key_pad.xml >"$work/warnings.xml"
printf '<key_pad_xml>\n<g>\n</key_pad_xml>\n' >"$work/broken.xml"
: >"$work/empty.xml"
printf '1000 adc 1 0x30\n1300 adc 1 0xff\n1500 stall 200\n1800 keylock 1\n' >"$work/good.trace"
printf '1000 adc 1 0x30\n# released\n1300 adc one 0xff\n' >"$work/bad.trace"
printf '1000 adc 1 0x30\n900 adc 1 0xff\n' >"$work/back.trace"

expect 0 "" $tool check examples/key_pad.xml
expect 0 "" $tool check "$work/warnings.xml"
expect 1 "" $tool check --strict "$work/warnings.xml"
expect 1 "" $tool check examples/broken-radix.xml
expect 2 "cannot read $work/none.xml: No such file or directory" $tool check "$work/none.xml"
expect 2 "$work/broken.xml:2: not XML (mismatched element)" $tool check "$work/broken.xml"
expect 2 "$work/empty.xml is not XML: it holds no element" $tool check "$work/empty.xml"
expect 2 "usage:" $tool check --loud examples/key_pad.xml
expect 2 "usage:" $tool
mkdir -p "$work/board/cfg/atv/etc" && cp examples/key_pad.xml "$work/board/cfg/atv/etc/"
SIM_BOARD_DIR=$work/board expect 0 "" $tool check
SIM_BOARD_DIR=$work/nowhere expect 2 "cannot read $work/nowhere/cfg/atv/etc/key_pad.xml" $tool check
expect 0 "" $tool replay examples/key_pad.xml "$work/good.trace"
grep -q "KEY_VOLUMEUP (115) down" "$work/out" || { echo "FAIL: no volume up in the replay"; fail=1; }
expect 2 "bad.trace:3: error: the channel must be" $tool replay examples/key_pad.xml "$work/bad.trace"
[ -s "$work/out" ] && { echo "FAIL: a bad trace still printed: $(cat "$work/out")"; fail=1; }
expect 2 "back.trace:2: error: the time goes back" $tool replay examples/key_pad.xml "$work/back.trace"
# Found while fuzzing: a time years ahead kept the replay busy for hours.
expect 2 "beyond-a-day.trace:3: error: a step starts with its time" \
    $tool replay examples/key_pad.xml tests/fuzz/corpus/trace_fuzz/beyond-a-day.trace
expect 2 "cannot read $work/none.trace" $tool replay examples/key_pad.xml "$work/none.trace"
expect 2 "usage:" $tool replay --period-ms x examples/key_pad.xml "$work/good.trace"
expect 0 "" $tool calibrate --quiet examples/key_pad.xml "$work/good.trace"
expect 2 "bad.trace:3: error: the channel must be" $tool calibrate examples/key_pad.xml "$work/bad.trace"
expect 2 "cannot read $work/none.xml" $tool calibrate "$work/none.xml" "$work/good.trace"
# ladder: its file from a pipe, a malformed line, no design that fits, a design given a layout.
expect 0 "" sh -c "cat examples/key_pad.ladder | $tool ladder examples/key_pad.xml /dev/stdin"
printf 'pull-up 10k\nchain 2k2 1.2.3\n' >"$work/bad.ladder"
expect 2 "bad.ladder:2: error: \"1.2.3\" is not a resistance" \
    $tool ladder examples/key_pad.xml "$work/bad.ladder"
expect 1 "E12 at 2% would" $tool ladder --design 8 --series E12 --tolerance 5% --adc-error 5
expect 2 "usage:" $tool ladder --design 7 examples/key_pad.xml
# Pictures: a part that ends before it begins, or a part with no picture to draw, is refused; a
# picture that cannot be written fails the command, after its text.
expect 2 "usage:" $tool replay --svg "$work/r.svg" --from 900 --to 300 examples/key_pad.xml "$work/good.trace"
expect 2 "usage:" $tool replay --from 100 examples/key_pad.xml "$work/good.trace"
expect 2 "cannot write $work/none/r.svg" $tool replay --svg "$work/none/r.svg" examples/key_pad.xml "$work/good.trace"
grep -q "KEY_VOLUMEUP (115) down" "$work/out" || { echo "FAIL: no text before the picture failed"; fail=1; }
expect 2 "the picture is not written over it" $tool replay --svg "$work/good.trace" examples/key_pad.xml "$work/good.trace"
exit $fail
