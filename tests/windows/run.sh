#!/usr/bin/env bash
# Runs the cross-built Sumvault.exe under Wine: every outcome headless (no display, so the
# message box returns at once), then one run on a virtual X display whose message box is
# photographed and clicked away. Usage: run.sh [--save-screenshot] (also copies the picture
# into docs/). Needs the windows-i686 build.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$root/build/windows-i686
exe=$build/package_checker/Sumvault.exe
runs=$build/wine-runs
shot=$build/sumvault-message-box.png
save_screenshot=0
[ "${1:-}" = "--save-screenshot" ] && save_screenshot=1

export WINEPREFIX=$build/wineprefix WINEARCH=win32 WINEDEBUG=-all
# No Mono or Gecko installers while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# Wine names its windows in the C library's locale, and the message box's caption is found by
# its Chinese name: both need UTF-8, whatever locale the caller has (often none, under CI).
export LC_ALL=C.UTF-8

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS $1"; }
fail() { failed=$((failed + 1)); echo "FAIL $1"; }
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
    exit $?
}

[ -f "$exe" ] || { echo "no $exe: build the windows-i686 preset first"; fail build; finish; }

# shellcheck source=tests/windows/wine_root.sh
. "$here/wine_root.sh"
wine_enter "${TAVRION_ROOTS_CACHE:-${HOME:-/root}/.cache/tavrion-roots}" "$@" ||
    { fail "Wine's private root"; finish; }

# The prefix is the slow part: made once and kept in the build tree. The marker names the
# set-up below; a different one makes the prefix anew.
prefix_setup=sumvault-prefix-2
make_prefix() {
    rm -rf "$WINEPREFIX"
    echo "Creating the Wine prefix (once per build tree)"
    wineboot -i >"$build/wineboot.log" 2>&1 || return 1
    wineserver -w
    # Message boxes use Tahoma; the Chinese glyphs come from WenQuanYi Micro Hei through a
    # font link. Without a window manager Wine draws the title bar itself ("Decorated").
    local link entries=()
    link=$(printf '%s\0\0' "wqy-microhei.ttc,WenQuanYi Micro Hei" | od -An -v -tx1 |
           tr -s ' \n' ' ' | sed -e 's/^ //' -e 's/ $//' -e 's/ /,/g')
    for face in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
        entries+=("\"$face\"=hex(7):$link")
    done
    {
        printf 'REGEDIT4\n\n'
        printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\n'
        printf '%s\n' "${entries[@]}"
        printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Decorated"="N"\n'
    } >"$build/sumvault-prefix.reg"
    wine reg import "$(winepath -w "$build/sumvault-prefix.reg")" >>"$build/wineboot.log" 2>&1 ||
        return 1
    wineserver -w
    local font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
    [ -f "$wine_root$font" ] && ln -sf "$font" "$WINEPREFIX/drive_c/windows/Fonts/wqy-microhei.ttc"
    # The title bar's close glyph comes from Marlett.
    ln -sf /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
    echo "$prefix_setup" >"$WINEPREFIX/.sumvault-setup"
}
if [ "$(cat "$WINEPREFIX/.sumvault-setup" 2>/dev/null)" != "$prefix_setup" ]; then
    make_prefix || { fail "Wine prefix (see $build/wineboot.log)"; finish; }
fi

# One server for all the runs instead of one started and stopped per run.
wineserver -p
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wineserver -k 2>/dev/null
}
trap cleanup EXIT

abc=900150983cd24fb0d6963f7d28e17f72
msg=f96b697d7cb7938d525a2f31aaf161d0
banner='Hello World!\n\tversion: Quorel 0.01\n'
hashed() { # path expected computed size
    printf 'open %s count: %s  \\b\\\\\\bsuccess\\n[%s] [%s] < %s\\n' "$1" "$4" "$2" "$3" "$1"
}

# scenario NAME CODE EXPECTED-STDOUT (printf format, "\n" line ends) PROGRAM-NAME LIST...
# The package: usb_update/abc.bin ("abc"), usb_update/msg.bin ("message digest") and an
# empty usb_update/empty.bin; LIST lines become md5.txt ("-": no md5.txt).
scenario() {
    local name=$1 code=$2 expected=$3 program=$4
    shift 4
    local dir=$runs/$name
    rm -rf "$dir"
    mkdir -p "$dir/usb_update"
    printf 'abc' >"$dir/usb_update/abc.bin"
    printf 'message digest' >"$dir/usb_update/msg.bin"
    : >"$dir/usb_update/empty.bin"
    if [ $# -eq 0 ]; then
        : >"$dir/md5.txt"
    elif [ "$1" != "-" ]; then
        printf '%s\r\n' "$@" >"$dir/md5.txt"
    fi
    cp "$exe" "$dir/$program"
    # The console runtime turns every "\n" into "\r\n".
    printf -- "$expected" | sed 's/$/\r/' >"$dir/expected"
    [ -n "${before_run:-}" ] && "$before_run" "$dir"
    (cd "$dir" && wine "$program" >stdout 2>stderr)
    local got=$?
    if [ "$got" -ne "$code" ]; then
        fail "$name: exit code $got, expected $code"
    elif ! cmp -s "$dir/stdout" "$dir/expected"; then
        fail "$name: output differs"
        diff <(od -c "$dir/expected") <(od -c "$dir/stdout") | head -20
    else
        pass "$name"
    fi
}

scenario intact 0 "$banner$(hashed usb_update/abc.bin $abc $abc 3)$(hashed usb_update/msg.bin $msg $msg 14)errorcode: 0\n" \
    Sumvault.exe "$abc  usb_update/abc.bin" "$msg *usb_update/msg.bin"
scenario empty-list 1 "${banner}errorcode: 1\n" Sumvault.exe
scenario byte-order-mark 0 "$banner$(hashed usb_update/abc.bin $abc $abc 3)errorcode: 0\n" Sumvault.exe $'\xef\xbb\xbf'"$abc  usb_update/abc.bin"
scenario line-past-32-KiB 1 "${banner}errorcode: 1\n" Sumvault.exe "$abc  usb_update/$(printf %32760s '')" "$abc  usb_update/abc.bin"
scenario no-list 3 "${banner}errorcode: 3\n" Sumvault.exe -
scenario digest-differs 1 "$banner$(hashed usb_update/abc.bin $abc $abc 3)$(hashed usb_update/msg.bin $abc $msg 14)errorcode: 1\n" \
    Sumvault.exe "$abc  usb_update/abc.bin" "$abc  usb_update/msg.bin" "$msg  usb_update/msg.bin"
mixed=F96b697D7cb7938D525a2F31aaf161D0
scenario upper-and-mixed-case 0 "$banner$(hashed usb_update/abc.bin ${abc^^} $abc 3)$(hashed usb_update/msg.bin $mixed $msg 14)errorcode: 0\n" \
    Sumvault.exe "${abc^^}  usb_update/abc.bin" "$mixed  usb_update/msg.bin"
scenario path-outside-usb 1 "${banner}errorcode: 1\n" \
    Sumvault.exe "$abc  usb_update/abc.bin" "$msg  usb_update/msg.bin" "$abc  update/abc.bin"
scenario short-line 1 "${banner}errorcode: 1\n" Sumvault.exe "$abc  usb_update/abc.bin" "$abc"
scenario empty-file 2 "$banner$(hashed usb_update/abc.bin $abc $abc 3)open usb_update/empty.bin count: 0  \nerrorcode: 2\n" \
    Sumvault.exe "$abc  usb_update/abc.bin" "$abc  usb_update/empty.bin"
scenario missing-file 2 "${banner}open usb_update/none.bin \nerrorcode: 2\n" \
    Sumvault.exe "$abc  usb_update/none.bin"
# A file that another program still writes (an unpack going on) is not hashed: cmd holds its
# redirection open while "set /p" waits for a line on fd 4.
hold_abc() {
    rm "$1/usb_update/abc.bin" && mkfifo "$1/line" && exec 4<>"$1/line"
    (cd "$1" && wine cmd /c 'set /p x=abc>usb_update\abc.bin' <line &>/dev/null 4>&-) &
    for _ in $(seq 600); do [ -s "$1/usb_update/abc.bin" ] && break; sleep 0.1; done
}
before_run=hold_abc scenario file-being-written 2 "${banner}open usb_update/abc.bin \nerrorcode: 2\n" \
    Sumvault.exe "$abc  usb_update/abc.bin"
echo >&4; exec 4>&-
scenario renamed-copy 255 "$banner" Checker.exe "$abc  usb_update/abc.bin"
scenario lower-case-name 255 "$banner" sumvault.exe "$abc  usb_update/abc.bin"

# A path that leads out of the package names a file that would pass: the list is refused.
outside() { printf abc >"$runs/outside.bin"; }
for sep in / '\'; do
    before_run=outside scenario "leaves-package-$([ $sep = / ] && echo slash || echo backslash)" 1 \
        "${banner}errorcode: 1\n" Sumvault.exe "$abc  usb_update/abc.bin" "$abc  usb_$sep..$sep..${sep}outside.bin"
done
# A folder reached through a link (Wine shows a Linux link to a folder as a reparse point) is
# refused, as the first of the package or further in. Wine 8 makes no junctions (mklink /j fails)
# and shows a link to a file as a plain file: those are proven by the host build.
links() { mkdir "$1/elsewhere" && printf abc >"$1/elsewhere/abc.bin" && ln -s elsewhere "$1/usb_linked" && ln -s ../elsewhere "$1/usb_update/folder"; }
for path in usb_linked/abc.bin usb_update/folder/abc.bin; do
    before_run=links scenario "link-${path%%/*}" 2 "$banner$(hashed usb_update/abc.bin $abc $abc 3)open $path \nerrorcode: 2\n" \
        Sumvault.exe "$abc  usb_update/abc.bin" "$abc  $path"
done
# A copy cut short keeps its length, its tail zeros: the last complete line runs into them.
zero_tail() { printf '%s  usb_update/abc.bin' $abc >"$1/md5.txt" && head -c 4096 /dev/zero >>"$1/md5.txt"; }
before_run=zero_tail scenario nul-tail 1 "${banner}errorcode: 1\n" Sumvault.exe "$abc  usb_update/abc.bin"

# passing_run NAME ENCODING FILE=SIZE...: a package of these files under usb_update/ (random bytes
# up to 1 MiB; past that sparse, with a marker at the end to prove the last bytes are read),
# listed by md5sum's digests with the names in ENCODING. Every line must read as md5sum says.
passing_run() {
    local name=$1 encoding=$2 dir=$runs/$1 entry file size listed digest
    shift 2
    rm -rf "$dir"
    mkdir -p "$dir/usb_update"
    printf 'Hello World!\r\n\tversion: Quorel 0.01\r\n' >"$dir/expected"
    : >"$dir/md5.txt"
    for entry; do
        file=usb_update/${entry%=*} size=${entry##*=}
        mkdir -p "$(dirname "$dir/$file")"
        if [ "$size" -le 1048576 ]; then
            head -c "$size" /dev/urandom >"$dir/$file"
        else
            truncate -s $((size - 3)) "$dir/$file" && printf END >>"$dir/$file"
        fi
        listed=$(printf %s "$file" | iconv -f UTF-8 -t "$encoding") || { fail "$name: $file in $encoding"; return; }
        digest=$(md5sum "$dir/$file" | cut -c1-32)
        printf '%s  %s\r\n' "$digest" "$listed" >>"$dir/md5.txt"
        {
            printf 'open %s count: %s  ' "$listed" "$size"
            awk -v n=$(((size + 40959) / 40960)) \
                'BEGIN { s = "\\|/-"; for (i = 0; i < n; i++) printf "\b%s", substr(s, i % 4 + 1, 1) }'
            printf '\bsuccess\r\n[%s] [%s] < %s\r\n' "$digest" "$digest" "$listed"
        } >>"$dir/expected"
    done
    printf 'errorcode: 0\r\n' >>"$dir/expected"
    (cd "$dir" && wine "$exe" >stdout 2>stderr)
    local got=$?
    if [ "$got" -ne 0 ]; then
        fail "$name: exit code $got, expected 0"
    elif ! cmp -s "$dir/stdout" "$dir/expected"; then
        fail "$name: output differs"
        cmp "$dir/stdout" "$dir/expected"
    else
        pass "$name"
    fi
    rm -rf "$dir/usb_update"
}
# Names in UTF-8 (as tools on Linux and current editors write them) and in the local code page.
passing_run utf8-names UTF-8 固件.bin=3 Grüße.bin=14
passing_run code-page-names CP1252 Grüße.bin=14
# A listed path of 300 characters: past MAX_PATH, whatever folder the package is in.
passing_run long-path UTF-8 "$(printf %150s | tr ' ' d)/$(printf %134s | tr ' ' e).bin=3"
# Around the 40960-byte chunk, and past 2 and 4 GiB: the size no longer fits 32 bits.
sizes=()
for size in 1 40959 40960 40961 $(((2 << 30) + 3)) $(((9 << 29) + 40960 + 3)); do sizes+=("f$size.bin=$size"); done
passing_run sizes UTF-8 "${sizes[@]}"

# The message box on a virtual display: wait for the window captioned 提示, wait until it is
# drawn (two equal pictures of it, not black), keep the picture, press Enter.
message_box_run() {
    local dir=$runs/message-box
    rm -rf "$dir"
    mkdir -p "$dir/usb_update"
    printf 'abc' >"$dir/usb_update/abc.bin"
    printf '%s\r\n' "$abc  usb_update/abc.bin" >"$dir/md5.txt"
    mkfifo "$dir/display"
    Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
    xvfb_pid=$!
    local display
    read -r -t 30 display <"$dir/display" || { fail "message box: Xvfb did not start"; return; }
    # The desktop process of a running Wine session has no display and would take the box
    # over: this run gets a session of its own.
    wineserver -k
    wineserver -w
    export DISPLAY=:$display
    (cd "$dir" && wine "$exe" >stdout 2>stderr) &
    local program=$!
    local window
    window=$(timeout 120 xdotool search --sync --name '^提示$' | head -1)
    if [ -z "$window" ]; then
        fail "message box: no window captioned 提示"
        kill "$program" 2>/dev/null
        return
    fi
    local drawn=0
    for _ in $(seq 100); do
        if import -window "$window" "$dir/a.png" 2>/dev/null &&
           import -window "$window" "$dir/b.png" 2>/dev/null &&
           [ "$(compare -metric AE "$dir/a.png" "$dir/b.png" null: 2>&1)" = "0" ] &&
           awk "BEGIN { exit !($(convert "$dir/b.png" -format '%[fx:mean]' info:) > 0.5) }"; then
            drawn=1
            break
        fi
        sleep 0.2
    done
    [ "$drawn" -eq 1 ] && convert "$dir/b.png" -strip "$shot"
    xdotool windowfocus --sync "$window" key Return
    local waited=0
    while kill -0 "$program" 2>/dev/null && [ "$waited" -lt 600 ]; do
        sleep 0.1
        waited=$((waited + 1))
    done
    kill "$program" 2>/dev/null
    wait "$program"
    local code=$?
    unset DISPLAY
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
    if [ "$drawn" -ne 1 ]; then
        fail "message box: never drawn"
    elif [ "$code" -ne 0 ]; then
        fail "message box: exit code $code after Enter, expected 0"
    else
        pass "message box shown, photographed ($shot) and dismissed"
        [ "$save_screenshot" -eq 1 ] && cp "$shot" "$root/docs/sumvault-message-box.png"
    fi
}
message_box_run

finish
