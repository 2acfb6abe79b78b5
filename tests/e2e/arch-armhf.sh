# The real-kernel runs on 32-bit ARM, sourced by run.sh when TAVRION_E2E_ARCH=armhf: the same
# scenarios and the same init, on Debian's armmp kernel under qemu-system-arm (machine "virt"),
# with the armhf build of the daemon and the dumper (build/linux-armhf) and Debian's static
# armhf busybox. The kernel and busybox are kept in the armhf/ folder of the cache.
#
# Replaces from run.sh: kernel_package, refresh_lists, download_package, copy_program, boot_vm
# and the variables build, cache, busybox and qemu.

[ -n "${TAVRION_BUILD_DIR:-}" ] || build=$repo/build/linux-armhf
cache=$cache/armhf
qemu=qemu-system-arm
# The armhf packages come through a private apt state, never the system's dpkg.
foreign=$repo/tools/foreign-root.sh
armhf_root=$("$foreign" root armhf) || die "the armhf libraries could not be fetched"
# Where the cross toolchain's C and C++ runtimes and the root's libraries are.
armhf_library_dirs="/usr/arm-linux-gnueabihf/lib $armhf_root/usr/lib/arm-linux-gnueabihf"

kernel_package() {
    "$foreign" apt armhf apt-cache depends linux-image-armmp 2>/dev/null |
        awk '$1 == "Depends:" && $2 ~ /^linux-image-[0-9]/ { print $2; exit }'
}

refresh_lists() { :; }

download_package() {
    "$foreign" apt armhf apt-get download "$1"
}

# Debian's static busybox for armhf, fetched once; it cannot be installed beside the host's.
armhf_busybox() {
    local dir=$cache/busybox-static tmp
    if [ ! -x "$dir/busybox" ]; then
        echo "e2e: fetching busybox-static:armhf" >&2
        tmp=$(mktemp -d "${TMPDIR:-/tmp}/tavrion-busybox.XXXXXX")
        (cd "$tmp" && download_package busybox-static >/dev/null) ||
            die "apt-get download busybox-static:armhf failed"
        dpkg-deb --fsys-tarfile "$tmp"/*.deb | tar -x -C "$tmp" ./bin/busybox
        mkdir -p "$dir"
        mv "$tmp/bin/busybox" "$dir/busybox.$$"
        mv -f "$dir/busybox.$$" "$dir/busybox"
        rm -rf "$tmp"
    fi
    echo "$dir/busybox"
}
busybox=$(armhf_busybox)

# ldd cannot look into an ARM program here, so follow its loader and NEEDED entries through the
# cross toolchain's runtimes and the private root. In the image every library goes where the
# armhf loader looks for it (/usr/lib/arm-linux-gnueabihf), the loader where the program names it.
armhf_libraries() {
    local todo=("$1") seen=" " file name dir found interpreter
    interpreter=$(arm-linux-gnueabihf-readelf -l "$1" | sed -n 's/.*program interpreter: \(.*\)]/\1/p')
    [ -z "$interpreter" ] || echo "/usr/arm-linux-gnueabihf/lib/$(basename "$interpreter") $interpreter"
    while [ ${#todo[@]} -gt 0 ]; do
        file=${todo[0]}
        todo=("${todo[@]:1}")
        for name in $(arm-linux-gnueabihf-readelf -d "$file" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
            case $seen in *" $name "*) continue ;; esac
            seen="$seen$name "
            found=
            for dir in $armhf_library_dirs; do
                if [ -e "$dir/$name" ]; then
                    found=$dir/$name
                    break
                fi
            done
            [ -n "$found" ] || die "$name (needed by $file) is not in $armhf_library_dirs"
            echo "$found /usr/lib/arm-linux-gnueabihf/$name"
            todo+=("$found")
        done
    done
}

copy_program() {
    local program=$1 root=$2 target=$3 from to
    install -D -m 0755 "$program" "$root$target"
    armhf_libraries "$program" | while read -r from to; do
        [ -e "$root$to" ] || install -D -m 0755 "$(readlink -f "$from")" "$root$to"
    done
}

# The console on the board's PL011; the results on the second port of a PCI serial card, which
# the kernel names ttyS1 as on the PC. highmem=off keeps the PCI window where a 32-bit kernel
# can reach it.
boot_vm() {
    local kernel=$1 image=$2 console=$3 results=$4
    timeout "$vm_timeout" qemu-system-arm -M virt,highmem=off -cpu cortex-a15 -m 512 -nographic \
        -no-reboot -nic none -monitor none -kernel "$kernel/vmlinuz" -initrd "$image" \
        -append "console=ttyAMA0 quiet loglevel=3 panic=-1" -serial "file:$console" \
        -chardev null,id=tavrion-null -chardev "file,id=tavrion-results,path=$results" \
        -device pci-serial-2x,chardev1=tavrion-null,chardev2=tavrion-results </dev/null >/dev/null 2>&1
}

# keypad-tool of the armhf build replays the recordings here, under qemu-arm as CTest runs it.
replay_tool() {
    qemu-arm -L /usr/arm-linux-gnueabihf \
        -E "LD_LIBRARY_PATH=/usr/arm-linux-gnueabihf/lib:$armhf_root/usr/lib/arm-linux-gnueabihf" \
        "$build/tools/keypad_tool/keypad-tool" "$@"
}
