#!/bin/sh
# Runs tools/board.sh (argument 1) under a shell (argument 2, default sh) and checks its files.
set -euf  # no globbing: commands are split on blanks only
SIM_BOARD_DIR=$(mktemp -d)
export SIM_BOARD_DIR
trap 'rm -rf "$SIM_BOARD_DIR"' EXIT
board() { ${2:-sh} "$1" $3; }
check() { [ "$(od -An -c "$SIM_BOARD_DIR/$1" | tr -d ' \n')" = "$2" ] || { echo "bad $1" >&2; exit 1; }; }
for command in "press 2 0x30" "gpio 13 0" "prop x.* 1" "prop p.a 2" "prop x.* 3" "keylock 1" \
               "fail memset_s -5"; do board "$1" "${2:-sh}" "$command"; done
check lsadc/2 '0x30\n'; check gpio/13 '0\n'; check props 'p.a=2\nx.*=3\n'
check pdm/34 '001\0\0\0'; check fail/memset_s '-5\n'
board "$1" "${2:-sh}" "release 2"; board "$1" "${2:-sh}" "unfail memset_s"
[ ! -e "$SIM_BOARD_DIR/lsadc/2" ] && [ ! -e "$SIM_BOARD_DIR/fail/memset_s" ]
for bad in "press x 1" "gpio 3 2" "keylock 7" "fail ../x 1" "prop a=b c"; do
    if board "$1" "${2:-sh}" "$bad" 2>/dev/null; then echo "accepted: $bad" >&2; exit 1; fi
done
