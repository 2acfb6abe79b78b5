#!/bin/sh
# keypad-tool keymap on small sets of key layout folders, built from the fixtures in keymap/: which
# file Android loads and what it says of each code the demo layout sends; and the key layout that
# --write-kl makes, read back as the set would load it (it must be examples/Hi_Keypad.kl).
#   keymap_test.sh SOURCE_DIR TOOL...
set -u
cd "$1" || exit 1
shift
tool="$*"
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
fail=0
here=tests/keypad_tool/keymap
printf 'key 114 VOLUME_DOWN\nkey 115 VOLUMEUP\n' >"$work/broken.kl"
$tool keymap --write-kl "$work/Hi_Keypad.kl" --map 356=TV_POWER --map 744=NOTIFICATION \
    examples/key_pad.xml >/dev/null &&
    cmp -s "$work/Hi_Keypad.kl" examples/Hi_Keypad.kl ||
    { echo "FAIL: --write-kl no longer makes examples/Hi_Keypad.kl"; fail=1; }

# case | folders in Android's order, each "name:file" or "-" (empty) | exit status | lines it says
while IFS='|' read -r case folders status expected; do
    dirs="" n=0
    for folder in $folders; do
        n=$((n + 1))
        mkdir -p "$work/$case/$n"
        dirs="$dirs --kl-dir $work/$case/$n"
        [ "$folder" = - ] || cp "${folder#*:}" "$work/$case/$n/${folder%%:*}"
    done
    $tool keymap $dirs examples/key_pad.xml >"$work/$case.out" 2>&1
    got=$?
    [ "$got" = "$status" ] || { echo "FAIL: $case: exit $got, want $status"; fail=1; }
    for line in $(echo "$expected" | tr ' ' '_' | tr ';' ' '); do
        tr -s ' ' <"$work/$case.out" | tr ' ' '_' | grep -qF -- "$line" ||
            { echo "FAIL: $case: no \"$line\" in:"; cat "$work/$case.out"; fail=1; }
    done
done <<EOF
only-generic|- - Generic.kl:$here/Generic.kl|1|Android loads $work/only-generic/3/Generic.kl;356 KEY_POWER2 error: no line for it;744 - error: no line for it;139 KEY_MENU MENU;2 codes the set cannot use
name-first|Generic.kl:$here/Generic.kl Hi_Keypad.kl:$work/Hi_Keypad.kl|0|Android loads $work/name-first/2/Hi_Keypad.kl;744 - NOTIFICATION;Every code is mapped
passed-over|Vendor_046d_Product_0002.kl:$work/broken.kl Vendor_046d_Product_0002.kl:$work/Hi_Keypad.kl Hi_Keypad.kl:$work/Hi_Keypad.kl|1|1/Vendor_046d_Product_0002.kl:2: error: unknown key label "VOLUMEUP";Android loads $work/passed-over/3/Hi_Keypad.kl;Every code is mapped
none-loads|Generic.kl:$work/broken.kl|1|error: no key layout file loads
EOF

# What the demo layout makes the daemon send, in every mode.
$tool keymap examples/key_pad.xml | sed -n '2,10p' | tr -s ' ' >"$work/codes"
printf ' %s\n' '114 KEY_VOLUMEDOWN KeyCode of ADC group 0 key 2' \
    '115 KEY_VOLUMEUP KeyCode of ADC group 0 key 1' \
    '116 KEY_POWER KeyCode of ADC group 0 key 0; long-press-to-shutdown in key lock, for ADC group 0 key 0' \
    '139 KEY_MENU KeyCode of ADC group 0 key 5' '356 KEY_POWER2 LongKeyCode of ADC group 0 key 0' \
    '377 KEY_TV KeyCode of ADC group 0 key 6' '402 KEY_CHANNELUP KeyCode of ADC group 0 key 3' \
    '403 KEY_CHANNELDOWN KeyCode of ADC group 0 key 4' '744 - key lock, for ADC group 0 keys 0-6' |
    diff - "$work/codes" || { echo "FAIL: the demo layout's codes"; fail=1; }

# Nothing written while a code has no label; refused labels and unreadable input exit 2.
$tool keymap --write-kl "$work/none.kl" examples/key_pad.xml >"$work/out"
[ $? = 1 ] && [ ! -e "$work/none.kl" ] && grep -q 'give it one with --map 744=LABEL' "$work/out" ||
    { echo "FAIL: --write-kl without labels"; fail=1; }
for args in "--map 356=POWER_TWO examples/key_pad.xml" "--kl-dir $work/broken.kl examples/key_pad.xml" \
    "$work/none.xml" "--map 356 examples/key_pad.xml"; do
    $tool keymap $args >/dev/null 2>&1
    [ $? = 2 ] || { echo "FAIL: keymap $args did not exit 2"; fail=1; }
done
# A GPIO code from 255 up is never announced: the kernel drops it.
$tool keymap examples/broken-gpio.xml | grep -q '^error: 402 KEY_CHANNELUP: the device does not announce it' ||
    { echo "FAIL: the dropped GPIO code"; fail=1; }
exit $fail
