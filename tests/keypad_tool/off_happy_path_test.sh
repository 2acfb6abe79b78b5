#!/bin/sh
# keypad-tool and keypad-record as a new user meets them off the happy path, one case per fault
# that once gave a plausible wrong answer or lost work: inputs through pipes, traces that end in a
# press, layouts that calibrate edits, OUT as a link, read-only or a descriptor, signals and
# closed pipes, outputs that must not be overwritten, calibrate's margins and citations, and the
# period a recording states. The real programs run, on a simulated board in a scratch folder.
# Under an emulator (TOOL is more than one word), which keypad-tool cannot start keypad-record
# under, the recorder runs directly, and as root, whose emulator's libraries no other user reads.
#   off_happy_path_test.sh SOURCE_DIR TOOL...
set -u
cd "$1" || exit 1
shift
src=$(pwd) tool="$*" recorder=$(printf '%s' "$*" | sed 's|keypad-tool$|keypad-record|')
record="$tool record"
[ $# = 1 ] || record=$recorder
work=$(mktemp -d) && chmod 755 "$work" || exit 1
trap 'rm -rf "$work"' EXIT
export SIM_BOARD_DIR=$work/board
board=$SIM_BOARD_DIR/cfg/atv/etc/key_pad.xml k=$src/examples/key_pad.xml
p=$src/examples/panel-before-bringup.xml
mkdir -p "${board%/*}" && cp "$k" "$board"
fail=0

# expect NAME STATUS TEXT SHELL-LINE: the line, run in the scratch folder, exits with STATUS and
# says TEXT (standard output or error); a TEXT that starts with ! must not be said.
expect() {
    (cd "$work" && eval "$4") >"$work/said" 2>&1
    got=$?
    case $3 in !*) ! grep -qF -- "${3#!}" "$work/said" ;; *) grep -qF -- "$3" "$work/said" ;; esac
    [ $? = 0 ] && [ "$got" = "$2" ] || { echo "FAIL: $1: exit $got (want $2):" && cat "$work/said"; fail=1; }
}
# presses READINGS REST: each reading (decimal) held 0.3 s three times over, the panel at REST
# between, as a 10 ms recording.
presses() {
    awk -v list="$1" -v rest="$2" 'BEGIN { print "# period: 10 ms\n0 adc 1 " rest; t = 500
        n = split(list, r, " "); for (k = 0; k < 3; k++) for (i = 1; i <= n; i++) {
        print t " adc 1 " r[i]; print t + 300 " adc 1 " rest; t += 700 } print t " adc 1 " rest }'
}
cd "$work" || exit 1
presses "18 49 83 111 141 166 207" 255 >good.trace
presses "3 49" 255 >low.trace
presses "18 49" 4294967293 >rest.trace
presses "54" 255 >thin.trace
awk 'BEGIN { print "0 adc 1 255"; for (v = 40; v < 80; v++) print 500 + 20 * (v - 40) " adc 1 " v
    print "1300 adc 1 255\n2300 adc 1 255" }' >drift.trace
printf '0 adc 1 0xff\n1000 adc 1 0x30\n1020 adc 1 0x30\n' >ends-in-press.trace
printf '0 adc 1 0xff\n1000 adc 1 0x30\n1005 stall 500\n' >stalls-past-end.trace
printf '# period: 20 ms\n0 adc 1 0xff\n1000 adc 1 0x30\n1300 adc 1 0xff\n' >at-20ms.trace
sed 's|^\( *\)\(<key_pad KeyThreshold="0x33"\)|\1<!-- was <key_pad KeyThreshold="0x30"/> --> \2|' "$p" >comment.xml
sed 's|^\( *\)\(<key_pad KeyThreshold="0x33"\)|\1<![CDATA[<key_pad KeyThreshold=]]> \2|' "$p" >cdata.xml
sed 's|KeyThreshold="0x33"|KeyThreshold="0x0000000000000033"|' "$p" >digits.xml
sed 's|KeyThreshold="0x18" ||' "$p" >absent.xml
sed 's|<enable value="0"/>|<enable value="1"/><channel_id value="2"/><KeyLevelNum value="1"/><key_pad KeyThreshold="0x90" KeyCode="0x71"/>|' "$k" |
    tr -d '\n' >one-line.xml
cp "$p" link-target.xml && ln -s link-target.xml link.xml
cp "$p" private.xml && chmod 600 private.xml
cp "$p" read-only.xml && chmod 444 read-only.xml
mkdir locked && cp "$p" locked/key_pad.xml && chmod 555 locked
as_other= owner=$(id -un)
[ "$(id -u)" = 0 ] && [ $# = 1 ] && chown nobody locked/key_pad.xml private.xml && owner=nobody &&
    as_other="setpriv --reuid=nobody --regid=nogroup --clear-groups"
cp "$k" other.xml
cp good.trace kept.trace && chmod 444 kept.trace
cd "$src" || exit 1

expect "replay, trace from a pipe" 0 "KEY_VOLUMEUP (115) down" 'cat at-20ms.trace | $tool replay $k /dev/stdin'
expect "check, layout from a pipe" 0 "Findings: none" 'cat $k | $tool check /dev/stdin'
expect "calibrate, layout from a pipe" 0 "rest reading 0xff, 21 presses" 'cat $p | $tool calibrate /dev/stdin good.trace'
expect "record piped into replay" 0 "KEY_VOLUMEUP (115) down" \
    '$src/tools/board.sh press 1 0x30 && $record --for 0.1 | $tool replay $k /dev/stdin; s=$?; $src/tools/board.sh release 1; exit $s'
expect "a trace that ends in a press" 0 "1030 ms  KEY_VOLUMEUP (115) down" '$tool replay $k ends-in-press.trace'
expect "a stall past the end of the trace" 0 "1525 ms  KEY_VOLUMEUP (115) down" '$tool replay $k stalls-past-end.trace'
expect "--write: a comment on the key's line" 0 '--> <key_pad KeyThreshold="0x39"' '$tool calibrate --quiet --write out.xml comment.xml good.trace && cat out.xml'
expect "--write: CDATA on the key's line" 0 ']]> <key_pad KeyThreshold="0x39"' '$tool calibrate --quiet --write out.xml cdata.xml good.trace && cat out.xml'
expect "--write: a threshold of 16 digits" 0 'KeyThreshold="0x0000000000000039"' '$tool calibrate --quiet --write out.xml digits.xml good.trace && cat out.xml'
expect "--write through a link" 0 'KeyThreshold="0x39"' '$tool calibrate --quiet --write link.xml $p good.trace && test -L link.xml && cat link-target.xml'
expect "--write keeps mode and owner" 0 "600 $owner" '$tool calibrate --quiet --write private.xml private.xml good.trace && stat -c "%a %U" private.xml'
expect "--write refuses a read-only file" 2 "read-only" '$tool calibrate --quiet --write read-only.xml $p good.trace; s=$?; cmp read-only.xml $p && exit $s'
expect "--write in a read-only folder" 0 'KeyThreshold="0x39"' '$as_other $tool calibrate --quiet --write locked/key_pad.xml $p good.trace && cat locked/key_pad.xml'
expect "--write over the recording" 2 "is the input good.trace: the layout is not written" '$tool calibrate --write good.trace $p good.trace'
expect "--write /dev/stdout into a file" 0 "2" '$tool calibrate --write /dev/stdout $p good.trace >both; grep -c -e "^calibrate of" -e "<key_pad_xml>" both'
expect "record ended by SIGHUP" 0 "adc 1 0xff" 'mkfifo fifo; $record >fifo & exec 3<fifo; read -r line <&3; kill -HUP $!; cat <&3; wait $!'
expect "record refuses the board's layout" 2 "is the board's key layout" '$record --for 1 $board; s=$?; cmp $board $k && exit $s'
expect "record refuses a file of XML" 2 "holds XML" '$record --for 0.05 other.xml; s=$?; cmp other.xml $k && exit $s'
expect "keypad-record refuses it too" 2 "is the board's key layout" '$recorder --for 0.05 $board'
expect "record --force" 0 "# keypad-tool recording" '$record --for 0.05 --force other.xml && cat other.xml'
expect "record refuses a read-only file" 2 "read-only" '$record --for 0.05 --force kept.trace; s=$?; cmp kept.trace good.trace && exit $s'
expect "record into a closed pipe" 1 "cannot write the trace: Broken pipe" \
    '{ $record --for 5 2>err; echo $? >status; } | head -1 >/dev/null; cat err; exit $(cat status)'
expect "calibrate: key 0 by readings 0 to 5 alone" 0 "within 2 counts of 0x05" '$tool calibrate --quiet absent.xml low.trace'
expect "calibrate: a drift through no window" 1 "!runs into" '$tool calibrate --quiet $k drift.trace'
expect "calibrate: a rest reading near 2^32" 0 "!matches no key" '$tool calibrate --quiet $k rest.trace'
expect "calibrate: a layout on one line" 0 "one-line.xml:1: warning: group 0 key 1's readings" '$tool calibrate --quiet one-line.xml thin.trace'
for command in "replay --period-ms 0 $k at-20ms.trace" "watch --period-ms 0 $k" "record --period-ms 0 --for 1" \
    "replay --period-ms 60001 $k at-20ms.trace"; do
    expect "$command" 2 "usage:" 'timeout 10 $tool $command'
done
expect "replay at the trace's period" 0 "every 20 ms (from the trace's header)" '$tool replay $k at-20ms.trace'
expect "replay: its events at that period" 0 "1060 ms  KEY_VOLUMEUP (115) down" '$tool replay $k at-20ms.trace'
expect "replay: another --period-ms" 0 "recorded every 20 ms" '$tool replay --period-ms 10 $k at-20ms.trace'
exit $fail
