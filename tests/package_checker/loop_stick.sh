#!/usr/bin/env bash
# Root only (else exit 77): a package on a small ext4 image on a loop device, synced, then one
# byte changed in the image beneath the file system. The cache still holds what was written
# (md5sum -c passes), but the stick does not: Sumvault must refuse it (1). On ramfs, which
# refuses unbuffered reading, the package passes and the run says once that it reads the cache.
# Usage: loop_stick.sh SUMVAULT_EXE
set -uo pipefail
skip() { echo "skipped: $*" && exit 77; }
[ "$(id -u)" -eq 0 ] || skip "not root"
work=$(mktemp -d "${TMPDIR:-/tmp}/sumvault-stick.XXXXXX") loop=""
trap 'umount "$work/ext4" "$work/ramfs" 2>/dev/null; [ -z "$loop" ] || losetup -d "$loop"; rm -rf "$work"' EXIT
mkdir "$work/ext4" "$work/ramfs" && truncate -s 16M "$work/image"
mkfs.ext4 -q -F -b 4096 "$work/image" || skip "no mkfs.ext4"
loop=$(losetup -f --show "$work/image") || skip "no loop device"
mount "$loop" "$work/ext4" && mount -t ramfs ramfs "$work/ramfs" || skip "cannot mount ext4 and ramfs"
for fs in ext4 ramfs; do
    (cd "$work/$fs" && mkdir usb_update && for part in 1 2; do
        { printf "MARK$fs$part" && head -c 100000 /dev/urandom; } >usb_update/$part.bin
    done && md5sum usb_update/*.bin >md5.txt && sync) || skip "cannot write to $fs"
done
at=$(grep -obUa MARKext42 "$work/image" | cut -d: -f1)
[ "$(echo "$at" | wc -w)" -eq 1 ] || skip "the file's data is not found once in the image"
printf X | dd of="$work/image" bs=1 seek="$at" conv=notrunc status=none
(cd "$work/ext4" && md5sum -c --quiet md5.txt) || skip "the cache no longer holds the written data"
failed=0
for want in "ext4 1 0" "ramfs 0 1"; do  # file system, code, notices
    read -r fs code notices <<<"$want"
    (cd "$work/$fs" && "$1" >"$work/out" 2>/dev/null)
    got="$fs $? $(grep -c 'does not allow unbuffered reading' "$work/out")"
    [ "$got" = "$want" ] && echo "PASS $fs: $got" || { echo "FAIL: $got, expected $want" && cat "$work/out" && failed=1; }
done
exit $failed
