#!/usr/bin/env bash
# Packages of another architecture (armhf for the cross build, i386 for Wine), kept out of the
# system's dpkg. A multiarch install needs the same version of every shared library on both
# architectures, and it breaks whenever the security suite ships an amd64 library ahead of the
# point release. So each architecture gets a private apt state of its own (its own lists, an
# empty dpkg status, bookworm and bookworm-updates only) and its packages are unpacked with
# dpkg -x into a private root under the cache folder, which later runs reuse as it is.
#
#   tools/foreign-root.sh root NAME       unpack tools/deps/roots/NAME.list; prints the root
#   tools/foreign-root.sh apt ARCH CMD... runs apt-get or apt-cache CMD in ARCH's private state
#   tools/foreign-root.sh fetch ARCH SUITE PACKAGE DIR
#                                         downloads SUITE's PACKAGE for ARCH into DIR
#
# A root list holds "arch ARCH", "closure yes|no" (yes: add every dependency, resolved against
# the empty status) and one package a line. Environment: TAVRION_ROOTS_CACHE (default
# ~/.cache/tavrion-roots).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cache=${TAVRION_ROOTS_CACHE:-${HOME:-/root}/.cache/tavrion-roots}

die() {
    echo "foreign-root: $*" >&2
    exit 1
}

# The Debian mirror that the system's own lists come from (as apt was set up on this machine).
debian_mirror() {
    local codename=$1 uri
    uri=$(apt-get indextargets --format '$(REPO_URI)|$(CODENAME)' 'Created-By: Packages' 2>/dev/null |
          awk -F'|' -v c="$codename" '$2 == c { print $1; exit }')
    if [ -z "$uri" ]; then
        uri=$(sed -n 's/^URIs:[[:space:]]*\(http[^[:space:]]*\/debian\/\?\)$/\1/p' \
              /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n1)
    fi
    [ -n "$uri" ] || uri=$(awk '$1 == "deb" && $2 ~ /\/debian\/?$/ { print $2; exit }' \
                           /etc/apt/sources.list 2>/dev/null)
    [ -n "$uri" ] || die "no Debian mirror in the system's apt sources"
    echo "${uri%/}"
}

# The options that point apt at a private state for ARCH (and SUITES, when not the default).
state_options() {
    local arch=$1 state=$cache/apt-$1${2:+-$2}
    opts=(-o "Dir::State=$state" -o "Dir::State::Lists=$state/lists"
          -o "Dir::State::status=$state/status" -o "Dir::Cache=$state/cache"
          -o "Dir::Etc::SourceList=$state/sources.list" -o Dir::Etc::SourceParts=/dev/null
          -o Dir::Etc::Preferences=/dev/null -o Dir::Etc::PreferencesParts=/dev/null
          -o "APT::Architecture=$arch" -o "APT::Architectures=$arch"
          -o APT::Sandbox::User=root -o Debug::NoLocking=1 -o Acquire::Retries=3 -q)
}

# Makes a private state for ARCH and its lists (once; again with "fresh"). SUITE, when given,
# is the only suite; otherwise the release and its updates.
prepare_state() {
    local arch=$1 fresh=${2:-} suite=${3:-} codename mirror
    state_options "$arch" "$suite"
    local state=$cache/apt-$arch${suite:+-$suite}
    if [ -z "$fresh" ] && [ -f "$state/updated" ]; then
        return 0
    fi
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    mirror=$(debian_mirror "$codename")
    mkdir -p "$state/lists/partial" "$state/cache/archives/partial"
    [ -f "$state/status" ] || : >"$state/status"
    local suites="$codename $codename-updates"
    [ -z "$suite" ] || suites=$suite
    local s
    for s in $suites; do echo "deb [arch=$arch] $mirror $s main"; done >"$state/sources.list"
    echo "foreign-root: updating the $arch package lists ($suites)" >&2
    apt-get "${opts[@]}" --error-on=any update >"$state/update.log" 2>&1 ||
        die "apt-get update for $arch failed: $(grep -m1 '^E:' "$state/update.log" || tail -n1 "$state/update.log")"
    touch "$state/updated"
}

# Lists that a point release has overtaken name packages the mirror no longer has: a failing
# command is tried once more on fresh lists.
run_apt() {
    local arch=$1 tool=$2
    shift 2
    prepare_state "$arch"
    "$tool" "${opts[@]}" "$@" && return 0
    prepare_state "$arch" fresh
    "$tool" "${opts[@]}" "$@"
}

# Prints "name=version" for the packages of a list (with their dependencies when asked).
resolve() {
    local closure=$1
    shift
    if [ "$closure" = yes ]; then
        apt-get "${opts[@]}" -s --no-install-recommends install "$@" 2>&1 |
            awk '$1 == "Inst" { v = $3; gsub(/[()]/, "", v); print $2 "=" v }'
    else
        local pkg
        for pkg in "$@"; do
            apt-cache "${opts[@]}" policy "$pkg" |
                awk -v p="$pkg" '$1 == "Candidate:" && $2 != "(none)" { print p "=" $2 }'
        done
    fi
}

make_root() {
    local name=$1 list=$here/deps/roots/$1.list
    [ -f "$list" ] || die "no package list $list"
    local arch closure packages
    arch=$(awk '$1 == "arch" { print $2 }' "$list")
    closure=$(awk '$1 == "closure" { print $2 }' "$list")
    packages=$(sed -e 's/#.*//' "$list" | awk 'NF == 1 { print $1 }')
    [ -n "$arch" ] && [ -n "$packages" ] || die "$list names no arch or no packages"

    local root=$cache/$name stamp want
    stamp=$root/.packages
    want=$(printf '%s\n' "$arch" "$closure" $packages | sha256sum | cut -c1-16)
    if [ "$(head -n1 "$stamp" 2>/dev/null)" = "$want" ]; then
        echo "$root"
        return 0
    fi

    local started=$SECONDS resolved=""
    prepare_state "$arch"
    # shellcheck disable=SC2086
    resolved=$(resolve "$closure" $packages)
    if [ -z "$resolved" ] || [ "$(echo "$resolved" | wc -l)" -lt "$(echo "$packages" | wc -w)" ]; then
        prepare_state "$arch" fresh
        # shellcheck disable=SC2086
        resolved=$(resolve "$closure" $packages)
    fi
    [ -n "$resolved" ] || die "cannot resolve $name's packages for $arch: $(apt-get "${opts[@]}" -s install $packages 2>&1 | grep -m1 '^E:')"
    local missing
    for missing in $packages; do
        echo "$resolved" | grep -q "^$missing=" || die "$missing is not available for $arch"
    done

    local debs=$cache/debs-$arch
    mkdir -p "$debs"
    echo "foreign-root: fetching $(echo "$resolved" | wc -l) $arch packages for $name" >&2
    # shellcheck disable=SC2046
    (cd "$debs" && apt-get "${opts[@]}" download $(echo "$resolved") >"$debs/download.log" 2>&1) ||
        die "apt-get download for $name failed: $(grep -m1 '^E:' "$debs/download.log")"

    local tmp=$root.new.$$ pkg version file
    rm -rf "$tmp"
    mkdir -p "$tmp"
    for pkg in $resolved; do
        version=${pkg#*=}
        file=$(ls "$debs/${pkg%%=*}_${version/:/%3a}_"*.deb 2>/dev/null | head -n1)
        [ -n "$file" ] || die "downloaded package of ${pkg%%=*} $version not found in $debs"
        dpkg -x "$file" "$tmp"
    done
    printf '%s\n' "$want" $resolved >"$tmp/.packages"
    rm -rf "$root"
    mv "$tmp" "$root"
    local size
    size=$(du -sm "$root" | cut -f1)
    echo "foreign-root: $name ready in $root ($(echo "$resolved" | wc -l) packages, ${size} MB, $((SECONDS - started)) s)" >&2
    # The downloaded packages are kept only until they are unpacked.
    rm -f "$debs"/*.deb
    echo "$root"
}

case ${1:-} in
    root)
        [ $# -eq 2 ] || die "usage: $0 root NAME"
        make_root "$2"
        ;;
    apt)
        [ $# -ge 3 ] || die "usage: $0 apt ARCH apt-get|apt-cache ARGS..."
        arch=$2
        shift 2
        run_apt "$arch" "$@"
        ;;
    fetch)
        [ $# -eq 5 ] || die "usage: $0 fetch ARCH SUITE PACKAGE DIR"
        prepare_state "$2" fresh "$3"
        (cd "$5" && apt-get "${opts[@]}" download "$4/$3" >/dev/null) ||
            die "apt-get download $4 from $3 for $2 failed"
        ;;
    *)
        die "usage: $0 root NAME | apt ARCH apt-get|apt-cache ARGS..."
        ;;
esac
