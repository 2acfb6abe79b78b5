#!/bin/sh
# The README's pictures against what the commands draw now: the walk-through's recording
# (docs/session.trace) calibrated and then replayed on the layout calibrate wrote, and the demo
# panel's ladder checked against its layout. Each picture must parse as XML and render with
# librsvg's rsvg-convert. Set KEYPAD_EXAMPLES_UPDATE=1 to redraw docs/*.svg after a deliberate
# change.
#   pictures_test.sh SOURCE_DIR TOOL...
set -u
src=$(cd "$1" && pwd) || exit 1
shift
# The tool (and its emulator) named from anywhere, since the commands run in a scratch folder.
for arg; do
    case $arg in /*) ;; *) [ -e "$arg" ] && arg=$PWD/$arg ;; esac
    set -- "$@" "$arg"
    shift
done
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
# The commands as the walk-through gives them, run where it runs them.
mkdir -p "$work/examples" "$work/docs"
cp "$src/docs/session.trace" "$work/"
cp "$src/examples/panel-before-bringup.xml" "$src/examples/key_pad.xml" \
   "$src/examples/key_pad.ladder" "$work/examples/"
cd "$work" || exit 1
"$@" calibrate --quiet --write key_pad.xml --svg docs/calibrate.svg \
    examples/panel-before-bringup.xml session.trace >/dev/null
"$@" replay --svg docs/replay.svg --to 8000 key_pad.xml session.trace >/dev/null || exit 1
"$@" ladder --svg docs/ladder.svg examples/key_pad.xml examples/key_pad.ladder >/dev/null || exit 1
fail=0
for svg in docs/calibrate.svg docs/replay.svg docs/ladder.svg; do
    xmllint --noout "$svg" && rsvg-convert -o "$work/picture.png" "$svg" ||
        { echo "$svg does not render"; fail=1; }
    if [ "${KEYPAD_EXAMPLES_UPDATE:-}" = 1 ]; then
        cp "$svg" "$src/$svg"
    elif ! cmp -s "$svg" "$src/$svg"; then
        echo "$svg: the command draws something else now (KEYPAD_EXAMPLES_UPDATE=1 redraws it)"
        fail=1
    fi
done
exit $fail
