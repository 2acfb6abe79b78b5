#!/usr/bin/env bash
# Sumvault on real file systems (root only; exit 77 to skip):
#  - a stick that did not keep what was written: a package on a small ext4 image on a loop
#    device, written and synced, then one byte changed in the image beneath the file system.
#    The cache still holds what was written (md5sum -c still passes, or the check proves
#    nothing); Sumvault reads the stick and refuses it (1).
#  - ramfs, which refuses unbuffered reading: the package passes, read through the cache, and
#    the run says so once.
# Usage: loop_stick.sh SUMVAULT_EXE
set -uo pipefail
exe=$1
skip() {
    echo "skipped: $*"
    exit 77
}
[ "$(id -u)" -eq 0 ] || skip "not root"
command -v mkfs.ext4 >/dev/null && command -v losetup >/dev/null || skip "no mkfs.ext4 or losetup"
work=$(mktemp -d "${TMPDIR:-/tmp}/sumvault-stick.XXXXXX")
loop=""
cleanup() {
    umount "$work/ext4" "$work/ramfs" 2>/dev/null
    [ -n "$loop" ] && losetup -d "$loop"
    rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/ext4" "$work/ramfs"
truncate -s 16M "$work/image" && mkfs.ext4 -q -F -b 4096 "$work/image" || skip "mkfs.ext4 failed"
loop=$(losetup -f --show "$work/image" 2>/dev/null) || skip "no loop device"
mount "$loop" "$work/ext4" || skip "cannot mount the ext4 image"
mount -t ramfs ramfs "$work/ramfs" || skip "cannot mount ramfs"

failed=0
for fs in ext4 ramfs; do
    (
        cd "$work/$fs" && mkdir usb_update &&
            for part in 1 2; do
                { printf 'MARK%s%s' $fs $part && head -c 100000 /dev/urandom; } >usb_update/$part.bin
            done && md5sum usb_update/*.bin >md5.txt && sync
    ) || skip "cannot write the package on $fs"
done
at=$(grep -obUa MARKext42 "$work/image" | cut -d: -f1)
[ "$(echo "$at" | wc -w)" -eq 1 ] || skip "the file's data is not found once in the image"
printf X | dd of="$work/image" bs=1 seek="$at" conv=notrunc status=none
(cd "$work/ext4" && md5sum -c --quiet md5.txt) ||
    skip "the cache no longer holds what was written: nothing to tell apart"

for fs in ext4 ramfs; do
    (cd "$work/$fs" && "$exe" >"$work/$fs.out" 2>/dev/null)
    code=$?
    notices=$(grep -c 'does not allow unbuffered reading' "$work/$fs.out")
    want_code=0 want_notices=1
    [ $fs = ext4 ] && want_code=1 want_notices=0
    if [ $code -eq $want_code ] && [ "$notices" -eq $want_notices ]; then
        echo "PASS $fs: code $code, $notices notice(s)"
    else
        echo "FAIL $fs: code $code (expected $want_code), $notices notice(s) (expected $want_notices)"
        cat "$work/$fs.out"
        failed=1
    fi
done
exit $failed
