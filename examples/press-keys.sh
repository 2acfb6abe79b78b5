#!/bin/sh
# The key presses of the README's walk-through on the simulated board ($SIM_BOARD_DIR, default
# ./sim-board), while keypad-tool record runs. The new panel's seven keys, each pressed three
# times: each reads its value for 0.15 s, then one count more (ladder noise) for 0.15 s, then the
# panel rests for 0.5 s. On the release of volume down (0x53) the contact slides through 0x70,
# channel up's window, for at least 60 ms: six samples or more at 10 ms, however long a busy
# machine takes to start tools/board.sh, so the daemon confirms a phantom channel up each time.
# Its pauses add up to 18 s; a busy machine takes longer. Runs from any folder.
board=$(cd -P "$(dirname "$0")/.." && pwd)/tools/board.sh
press() {
    "$board" press 1 "$1" && sleep 0.15
    "$board" press 1 $(($1 + 1)) && sleep 0.15
    if [ "$1" = $((0x53)) ]; then "$board" press 1 0x70 && sleep 0.06; fi
    "$board" release 1 && sleep 0.5
}
sleep 1
for round in 1 2 3; do
    for reading in 0x12 0x31 0x53 0x6f 0x8d 0xb6 0xcf; do press $((reading)); done
done
