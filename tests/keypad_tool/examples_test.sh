#!/bin/sh
# Every shipped example layout against the record beside it (examples/NAME.txt): keypad-tool
# check's whole output and its exit status. The demo layout must also pass --strict with nothing
# to say. Set KEYPAD_EXAMPLES_UPDATE=1 to rewrite the records after a deliberate change.
#   examples_test.sh SOURCE_DIR TOOL...
set -u
cd "$1" || exit 1
shift
fail=0
for xml in examples/*.xml; do
    record=${xml%.xml}.txt
    actual=$(printf '$ keypad-tool check %s\n' "$xml"; "$@" check "$xml"; echo "exit status $?")
    if [ "${KEYPAD_EXAMPLES_UPDATE:-}" = 1 ]; then
        printf '%s\n' "$actual" >"$record"
    elif [ "$actual" != "$(cat "$record" 2>/dev/null)" ]; then
        echo "$xml: check says something else than $record:"
        printf '%s\n' "$actual" | diff "$record" -
        fail=1
    fi
done
quiet=$("$@" check --quiet --strict examples/key_pad.xml) && [ -z "$quiet" ] ||
    { echo "examples/key_pad.xml is not clean: $quiet"; fail=1; }
exit $fail
