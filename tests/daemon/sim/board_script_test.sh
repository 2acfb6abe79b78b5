#!/bin/sh
# Drives tools/board.sh the way the demonstration does and checks the board files it leaves.
# Usage: board_script_test.sh <board.sh> [shell command]; the shell defaults to sh.
set -eu
script=$1
shell=${2:-sh}
SIM_BOARD_DIR=$(mktemp -d)
export SIM_BOARD_DIR
trap 'rm -rf "$SIM_BOARD_DIR"' EXIT
board() { $shell "$script" "$@"; }  # the shell may be "busybox sh"
fail() { echo "FAILED: $*" >&2; exit 1; }
expect_file() {  # <relative path> <content>
    [ -f "$SIM_BOARD_DIR/$1" ] || fail "$1 missing"
    [ "$(cat "$SIM_BOARD_DIR/$1")" = "$2" ] || fail "$1 holds '$(cat "$SIM_BOARD_DIR/$1")', not '$2'"
}
expect_bytes() {  # <relative path> <od -An -tx1 output without blanks>
    got=$(od -An -tx1 "$SIM_BOARD_DIR/$1" | tr -d ' \n')
    [ "$got" = "$2" ] || fail "$1 bytes $got, not $2"
}

board press 2 0x30
expect_file lsadc/2 0x30
board release 2
[ ! -e "$SIM_BOARD_DIR/lsadc/2" ] || fail "release leaves lsadc/2"
board gpio 13 0
expect_file gpio/13 0

board prop persist.a true
board prop 'x.*' one
board prop persist.ab other
board prop persist.a false
expect_file props "x.*=one
persist.ab=other
persist.a=false"

board keylock 1
expect_bytes pdm/34 01000000
board keylock 0
expect_bytes pdm/34 00000000

board fail HI_UNF_LSADC_Init 0x80470001
expect_file fail/HI_UNF_LSADC_Init 0x80470001
board unfail HI_UNF_LSADC_Init
[ ! -e "$SIM_BOARD_DIR/fail/HI_UNF_LSADC_Init" ] || fail "unfail leaves the file"

for bad in "press x 1" "press 1 y" "gpio 3 2" "keylock 7" "fail ../x 1" "prop a=b c" "nothing"; do
    # shellcheck disable=SC2086
    if board $bad 2>/dev/null; then fail "accepted: $bad"; fi
done
[ -z "$(find "$SIM_BOARD_DIR" -name '*.tmp.*')" ] || fail "temporary files left behind"
echo "board.sh under $shell: ok"
