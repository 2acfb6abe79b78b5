# Sourced by run.sh. Wine for 32-bit Windows programs is itself a set of 32-bit x86 Linux
# programs and libraries. They are never installed through the system's dpkg (see
# tools/foreign-root.sh): they are unpacked into a private root and run in a chroot of it.
#
# wine_enter re-runs the calling script in a user, mount and PID namespace of its own, where the
# root gets /proc, /dev, a tmpfs /tmp, the build folder and the X server's socket folder. The
# wine, wineserver, wineboot and winepath functions then run Wine's programs chrooted, in the
# caller's working folder. All Wine processes share the namespace's /tmp, so one wineserver
# serves every run, and every process of the namespace ends with the script.

wine_root=""

# The step of libwine's maintainer script that Wine needs: zlib1.dll from libz-mingw-w64 turned
# into a Wine builtin DLL (without it: "could not load kernel32.dll, c0000135").
wine_add_zlib() {
    local in=$wine_root/usr/i686-w64-mingw32/lib/zlib1.dll
    local out=$wine_root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll
    [ -s "$out" ] && return 0
    [ -f "$in" ] || return 1
    {
        head -c 64 "$in"
        printf 'Wine builtin DLL'
        head -c 16 /dev/zero
        tail -c +97 "$in"
    } >"$out.new" && mv "$out.new" "$out"
}

# Wine names its windows in the C library's locale; without the C.UTF-8 locale (libc-bin's, not
# in the root) the message box's caption reaches the X server as "??" and cannot be found. The
# locale data does not depend on the architecture.
wine_add_locale() {
    [ -d "$wine_root/usr/lib/locale/C.utf8" ] && return 0
    [ -d /usr/lib/locale/C.utf8 ] || return 0
    mkdir -p "$wine_root/usr/lib/locale" && cp -a /usr/lib/locale/C.utf8 "$wine_root/usr/lib/locale/"
}

# True when this kernel runs 32-bit x86 programs, natively or through binfmt_misc.
wine_i386_runs() {
    "$wine_root/lib/i386-linux-gnu/ld-linux.so.2" --version >/dev/null 2>&1
}

# Where the kernel cannot run them (32-bit support switched off), a statically linked
# qemu-i386 is registered for them with the F flag, which opens it at once so that it works
# inside the chroot too. Releases before 8 place their own memory at 0x7ffe0000, the page every
# Windows process expects for its shared user data, so it comes from the backports suite, whose
# qemu-user is linked statically.
wine_register_qemu() {
    local cache=$1 binfmt=/proc/sys/fs/binfmt_misc
    [ "$(id -u)" -eq 0 ] || { echo "32-bit x86 programs cannot run here; run as root" >&2; return 1; }
    [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt" || return 1
    [ -e "$binfmt/sumvault-i386" ] && return 0
    local qemu=$cache/qemu-i386-static
    if [ ! -x "$qemu" ]; then
        local codename tmp
        codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
        tmp=$(mktemp -d)
        echo "Fetching a static qemu-i386 from $codename-backports" >&2
        mkdir -p "$cache"
        "$root/tools/foreign-root.sh" fetch "$(dpkg --print-architecture)" "$codename-backports" \
            qemu-user "$tmp" &&
            dpkg -x "$tmp"/qemu-user_*.deb "$tmp/x" && cp "$tmp/x/usr/bin/qemu-i386" "$qemu"
        local copied=$?
        rm -rf "$tmp"
        [ "$copied" -eq 0 ] || return 1
    fi
    printf '%s' ':sumvault-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' \
        >"$binfmt/register"
}

# Prepares the root (outside the namespace): fetched and unpacked once, then reused.
wine_prepare() {
    local cache=$1
    wine_root=$("$root/tools/foreign-root.sh" root wine) || return 1
    wine_add_zlib || { echo "no zlib1.dll in $wine_root" >&2; return 1; }
    wine_add_locale || return 1
    wine_i386_runs || wine_register_qemu "$cache" || return 1
    wine_i386_runs || { echo "32-bit x86 programs do not run on this kernel" >&2; return 1; }
}

# Re-runs the calling script ($0 "$@") inside the namespace, once the root is ready.
wine_enter() {
    local cache=$1
    shift
    if [ -z "${SUMVAULT_WINE_ROOT:-}" ]; then
        wine_prepare "$cache" || return 1
        mkdir -p /tmp/.X11-unix
        chmod 1777 /tmp/.X11-unix
        SUMVAULT_WINE_ROOT=$wine_root exec unshare --user --map-root-user --mount --pid --fork \
            --kill-child "$0" "$@"
    fi
    wine_root=$SUMVAULT_WINE_ROOT
    local dir
    mount -t proc proc "$wine_root/proc" 2>/dev/null ||
        { mkdir -p "$wine_root/proc" && mount -t proc proc "$wine_root/proc"; } || return 1
    mkdir -p "$wine_root/dev" "$wine_root/tmp"
    mount --rbind /dev "$wine_root/dev" || return 1
    mount -t tmpfs -o mode=1777 tmpfs "$wine_root/tmp" || return 1
    mkdir -p "$wine_root/tmp/.X11-unix"
    mount --bind /tmp/.X11-unix "$wine_root/tmp/.X11-unix" || return 1
    for dir in "$build"; do
        mkdir -p "$wine_root$dir"
        mount --bind "$dir" "$wine_root$dir" || return 1
    done
    export WINESERVER=/usr/lib/wine/wineserver32
}

# Wine's own programs, chrooted into the root, in the caller's working folder.
wine() { unshare --root="$wine_root" --wd="$PWD" /usr/lib/wine/wine "$@"; }
wineserver() { unshare --root="$wine_root" --wd=/ /usr/lib/wine/wineserver32 "$@"; }
wineboot() { wine wineboot.exe "$@"; }
winepath() { wine winepath.exe "$@"; }
