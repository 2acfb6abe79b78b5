# Sourced by run.sh. Wine's loader and server for 32-bit Windows programs are 32-bit x86
# Linux programs. Some kernels have 32-bit support switched off (the exec fails with "Exec
# format error"); there, as root, they are run through binfmt_misc under qemu-i386.
#
# qemu older than 8 will not do: it places the process's own memory at 0x7ffe0000, the page
# every Windows process expects to hold its shared user data, and Wine gives up. A newer
# qemu-i386 is then taken from the distribution's backports suite, with a private apt state
# in the build tree, so the system's package setup stays as it is.

i386_binfmt=/proc/sys/fs/binfmt_misc

i386_qemu_major() {
    "$1" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\)\..*/\1/p'
}

# Prints the path of a qemu-i386 of version 8 or later, fetching one if need be.
i386_find_qemu() {
    local cache=$1 system
    system=$(command -v qemu-i386 || true)
    if [ -n "$system" ] && [ "$(i386_qemu_major "$system")" -ge 8 ] 2>/dev/null; then
        echo "$system"
        return 0
    fi
    if [ -x "$cache/qemu-i386" ]; then
        echo "$cache/qemu-i386"
        return 0
    fi
    local codename uri
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    uri=$(apt-get indextargets --format '$(REPO_URI)|$(CODENAME)' 'Created-By: Packages' |
          awk -F'|' -v c="$codename" '$2 == c { print $1; exit }')
    [ -n "$uri" ] || { echo "no apt source for $codename" >&2; return 1; }
    local apt=$cache/apt
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial"
    echo "deb $uri $codename-backports main" > "$apt/sources.list"
    local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
                -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
                -o APT::Sandbox::User=root -o Debug::NoLocking=1 -q)
    echo "Fetching qemu-i386 from $codename-backports" >&2
    apt-get "${opts[@]}" update >/dev/null &&
        (cd "$apt" && apt-get "${opts[@]}" download "qemu-user/$codename-backports" >/dev/null) ||
        return 1
    dpkg-deb --fsys-tarfile "$apt"/qemu-user_*.deb | tar -xO ./usr/bin/qemu-i386 > "$cache/qemu-i386.new" &&
        chmod +x "$cache/qemu-i386.new" && mv "$cache/qemu-i386.new" "$cache/qemu-i386" || return 1
    rm -rf "$apt"
    echo "$cache/qemu-i386"
}

# Makes sure 32-bit x86 programs run; cache is where a fetched qemu-i386 is kept.
ensure_i386_programs() {
    local cache=$1
    if [ -e "$i386_binfmt/sumvault-i386" ] || /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
        return 0
    fi
    if [ "$(id -u)" -ne 0 ]; then
        echo "32-bit x86 programs cannot run here; run as root to set up qemu-i386 for them" >&2
        return 1
    fi
    [ -e "$i386_binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$i386_binfmt" || return 1
    mkdir -p "$cache"
    local qemu
    qemu=$(i386_find_qemu "$cache") || return 1
    # 'F' opens the interpreter now, so the entry keeps working whatever happens to the file.
    printf '%s' ':sumvault-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' \
        > "$i386_binfmt/register" || return 1
    /lib/ld-linux.so.2 --version >/dev/null 2>&1
}
