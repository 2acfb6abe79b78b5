#!/bin/sh
# The scanner soak's findings, replayed: each NAME.trace on NAME.xml (at the conversion period its
# "# period-ms:" line gives) must still give exactly the events in NAME.out.
#   replay_test.sh SOURCE_DIR TOOL...
set -u
cd "$1" || exit 1
shift
fail=0
for trace in tests/fuzz/regressions/*.trace; do
    name=${trace%.trace}
    period=$(sed -n 's/^# period-ms: *//p' "$trace")
    if ! "$@" replay --period-ms "$period" "$name.xml" "$trace" | diff "$name.out" - >&2; then
        echo "FAIL: $trace (want $name.out)"
        fail=1
    fi
done
exit $fail
