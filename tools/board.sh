#!/bin/sh
# Drives the simulated board from outside the daemon: every command replaces one board file
# atomically (temporary file, then rename). Root: $SIM_BOARD_DIR, default ./sim-board.
# Plain POSIX sh; runs under busybox sh as well.
set -eu

root=${SIM_BOARD_DIR:-./sim-board}

usage() {
    cat >&2 <<USAGE
usage: $0 press <channel> <reading>   LSADC channel reads <reading> (decimal or 0x-hex)
       $0 release <channel>           LSADC channel back to idle (255)
       $0 gpio <line> <0|1>...        level of GPIO line group*8+pin; several levels: one
                                      for each read, the last one stays
       $0 prop <name> <value>         set an Android system property
       $0 keylock <0|1>               key-lock value (device information 34)
       $0 fail <function> <code>      SDK call <function> returns <code>
       $0 unfail <function>           SDK call <function> works again
USAGE
    exit 2
}

# put <relative path>: stores standard input as the file, atomically.
put() {
    mkdir -p "$(dirname "$root/$1")"
    tmp="$root/$1.tmp.$$"
    cat >"$tmp"
    mv -f "$tmp" "$root/$1"
}

# Accepts only what the board reads as a number.
number() {
    case $1 in
        0x*|0X*) hex=${1#0[xX]}
                 case $hex in ''|*[!0-9a-fA-F]*) echo "not a number: $1" >&2; exit 2 ;; esac ;;
        ''|*[!0-9]*) echo "not a number: $1" >&2; exit 2 ;;
    esac
}

[ $# -ge 1 ] || usage
command=$1
shift
case $command in
    press)
        [ $# -eq 2 ] || usage
        number "$1"; number "$2"
        printf '%s\n' "$2" | put "lsadc/$1" ;;
    release)
        [ $# -eq 1 ] || usage
        number "$1"
        rm -f "$root/lsadc/$1" ;;
    gpio)
        [ $# -ge 2 ] || usage
        number "$1"
        line=$1
        shift
        for level in "$@"; do
            case $level in 0|1) ;; *) usage ;; esac
        done
        printf '%s\n' "$*" | put "gpio/$line" ;;
    prop)
        [ $# -eq 2 ] || usage
        case $1 in ''|*=*|*"
"*) echo "bad property name: $1" >&2; exit 2 ;; esac
        case $2 in *"
"*) echo "bad property value" >&2; exit 2 ;; esac
        mkdir -p "$root"
        # Every other line stays as it was; the property's own line is replaced or added.
        {
            if [ -f "$root/props" ]; then
                while IFS= read -r line || [ -n "$line" ]; do
                    case $line in "$1="*) ;; *) printf '%s\n' "$line" ;; esac
                done <"$root/props"
            fi
            printf '%s=%s\n' "$1" "$2"
        } | put props ;;
    keylock)
        [ $# -eq 1 ] || usage
        case $1 in
            0) printf '\000\000\000\000' | put pdm/34 ;;
            1) printf '\001\000\000\000' | put pdm/34 ;;
            *) usage ;;
        esac ;;
    fail)
        [ $# -eq 2 ] || usage
        case $1 in ''|*/*) usage ;; esac
        printf '%s\n' "$2" | put "fail/$1" ;;
    unfail)
        [ $# -eq 1 ] || usage
        case $1 in ''|*/*) usage ;; esac
        rm -f "$root/fail/$1" ;;
    *)
        usage ;;
esac
